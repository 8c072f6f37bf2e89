#include "server/sqlitestore.h"

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
    "CREATE TABLE IF NOT EXISTS ranked_games ("
    " token TEXT PRIMARY KEY,"
    " name TEXT NOT NULL,"
    " started INTEGER NOT NULL,"
    " last_active INTEGER NOT NULL,"
    " seeds TEXT NOT NULL,"
    " moves TEXT NOT NULL,"
    " running_total INTEGER NOT NULL,"
    " is_over INTEGER NOT NULL,"
    " last_reply TEXT NOT NULL)",
    "CREATE INDEX IF NOT EXISTS ranked_games_idle ON ranked_games (last_active)",
    "CREATE TABLE IF NOT EXISTS ranked_scores ("
    " id INTEGER PRIMARY KEY,"
    " token TEXT NOT NULL UNIQUE,"
    " name TEXT NOT NULL,"
    " date TEXT NOT NULL,"
    " finished INTEGER NOT NULL,"
    " score INTEGER NOT NULL,"
    " rounds INTEGER NOT NULL,"
    " seeds TEXT NOT NULL,"
    " moves TEXT NOT NULL)",
    "CREATE INDEX IF NOT EXISTS ranked_best ON ranked_scores (score DESC, id)",
    "CREATE INDEX IF NOT EXISTS ranked_recent ON ranked_scores (finished)",
};

const char *const kGameColumns =
    "SELECT token, name, started, last_active, seeds, moves, running_total, is_over, last_reply"
    " FROM ranked_games WHERE token = ?1";

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

void bindText(sqlite3_stmt *stmt, int index, const std::string &text)
{
    sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
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

// Steps a statement that changes rows.
void change(sqlite3_stmt *stmt, const char *what)
{
    if (sqlite3_step(stmt) != SQLITE_DONE)
        fail(sqlite3_db_handle(stmt), what);
}

}  // namespace

const char *const SqliteStore::bestQuery =
    "SELECT name, date, score FROM scores ORDER BY score DESC, id ASC LIMIT ?1";

SqliteStore::Connection::~Connection()
{
    for (sqlite3_stmt *stmt : statements)
        sqlite3_finalize(stmt);
    sqlite3_close(db);
}

sqlite3_stmt *SqliteStore::Connection::prepare(const char *sql)
{
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK)
        fail(db, "Cannot prepare the score database");
    statements.push_back(stmt);
    return stmt;
}

std::unique_ptr<SqliteStore::Connection> SqliteStore::open(const std::filesystem::path &file)
{
    auto c = std::make_unique<Connection>();
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(file.c_str(), &c->db, flags, nullptr) != SQLITE_OK)
        fail(c->db, "Cannot open the score database " + file.string());
    sqlite3_extended_result_codes(c->db, 1);
    sqlite3_busy_timeout(c->db, kBusyTimeoutMs);
    return c;
}

SqliteStore::SqliteStore(const std::filesystem::path &file)
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
    insert_ = writer_->prepare("INSERT INTO scores (name, date, score) VALUES (?1, ?2, ?3)");
    insertGame_ = writer_->prepare(
        "INSERT INTO ranked_games (token, name, started, last_active, seeds, moves, running_total, is_over,"
        " last_reply) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
    updateGame_ = writer_->prepare(
        "UPDATE ranked_games SET last_active = ?4, seeds = ?5, moves = ?6, running_total = ?7, is_over = ?8,"
        " last_reply = ?9 WHERE token = ?1");
    lockedGame_ = writer_->prepare(kGameColumns);
    insertFinished_ = writer_->prepare(
        "INSERT INTO ranked_scores (token, name, date, finished, score, rounds, seeds, moves)"
        " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
    forget_ = writer_->prepare("DELETE FROM ranked_games WHERE last_active < ?1");

    reader_ = open(file);
    best_ = reader_->prepare(bestQuery);
    count_ = reader_->prepare("SELECT count(*) FROM scores");
    game_ = reader_->prepare(kGameColumns);
    bestRanked_ = reader_->prepare(
        "SELECT name, date, score, rounds FROM ranked_scores ORDER BY score DESC, id ASC LIMIT ?1");
    bestRankedSince_ = reader_->prepare(
        "SELECT name, date, score, rounds FROM ranked_scores WHERE finished >= ?2"
        " ORDER BY score DESC, id ASC LIMIT ?1");
    finished_ = reader_->prepare(
        "SELECT token, name, date, finished, score, rounds, seeds, moves FROM ranked_scores ORDER BY id");
    writerThread_ = std::thread([this] { writeLoop(); });
}

SqliteStore::~SqliteStore()
{
    {
        std::lock_guard lock(queueMutex_);
        closing_ = true;
    }
    queued_.notify_all();
    writerThread_.join();
}

void SqliteStore::add(const ScorePost &post)
{
    write([&] { insert(post); });
}

void SqliteStore::addAll(const std::vector<ScorePost> &posts)
{
    write([&] {
        for (const ScorePost &post : posts)
            insert(post);
    });
}

// On the writer thread.
void SqliteStore::insert(const ScorePost &post)
{
    StatementReset reset{insert_};
    bindText(insert_, 1, post.name);
    bindText(insert_, 2, post.date);
    sqlite3_bind_int64(insert_, 3, post.score);
    change(insert_, "Cannot store the score");
}

std::vector<ScoreEntry> SqliteStore::best(int limit)
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

std::int64_t SqliteStore::count()
{
    std::lock_guard lock(reader_->mutex);
    StatementReset reset{count_};
    if (sqlite3_step(count_) != SQLITE_ROW)
        fail(reader_->db, "Cannot count the scores");
    return sqlite3_column_int64(count_, 0);
}

void SqliteStore::createGame(const RankedGame &game)
{
    write([&] { saveGame(game, true); });
}

// On the writer thread. Both statements number their values alike; the update
// leaves the name and start (?2, ?3) as they are.
void SqliteStore::saveGame(const RankedGame &game, bool fresh)
{
    sqlite3_stmt *stmt = fresh ? insertGame_ : updateGame_;
    StatementReset reset{stmt};
    bindText(stmt, 1, game.token);
    bindText(stmt, 2, game.name);
    sqlite3_bind_int64(stmt, 3, game.started);
    sqlite3_bind_int64(stmt, 4, game.lastActive);
    bindText(stmt, 5, seedsText(game.seeds));
    bindText(stmt, 6, game.moves);
    sqlite3_bind_int(stmt, 7, game.runningTotal);
    sqlite3_bind_int(stmt, 8, game.over ? 1 : 0);
    bindText(stmt, 9, game.lastReply);
    change(stmt, "Cannot store the ranked game");
}

std::optional<RankedGame> SqliteStore::readGame(sqlite3_stmt *select, const std::string &token)
{
    StatementReset reset{select};
    bindText(select, 1, token);
    const int rc = sqlite3_step(select);
    if (rc == SQLITE_DONE)
        return std::nullopt;
    if (rc != SQLITE_ROW)
        fail(sqlite3_db_handle(select), "Cannot read the ranked game");
    RankedGame game;
    game.token = columnText(select, 0);
    game.name = columnText(select, 1);
    game.started = sqlite3_column_int64(select, 2);
    game.lastActive = sqlite3_column_int64(select, 3);
    game.seeds = parseSeeds(columnText(select, 4));
    game.moves = columnText(select, 5);
    game.runningTotal = sqlite3_column_int(select, 6);
    game.over = sqlite3_column_int(select, 7) != 0;
    game.lastReply = columnText(select, 8);
    return game;
}

std::optional<RankedGame> SqliteStore::game(const std::string &token)
{
    std::lock_guard lock(reader_->mutex);
    return readGame(game_, token);
}

void SqliteStore::updateGame(const std::string &token, const std::function<bool(std::optional<RankedGame> &)> &change)
{
    write([&] {
        std::optional<RankedGame> game = readGame(lockedGame_, token);
        const bool wasOver = game && game->over;
        if (!change(game) || !game)
            return;
        saveGame(*game, false);
        if (game->over && !wasOver) {
            const FinishedGame f = finishedRecord(*game);
            StatementReset reset{insertFinished_};
            bindText(insertFinished_, 1, f.token);
            bindText(insertFinished_, 2, f.name);
            bindText(insertFinished_, 3, f.date);
            sqlite3_bind_int64(insertFinished_, 4, f.finished);
            sqlite3_bind_int(insertFinished_, 5, f.score);
            sqlite3_bind_int(insertFinished_, 6, f.rounds);
            bindText(insertFinished_, 7, seedsText(f.seeds));
            bindText(insertFinished_, 8, f.moves);
            ::change(insertFinished_, "Cannot store the finished game");
        }
    });
}

std::vector<RankedEntry> SqliteStore::bestRanked(int limit, std::int64_t since)
{
    std::lock_guard lock(reader_->mutex);
    sqlite3_stmt *stmt = since > 0 ? bestRankedSince_ : bestRanked_;
    StatementReset reset{stmt};
    sqlite3_bind_int(stmt, 1, limit);
    if (since > 0)
        sqlite3_bind_int64(stmt, 2, since);
    std::vector<RankedEntry> entries;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        entries.push_back({columnText(stmt, 0), columnText(stmt, 1), sqlite3_column_int(stmt, 2),
                           sqlite3_column_int(stmt, 3)});
    if (rc != SQLITE_DONE)
        fail(reader_->db, "Cannot read the ranked scores");
    return entries;
}

std::vector<FinishedGame> SqliteStore::finishedGames()
{
    std::lock_guard lock(reader_->mutex);
    StatementReset reset{finished_};
    std::vector<FinishedGame> games;
    int rc;
    while ((rc = sqlite3_step(finished_)) == SQLITE_ROW)
        games.push_back({columnText(finished_, 0), columnText(finished_, 1), columnText(finished_, 2),
                         sqlite3_column_int64(finished_, 3), sqlite3_column_int(finished_, 4),
                         sqlite3_column_int(finished_, 5), parseSeeds(columnText(finished_, 6)),
                         columnText(finished_, 7)});
    if (rc != SQLITE_DONE)
        fail(reader_->db, "Cannot read the finished games");
    return games;
}

int SqliteStore::forgetGames(std::int64_t idleSince)
{
    int forgotten = 0;
    write([&] {
        StatementReset reset{forget_};
        sqlite3_bind_int64(forget_, 1, idleSince);
        change(forget_, "Cannot forget old games");
        forgotten = sqlite3_changes(writer_->db);
    });
    return forgotten;
}

void SqliteStore::write(std::function<void()> work)
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

void SqliteStore::writeLoop()
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
void SqliteStore::commitBatch(std::vector<WriteJob *> &batch)
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
