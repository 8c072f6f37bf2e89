#include "server/scorestore.h"

#include "tempfolder.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

std::string queryPlan(const std::filesystem::path &db, const std::string &sql)
{
    sqlite3 *handle = nullptr;
    sqlite3_open(db.c_str(), &handle);
    sqlite3_stmt *stmt = nullptr;
    std::string plan;
    if (sqlite3_prepare_v2(handle, ("EXPLAIN QUERY PLAN " + sql).c_str(), -1, &stmt, nullptr) == SQLITE_OK) {
        while (sqlite3_step(stmt) == SQLITE_ROW)
            plan += reinterpret_cast<const char *>(sqlite3_column_text(stmt, 3)) + std::string("\n");
    }
    sqlite3_finalize(stmt);
    sqlite3_close(handle);
    return plan;
}

}  // namespace

TEST(ScoreStore, BestIsHighestFirstWithEarlierPostsFirstOnTies)
{
    TempFolder tmp;
    ScoreStore store(tmp.path() / "scores.db");
    store.add({"first", "1/1/25", 50});
    store.add({"high", "1/2/25", 90});
    store.add({"second", "1/3/25", 50});
    store.add({"low", "1/4/25", 10});

    const std::vector<ScoreEntry> best = store.best(3);
    ASSERT_EQ(best.size(), 3u);
    EXPECT_EQ(best[0].name, "high");
    EXPECT_EQ(best[1].name, "first");
    EXPECT_EQ(best[2].name, "second");
    EXPECT_EQ(best[2].date, "1/3/25");
    EXPECT_EQ(best[2].score, 50);
    EXPECT_EQ(store.count(), 4);
}

TEST(ScoreStore, TextIsStoredVerbatimAndSurvivesReopening)
{
    TempFolder tmp;
    const std::string name = "Bob'); DROP TABLE scores;--";
    {
        ScoreStore store(tmp.path() / "scores.db");
        store.add({name, "1/1/25", 3});
    }
    ScoreStore store(tmp.path() / "scores.db");
    ASSERT_EQ(store.count(), 1);
    EXPECT_EQ(store.best(1).at(0).name, name);
}

TEST(ScoreStore, UsesWriteAheadLogAndTheBestIndex)
{
    TempFolder tmp;
    ScoreStore store(tmp.path() / "scores.db");
    const std::string plan = queryPlan(tmp.path() / "scores.db", ScoreStore::bestQuery);
    EXPECT_NE(plan.find("scores_best"), std::string::npos) << plan;
    EXPECT_EQ(plan.find("TEMP B-TREE"), std::string::npos) << plan;
    EXPECT_TRUE(std::filesystem::exists(tmp.path() / "scores.db-wal"));
}

TEST(ScoreStore, UnusableFileIsAClearError)
{
    TempFolder tmp;
    EXPECT_THROW(ScoreStore(tmp.path() / "missing-folder" / "scores.db"), StoreError);
    std::filesystem::create_directory(tmp.path() / "folder.db");
    EXPECT_THROW(ScoreStore(tmp.path() / "folder.db"), StoreError);
}
