#include "server/scorestore.h"

#include "server/postgresstore.h"
#include "server/sqlitestore.h"

std::unique_ptr<ScoreStore> openScoreStore(const std::string &db)
{
    if (db.starts_with("postgresql://") || db.starts_with("postgres://"))
        return std::make_unique<PostgresStore>(db);
    return std::make_unique<SqliteStore>(db);
}
