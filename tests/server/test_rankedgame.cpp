#include "server/rankedgame.h"

#include "game/board.h"
#include "game/cards.h"
#include "game/cardtext.h"
#include "game/deck.h"

#include <gtest/gtest.h>

namespace {

RankedGame freshGame(std::uint32_t seed)
{
    RankedGame game;
    game.token = std::string(32, 'a');
    game.name = "Ann";
    game.seeds = {seed};
    return game;
}

// Places a whole round left to right, top to bottom; the last outcome.
PlaceOutcome fillRound(RankedGame &game, std::uint32_t nextSeed)
{
    PlaceOutcome outcome;
    for (int i = placedThisRound(game); i < kCardsPerRound; ++i)
        outcome = placeCard(game, i / 4 + 1, i % 4 + 1, std::nullopt, nextSeed, 1000);
    return outcome;
}

// A seed whose in-order deal scores at least (or below) the continue threshold.
std::uint32_t seedScoring(bool atLeast55)
{
    for (std::uint32_t seed = 1;; ++seed) {
        qv::Board board = qv::dealInOrder(seed);
        int total = 0;
        const int startersuit = qv::getsuit(board.cell(5, 5));
        for (int line : qv::boardLines)
            total += board.getlinescore(line, startersuit);
        if ((total >= 55) == atLeast55)
            return seed;
    }
}

}  // namespace

TEST(RankedGame, DealsTheEnginesDeckOneCardAtATime)
{
    qv::Random random;
    random.seed(12345);
    qv::Deck deck;
    qv::shufflecards(deck, random);
    RankedGame game = freshGame(12345);
    EXPECT_EQ(cardOnOffer(game), deck.deck[1]);
    const PlaceOutcome first = placeCard(game, 2, 3, std::nullopt, 0, 1000);
    EXPECT_EQ(first.status, 200);
    EXPECT_EQ(first.reply, "{\"round\": 1, \"placed\": 1, \"card\": \"" + qv::cardText(deck.deck[2]) + "\"}");
    EXPECT_EQ(game.moves, "23");
    EXPECT_EQ(game.lastActive, 1000);
}

TEST(RankedGame, RoundScoresMatchTheEnginesBoard)
{
    const std::uint32_t seed = seedScoring(false);
    RankedGame game = freshGame(seed);
    const PlaceOutcome end = fillRound(game, 99);
    qv::Board board = qv::dealInOrder(seed);
    const int starter = board.cell(5, 5);
    std::string lines;
    int total = 0;
    for (int line : qv::boardLines) {
        const int points = board.getlinescore(line, qv::getsuit(starter));
        lines += (lines.empty() ? "" : ", ") + std::to_string(points);
        total += points;
    }
    EXPECT_EQ(end.reply, "{\"round\": 1, \"placed\": 16, \"starter\": \"" + qv::cardText(starter) + "\", \"lines\": [" +
                             lines + "], \"hands_total\": " + std::to_string(total) +
                             ", \"running_total\": " + std::to_string(total) + ", \"verdict\": \"over\"}");
    EXPECT_TRUE(game.over);
    EXPECT_EQ(game.runningTotal, total);
    const std::optional<Replay> replay = replayGame(game.seeds, game.moves);
    ASSERT_TRUE(replay);
    EXPECT_EQ(replay->score, total);
}

TEST(RankedGame, A55RoundDealsTheNextFromTheFreshSeed)
{
    const std::uint32_t good = seedScoring(true), poor = seedScoring(false);
    RankedGame game = freshGame(good);
    const PlaceOutcome end = fillRound(game, poor);
    EXPECT_NE(end.reply.find("\"verdict\": \"continue\", \"next_round_card\": \"" +
                             qv::cardText(qv::dealInOrder(poor).cell(1, 1)) + "\"}"),
              std::string::npos)
        << end.reply;
    EXPECT_FALSE(game.over);
    EXPECT_EQ(gameRound(game), 2);
    EXPECT_EQ(placedThisRound(game), 0);
    fillRound(game, 7);
    EXPECT_TRUE(game.over);
    const std::optional<Replay> replay = replayGame(game.seeds, game.moves);
    ASSERT_TRUE(replay);
    EXPECT_EQ(replay->roundTotals.size(), 2u);
    EXPECT_EQ(replay->score, game.runningTotal);
}

TEST(RankedGame, RetriesGetTheSameAnswerAndChangeNothing)
{
    RankedGame game = freshGame(5);
    const int offered = cardOnOffer(game);
    const PlaceOutcome first = placeCard(game, 1, 1, offered, 0, 1000);
    const RankedGame after = game;
    for (std::optional<int> card : {std::optional<int>(offered), std::optional<int>()}) {
        const PlaceOutcome again = placeCard(game, 1, 1, card, 0, 2000);
        EXPECT_EQ(again.status, 200);
        EXPECT_EQ(again.reply, first.reply);
        EXPECT_FALSE(again.changed);
        EXPECT_EQ(game.moves, after.moves);
        EXPECT_EQ(game.lastActive, 1000);
    }
}

TEST(RankedGame, TakenCellsOutOfTurnAndAfterTheEndAreRefused)
{
    RankedGame game = freshGame(5);
    placeCard(game, 1, 1, std::nullopt, 0, 1000);
    placeCard(game, 1, 2, std::nullopt, 0, 1000);
    EXPECT_EQ(placeCard(game, 1, 1, std::nullopt, 0, 1000).status, 409);  // not the last placement: no retry
    const int offered = cardOnOffer(game);
    const PlaceOutcome stale = placeCard(game, 3, 3, offered % 52 + 1, 0, 1000);
    EXPECT_EQ(stale.status, 409);
    EXPECT_EQ(stale.reply, "{\"error\": \"Out of turn: the card on offer is " + qv::cardText(offered) + ".\"}");
    EXPECT_EQ(game.moves, "1112");

    RankedGame over = freshGame(seedScoring(false));
    fillRound(over, 0);
    const std::string lastReply = over.lastReply;
    EXPECT_EQ(placeCard(over, 4, 4, std::nullopt, 0, 1000).reply, lastReply);  // the final placement's retry
    const PlaceOutcome late = placeCard(over, 1, 1, std::nullopt, 0, 1000);
    EXPECT_EQ(late.status, 409);
    EXPECT_EQ(late.reply, "{\"error\": \"The game is over.\"}");
}

TEST(RankedGame, AfterANewRoundTheSameCellIsANewPlacementUnlessTheCardSaysRetry)
{
    const std::uint32_t good = seedScoring(true);
    RankedGame game = freshGame(good);
    const PlaceOutcome end = fillRound(game, good);
    const int lastCard = qv::dealInOrder(good).cell(4, 4);
    EXPECT_EQ(placeCard(game, 4, 4, lastCard, 0, 1000).reply, end.reply);
    EXPECT_EQ(placedThisRound(game), 0);
    const PlaceOutcome next = placeCard(game, 4, 4, std::nullopt, 0, 1000);
    EXPECT_TRUE(next.changed);
    EXPECT_EQ(placedThisRound(game), 1);
}

TEST(RankedGame, ReplayRefusesWhatIsNotAGame)
{
    const std::uint32_t poor = seedScoring(false), good = seedScoring(true);
    std::string rows;
    for (int i = 0; i < 16; ++i)
        rows += std::to_string(i / 4 + 1) + std::to_string(i % 4 + 1);
    EXPECT_TRUE(replayGame({poor}, rows));
    EXPECT_FALSE(replayGame({poor}, rows.substr(0, 30)));             // cut short
    EXPECT_FALSE(replayGame({poor}, "11" + rows.substr(2, 28) + "11"));  // a cell twice
    EXPECT_FALSE(replayGame({poor, poor}, rows + rows));              // went on after a poor round
    EXPECT_FALSE(replayGame({good}, rows));                           // ended after a good one
    EXPECT_FALSE(replayGame({}, ""));
}

TEST(RankedGame, StateShowsTheBoardAndOffer)
{
    RankedGame game = freshGame(5);
    placeCard(game, 2, 1, std::nullopt, 0, 1000);
    const std::string placed = qv::cardText(qv::dealInOrder(5).cell(1, 1));
    EXPECT_EQ(gameStateReply(game),
              "{\"game\": \"" + game.token + "\", \"name\": \"Ann\", \"round\": 1, \"placed\": 1, \"board\": "
              "[[\"\", \"\", \"\", \"\"], [\"" + placed + "\", \"\", \"\", \"\"], [\"\", \"\", \"\", \"\"], "
              "[\"\", \"\", \"\", \"\"]], \"card\": \"" + qv::cardText(cardOnOffer(game)) +
              "\", \"round_totals\": [], \"running_total\": 0}");
}

TEST(RankedGame, SeedsSurviveTheirText)
{
    const std::vector<std::uint32_t> seeds = {0, 4294967295u, 17};
    EXPECT_EQ(seedsText(seeds), "0 4294967295 17");
    EXPECT_EQ(parseSeeds(seedsText(seeds)), seeds);
}
