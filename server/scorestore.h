#pragma once
// The posted scores, kept in an SQLite database in WAL mode. Safe to use from
// many request threads: pages read through a connection of their own, so a page
// never waits for a post's commit, and posts are written by one writer thread
// that commits everything waiting in one transaction (one sync for a burst of
// posts), answering each post only once its transaction is committed.

#include "server/scorepost.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ScoreEntry {
    std::string name;
    std::string date;
    std::int64_t score = 0;
};

class ScoreStore {
public:
    // Opens or creates the database file (its folder must exist). Throws StoreError.
    explicit ScoreStore(const std::filesystem::path &file);
    ~ScoreStore();
    ScoreStore(const ScoreStore &) = delete;
    ScoreStore &operator=(const ScoreStore &) = delete;

    // Stores one post and commits it before returning. Throws StoreError.
    void add(const ScorePost &post);
    // Stores many posts in one transaction: all of them or, on error, none.
    void addAll(const std::vector<ScorePost> &posts);
    // The best scores, highest first; equal scores in the order they were posted.
    std::vector<ScoreEntry> best(int limit);
    std::int64_t count();

    // The query behind best(), so its plan can be checked against the index.
    static const char *const bestQuery;

private:
    struct Connection {
        sqlite3 *db = nullptr;
        std::vector<sqlite3_stmt *> statements;
        std::mutex mutex;
        ~Connection();
    };

    // One piece of writing, run by the writer thread inside a transaction.
    struct WriteJob {
        std::function<void()> work;
        std::exception_ptr error;
        bool done = false;
    };

    static std::unique_ptr<Connection> open(const std::filesystem::path &file);
    void insert(const ScorePost &post);
    sqlite3_stmt *prepare(Connection &c, const char *sql);
    // Runs the work on the writer thread and returns once it is committed.
    void write(std::function<void()> work);
    void writeLoop();
    void commitBatch(std::vector<WriteJob *> &batch);

    std::unique_ptr<Connection> writer_;
    std::unique_ptr<Connection> reader_;
    sqlite3_stmt *insert_ = nullptr;
    sqlite3_stmt *best_ = nullptr;
    sqlite3_stmt *count_ = nullptr;

    std::mutex queueMutex_;
    std::condition_variable queued_, committed_;
    std::deque<WriteJob *> queue_;
    bool closing_ = false;
    std::thread writerThread_;
};
