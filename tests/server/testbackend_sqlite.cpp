#include "testbackend.h"

#include "server/sqlitestore.h"

std::string backendProblem()
{
    return {};
}

std::unique_ptr<ScoreStore> openTestStore(const std::filesystem::path &folder)
{
    return std::make_unique<SqliteStore>(folder / "scores.db");
}
