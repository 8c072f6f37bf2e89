#pragma once
// The scale-out backend: a PostgreSQL database reached through libpq, which
// several server processes (on one machine or many) may share. Each request
// thread borrows a connection from a small pool; a game is locked with
// SELECT ... FOR UPDATE for the length of one placement's transaction, so two
// processes serving one game take its placements strictly one after another.

#include "server/scorestore.h"

#include <mutex>
#include <string>
#include <vector>

struct pg_conn;

class PostgresStore : public ScoreStore {
public:
    // Connects with a libpq connection URI (postgresql://...) and creates the
    // tables when missing. Throws StoreError.
    explicit PostgresStore(std::string uri);
    ~PostgresStore() override;

    void add(const ScorePost &post) override;
    void addAll(const std::vector<ScorePost> &posts) override;
    std::vector<ScoreEntry> best(int limit) override;
    std::int64_t count() override;

    void createGame(const RankedGame &game) override;
    std::optional<RankedGame> game(const std::string &token) override;
    void updateGame(const std::string &token, const std::function<bool(std::optional<RankedGame> &)> &change) override;
    std::vector<RankedEntry> bestRanked(int limit, std::int64_t since) override;
    std::vector<FinishedGame> finishedGames() override;
    int forgetGames(std::int64_t idleSince) override;

private:
    class Lease;
    pg_conn *connect();
    pg_conn *acquire();
    void release(pg_conn *connection);

    std::string uri_;
    std::mutex poolMutex_;
    std::vector<pg_conn *> idle_;
};
