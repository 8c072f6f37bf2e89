#include "game/cards.h"
#include "game/gameflow.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using namespace qv;

namespace {

// Records what the engine does to the window, the sounds and the tally.
struct Recorder : GameView, SoundSink, TallySink {
    std::map<std::string, bool, std::less<>> visible;
    std::map<std::string, std::string, std::less<>> caption;
    std::map<std::string, int, std::less<>> tag;
    std::vector<std::string> sounds;
    std::vector<std::string> tallyCalls;
    bool timer2 = false;
    std::string name = "Guest";

    void setVisible(std::string_view c, bool v) override { visible[std::string(c)] = v; }
    void setCaption(std::string_view c, std::string_view t) override { caption[std::string(c)] = t; }
    void setTag(std::string_view c, int t) override { tag[std::string(c)] = t; }
    void showCard(std::string_view c, int card) override { tag[std::string(c)] = card; }
    void clearCard(std::string_view c) override { tag[std::string(c)] = 0; }
    void setTimer2(bool on) override { timer2 = on; }
    std::string playerName() const override { return name; }
    void playsounds(std::string_view s) override { sounds.emplace_back(s); }
    void addtomineincrease(int counter) override { tallyCalls.push_back("increase " + std::to_string(counter)); }
    void checkscore(int score, std::string_view who) override
    {
        tallyCalls.push_back("checkscore " + std::to_string(score) + " " + std::string(who));
    }
};

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

    // Finds a generator state whose deal, placed row by row, scores inside [lo, hi].
    std::uint32_t seedScoring(int lo, int hi)
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
    EXPECT_EQ(rec.caption["label_rounds"], "0");
    EXPECT_EQ(rec.caption["label_total"], "0");
    EXPECT_EQ(rec.caption["label_score"], "0");
    game.card_11Click(2, 3);
    EXPECT_TRUE(rec.sounds.empty());
    EXPECT_EQ(rec.tag["card_23"], 0);
}

TEST_F(Flow, NewGameDealsFromAFreshShuffle)
{
    game.generator().seed(0);
    game.button_startClick();
    EXPECT_TRUE(game.gameactive());
    EXPECT_EQ(rec.sounds, std::vector<std::string>{"startgame"});
    EXPECT_EQ(rec.tallyCalls, std::vector<std::string>{"increase 1"});
    EXPECT_EQ(rec.caption["label_name"], "Good Luck Guest");
    EXPECT_EQ(rec.caption["label_cardtype"], "Next Card");
    EXPECT_EQ(rec.tag["image_nextcard"], 1);
    EXPECT_EQ(rec.caption["label_rounds"], "1");
    for (const char *c : {"button_start", "panel_over", "panel_name", "label_breakdown", "panel_continue"})
        EXPECT_FALSE(rec.visible[c]) << c;

    game.card_11Click(1, 1);
    EXPECT_EQ(rec.tag["card_11"], 1);
    EXPECT_EQ(rec.tag["image_nextcard"], 2);
    EXPECT_EQ(rec.sounds.back(), "cardclick");
}

TEST_F(Flow, OccupiedCellIsRefused)
{
    game.generator().seed(0);
    game.button_startClick();
    game.card_11Click(3, 4);
    game.card_11Click(3, 4);
    EXPECT_EQ(rec.sounds.back(), "invalid");
    EXPECT_EQ(rec.tag["card_34"], 1);
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
    EXPECT_EQ(rec.caption["label_cardtype"], "STARTER");
    EXPECT_TRUE(rec.visible["label_breakdown"]);
    // The starter is deck slot 17 (the seven of clubs from state 0), in all nine cells.
    for (int k = 1; k <= 5; ++k) {
        EXPECT_EQ(rec.tag[GameFlow::cellName(5, k)], 7);
        EXPECT_EQ(rec.tag[GameFlow::cellName(k, 5)], 7);
    }
    EXPECT_EQ(rec.tag["image_nextcard"], 7);
    EXPECT_EQ(game.deck().startersuit, 1);
    int sum = 0;
    for (int line : boardLines) {
        const std::string label = GameFlow::lineLabelName(line);
        EXPECT_EQ(rec.caption[label], std::to_string(rec.tag[label]));
        sum += rec.tag[label];
    }
    EXPECT_EQ(rec.tag["label_score"], sum);
    EXPECT_EQ(rec.caption["label_score"], std::to_string(sum));
    EXPECT_EQ(rec.tag["label_total"], sum);
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
    EXPECT_FALSE(rec.visible["panel_continue"]);
    game.Timer2Timer();
    EXPECT_FALSE(rec.timer2);
    EXPECT_TRUE(rec.visible["panel_continue"]);
    EXPECT_EQ(rec.sounds.back(), "continue");
    EXPECT_EQ(rec.tallyCalls.back(), "increase 2");
    EXPECT_TRUE(game.gameactive());
}

TEST_F(Flow, FiftyFourEndsTheGame)
{
    playRound(54, 54);
    tickOut();
    EXPECT_FALSE(rec.visible["panel_continue"]);
    EXPECT_TRUE(rec.visible["panel_over"]);
    EXPECT_TRUE(rec.visible["button_start"]);
    EXPECT_TRUE(rec.visible["button_sendscore"]);
    EXPECT_EQ(rec.caption["label_score1"], "Your Score: 54");
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
        EXPECT_EQ(rec.caption["label_rounds"], std::to_string(round));
        EXPECT_EQ(game.runningTotal(), expected);
        tickOut();
    }
    EXPECT_EQ(rec.caption["label_score1"], "Your Score: 170");
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
    EXPECT_EQ(rec.caption["label_score"], "0");
    EXPECT_EQ(rec.caption["label_total"], "60");
    EXPECT_EQ(rec.caption["label_rounds"], "2");
    EXPECT_EQ(rec.caption["label_linescore1"], "");
    EXPECT_EQ(rec.tag["card_55"], 0);
    EXPECT_FALSE(rec.visible["panel_continue"]);
}

TEST_F(Flow, NewGameDuringThePauseCancelsTheVerdict)
{
    playRound(20, 40);
    game.Timer2Timer();
    game.StartGame1Click();
    EXPECT_FALSE(rec.timer2);
    EXPECT_EQ(rec.caption["label_total"], "0");
    EXPECT_EQ(rec.caption["label_rounds"], "1");
    EXPECT_FALSE(rec.visible["panel_over"]);
    // A tick that was already on its way changes nothing.
    const auto calls = rec.tallyCalls;
    tickOut();
    EXPECT_EQ(rec.tallyCalls, calls);
    EXPECT_FALSE(rec.visible["panel_over"]);
}

TEST_F(Flow, EmptyNameIsGreetedAndRanked)
{
    rec.name.clear();
    playRound(0, 30);
    EXPECT_EQ(rec.caption["label_name"], "Good Luck ");
    tickOut();
    EXPECT_EQ(rec.tallyCalls.back().substr(0, 11), "checkscore ");
    EXPECT_EQ(rec.tallyCalls.back().back(), ' ');
}

TEST_F(Flow, CancelOnlyHidesTheGameOverPanel)
{
    playRound(0, 30);
    tickOut();
    game.button_cancelClick();
    EXPECT_FALSE(rec.visible["panel_over"]);
    EXPECT_TRUE(rec.visible["button_start"]);
    EXPECT_FALSE(game.gameactive());
}
