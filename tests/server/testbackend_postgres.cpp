#include "testbackend.h"

#include "postgresserver.h"
#include "server/postgresstore.h"

#include <map>
#include <mutex>

std::string backendProblem()
{
    const std::string &problem = PostgresServer::shared().problem();
    return problem.empty() ? problem
                           : "PostgreSQL could not be started: " + problem + ". The PostgreSQL backend is NOT tested.";
}

std::unique_ptr<ScoreStore> openTestStore(const std::filesystem::path &folder)
{
    static std::mutex mutex;
    static std::map<std::filesystem::path, std::string> uris;
    std::string uri;
    {
        std::lock_guard lock(mutex);
        auto [it, fresh] = uris.try_emplace(folder);
        if (fresh)
            it->second = PostgresServer::shared().freshDatabaseUri();
        uri = it->second;
    }
    return std::make_unique<PostgresStore>(uri);
}
