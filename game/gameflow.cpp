#include "gameflow.h"

#include "cards.h"
#include "savedgame.h"

#include <algorithm>
#include <utility>

namespace qv {

namespace {

// The most a round can score: eight hands of 29, the best cribbage hand.
constexpr long long maxHandsTotal = 8 * 29;

} // namespace

GameFlow::GameFlow(GameView &view, SoundSink &sounds, TallySink &tally)
    : view_(view), sounds_(sounds), tally_(tally)
{
}

void GameFlow::showNumbers()
{
    view_.showNumbers(rounds_, runningTotal_, handsTotal_);
}

void GameFlow::showNextCard(int card, std::string caption)
{
    nextCard_ = card;
    cardType_ = std::move(caption);
    view_.showNextCard(nextCard_, cardType_);
}

void GameFlow::stopTimer2()
{
    timer2_ = false;
    view_.setPauseTimer(false);
}

// The panels and hints a new game or a new round puts away.
void GameFlow::hideRoundPanels()
{
    for (Panel panel : {Panel::StartButton, Panel::LineScore, Panel::Wait, Panel::Continue, Panel::Name,
                        Panel::Over, Panel::BreakdownHint})
        view_.showPanel(panel, false);
}

void GameFlow::greet()
{
    view_.showGreeting("Good Luck " + view_.playerName());
}

void GameFlow::FormCreate()
{
    gameactive_ = false;
    rounds_ = 0;
    runningTotal_ = 0;
    clearall();
}

void GameFlow::clearall()
{
    board_.clear();
    for (int row = 1; row <= 5; ++row)
        for (int col = 1; col <= 5; ++col)
            view_.showCell(row, col, 0);
    for (int line : boardLines) {
        lineScores_.at(line).reset();
        view_.showLineScore(line, std::nullopt);
    }
    handsTotal_ = 0;
    showNumbers();
}

void GameFlow::shufflecards()
{
    if (gameKind_ == GameKind::Ranked) {
        // The server dealt this round's first card; the rest come one at a time.
        dealNumber_ = 0;
        deck_ = Deck{};
        deck_.deck[1] = std::exchange(rankedFirstCard_, 0);
        deck_.dealpos = 1;
    } else {
        dealNumber_ = random_.state();
        qv::shufflecards(deck_, random_);
    }
    showNextCard(deck_.nextcard(), "Next Card");
    view_.showDeal(dealNumber_, gameKind_);
    tellListeners([this](GameListener &l) { l.roundStarted(*this); });
}

void GameFlow::button_startClick()
{
    newGame(GameKind::Random);
}

void GameFlow::playNumberedDeal(std::uint32_t dealNumber)
{
    random_.seed(dealNumber);
    newGame(GameKind::Practice);
}

void GameFlow::newGame(GameKind kind)
{
    stopTimer2(); // a verdict still pending from an abandoned round never arrives
    hideRoundPanels();
    gameKind_ = kind;
    if (kind != GameKind::Ranked)
        rankedGame_.clear();
    runningTotal_ = 0;
    rounds_ = 1;
    clearall();
    tally_.addtomineincrease(TallySink::roundsPlayed);
    gameactive_ = true;
    sounds_.playsounds("startgame");
    greet();
    shufflecards();
}

void GameFlow::StartGame1Click()
{
    button_startClick();
    view_.showPanel(Panel::Over, false);
}

void GameFlow::card_11Click(int row, int col)
{
    if (row < 1 || row > 4 || col < 1 || col > 4)
        return;
    if (board_.cell(row, col) != 0) {
        sounds_.playsounds("invalid");
        return;
    }
    if (!gameactive_ || deck_.dealpos < 1 || deck_.dealpos > 16 || deck_.nextcard() == 0)
        return;
    sounds_.playsounds("cardclick");
    placeNextCard(row, col);
    tellListeners([&](GameListener &l) { l.cardPlaced(*this, row, col); });
    // A ranked round is scored when the server has revealed the starter.
    if (deck_.dealpos > 16 && gameKind_ != GameKind::Ranked)
        endgame();
}

void GameFlow::placeNextCard(int row, int col)
{
    int &cell = board_.cell(row, col);
    cell = deck_.nextcard();
    view_.showCell(row, col, cell);
    ++deck_.dealpos;
    showNextCard(deck_.nextcard(), cardType_);
    if (deck_.dealpos > 16 && gameKind_ != GameKind::Ranked)
        deck_.startersuit = getsuit(deck_.deck[Deck::starterSlot]);
}

void GameFlow::endgame()
{
    sounds_.playsounds("roundover");
    scoreRound();
    tellListeners([this](GameListener &l) { l.roundScored(*this); });
}

void GameFlow::scoreRound()
{
    view_.showPanel(Panel::BreakdownHint, true);
    const int starter = deck_.nextcard();
    for (int k = 1; k <= 5; ++k) {
        board_.cell(5, k) = starter;
        board_.cell(k, 5) = starter;
        view_.showCell(5, k, starter);
        view_.showCell(k, 5, starter);
    }
    showNextCard(starter, "STARTER");

    handsTotal_ = 0;
    for (int line : boardLines) {
        const int points = board_.getlinescore(line, deck_.startersuit);
        lineScores_.at(line) = points;
        view_.showLineScore(line, points);
        handsTotal_ += points;
    }
    runningTotal_ += handsTotal_;
    showNumbers();

    scorecountdown_ = pauseTicks;
    timer2_ = true;
    view_.setPauseTimer(true);
}

void GameFlow::Timer2Timer()
{
    if (!timer2_)
        return; // a tick already queued when the timer was stopped
    if (--scorecountdown_ >= 0)
        return;
    stopTimer2();
    // A ranked game goes on when the server says so.
    const bool cleared = gameKind_ == GameKind::Ranked ? !rankedOver_ : handsTotal_ >= continueThreshold;
    if (cleared) {
        view_.showPanel(Panel::Continue, true);
        tally_.addtomineincrease(TallySink::roundsCleared);
        sounds_.playsounds("continue");
        tellListeners([this](GameListener &l) { l.verdictGiven(*this, true); });
        return;
    }
    view_.showFinalScore("Your Score: " + std::to_string(runningTotal_));
    // A practice game counts its rounds but is neither ranked nor posted.
    const bool practice = gameKind_ == GameKind::Practice;
    if (!practice)
        tally_.checkscore(runningTotal_, view_.playerName());
    // A ranked score is on the server's list already.
    view_.showPanel(Panel::SendScore, gameKind_ == GameKind::Random);
    view_.showPanel(Panel::Over, true);
    view_.showPanel(Panel::StartButton, true);
    gameactive_ = false;
    sounds_.playsounds("gameover");
    tellListeners([this](GameListener &l) { l.verdictGiven(*this, false); });
}

void GameFlow::endPause()
{
    if (!timer2_)
        return;
    scorecountdown_ = 0;
    Timer2Timer();
}

void GameFlow::button_start2Click()
{
    gameactive_ = true;
    hideRoundPanels();
    ++rounds_;
    showNumbers();
    tally_.addtomineincrease(TallySink::roundsPlayed);
    clearall();
    sounds_.playsounds("startgame");
    greet();
    shufflecards();
}

void GameFlow::button_cancelClick()
{
    view_.showPanel(Panel::Over, false);
}

void GameFlow::markPractice()
{
    if (!gameactive_ || gameKind_ != GameKind::Random)
        return;
    gameKind_ = GameKind::Practice;
    view_.showDeal(dealNumber_, gameKind_);
    tellListeners([this](GameListener &l) { l.becamePractice(*this); });
}

void GameFlow::resume(const SavedGame &saved)
{
    if (saved.kind == GameKind::Ranked) {
        replayRanked(saved);
        return;
    }
    // Tried on a quiet engine first, so a saved game that does not match its
    // deal leaves this one as it was.
    QuietView quiet;
    GameFlow trial(quiet, quiet, quiet);
    trial.replay(saved);
    replay(saved);
}

void GameFlow::replay(const SavedGame &saved)
{
    if (saved.rounds < 1 || saved.placements.size() > 16)
        throw SavedGameError("it does not hold a round of this game");
    stopTimer2();
    hideRoundPanels();
    gameKind_ = saved.kind;
    rounds_ = saved.rounds;
    runningTotal_ = 0;
    clearall();
    gameactive_ = true;
    greet();
    random_.seed(saved.dealNumber);
    dealNumber_ = saved.dealNumber;
    qv::shufflecards(deck_, random_);
    showNextCard(deck_.nextcard(), "Next Card");
    view_.showDeal(dealNumber_, gameKind_);

    int n = 0;
    for (const Placement &p : saved.placements) {
        const std::string which = "card " + std::to_string(++n) + " of the round";
        if (p.row < 1 || p.row > 4 || p.col < 1 || p.col > 4)
            throw SavedGameError(which + " lies off the board");
        if (board_.cell(p.row, p.col) != 0)
            throw SavedGameError(which + " goes on a cell already taken");
        if (p.card != deck_.nextcard())
            throw SavedGameError(which + " is not the card its deal gives there");
        placeNextCard(p.row, p.col);
    }
    const bool scored = deck_.dealpos > 16;
    if (scored)
        scoreRound();
    if (saved.cleared && !(scored && handsTotal_ >= continueThreshold))
        throw SavedGameError("it offers Continue after a round that did not reach 55");
    // Every round before this one cleared 55 and none can pass eight perfect hands.
    const long long before = static_cast<long long>(saved.runningTotal) - (scored ? handsTotal_ : 0);
    if (before < continueThreshold * (saved.rounds - 1LL) || before > maxHandsTotal * (saved.rounds - 1LL))
        throw SavedGameError("its running total cannot come from its rounds");
    runningTotal_ = saved.runningTotal;
    showNumbers();
    if (saved.cleared) {
        stopTimer2();
        view_.showPanel(Panel::Continue, true);
    }
}

void GameFlow::startRanked(const std::string &game, int firstCard)
{
    rankedGame_ = game;
    rankedFirstCard_ = firstCard;
    rankedOver_ = false;
    newGame(GameKind::Ranked);
}

void GameFlow::offerCard(int card)
{
    if (gameKind_ != GameKind::Ranked || !gameactive_ || deck_.dealpos < 1 || deck_.dealpos > 16
        || deck_.nextcard() != 0 || card < 1 || card > 52)
        return;
    deck_.deck[deck_.dealpos] = card;
    showNextCard(card, "Next Card");
}

bool GameFlow::scoreRankedRound(const RankedRound &round)
{
    if (gameKind_ != GameKind::Ranked || !gameactive_ || deck_.dealpos != Deck::starterSlot || lineScores_[1]
        || round.starter < 1 || round.starter > 52)
        return true;
    deck_.deck[Deck::starterSlot] = round.starter;
    deck_.startersuit = getsuit(round.starter);
    rankedOver_ = round.over;
    rankedFirstCard_ = round.over ? 0 : round.nextRoundCard;
    sounds_.playsounds("roundover");
    scoreRound();
    bool agreed = handsTotal_ == round.handsTotal && runningTotal_ == round.runningTotal;
    for (std::size_t k = 0; k < boardLines.size(); ++k)
        agreed = agreed && lineScores_.at(boardLines[k]) == round.lines[k];
    if (!agreed) {
        for (std::size_t k = 0; k < boardLines.size(); ++k) {
            lineScores_.at(boardLines[k]) = round.lines[k];
            view_.showLineScore(boardLines[k], round.lines[k]);
        }
        handsTotal_ = round.handsTotal;
        runningTotal_ = round.runningTotal;
        showNumbers();
    }
    tellListeners([this](GameListener &l) { l.roundScored(*this); });
    return agreed;
}

void GameFlow::layRankedRound(int rounds, const std::vector<Placement> &placements, int card)
{
    stopTimer2();
    hideRoundPanels();
    gameKind_ = GameKind::Ranked;
    rounds_ = rounds;
    runningTotal_ = 0;
    rankedOver_ = false;
    rankedFirstCard_ = 0;
    clearall();
    gameactive_ = true;
    greet();
    dealNumber_ = 0;
    deck_ = Deck{};
    for (const Placement &p : placements) {
        deck_.deck[++deck_.dealpos] = p.card;
        board_.cell(p.row, p.col) = p.card;
        view_.showCell(p.row, p.col, p.card);
    }
    ++deck_.dealpos;
    if (deck_.dealpos <= 16)
        deck_.deck[deck_.dealpos] = card;
    showNextCard(deck_.nextcard(), "Next Card");
    view_.showDeal(dealNumber_, gameKind_);
}

bool GameFlow::takeUpRanked(const std::string &game, const RankedPosition &position)
{
    std::vector<Placement> placements;
    for (int row = 1; row <= 4; ++row)
        for (int col = 1; col <= 4; ++col)
            if (const int card = position.board[row - 1][col - 1])
                placements.push_back({row, col, card});
    layRankedRound(std::max(position.round, 1), placements, position.over ? 0 : position.card);
    rankedGame_ = game;
    runningTotal_ = position.runningTotal;
    if (!(position.over && placements.size() == 16 && position.starter >= 1 && position.starter <= 52)) {
        showNumbers();
        return true;
    }
    // The last round is scored again here; the server's totals decide.
    const int lastRound = position.roundTotals.empty() ? 0 : position.roundTotals.back();
    runningTotal_ -= lastRound;
    deck_.deck[Deck::starterSlot] = position.starter;
    deck_.startersuit = getsuit(position.starter);
    rankedOver_ = true;
    scoreRound();
    const bool agreed = handsTotal_ == lastRound;
    handsTotal_ = lastRound;
    runningTotal_ = position.runningTotal;
    showNumbers();
    return agreed;
}

void GameFlow::replayRanked(const SavedGame &saved)
{
    if (saved.rounds < 1 || saved.placements.size() > 16 || saved.rankedGame.empty())
        throw SavedGameError("it does not hold a round of a ranked game");
    Board cells;
    std::array<bool, 53> seen{};
    int n = 0;
    for (const Placement &p : saved.placements) {
        const std::string which = "card " + std::to_string(++n) + " of the round";
        if (p.row < 1 || p.row > 4 || p.col < 1 || p.col > 4 || p.card < 1 || p.card > 52)
            throw SavedGameError(which + " lies off the board");
        if (cells.cell(p.row, p.col) != 0 || seen[p.card])
            throw SavedGameError(which + " goes on a cell already taken");
        cells.cell(p.row, p.col) = p.card;
        seen[p.card] = true;
    }
    // What the server holds decides; until it has answered no card is on offer.
    layRankedRound(saved.rounds, saved.placements, 0);
    rankedGame_ = saved.rankedGame;
    runningTotal_ = saved.runningTotal;
    showNumbers();
}

void GameFlow::abandon()
{
    stopTimer2();
    hideRoundPanels();
    gameactive_ = false;
    rankedGame_.clear();
    view_.showPanel(Panel::StartButton, true);
}

} // namespace qv
