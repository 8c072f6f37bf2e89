#pragma once
// The embedded backend: one SQLite database file in WAL mode. Pages and game
// look-ups read through a connection of their own, so they never wait for a
// commit; everything that writes is run by one writer thread, which commits all
// the work waiting for it in one transaction (one sync for a burst of posts or
// placements) and answers each piece only once that transaction is committed.

#include "server/scorestore.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <filesystem>
#include <mutex>
#include <thread>

struct sqlite3;
struct sqlite3_stmt;

class SqliteStore : public ScoreStore {
public:
    // Opens or creates the database file (its folder must exist). Throws StoreError.
    explicit SqliteStore(const std::filesystem::path &file);
    ~SqliteStore() override;

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

    // The query behind best(), so its plan can be checked against the index.
    static const char *const bestQuery;

private:
    struct Connection {
        sqlite3 *db = nullptr;
        std::vector<sqlite3_stmt *> statements;
        std::mutex mutex;
        ~Connection();
        sqlite3_stmt *prepare(const char *sql);
    };
    // One piece of writing, run by the writer thread inside a transaction.
    struct WriteJob {
        std::function<void()> work;
        std::exception_ptr error;
        bool done = false;
    };

    static std::unique_ptr<Connection> open(const std::filesystem::path &file);
    void insert(const ScorePost &post);
    void saveGame(const RankedGame &game, bool fresh);
    static std::optional<RankedGame> readGame(sqlite3_stmt *select, const std::string &token);
    // Runs the work on the writer thread and returns once it is committed.
    void write(std::function<void()> work);
    void writeLoop();
    void commitBatch(std::vector<WriteJob *> &batch);

    std::unique_ptr<Connection> writer_;
    std::unique_ptr<Connection> reader_;
    sqlite3_stmt *insert_ = nullptr;
    sqlite3_stmt *insertGame_ = nullptr;
    sqlite3_stmt *updateGame_ = nullptr;
    sqlite3_stmt *lockedGame_ = nullptr;  // the writer's own look-up, inside its transaction
    sqlite3_stmt *insertFinished_ = nullptr;
    sqlite3_stmt *forget_ = nullptr;
    sqlite3_stmt *best_ = nullptr;
    sqlite3_stmt *count_ = nullptr;
    sqlite3_stmt *game_ = nullptr;
    sqlite3_stmt *bestRanked_ = nullptr;
    sqlite3_stmt *bestRankedSince_ = nullptr;
    sqlite3_stmt *finished_ = nullptr;

    std::mutex queueMutex_;
    std::condition_variable queued_, committed_;
    std::deque<WriteJob *> queue_;
    bool closing_ = false;
    std::thread writerThread_;
};
