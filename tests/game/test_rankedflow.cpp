// A ranked game in the engine: the server's cards one at a time, the server's
// figures for each round, and the game taken up as the server has it.
#include "game/savedgame.h"
#include "tests/game/flow_recorder.h"

#include <gtest/gtest.h>

using namespace qv;

namespace {

const std::string token = "0123456789abcdef0123456789abcdef";

struct Ranked : ::testing::Test {
    Recorder rec;
    GameFlow game{rec, rec, rec};
    Board deal; // the cards the "server" deals, row by row, and its starter

    void SetUp() override
    {
        game.FormCreate();
        deal = dealInOrder(seedScoring(60, 200));
    }
    // Places the round's cards row by row as the server offers them, from the
    // k-th on.
    void placeRound(int from = 0)
    {
        for (int k = from; k < 16; ++k) {
            const int row = k / 4 + 1, col = k % 4 + 1;
            if (game.nextCard() == 0)
                game.offerCard(deal.cell(row, col));
            game.card_11Click(row, col);
        }
    }
    // The round as the server scores it.
    RankedRound scored(bool over)
    {
        Board b = deal;
        RankedRound round;
        round.starter = b.cell(5, 5);
        for (std::size_t k = 0; k < boardLines.size(); ++k)
            round.handsTotal += round.lines[k] = b.getlinescore(boardLines[k], getsuit(round.starter));
        round.runningTotal = game.runningTotal() + round.handsTotal;
        round.over = over;
        round.nextRoundCard = over ? 0 : deal.cell(1, 1);
        return round;
    }
    void tickOut()
    {
        for (int i = 0; i < 6; ++i)
            game.Timer2Timer();
    }
};

} // namespace

TEST_F(Ranked, CardsComeOneAtATimeAndTheRoundWaitsForTheServersScoring)
{
    game.startRanked(token, deal.cell(1, 1));
    EXPECT_EQ(game.gameKind(), GameKind::Ranked);
    EXPECT_EQ(rec.nextCard, deal.cell(1, 1));
    game.card_11Click(1, 1);
    // No card on offer until the server names one: the board takes nothing.
    EXPECT_EQ(rec.nextCard, 0);
    game.card_11Click(1, 2);
    EXPECT_EQ(rec.cells[1][2], 0);
    game.offerCard(deal.cell(1, 2));
    game.offerCard(deal.cell(1, 3)); // a second offer for the same place changes nothing
    EXPECT_EQ(rec.nextCard, deal.cell(1, 2));

    placeRound(1);
    EXPECT_FALSE(rec.timer2);
    EXPECT_FALSE(game.lineScore(1));
    EXPECT_TRUE(game.scoreRankedRound(scored(true)));
    EXPECT_TRUE(rec.timer2);
    EXPECT_EQ(rec.cells[5][5], deal.cell(5, 5));
    EXPECT_EQ(rec.hands, scored(true).handsTotal);

    // The verdict is the server's; the score is ranked in the tally but not posted.
    tickOut();
    EXPECT_FALSE(game.gameactive());
    EXPECT_TRUE(rec.panels.at(Panel::Over));
    EXPECT_FALSE(rec.panels.at(Panel::SendScore));
    EXPECT_EQ(rec.tallyCalls.back(), "checkscore " + std::to_string(game.runningTotal()) + " Guest");
}

TEST_F(Ranked, ServersFiguresDecideWhenTheyDiffer)
{
    game.startRanked(token, deal.cell(1, 1));
    placeRound();
    RankedRound server = scored(true);
    server.lines[0] += 2;
    server.handsTotal += 2;
    server.runningTotal += 2;
    EXPECT_FALSE(game.scoreRankedRound(server));
    EXPECT_EQ(rec.lineScores[1], server.lines[0]);
    EXPECT_EQ(rec.hands, server.handsTotal);
    EXPECT_EQ(game.runningTotal(), server.runningTotal);
    // A repeated answer scores nothing twice.
    EXPECT_TRUE(game.scoreRankedRound(server));
    EXPECT_EQ(game.runningTotal(), server.runningTotal);
}

TEST_F(Ranked, ContinueDealsTheServersFirstCardOfTheNextRound)
{
    game.startRanked(token, deal.cell(1, 1));
    placeRound();
    RankedRound server = scored(false);
    server.nextRoundCard = deal.cell(4, 4);
    game.scoreRankedRound(server);
    tickOut();
    EXPECT_TRUE(rec.panels.at(Panel::Continue));
    game.button_start2Click();
    EXPECT_EQ(game.rounds(), 2);
    EXPECT_EQ(rec.nextCard, deal.cell(4, 4));
    EXPECT_EQ(game.runningTotal(), server.runningTotal);
    EXPECT_EQ(game.rankedGame(), token);
}

TEST_F(Ranked, TakenUpAsTheServerHasIt)
{
    game.generator().seed(seedScoring(60, 200));
    game.button_startClick(); // a random game in progress gives way
    RankedPosition mid;
    mid.round = 3;
    mid.board[0][0] = deal.cell(1, 1);
    mid.board[2][3] = deal.cell(3, 4);
    mid.card = deal.cell(2, 2);
    mid.roundTotals = {60, 70};
    mid.runningTotal = 130;
    EXPECT_TRUE(game.takeUpRanked(token, mid));
    EXPECT_EQ(game.rounds(), 3);
    EXPECT_EQ(rec.total, 130);
    EXPECT_EQ(rec.cells[3][4], deal.cell(3, 4));
    EXPECT_EQ(rec.cells[1][2], 0);
    EXPECT_EQ(rec.nextCard, deal.cell(2, 2));
    game.card_11Click(1, 2);
    EXPECT_EQ(savedGameOf(game).placements.size(), 3u);
    EXPECT_EQ(savedGameOf(game).rankedGame, token);

    // A game over: its last round scored again, the verdict after the pause.
    RankedPosition over;
    over.round = 1;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            over.board[r][c] = deal.cell(r + 1, c + 1);
    over.starter = deal.cell(5, 5);
    over.over = true;
    over.roundTotals = {scored(true).handsTotal};
    over.runningTotal = over.roundTotals[0];
    EXPECT_TRUE(game.takeUpRanked(token, over));
    EXPECT_TRUE(rec.timer2);
    over.roundTotals = {over.runningTotal + 1};
    over.runningTotal += 1;
    EXPECT_FALSE(game.takeUpRanked(token, over));
    EXPECT_EQ(rec.total, over.runningTotal);
    tickOut();
    EXPECT_FALSE(game.gameactive());
    EXPECT_EQ(rec.tallyCalls.back(), "checkscore " + std::to_string(over.runningTotal) + " Guest");
}

TEST_F(Ranked, SavedWithItsTokenAndPutBackWaitingForTheServer)
{
    game.startRanked(token, deal.cell(1, 1));
    game.card_11Click(2, 3);
    game.offerCard(deal.cell(1, 2));
    game.card_11Click(4, 1);
    const std::string text = formatSavedGame(savedGameOf(game));
    EXPECT_NE(text.find("\nranked " + token + "\nplaced 23 "), std::string::npos) << text;
    const SavedGame saved = parseSavedGame(text);
    EXPECT_EQ(saved, savedGameOf(game));

    Recorder rec2;
    GameFlow resumed(rec2, rec2, rec2);
    resumed.resume(saved);
    EXPECT_EQ(resumed.rankedGame(), token);
    EXPECT_EQ(rec2.cells[2][3], deal.cell(1, 1));
    EXPECT_EQ(rec2.cells[4][1], deal.cell(1, 2));
    // The card on offer is the server's to say.
    resumed.card_11Click(1, 1);
    EXPECT_EQ(rec2.cells[1][1], 0);

    // A ranked game must name its token; no other kind may.
    const auto damaged = [](const std::string &t) {
        try {
            parseSavedGame(t);
        } catch (const SavedGameError &e) {
            return std::string(e.what());
        }
        return std::string("read");
    };
    const std::size_t at = text.find("ranked " + token);
    EXPECT_EQ(damaged(std::string(text).erase(at, token.size() + 8)), "line 7 is damaged");
    EXPECT_EQ(damaged(std::string(text).replace(at + 7, 1, "X")), "line 7 is damaged");
    std::string random = text;
    random.replace(random.find("kind ranked"), 11, "kind random");
    EXPECT_EQ(damaged(random), "line 7 is damaged");
}
