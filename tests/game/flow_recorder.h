#pragma once
// An engine's view, sound gate and tally in one, recording the last value of
// each and every sound and tally call.

#include "game/cards.h"
#include "game/gameflow.h"

#include <array>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qv {

// Records what the engine shows, plays and reports: the last value of each.
struct Recorder : GameView, SoundSink, TallySink {
    std::array<std::array<int, 6>, 6> cells{}; // [row][col]
    int nextCard = -1;
    std::string cardType;
    std::map<int, std::optional<int>> lineScores;
    int rounds = -1, total = -1, hands = -1;
    std::string greeting, finalScore;
    std::optional<std::pair<std::uint32_t, GameKind>> deal;
    std::map<Panel, bool> panels;
    std::vector<std::string> sounds;
    std::vector<std::string> tallyCalls;
    bool timer2 = false;
    std::string name = "Guest";

    void showCell(int row, int col, int card) override { cells.at(row).at(col) = card; }
    void showNextCard(int card, std::string_view caption) override
    {
        nextCard = card;
        cardType = caption;
    }
    void showLineScore(int line, std::optional<int> points) override { lineScores[line] = points; }
    void showNumbers(int r, int t, int h) override
    {
        rounds = r;
        total = t;
        hands = h;
    }
    void showGreeting(std::string_view text) override { greeting = text; }
    void showFinalScore(std::string_view text) override { finalScore = text; }
    void showDeal(std::uint32_t number, GameKind kind) override { deal = {number, kind}; }
    void showPanel(Panel panel, bool visible) override { panels[panel] = visible; }
    void setPauseTimer(bool on) override { timer2 = on; }
    std::string playerName() const override { return name; }
    void playsounds(std::string_view s) override { sounds.emplace_back(s); }
    void addtomineincrease(Counter counter) override
    {
        tallyCalls.push_back("increase " + std::to_string(counter));
    }
    void checkscore(int score, std::string_view who) override
    {
        tallyCalls.push_back("checkscore " + std::to_string(score) + " " + std::string(who));
    }
};

// The first generator state whose deal, placed row by row, scores inside [lo, hi].
inline std::uint32_t seedScoring(int lo, int hi)
{
    for (std::uint32_t seed = 1;; ++seed) {
        Board b = dealInOrder(seed);
        int total = 0;
        for (int line : boardLines)
            total += b.getlinescore(line, getsuit(b.cell(5, 5)));
        if (total >= lo && total <= hi)
            return seed;
    }
}

} // namespace qv
