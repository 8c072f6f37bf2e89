#include "game/cards.h"
#include "game/gameflow.h"
#include "tests/game/flow_recorder.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

using namespace qv;

namespace {

struct Flow : ::testing::Test {
    Recorder rec;
    GameFlow game{rec, rec, rec};

    void SetUp() override { game.FormCreate(); }

    void placeAll()
    {
        for (int r = 1; r <= 4; ++r)
            for (int c = 1; c <= 4; ++c)
                game.card_11Click(r, c);
    }

    // Runs the pause to its verdict, as the window's timer would.
    void tickOut()
    {
        for (int i = 0; i < 6; ++i)
            game.Timer2Timer();
    }

    void playRound(int lo, int hi)
    {
        game.generator().seed(seedScoring(lo, hi));
        if (game.rounds() == 0 || !game.gameactive())
            game.button_startClick();
        else
            game.button_start2Click();
        placeAll();
    }
};

} // namespace

TEST_F(Flow, StartsInactiveAndIgnoresEmptyCells)
{
    EXPECT_FALSE(game.gameactive());
    EXPECT_EQ(rec.rounds, 0);
    EXPECT_EQ(rec.total, 0);
    EXPECT_EQ(rec.hands, 0);
    for (int line : boardLines)
        EXPECT_EQ(rec.lineScores.at(line), std::nullopt) << line;
    game.card_11Click(2, 3);
    EXPECT_TRUE(rec.sounds.empty());
    EXPECT_EQ(rec.cells[2][3], 0);
    EXPECT_EQ(game.board().cell(2, 3), 0);
}

TEST_F(Flow, NewGameDealsFromAFreshShuffle)
{
    game.generator().seed(0);
    game.button_startClick();
    EXPECT_TRUE(game.gameactive());
    EXPECT_EQ(rec.sounds, std::vector<std::string>{"startgame"});
    EXPECT_EQ(rec.tallyCalls, std::vector<std::string>{"increase 1"});
    EXPECT_EQ(rec.greeting, "Good Luck Guest");
    EXPECT_EQ(rec.cardType, "Next Card");
    EXPECT_EQ(rec.nextCard, 1);
    EXPECT_EQ(game.nextCard(), 1);
    EXPECT_EQ(rec.rounds, 1);
    for (Panel p : {Panel::StartButton, Panel::Over, Panel::Name, Panel::BreakdownHint, Panel::Continue,
                    Panel::Wait, Panel::LineScore})
        EXPECT_FALSE(rec.panels.at(p)) << int(p);

    game.card_11Click(1, 1);
    EXPECT_EQ(rec.cells[1][1], 1);
    EXPECT_EQ(game.board().cell(1, 1), 1);
    EXPECT_EQ(rec.nextCard, 2);
    EXPECT_EQ(rec.sounds.back(), "cardclick");
}

TEST_F(Flow, OccupiedCellIsRefused)
{
    game.generator().seed(0);
    game.button_startClick();
    game.card_11Click(3, 4);
    game.card_11Click(3, 4);
    EXPECT_EQ(rec.sounds.back(), "invalid");
    EXPECT_EQ(rec.cells[3][4], 1);
    EXPECT_EQ(game.deck().dealpos, 2);
}

TEST_F(Flow, SixteenthCardScoresTheRound)
{
    game.generator().seed(0);
    game.button_startClick();
    rec.sounds.clear();
    placeAll();
    ASSERT_EQ(rec.sounds.size(), 17u);
    EXPECT_EQ(rec.sounds[15], "cardclick");
    EXPECT_EQ(rec.sounds[16], "roundover");
    EXPECT_EQ(rec.cardType, "STARTER");
    EXPECT_TRUE(rec.panels.at(Panel::BreakdownHint));
    // The starter is deck slot 17 (the seven of clubs from state 0), in all nine cells.
    for (int k = 1; k <= 5; ++k) {
        EXPECT_EQ(rec.cells[5][k], 7);
        EXPECT_EQ(rec.cells[k][5], 7);
    }
    EXPECT_EQ(rec.nextCard, 7);
    EXPECT_EQ(game.nextCardCaption(), "STARTER");
    EXPECT_EQ(game.deck().startersuit, 1);
    int sum = 0;
    for (int line : boardLines) {
        ASSERT_TRUE(rec.lineScores.at(line).has_value()) << line;
        const int points = *rec.lineScores.at(line);
        EXPECT_EQ(game.lineScore(line), points);
        // The breakdown adds up to the line's score, over the line's five cards.
        int categories = 0;
        for (int p : game.breakdown(line))
            categories += p;
        EXPECT_EQ(categories, points) << line;
        EXPECT_EQ(game.linecards(line)[4], 7);
        sum += points;
    }
    EXPECT_EQ(rec.hands, sum);
    EXPECT_EQ(game.handsTotal(), sum);
    EXPECT_EQ(rec.total, sum);
    EXPECT_TRUE(rec.timer2);
    EXPECT_TRUE(game.gameactive());
    // Every cell is full now.
    game.card_11Click(1, 1);
    EXPECT_EQ(rec.sounds.back(), "invalid");
}

TEST_F(Flow, VerdictComesOnTheSixthTick)
{
    playRound(55, 55);
    for (int i = 0; i < 5; ++i)
        game.Timer2Timer();
    EXPECT_TRUE(rec.timer2);
    EXPECT_FALSE(rec.panels[Panel::Continue]);
    game.Timer2Timer();
    EXPECT_FALSE(rec.timer2);
    EXPECT_TRUE(rec.panels[Panel::Continue]);
    EXPECT_EQ(rec.sounds.back(), "continue");
    EXPECT_EQ(rec.tallyCalls.back(), "increase 2");
    EXPECT_TRUE(game.gameactive());
}

TEST_F(Flow, FiftyFourEndsTheGame)
{
    playRound(54, 54);
    tickOut();
    EXPECT_FALSE(rec.panels[Panel::Continue]);
    EXPECT_TRUE(rec.panels[Panel::Over]);
    EXPECT_TRUE(rec.panels[Panel::StartButton]);
    EXPECT_TRUE(rec.panels[Panel::SendScore]);
    EXPECT_EQ(rec.finalScore, "Your Score: 54");
    EXPECT_EQ(rec.tallyCalls.back(), "checkscore 54 Guest");
    EXPECT_EQ(rec.sounds.back(), "gameover");
    EXPECT_FALSE(game.gameactive());
    // An occupied cell still says "invalid" after game over; nothing else moves.
    game.card_11Click(2, 2);
    EXPECT_EQ(rec.sounds.back(), "invalid");
}

TEST_F(Flow, RunningTotalCarriesAcrossRounds)
{
    int expected = 0;
    const std::pair<int, int> rounds[] = {{60, 60}, {70, 70}, {40, 40}};
    int round = 0;
    for (auto [lo, hi] : rounds) {
        playRound(lo, hi);
        expected += lo;
        ++round;
        EXPECT_EQ(rec.rounds, round);
        EXPECT_EQ(rec.total, expected);
        EXPECT_EQ(game.runningTotal(), expected);
        tickOut();
    }
    EXPECT_EQ(rec.finalScore, "Your Score: 170");
    int checks = 0;
    for (const std::string &call : rec.tallyCalls)
        checks += call.rfind("checkscore", 0) == 0;
    EXPECT_EQ(checks, 1);
    EXPECT_EQ(rec.tallyCalls.back(), "checkscore 170 Guest");
    EXPECT_EQ(rec.tallyCalls, (std::vector<std::string>{"increase 1", "increase 2", "increase 1", "increase 2",
                                                         "increase 1", "checkscore 170 Guest"}));
}

TEST_F(Flow, NextRoundClearsTheBoardButKeepsTheTotal)
{
    playRound(60, 60);
    tickOut();
    game.button_start2Click();
    EXPECT_EQ(rec.hands, 0);
    EXPECT_EQ(rec.total, 60);
    EXPECT_EQ(rec.rounds, 2);
    EXPECT_EQ(rec.lineScores.at(1), std::nullopt);
    EXPECT_EQ(game.lineScore(1), std::nullopt);
    EXPECT_EQ(rec.cells[5][5], 0);
    EXPECT_FALSE(rec.panels[Panel::Continue]);
}

TEST_F(Flow, NewGameDuringThePauseCancelsTheVerdict)
{
    playRound(20, 40);
    game.Timer2Timer();
    game.StartGame1Click();
    EXPECT_FALSE(rec.timer2);
    EXPECT_EQ(rec.total, 0);
    EXPECT_EQ(rec.rounds, 1);
    EXPECT_FALSE(rec.panels[Panel::Over]);
    // A tick that was already on its way changes nothing.
    const auto calls = rec.tallyCalls;
    tickOut();
    EXPECT_EQ(rec.tallyCalls, calls);
    EXPECT_FALSE(rec.panels[Panel::Over]);
}

TEST_F(Flow, EmptyNameIsGreetedAndRanked)
{
    rec.name.clear();
    playRound(0, 30);
    EXPECT_EQ(rec.greeting, "Good Luck ");
    tickOut();
    EXPECT_EQ(rec.tallyCalls.back().substr(0, 11), "checkscore ");
    EXPECT_EQ(rec.tallyCalls.back().back(), ' ');
}

TEST_F(Flow, CancelOnlyHidesTheGameOverPanel)
{
    playRound(0, 30);
    tickOut();
    game.button_cancelClick();
    EXPECT_FALSE(rec.panels[Panel::Over]);
    EXPECT_TRUE(rec.panels[Panel::StartButton]);
    EXPECT_FALSE(game.gameactive());
}

TEST_F(Flow, ListenersFollowEveryStepWithTheDealNumber)
{
    struct Log : GameListener {
        std::vector<std::string> steps;
        std::vector<std::uint32_t> deals;
        void roundStarted(const GameFlow &g) override
        {
            steps.push_back("round " + std::to_string(g.rounds()));
            deals.push_back(g.dealNumber());
        }
        void cardPlaced(const GameFlow &g, int row, int col) override
        {
            steps.push_back("card " + std::to_string(row) + std::to_string(col) +
                            (g.lineScore(1) ? " scored" : ""));
        }
        void roundScored(const GameFlow &g) override { steps.push_back("scored " + std::to_string(g.handsTotal())); }
        void verdictGiven(const GameFlow &, bool cleared) override { steps.push_back(cleared ? "cleared" : "over"); }
    } log;
    game.addListener(log);

    const std::uint32_t first = seedScoring(55, 200);
    game.generator().seed(first);
    game.button_startClick();
    EXPECT_EQ(game.dealNumber(), first);
    placeAll();
    tickOut();
    ASSERT_EQ(log.steps.size(), 1u + 16u + 2u);
    EXPECT_EQ(log.steps[0], "round 1");
    EXPECT_EQ(log.steps[16], "card 44"); // told before the round is scored
    EXPECT_EQ(log.steps[17], "scored " + std::to_string(game.handsTotal()));
    EXPECT_EQ(log.steps[18], "cleared");

    // The next round's deal number is where the generator stood after the last shuffle.
    const std::uint32_t second = game.generator().state();
    game.button_start2Click();
    EXPECT_EQ(log.deals, (std::vector<std::uint32_t>{first, second}));
    EXPECT_EQ(game.gameKind(), GameKind::Random);

    game.removeListener(log);
    game.card_11Click(1, 1);
    EXPECT_EQ(log.steps.back(), "round 2");
}

TEST_F(Flow, EndingThePauseEarlyGivesTheSameVerdictOnce)
{
    EXPECT_EQ(game.pauseSecondsLeft(), 0);
    game.endPause(); // no pause, no verdict
    EXPECT_FALSE(rec.panels[Panel::Over]);

    playRound(55, 200);
    EXPECT_EQ(game.pauseSecondsLeft(), 6);
    game.Timer2Timer();
    EXPECT_EQ(game.pauseSecondsLeft(), 5);
    game.endPause();
    EXPECT_TRUE(rec.panels[Panel::Continue]);
    EXPECT_FALSE(rec.timer2);
    EXPECT_EQ(game.pauseSecondsLeft(), 0);
    EXPECT_EQ(rec.sounds.back(), "continue");
    const auto calls = rec.tallyCalls;
    // The ticks still on their way, and a second request, change nothing.
    tickOut();
    game.endPause();
    EXPECT_EQ(rec.tallyCalls, calls);

    // A round below 55 ends the game at once.
    playRound(0, 30);
    game.endPause();
    EXPECT_TRUE(rec.panels[Panel::Over]);
    EXPECT_FALSE(game.gameactive());
    EXPECT_EQ(rec.tallyCalls.back().substr(0, 11), "checkscore ");
}

TEST_F(Flow, NumberedDealIsThePracticeShuffleFromThatState)
{
    game.playNumberedDeal(0);
    EXPECT_EQ(game.gameKind(), GameKind::Practice);
    EXPECT_EQ(game.dealNumber(), 0u);
    EXPECT_EQ(rec.deal, std::make_pair(std::uint32_t{0}, GameKind::Practice));
    EXPECT_EQ(rec.tallyCalls, std::vector<std::string>{"increase 1"}); // its rounds count
    // The seventeen cards the shuffle from state 0 gives, in the order they are offered.
    std::vector<int> offered;
    for (int row = 1; row <= 4; ++row)
        for (int col = 1; col <= 4; ++col) {
            offered.push_back(game.nextCard());
            game.card_11Click(row, col);
        }
    offered.push_back(game.nextCard());
    EXPECT_EQ(offered, (std::vector<int>{1, 2, 47, 13, 11, 41, 50, 24, 8, 38, 4, 43, 21, 39, 5, 15, 7}));

    // A game started as usual afterwards is a random one again.
    game.button_startClick();
    EXPECT_EQ(game.gameKind(), GameKind::Random);
    EXPECT_EQ(rec.deal->second, GameKind::Random);
}

TEST_F(Flow, PracticeGameCountsItsRoundsButIsNeitherRankedNorPosted)
{
    game.playNumberedDeal(seedScoring(60, 200));
    placeAll();
    tickOut();
    const std::uint32_t next = game.generator().state();
    game.button_start2Click();
    EXPECT_EQ(game.dealNumber(), next); // the rounds after the chosen deal follow the generator
    EXPECT_EQ(game.gameKind(), GameKind::Practice);
    while (game.gameactive()) {
        placeAll();
        tickOut();
        if (game.gameactive())
            game.button_start2Click();
    }
    EXPECT_TRUE(rec.panels.at(Panel::Over));
    EXPECT_FALSE(rec.panels.at(Panel::SendScore));
    EXPECT_EQ(rec.finalScore, "Your Score: " + std::to_string(game.runningTotal()));
    for (const std::string &call : rec.tallyCalls)
        EXPECT_EQ(call.find("checkscore"), std::string::npos);
    ASSERT_GE(rec.tallyCalls.size(), 3u); // two rounds played, the first cleared
    EXPECT_EQ(std::vector<std::string>(rec.tallyCalls.begin(), rec.tallyCalls.begin() + 3),
              (std::vector<std::string>{"increase 1", "increase 2", "increase 1"}));
}

TEST_F(Flow, HelpMakesTheRunningGamePracticeForTheRestOfIt)
{
    struct Log : GameListener {
        int told = 0;
        void becamePractice(const GameFlow &g) override
        {
            ++told;
            EXPECT_EQ(g.gameKind(), GameKind::Practice); // already changed when told
        }
    } log;
    game.addListener(log);

    // Nothing to change before a game, and no card on offer.
    game.markPractice();
    EXPECT_EQ(log.told, 0);
    EXPECT_FALSE(game.cardOnOffer());

    playRound(60, 200);
    EXPECT_FALSE(game.cardOnOffer()); // the round is scored
    tickOut();
    game.button_start2Click();
    ASSERT_TRUE(game.cardOnOffer());
    const std::uint32_t deal = game.dealNumber();
    game.card_11Click(2, 2);
    game.markPractice();
    EXPECT_EQ(game.gameKind(), GameKind::Practice);
    EXPECT_EQ(rec.deal, std::make_pair(deal, GameKind::Practice)); // the window says so at once
    EXPECT_EQ(game.board().cell(2, 2), rec.cells[2][2]);           // the round goes on as it was
    EXPECT_EQ(game.rounds(), 2);
    game.markPractice(); // once is enough
    EXPECT_EQ(log.told, 1);

    // The game stays practice through its rounds, and its end is neither ranked nor posted.
    while (game.gameactive()) {
        for (int r = 1; r <= 4; ++r)
            for (int c = 1; c <= 4; ++c)
                if (game.board().cell(r, c) == 0)
                    game.card_11Click(r, c);
        tickOut();
        if (game.gameactive()) {
            game.button_start2Click();
            EXPECT_EQ(game.gameKind(), GameKind::Practice);
        }
    }
    EXPECT_FALSE(rec.panels.at(Panel::SendScore));
    for (const std::string &call : rec.tallyCalls)
        EXPECT_EQ(call.find("checkscore"), std::string::npos);

    // The next game is a random deal again, and a numbered deal's game stays as it is.
    game.button_startClick();
    EXPECT_EQ(game.gameKind(), GameKind::Random);
    game.playNumberedDeal(7);
    game.markPractice();
    EXPECT_EQ(log.told, 1);
    game.removeListener(log);
}
