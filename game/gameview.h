#pragma once
// The small interfaces through which the round and game flow reaches the rest of
// the program. The engine owns every number of the game; GameView only shows them
// (the main window implements it, each call reaching one control), SoundSink is
// the sound gate and TallySink takes the tally's reports. Tests implement all
// three with recorders.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

// How a game's score may be used. A random deal competes in the ten best and can
// be posted; a practice game (a deal the player chose, or play the coach helped)
// counts its rounds only; a ranked game is dealt and scored by the score server.
enum class GameKind { Random, Practice, Ranked };

// What the engine shows and hides besides the board: the overlay panels and the
// controls that come and go with them.
enum class Panel {
    StartButton,   // button_start, the Start Game picture
    BreakdownHint, // label_breakdown, the hint to click a line's score
    Name,          // panel_name, the name entry
    Over,          // panel_over, the game-over panel
    SendScore,     // button_sendscore, on the game-over panel
    Wait,          // panel_wait, the posting indicator
    Continue,      // panel_continue, offered after a round of 55 or more
    LineScore,     // panel_linescore, the breakdown of a line
};

class GameView {
public:
    virtual ~GameView() = default;
    // Board cell (row, col), both 1..5, shows card (0: empty, no picture).
    virtual void showCell(int row, int col, int card) = 0;
    // The card offered next, or the starter, under its caption ("Next Card" or "STARTER").
    virtual void showNextCard(int card, std::string_view caption) = 0;
    // A line's score (lines 1..4 and 6..9); blank while the round is dealt.
    virtual void showLineScore(int line, std::optional<int> points) = 0;
    // "Rounds Played", "Running Total" and "Hands Total".
    virtual void showNumbers(int rounds, int runningTotal, int handsTotal) = 0;
    // The greeting above the board.
    virtual void showGreeting(std::string_view text) = 0;
    // The score line of the game-over panel.
    virtual void showFinalScore(std::string_view text) = 0;
    // The deal number of the round just dealt, and the kind of its game (a
    // practice game says so).
    virtual void showDeal(std::uint32_t dealNumber, GameKind kind) = 0;
    virtual void showPanel(Panel panel, bool visible) = 0;
    // Starts or stops the end-of-round pause (Timer2); its ticks come back through
    // GameFlow::Timer2Timer.
    virtual void setPauseTimer(bool on) = 0;
    // The player name, as typed into the game-over panel's name box.
    virtual std::string playerName() const = 0;
};

class GameFlow;

// Follows a game as it is played, after the engine has shown each step: files
// that keep the game in progress or its history listen here. A listener reads
// what it needs from the engine it is given.
class GameListener {
public:
    virtual ~GameListener() = default;
    // A new game's first round or a further round has been dealt.
    virtual void roundStarted(const GameFlow &) {}
    // A card went onto cell (row, col), both 1..4; the sixteenth also scores the round.
    virtual void cardPlaced(const GameFlow &, int /*row*/, int /*col*/) {}
    // The sixteenth card is down: the starter is shown and every line scored.
    virtual void roundScored(const GameFlow &) {}
    // The pause is over: the round cleared (continue offered) or the game is over.
    virtual void verdictGiven(const GameFlow &, bool /*cleared*/) {}
    // The running game has become a practice game (the coach helped).
    virtual void becamePractice(const GameFlow &) {}
};

class SoundSink {
public:
    virtual ~SoundSink() = default;
    virtual void playsounds(std::string_view name) = 0;
};

class TallySink {
public:
    // What addtomineincrease counts: the tally's counter columns.
    enum Counter { roundsPlayed = 1, roundsCleared = 2 };

    virtual ~TallySink() = default;
    virtual void addtomineincrease(Counter counter) = 0;
    // A finished game's score, ranked among the ten best.
    virtual void checkscore(int score, std::string_view name) = 0;
};

// Shows, plays and reports nothing: for an engine that tries a game out, such as
// a saved game before it is put back.
struct QuietView : GameView, SoundSink, TallySink {
    void showCell(int, int, int) override {}
    void showNextCard(int, std::string_view) override {}
    void showLineScore(int, std::optional<int>) override {}
    void showNumbers(int, int, int) override {}
    void showGreeting(std::string_view) override {}
    void showFinalScore(std::string_view) override {}
    void showDeal(std::uint32_t, GameKind) override {}
    void showPanel(Panel, bool) override {}
    void setPauseTimer(bool) override {}
    std::string playerName() const override { return {}; }
    void playsounds(std::string_view) override {}
    void addtomineincrease(Counter) override {}
    void checkscore(int, std::string_view) override {}
};

} // namespace qv
