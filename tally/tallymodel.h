#pragma once
// The tally: the player's local record of rounds and best scores. The model owns
// the tally table (9 columns x 12 rows of text: row 0 holds the counters, rows
// 1..10 the places with date, score or "-1000", and name), the numbers it ranks
// by, and which place was ranked last; the tally-list window only shows it. The
// table is read from the tally file once at start and written back at exit.

#include "tally/gridtext.h"

#include <array>
#include <functional>
#include <string>

class TallyModel {
public:
    static constexpr int places = 10;
    static constexpr int emptyScore = -1000;
    // The counters of row 0, by column.
    static constexpr int totalRounds = 1;
    static constexpr int roundsCleared = 2;
    static constexpr int clearPercentage = 3;

    // today gives the date of a new entry as the user's regional short date.
    explicit TallyModel(std::function<std::string()> today);

    // Called after every change, so a window can show the tally again.
    std::function<void()> changed;

    // The places, 1..10. score() is the number the ranking compares: emptyScore
    // (or less) for an empty place, also for a score cell that is not a number.
    int score(int place) const { return scores_.at(place); }
    // The score as shown: blank for an empty place.
    std::string scoreText(int place) const;
    const std::string &date(int place) const { return stringgrid_scores.Cells(0, place); }
    const std::string &name(int place) const { return stringgrid_scores.Cells(2, place); }
    // The place ranked last, shown highlighted; 0 when none is.
    int highlighted() const { return highlighted_; }
    // Whether a place's line is shown bold: all are until a reset, and a ranked
    // place is again. It stays with the place, not with the entry.
    bool bold(int place) const { return bold_.at(place); }
    // A counter's text (totalRounds, roundsCleared or clearPercentage).
    const std::string &counter(int column) const { return stringgrid_scores.Cells(column, 0); }
    const StringGrid &table() const { return stringgrid_scores; }

    // Ranks a finished game's score; false when it is below all ten places.
    // Equal scores go above the older ones.
    bool checkscore(int score, const std::string &name);
    // One more round played (totalRounds, which also works out the percentage
    // again) or cleared (roundsCleared).
    void addtomineincrease(int column);
    // Sets counter cell (column, 0).
    void addtomineset(int column, const std::string &text);
    // Adds 1 to cell (column, row) and returns the new value; a cell that is not
    // a number starts again from 0.
    int addit(int column, int row);
    // Every counter 0 and every place empty, in memory only.
    void reset();

    // The table as grid text, and back. setText keeps the table as it was when
    // the text is not grid text (EInOutError); a smaller grid is grown to 9 x 12.
    std::string text() const { return gridToText(stringgrid_scores); }
    void setText(const std::string &text);

    // Reads the tally file at path (beside the program). No file leaves the
    // empty tally; an unreadable one leaves it too and returns the message to
    // show, and the first save() then keeps that file aside as path + ".bak"
    // before writing. Empty when all went well.
    std::string load(const std::string &path);
    // Writes the tally file. Throws std::runtime_error naming the file and the
    // reason when it cannot be written; the previous file then stays as it was
    // and the table in memory is unchanged.
    void save(const std::string &path);

private:
    void emptyTable();
    // After every load: empty score cells read "-1000", and the numbers follow the table.
    void loadtally();
    void notify();

    std::function<std::string()> today_;
    StringGrid stringgrid_scores{9, 12}; // the tally table
    std::array<int, places + 1> scores_{};
    std::array<bool, places + 1> bold_{};
    int highlighted_ = 0;
    bool keepDamagedFile_ = false;
};
