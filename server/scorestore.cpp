#include "server/scorestore.h"

#include <sqlite3.h>

namespace {

constexpr int kBusyTimeoutMs = 10000;
// A burst's posts are committed together, at most this many in one transaction.
constexpr std::size_t kMaxBatch = 512;

const char *const kSchema[] = {
    "CREATE TABLE IF NOT EXISTS scores ("
    " id INTEGER PRIMARY KEY,"
    " name TEXT NOT NULL,"
    " date TEXT NOT NULL,"
    " score INTEGER NOT NULL)",
    // The page reads the top of this index and stops after the hundredth row.
    "CREATE INDEX IF NOT EXISTS scores_best ON scores (score DESC, id)",
};

[[noreturn]] void fail(sqlite3 *db, const std::string &what)
{
    throw StoreError(what + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

// Runs a fixed statement that takes no values and ignores any rows it gives.
void run(sqlite3 *db, const char *sql)
{
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK)
        fail(db, "Cannot prepare the score database");
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        fail(db, "Cannot set up the score database");
}

std::string columnText(sqlite3_stmt *stmt, int column)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
    return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt, column))) : std::string();
}

// Leaves a statement ready for its next use whatever happened to this one.
struct StatementReset {
    sqlite3_stmt *stmt;
    ~StatementReset()
    {
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
    }
};

}  // namespace

const char *const ScoreStore::bestQuery =
    "SELECT name, date, score FROM scores ORDER BY score DESC, id ASC LIMIT ?1";

ScoreStore::Connection::~Connection()
{
    for (sqlite3_stmt *stmt : statements)
        sqlite3_finalize(stmt);
    sqlite3_close(db);
}

std::unique_ptr<ScoreStore::Connection> ScoreStore::open(const std::filesystem::path &file)
{
    auto c = std::make_unique<Connection>();
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(file.c_str(), &c->db, flags, nullptr) != SQLITE_OK)
        fail(c->db, "Cannot open the score database " + file.string());
    sqlite3_extended_result_codes(c->db, 1);
    sqlite3_busy_timeout(c->db, kBusyTimeoutMs);
    return c;
}

sqlite3_stmt *ScoreStore::prepare(Connection &c, const char *sql)
{
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v3(c.db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK)
        fail(c.db, "Cannot prepare the score database");
    c.statements.push_back(stmt);
    return stmt;
}

ScoreStore::ScoreStore(const std::filesystem::path &file)
{
    writer_ = open(file);
    sqlite3 *db = writer_->db;
    sqlite3_stmt *mode = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA journal_mode=WAL", -1, &mode, nullptr) != SQLITE_OK)
        fail(db, "Cannot open the score database " + file.string());
    const bool wal = sqlite3_step(mode) == SQLITE_ROW && columnText(mode, 0) == "wal";
    sqlite3_finalize(mode);
    if (!wal)
        fail(db, "The score database " + file.string() + " cannot use write-ahead logging");
    // Every post is synced before it is answered, so an answered score survives
    // a power cut as well as the server's end.
    run(db, "PRAGMA synchronous=FULL");
    for (const char *sql : kSchema)
        run(db, sql);
    insert_ = prepare(*writer_, "INSERT INTO scores (name, date, score) VALUES (?1, ?2, ?3)");

    reader_ = open(file);
    best_ = prepare(*reader_, bestQuery);
    count_ = prepare(*reader_, "SELECT count(*) FROM scores");
    writerThread_ = std::thread([this] { writeLoop(); });
}

ScoreStore::~ScoreStore()
{
    {
        std::lock_guard lock(queueMutex_);
        closing_ = true;
    }
    queued_.notify_all();
    writerThread_.join();
}

void ScoreStore::add(const ScorePost &post)
{
    write([&] { insert(post); });
}

void ScoreStore::addAll(const std::vector<ScorePost> &posts)
{
    write([&] {
        for (const ScorePost &post : posts)
            insert(post);
    });
}

void ScoreStore::write(std::function<void()> work)
{
    WriteJob job{std::move(work), nullptr, false};
    {
        std::lock_guard lock(queueMutex_);
        queue_.push_back(&job);
    }
    queued_.notify_one();
    std::unique_lock lock(queueMutex_);
    committed_.wait(lock, [&] { return job.done; });
    if (job.error)
        std::rethrow_exception(job.error);
}

void ScoreStore::writeLoop()
{
    std::vector<WriteJob *> batch;
    for (;;) {
        {
            std::unique_lock lock(queueMutex_);
            queued_.wait(lock, [this] { return closing_ || !queue_.empty(); });
            if (queue_.empty())
                return;
            while (!queue_.empty() && batch.size() < kMaxBatch) {
                batch.push_back(queue_.front());
                queue_.pop_front();
            }
        }
        commitBatch(batch);
        {
            std::lock_guard lock(queueMutex_);
            for (WriteJob *job : batch)
                job->done = true;
        }
        committed_.notify_all();
        batch.clear();
    }
}

// Each job runs inside a savepoint, so one that fails leaves no trace and does
// not take the others down; a failed commit fails them all.
void ScoreStore::commitBatch(std::vector<WriteJob *> &batch)
{
    sqlite3 *db = writer_->db;
    try {
        run(db, "BEGIN IMMEDIATE");
    } catch (const StoreError &) {
        for (WriteJob *job : batch)
            job->error = std::current_exception();
        return;
    }
    for (WriteJob *job : batch) {
        try {
            run(db, "SAVEPOINT job");
            try {
                job->work();
            } catch (...) {
                job->error = std::current_exception();
                run(db, "ROLLBACK TO job");
            }
            run(db, "RELEASE job");
        } catch (const StoreError &) {
            job->error = std::current_exception();
        }
    }
    try {
        run(db, "COMMIT");
    } catch (const StoreError &) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        for (WriteJob *job : batch)
            if (!job->error)
                job->error = std::current_exception();
    }
}

// On the writer thread.
void ScoreStore::insert(const ScorePost &post)
{
    StatementReset reset{insert_};
    sqlite3_bind_text(insert_, 1, post.name.data(), static_cast<int>(post.name.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(insert_, 2, post.date.data(), static_cast<int>(post.date.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int64(insert_, 3, post.score);
    if (sqlite3_step(insert_) != SQLITE_DONE)
        fail(writer_->db, "Cannot store the score");
}

std::vector<ScoreEntry> ScoreStore::best(int limit)
{
    std::lock_guard lock(reader_->mutex);
    StatementReset reset{best_};
    sqlite3_bind_int(best_, 1, limit);
    std::vector<ScoreEntry> entries;
    int rc;
    while ((rc = sqlite3_step(best_)) == SQLITE_ROW)
        entries.push_back({columnText(best_, 0), columnText(best_, 1), sqlite3_column_int64(best_, 2)});
    if (rc != SQLITE_DONE)
        fail(reader_->db, "Cannot read the scores");
    return entries;
}

std::int64_t ScoreStore::count()
{
    std::lock_guard lock(reader_->mutex);
    StatementReset reset{count_};
    if (sqlite3_step(count_) != SQLITE_ROW)
        fail(reader_->db, "Cannot count the scores");
    return sqlite3_column_int64(count_, 0);
}
