// The game in progress as text, and the engine put back from it.
#include "game/dealnumber.h"
#include "game/savedgame.h"
#include "tests/game/flow_recorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qv;

namespace {

// The engine played, and the one a restart puts back from its text.
struct Resume : ::testing::Test {
    Recorder playedRec, resumedRec;
    GameFlow played{playedRec, playedRec, playedRec};
    GameFlow resumed{resumedRec, resumedRec, resumedRec};

    void SetUp() override
    {
        played.FormCreate();
        resumed.FormCreate();
        played.generator().seed(seedScoring(60, 200));
        played.button_startClick();
    }
    // Cells out of the board's order, so the order is what is kept.
    static constexpr std::pair<int, int> order[16] = {{2, 3}, {4, 4}, {1, 1}, {3, 2}, {1, 4}, {4, 1}, {2, 2}, {3, 3},
                                                      {1, 2}, {1, 3}, {2, 1}, {2, 4}, {3, 1}, {3, 4}, {4, 2}, {4, 3}};
    void place(GameFlow &game, int from, int to)
    {
        for (int i = from; i < to; ++i)
            game.card_11Click(order[i].first, order[i].second);
    }
    std::string reasonResuming(const SavedGame &saved)
    {
        try {
            resumed.resume(saved);
        } catch (const SavedGameError &e) {
            return e.what();
        }
        return "resumed";
    }
};

std::string reasonReading(const std::string &text)
{
    try {
        parseSavedGame(text);
    } catch (const SavedGameError &e) {
        return e.what();
    }
    return "read";
}

std::string replaced(std::string text, const std::string &from, const std::string &to)
{
    return text.replace(text.find(from), from.size(), to);
}

} // namespace

TEST(SavedGameText, IsTheVersionLineOneFieldALineAndAnEnd)
{
    SavedGame g;
    g.kind = GameKind::Practice;
    g.rounds = 2;
    g.runningTotal = 87;
    g.dealNumber = 4294967295u;
    g.placements = {{1, 1, 1}, {2, 3, 37}};
    EXPECT_EQ(formatSavedGame(g), "quenvale-game 1\nkind practice\nrounds 2\ntotal 87\ndeal 4294967295\n"
                                  "cleared no\nplaced 11 AC\nplaced 23 JH\nend\n");
    // Also with another system's line ends and no last one.
    EXPECT_EQ(parseSavedGame(replaced(formatSavedGame(g), "\nend\n", "\r\nend")), g);
}

TEST_F(Resume, PutsBackTheSameGameSilentlyAndBothGoOnAlike)
{
    place(played, 0, 5);
    struct Count : GameListener {
        int steps = 0;
        void roundStarted(const GameFlow &) override { ++steps; }
        void cardPlaced(const GameFlow &, int, int) override { ++steps; }
    } listener;
    resumed.addListener(listener);
    resumed.resume(parseSavedGame(formatSavedGame(savedGameOf(played))));
    EXPECT_EQ(listener.steps, 0);
    EXPECT_TRUE(resumedRec.sounds.empty());
    EXPECT_TRUE(resumedRec.tallyCalls.empty()); // counted when it was played
    EXPECT_FALSE(resumedRec.panels.at(Panel::Name));

    // The rest of the round and the next one: the same cards, totals and deals.
    place(played, 5, 16);
    place(resumed, 5, 16);
    for (int i = 0; i <= GameFlow::pauseTicks; ++i) {
        played.Timer2Timer();
        resumed.Timer2Timer();
    }
    played.button_start2Click();
    resumed.button_start2Click();
    EXPECT_EQ(savedGameOf(resumed), savedGameOf(played));
    EXPECT_EQ(resumed.nextCard(), played.nextCard());
    EXPECT_EQ(resumed.generator().state(), played.generator().state());
    EXPECT_EQ(resumedRec.cells, playedRec.cells);
    EXPECT_EQ(std::tie(resumedRec.rounds, resumedRec.total, resumedRec.deal),
              std::tie(playedRec.rounds, playedRec.total, playedRec.deal));
    EXPECT_EQ(listener.steps, 11 + 1);
    resumed.removeListener(listener);
}

TEST_F(Resume, DamagedTextIsRefusedWithAPlainReason)
{
    place(played, 0, 3);
    const std::string good = formatSavedGame(savedGameOf(played));
    // Cut anywhere: it ends early, or the line it was cut in is damaged.
    for (std::size_t cut = 0; cut < good.size() - 1; ++cut) {
        const std::string reason = reasonReading(good.substr(0, cut));
        EXPECT_TRUE(reason == "it ends early" || reason == "it is not a saved game" ||
                    reason.ends_with("is damaged"))
            << cut << ": " << reason;
    }
    const std::string cards = good.substr(0, good.find("end"));
    std::string seventeen = cards;
    for (int i = 3; i < 17; ++i)
        seventeen += "placed 44 AC\n";
    const std::pair<std::string, std::string> cases[] = {
        {std::string(2000, 'x'), "it is too long to be a saved game"},
        {"\x89PNG\r\n\x1a\n", "it is not a saved game"},
        {replaced(good, "game 1", "game 2"), "it was saved by a newer version of Quenvale"},
        {replaced(good, "game 1", "game 99999999999999999999"), "it was saved by a newer version of Quenvale"},
        {replaced(good, "kind random", "kind cheat"), "line 2 is damaged"},
        {replaced(good, "rounds 1", "rounds 99999999999"), "line 3 is damaged"},
        {replaced(good, "rounds 1", "rounds -1"), "line 3 is damaged"},
        {replaced(good, "deal ", "deal 4294967296"), "line 5 is damaged"},
        {replaced(good, "rounds 1\n", ""), "line 3 is damaged"},
        {cards + "placed 55 AC\nend\n", "line 10 is damaged"},
        {cards + "placed 44 52\nend\n", "line 10 is damaged"}, // a card number, not its short form
        {good + "placed 44 AC\n", "line 11 is damaged"},       // nothing after the end
        {seventeen + "end\n", "it holds more than sixteen cards"},
    };
    for (const auto &[text, reason] : cases)
        EXPECT_EQ(reasonReading(text), reason) << text;
}

TEST_F(Resume, GameThatDoesNotMatchItsDealLeavesTheEngineAsItWas)
{
    place(played, 0, 3);
    const SavedGame good = savedGameOf(played);
    resumed.generator().seed(99);
    resumed.button_startClick();
    resumed.card_11Click(4, 4);
    const Board before = resumed.board();

    SavedGame taken = good, otherCard = good, early = good, richFirstRound = good, poorLaterRound = good;
    taken.placements[2] = {good.placements[0].row, good.placements[0].col, good.placements[2].card};
    EXPECT_EQ(reasonResuming(taken), "card 3 of the round goes on a cell already taken");
    otherCard.placements[1].card = good.placements[1].card % 52 + 1;
    EXPECT_EQ(reasonResuming(otherCard), "card 2 of the round is not the card its deal gives there");
    early.cleared = true;
    EXPECT_EQ(reasonResuming(early), "it offers Continue after a round that did not reach 55");
    richFirstRound.runningTotal = 5;
    EXPECT_EQ(reasonResuming(richFirstRound), "its running total cannot come from its rounds");
    poorLaterRound.rounds = 3;
    poorLaterRound.runningTotal = 109; // two cleared rounds make at least 110
    EXPECT_EQ(reasonResuming(poorLaterRound), "its running total cannot come from its rounds");
    EXPECT_EQ(resumed.board().cells, before.cells);
    EXPECT_EQ(resumed.deck().dealpos, 2);
    EXPECT_EQ(resumed.rounds(), 1);
}

TEST(DealNumber, TakesDigitsFromZeroTo4294967295AndSaysWhatIsWrong)
{
    EXPECT_EQ(parseDealNumber(" 4294967295\t"), 4294967295u);
    EXPECT_EQ(parseDealNumber("000000000000000042"), 42u);
    std::string empty, notDigits, tooBig;
    EXPECT_EQ(parseDealNumber("  ", &empty), std::nullopt);
    for (const char *text : {"-1", "+5", "12a", "1 2", "0x10"})
        EXPECT_EQ(parseDealNumber(text, &notDigits), std::nullopt) << text;
    for (const char *text : {"4294967296", "99999999999999999999999999"})
        EXPECT_EQ(parseDealNumber(text, &tooBig), std::nullopt) << text;
    // Each problem has a line of its own.
    EXPECT_FALSE(empty.empty() || notDigits.empty() || tooBig.empty());
    EXPECT_TRUE(empty != notDigits && notDigits != tooBig);
}
