#include "server/sqlitestore.h"

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

TEST(SqliteStore, UsesWriteAheadLogAndTheBestIndex)
{
    TempFolder tmp;
    SqliteStore store(tmp.path() / "scores.db");
    const std::string plan = queryPlan(tmp.path() / "scores.db", SqliteStore::bestQuery);
    EXPECT_NE(plan.find("scores_best"), std::string::npos) << plan;
    EXPECT_EQ(plan.find("TEMP B-TREE"), std::string::npos) << plan;
    EXPECT_TRUE(std::filesystem::exists(tmp.path() / "scores.db-wal"));
}

TEST(SqliteStore, UnusableFileIsAClearError)
{
    TempFolder tmp;
    EXPECT_THROW(SqliteStore(tmp.path() / "missing-folder" / "scores.db"), StoreError);
    std::filesystem::create_directory(tmp.path() / "folder.db");
    EXPECT_THROW(SqliteStore(tmp.path() / "folder.db"), StoreError);
}
