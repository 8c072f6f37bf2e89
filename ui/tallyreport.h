#pragma once
// The game's reports to the tally: what the engine tells its TallySink goes to
// the tally model, which the tally-list window shows.

#include "game/gameview.h"
#include "tally/tallymodel.h"

#include <string>

class TallyReport : public qv::TallySink {
public:
    explicit TallyReport(TallyModel &model) : model_(model) {}

    void addtomineincrease(Counter counter) override
    {
        model_.addtomineincrease(counter == roundsCleared ? TallyModel::roundsCleared : TallyModel::totalRounds);
    }
    void checkscore(int score, std::string_view name) override { model_.checkscore(score, std::string(name)); }

private:
    TallyModel &model_;
};
