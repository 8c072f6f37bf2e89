#pragma once
// Round and game flow: new game, placing the sixteen cards, the end of a round,
// the pause and verdict, the next round. The engine is the only owner of the
// game's numbers: the windows show them through GameView and ask for them here.

#include "board.h"
#include "deck.h"
#include "gameview.h"
#include "random.h"
#include "rankedround.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace qv {

struct SavedGame;
struct Placement;

class GameFlow {
public:
    static constexpr int continueThreshold = 55; // a round's hands total that lets the player go on
    static constexpr int pauseTicks = 5;         // scorecountdown at the end of a round

    GameFlow(GameView &view, SoundSink &sounds, TallySink &tally);

    // The shuffle's generator; its state is all a deal depends on.
    Random &generator() { return random_; }
    const Random &generator() const { return random_; }

    // Listeners are told of every step of the game; they must outlive the engine
    // or be removed first.
    void addListener(GameListener &listener) { listeners_.push_back(&listener); }
    void removeListener(GameListener &listener) { std::erase(listeners_, &listener); }

    // Window creation: game inactive, board cleared, totals shown as "0".
    void FormCreate();

    void button_startClick();
    void StartGame1Click();
    // A new game whose first round is the deal with this number (the generator
    // state its shuffle starts from); the rounds after it continue from the
    // generator. A chosen deal can be picked for its cards, so this is a
    // practice game.
    void playNumberedDeal(std::uint32_t dealNumber);
    // Puts a saved game back: its totals, its round's deal and placements
    // replayed in order, without sounds and without telling the tally or the
    // listeners (they had it when it was played). A scored round starts its
    // pause again; a round whose verdict was "continue" offers Continue. Throws
    // SavedGameError, leaving this game as it was, when the saved game does not
    // match its deal (a cell taken twice, a card the deal does not give there,
    // Continue after a round below 55, a running total its rounds cannot make).
    void resume(const SavedGame &saved);
    // A click on placeable cell (row, col), both 1..4. In a ranked game nothing
    // is placed while the server has not yet said which card is on offer.
    void card_11Click(int row, int col);
    void Timer2Timer();
    // The player asks for the verdict before the pause has run out: it comes at
    // once, as on the pause's last tick. Nothing happens outside the pause.
    void endPause();
    void button_start2Click();
    void button_cancelClick();
    // Help from the coach (a hint, a demo) makes the running game a practice
    // game: its rounds still count, but it is neither ranked nor posted. Only a
    // random deal's game changes; the listeners are told so a saved game keeps it.
    void markPractice();

    // Ranked games: the score server deals every card and scores every round.
    // game is the server's token for the game, kept so it can be taken up again.
    void startRanked(const std::string &game, int firstCard);
    // The card the server offers after a placement. Ignored unless the round
    // waits for one.
    void offerCard(int card);
    // The server's figures for the round whose sixteenth card was just placed:
    // the engine scores the round itself and shows the server's figures, which
    // decide; false when its own differed. Ignored (true) unless a ranked round
    // waits for its scoring.
    bool scoreRankedRound(const RankedRound &round);
    // Puts a ranked game as the server has it on the board: its round, cards,
    // card on offer and totals; a game that is over scores its last round and
    // gives its verdict after the pause. Neither the tally nor the listeners are
    // told. False when the engine's own scoring of that round differed.
    bool takeUpRanked(const std::string &game, const RankedPosition &position);
    // The running game as lost: nothing more can be played or scored.
    void abandon();
    const std::string &rankedGame() const { return rankedGame_; }

    // The game's state, for the windows and for tests.
    bool gameactive() const { return gameactive_; }
    const Deck &deck() const { return deck_; }
    const Board &board() const { return board_; }
    int handsTotal() const { return handsTotal_; }
    int runningTotal() const { return runningTotal_; }
    int rounds() const { return rounds_; }
    int scorecountdown() const { return scorecountdown_; }
    // Whole seconds (ticks) left before the verdict while the pause runs, else 0.
    int pauseSecondsLeft() const { return timer2_ ? scorecountdown_ + 1 : 0; }
    bool timer2Running() const { return timer2_; }
    // A card waits to be placed: the game runs and the round has not been scored.
    bool cardOnOffer() const { return gameactive_ && deck_.dealpos >= 1 && deck_.dealpos <= 16; }
    GameKind gameKind() const { return gameKind_; }
    // The current round's deal number: the generator state its shuffle started from.
    std::uint32_t dealNumber() const { return dealNumber_; }
    // The card under "Next Card" (the starter once revealed); the back before the
    // first deal.
    int nextCard() const { return nextCard_; }
    const std::string &nextCardCaption() const { return cardType_; }

    // A line (1..4, 6..9): its five cards in hand order (an empty cell is 0), its
    // points per category, and its score once the round has been scored.
    std::array<int, 5> linecards(int line) const { return board_.linecards(line); }
    const CategoryPoints &breakdown(int line) const { return board_.linebreakdown.at(line - 1); }
    std::optional<int> lineScore(int line) const { return lineScores_.at(line); }

private:
    void newGame(GameKind kind);
    void replay(const SavedGame &saved);
    // A ranked game's placements put back as they were, the card on offer left
    // for the server to tell.
    void replayRanked(const SavedGame &saved);
    // The ranked round's cards on the board and in the deck's slots, in the order
    // given, with card on offer next (0: not known yet).
    void layRankedRound(int rounds, const std::vector<Placement> &placements, int card);
    void clearall();
    void shufflecards();
    // Puts the next card on an empty cell and offers the card after it.
    void placeNextCard(int row, int col);
    void endgame();
    // The starter shown, the eight lines scored, the totals and the pause started.
    void scoreRound();
    void stopTimer2();
    void showNumbers();
    void showNextCard(int card, std::string caption);
    void hideRoundPanels();
    void greet();
    template <typename Call> void tellListeners(Call call)
    {
        for (GameListener *listener : listeners_)
            call(*listener);
    }

    GameView &view_;
    SoundSink &sounds_;
    TallySink &tally_;
    std::vector<GameListener *> listeners_;
    Random random_;
    GameKind gameKind_ = GameKind::Random;
    std::uint32_t dealNumber_ = 0;
    Deck deck_;
    Board board_;
    std::array<std::optional<int>, 10> lineScores_{}; // [line]
    int nextCard_ = 0;
    std::string cardType_ = "Next Card";
    bool gameactive_ = false;
    bool timer2_ = false;
    int handsTotal_ = 0;
    int runningTotal_ = 0;
    int rounds_ = 0;
    int scorecountdown_ = 0;
    std::string rankedGame_;
    int rankedFirstCard_ = 0; // the card that opens the next ranked round
    bool rankedOver_ = false; // the server's verdict on the ranked round scored
};

} // namespace qv
