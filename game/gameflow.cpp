#include "gameflow.h"

#include "cards.h"

namespace qv {

namespace {
// The panels and hints a new game or a new round puts away.
constexpr std::string_view roundHides[] = {"button_start", "panel_linescore", "panel_wait",
                                           "panel_continue", "panel_name", "panel_over",
                                           "label_breakdown"};
} // namespace

GameFlow::GameFlow(GameView &view, SoundSink &sounds, TallySink &tally)
    : view_(view), sounds_(sounds), tally_(tally)
{
}

std::string GameFlow::cellName(int row, int col)
{
    return "card_" + std::to_string(row) + std::to_string(col);
}

std::string GameFlow::lineLabelName(int line)
{
    return "label_linescore" + std::to_string(line);
}

void GameFlow::setNumber(std::string_view control, int value)
{
    view_.setTag(control, value);
    view_.setCaption(control, std::to_string(value));
}

void GameFlow::stopTimer2()
{
    timer2_ = false;
    view_.setTimer2(false);
}

void GameFlow::FormCreate()
{
    gameactive_ = false;
    rounds_ = 0;
    runningTotal_ = 0;
    setNumber("label_rounds", 0);
    setNumber("label_total", 0);
    clearall();
}

void GameFlow::clearall()
{
    board_.clear();
    for (int row = 1; row <= 5; ++row)
        for (int col = 1; col <= 5; ++col)
            view_.clearCard(cellName(row, col));
    for (int line : boardLines)
        view_.setCaption(lineLabelName(line), "");
    handsTotal_ = 0;
    setNumber("label_score", 0);
}

void GameFlow::shufflecards()
{
    qv::shufflecards(deck_, random_);
    view_.showCard("image_nextcard", deck_.nextcard());
}

void GameFlow::button_startClick()
{
    stopTimer2(); // a verdict still pending from an abandoned round never arrives
    for (std::string_view control : roundHides)
        view_.setVisible(control, false);
    runningTotal_ = 0;
    setNumber("label_total", 0);
    rounds_ = 1;
    setNumber("label_rounds", 1);
    clearall();
    tally_.addtomineincrease(1);
    gameactive_ = true;
    sounds_.playsounds("startgame");
    view_.setCaption("label_name", "Good Luck " + view_.playerName());
    view_.setCaption("label_cardtype", "Next Card");
    shufflecards();
}

void GameFlow::StartGame1Click()
{
    button_startClick();
    view_.setVisible("panel_over", false);
}

void GameFlow::card_11Click(int row, int col)
{
    if (row < 1 || row > 4 || col < 1 || col > 4)
        return;
    int &cell = board_.cell(row, col);
    if (cell != 0) {
        sounds_.playsounds("invalid");
        return;
    }
    if (!gameactive_ || deck_.dealpos < 1 || deck_.dealpos > 16)
        return;
    sounds_.playsounds("cardclick");
    cell = deck_.nextcard();
    view_.showCard(cellName(row, col), cell);
    ++deck_.dealpos;
    view_.showCard("image_nextcard", deck_.nextcard());
    if (deck_.dealpos > 16) {
        deck_.startersuit = getsuit(deck_.deck[Deck::starterSlot]);
        endgame();
    }
}

void GameFlow::endgame()
{
    sounds_.playsounds("roundover");
    view_.setVisible("label_breakdown", true);
    const int starter = deck_.nextcard();
    for (int k = 1; k <= 5; ++k) {
        board_.cell(5, k) = starter;
        board_.cell(k, 5) = starter;
        view_.showCard(cellName(5, k), starter);
        view_.showCard(cellName(k, 5), starter);
    }
    view_.setCaption("label_cardtype", "STARTER");

    handsTotal_ = 0;
    view_.setTag("label_score", 0);
    for (int line : boardLines) {
        const int points = board_.getlinescore(line, deck_.startersuit);
        setNumber(lineLabelName(line), points);
        handsTotal_ += points;
        view_.setTag("label_score", handsTotal_);
    }
    view_.setCaption("label_score", std::to_string(handsTotal_));
    runningTotal_ += handsTotal_;
    setNumber("label_total", runningTotal_);

    scorecountdown_ = pauseTicks;
    timer2_ = true;
    view_.setTimer2(true);
}

void GameFlow::Timer2Timer()
{
    if (!timer2_)
        return; // a tick already queued when the timer was stopped
    if (--scorecountdown_ >= 0)
        return;
    stopTimer2();
    if (handsTotal_ >= continueThreshold) {
        view_.setVisible("panel_continue", true);
        tally_.addtomineincrease(2);
        sounds_.playsounds("continue");
        return;
    }
    view_.setCaption("label_score1", "Your Score: " + std::to_string(runningTotal_));
    tally_.checkscore(runningTotal_, view_.playerName());
    view_.setVisible("button_sendscore", true);
    view_.setVisible("panel_over", true);
    view_.setVisible("button_start", true);
    gameactive_ = false;
    sounds_.playsounds("gameover");
}

void GameFlow::button_start2Click()
{
    gameactive_ = true;
    for (std::string_view control : roundHides)
        view_.setVisible(control, false);
    ++rounds_;
    setNumber("label_rounds", rounds_);
    tally_.addtomineincrease(1);
    clearall();
    sounds_.playsounds("startgame");
    view_.setCaption("label_name", "Good Luck " + view_.playerName());
    view_.setCaption("label_cardtype", "Next Card");
    shufflecards();
}

void GameFlow::button_cancelClick()
{
    view_.setVisible("panel_over", false);
}

} // namespace qv
