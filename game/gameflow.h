#pragma once
// Round and game flow: new game, placing the sixteen cards, the end of a round,
// the pause and verdict, the next round. The engine keeps its own copy of every
// number it needs and mirrors each change onto the window's controls.

#include "board.h"
#include "deck.h"
#include "gameview.h"
#include "random.h"

#include <string>

namespace qv {

class GameFlow {
public:
    static constexpr int continueThreshold = 55; // a round's hands total that lets the player go on
    static constexpr int pauseTicks = 5;         // scorecountdown at the end of a round

    GameFlow(GameView &view, SoundSink &sounds, TallySink &tally);

    Random &generator() { return random_; }

    // Window creation: game inactive, board cleared, totals shown as "0".
    void FormCreate();

    void button_startClick();
    void StartGame1Click();
    // A click on placeable cell (row, col), both 1..4.
    void card_11Click(int row, int col);
    void Timer2Timer();
    void button_start2Click();
    void button_cancelClick();

    // State, read by the window and by tests.
    bool gameactive() const { return gameactive_; }
    const Deck &deck() const { return deck_; }
    const Board &board() const { return board_; }
    int handsTotal() const { return handsTotal_; }
    int runningTotal() const { return runningTotal_; }
    int rounds() const { return rounds_; }
    int scorecountdown() const { return scorecountdown_; }
    bool timer2Running() const { return timer2_; }

    // The cell name "card_" + row + column.
    static std::string cellName(int row, int col);
    static std::string lineLabelName(int line);

private:
    void clearall();
    void shufflecards();
    void endgame();
    void stopTimer2();
    void setNumber(std::string_view control, int value);

    GameView &view_;
    SoundSink &sounds_;
    TallySink &tally_;
    Random random_;
    Deck deck_;
    Board board_;
    bool gameactive_ = false;
    bool timer2_ = false;
    int handsTotal_ = 0;
    int runningTotal_ = 0;
    int rounds_ = 0;
    int scorecountdown_ = 0;
};

} // namespace qv
