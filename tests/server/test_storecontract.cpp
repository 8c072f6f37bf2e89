// What every storage backend must do alike.

#include "tempfolder.h"
#include "testbackend.h"

#include <thread>

namespace {

using StoreContract = BackendTest;

RankedGame game(const std::string &token, std::int64_t at)
{
    RankedGame g;
    g.token = token;
    g.name = "Zo\xC3\xAB";
    g.started = g.lastActive = at;
    g.seeds = {4294967295u};
    return g;
}

}  // namespace

TEST_F(StoreContract, BestIsHighestFirstWithEarlierPostsFirstOnTies)
{
    TempFolder tmp;
    const std::unique_ptr<ScoreStore> store = openTestStore(tmp.path());
    store->add({"first", "1/1/25", 50});
    store->add({"high", "1/2/25", 90});
    store->addAll({{"second", "1/3/25", 50}, {"low", "1/4/25", 10}});
    const std::vector<ScoreEntry> best = store->best(3);
    ASSERT_EQ(best.size(), 3u);
    EXPECT_EQ(best[0].name, "high");
    EXPECT_EQ(best[1].name, "first");
    EXPECT_EQ(best[2].name, "second");
    EXPECT_EQ(best[2].date, "1/3/25");
    EXPECT_EQ(best[2].score, 50);
    EXPECT_EQ(store->count(), 4);
}

TEST_F(StoreContract, TextIsStoredVerbatimAndSurvivesReopening)
{
    TempFolder tmp;
    const std::string name = "Bob'); DROP TABLE scores;--\xE2\x82\xAC";
    openTestStore(tmp.path())->add({name, "1/1/25", 3});
    const std::unique_ptr<ScoreStore> store = openTestStore(tmp.path());
    ASSERT_EQ(store->count(), 1);
    EXPECT_EQ(store->best(1).at(0).name, name);
}

TEST_F(StoreContract, RankedGamesAreKeptChangedAndFinished)
{
    TempFolder tmp;
    const std::unique_ptr<ScoreStore> store = openTestStore(tmp.path());
    store->createGame(game("a1", 1000));
    std::optional<RankedGame> read = store->game("a1");
    ASSERT_TRUE(read);
    EXPECT_EQ(read->name, "Zo\xC3\xAB");
    EXPECT_EQ(read->seeds, std::vector<std::uint32_t>{4294967295u});
    EXPECT_FALSE(store->game("a2"));

    // Unchanged means not written; a missing game reaches the change as nothing.
    store->updateGame("a1", [](std::optional<RankedGame> &g) {
        g->moves = "11";
        return false;
    });
    EXPECT_EQ(store->game("a1")->moves, "");
    bool sawNothing = false;
    store->updateGame("nope", [&](std::optional<RankedGame> &g) { return sawNothing = !g; });
    EXPECT_TRUE(sawNothing);

    store->updateGame("a1", [](std::optional<RankedGame> &g) {
        g->moves = "1122";
        g->seeds.push_back(7);
        g->runningTotal = 61;
        g->lastActive = 2000;
        g->over = true;
        g->lastReply = "{\"verdict\": \"over\"}";
        return true;
    });
    read = store->game("a1");
    EXPECT_EQ(read->moves, "1122");
    EXPECT_EQ(read->seeds, (std::vector<std::uint32_t>{4294967295u, 7}));
    EXPECT_TRUE(read->over);
    EXPECT_EQ(read->lastReply, "{\"verdict\": \"over\"}");
    const std::vector<FinishedGame> finished = store->finishedGames();
    ASSERT_EQ(finished.size(), 1u);
    EXPECT_EQ(finished[0].score, 61);
    EXPECT_EQ(finished[0].rounds, 2);
    EXPECT_EQ(finished[0].moves, "1122");
    EXPECT_EQ(finished[0].finished, 2000);
    EXPECT_EQ(finished[0].date, localDate(2000));
}

TEST_F(StoreContract, RankedListAllTimeAndSince)
{
    TempFolder tmp;
    const std::unique_ptr<ScoreStore> store = openTestStore(tmp.path());
    const auto finish = [&](const std::string &token, int score, std::int64_t at) {
        store->createGame(game(token, at));
        store->updateGame(token, [&](std::optional<RankedGame> &g) {
            g->runningTotal = score;
            g->lastActive = at;
            g->over = true;
            return true;
        });
    };
    finish("old", 90, 1000);
    finish("new", 40, 5000);
    finish("tie", 40, 6000);
    const std::vector<RankedEntry> all = store->bestRanked(10, 0);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].score, 90);
    EXPECT_EQ(all[1].date, localDate(5000));
    EXPECT_EQ(store->bestRanked(10, 5000).size(), 2u);
    EXPECT_EQ(store->bestRanked(1, 0).size(), 1u);
    // Finished records outlive their games.
    EXPECT_EQ(store->forgetGames(5500), 2);
    EXPECT_FALSE(store->game("old"));
    EXPECT_TRUE(store->game("tie"));
    EXPECT_EQ(store->bestRanked(10, 0).size(), 3u);
}

TEST_F(StoreContract, ChangesToOneGameFromManyThreadsAreTakenOneAtATime)
{
    TempFolder tmp;
    const std::unique_ptr<ScoreStore> store = openTestStore(tmp.path());
    store->createGame(game("busy", 1000));
    std::vector<std::thread> threads;
    for (int t = 0; t < 6; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 25; ++i)
                store->updateGame("busy", [](std::optional<RankedGame> &g) {
                    ++g->runningTotal;
                    return true;
                });
        });
    }
    for (std::thread &t : threads)
        t.join();
    EXPECT_EQ(store->game("busy")->runningTotal, 150);
}

TEST_F(StoreContract, AChangeThatFailsLeavesNoTrace)
{
    TempFolder tmp;
    const std::unique_ptr<ScoreStore> store = openTestStore(tmp.path());
    store->createGame(game("g", 1000));
    EXPECT_THROW(store->updateGame("g",
                                   [](std::optional<RankedGame> &) -> bool { throw StoreError("refused midway"); }),
                 StoreError);
    store->add({"still", "1/1/25", 1});
    EXPECT_EQ(store->count(), 1);
    EXPECT_EQ(store->game("g")->moves, "");
}
