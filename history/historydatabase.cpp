#include "history/historydatabase.h"

#include "game/gameflow.h"

#include "history/sqliteapi.h"

#include <cstdio>
#include <filesystem>

namespace qv::history {

namespace {

constexpr const char *schema = R"(
CREATE TABLE games(
  id INTEGER PRIMARY KEY,
  started INTEGER NOT NULL,
  kind INTEGER NOT NULL,
  total INTEGER NOT NULL DEFAULT 0,
  rounds INTEGER NOT NULL DEFAULT 0,
  cleared INTEGER NOT NULL DEFAULT 0,
  over INTEGER NOT NULL DEFAULT 0);
CREATE TABLE rounds(
  id INTEGER PRIMARY KEY,
  game INTEGER NOT NULL REFERENCES games(id),
  played INTEGER NOT NULL,
  kind INTEGER NOT NULL,
  deal INTEGER NOT NULL,
  line1 INTEGER NOT NULL, line2 INTEGER NOT NULL, line3 INTEGER NOT NULL, line4 INTEGER NOT NULL,
  line6 INTEGER NOT NULL, line7 INTEGER NOT NULL, line8 INTEGER NOT NULL, line9 INTEGER NOT NULL,
  total INTEGER NOT NULL);
CREATE INDEX rounds_by_game ON rounds(game);
PRAGMA user_version = 1;
)";

// A prepared statement, finalized when it goes out of scope.
class Statement {
public:
    Statement(sqlite3 *db, const char *sql) : db_(db)
    {
        if (sqlite().prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK)
            throw HistoryError(sqlite().errmsg(db));
    }
    ~Statement() { sqlite().finalize(stmt_); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    Statement &reset()
    {
        sqlite().reset(stmt_);
        return *this;
    }
    Statement &bind(int index, std::int64_t value)
    {
        sqlite().bind_int64(stmt_, index, value);
        return *this;
    }
    // True while there is a row.
    bool step()
    {
        const int rc = sqlite().step(stmt_);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            throw HistoryError(sqlite().errmsg(db_));
        return false;
    }
    std::int64_t column(int index) const { return sqlite().column_int64(stmt_, index); }

private:
    sqlite3 *db_;
    sqlite3_stmt *stmt_ = nullptr;
};

bool exists(const std::string &path)
{
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

// Opening a FIFO or a device would wait for a writer that never comes.
bool plainFile(const std::string &path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

// Moves the file and its companions aside as path + ".bak" (replacing an older
// one), so a new history can begin under the old name.
bool keepAsBackup(const std::string &path)
{
    std::error_code ec;
    for (const char *suffix : {"-wal", "-shm"}) {
        std::filesystem::remove(path + ".bak" + suffix, ec);
        if (exists(path + suffix))
            std::filesystem::rename(path + suffix, path + ".bak" + suffix, ec);
    }
    std::filesystem::rename(path, path + ".bak", ec);
    return !ec;
}

} // namespace

struct HistoryDatabase::Statements {
    explicit Statements(sqlite3 *db)
        : insertGame(db, "INSERT INTO games(started, kind) VALUES(?, ?)"),
          insertRound(db, "INSERT INTO rounds(game, played, kind, deal, line1, line2, line3, line4, line6, "
                          "line7, line8, line9, total) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
          updateGame(db, "UPDATE games SET total = ?, rounds = ?, cleared = cleared + ? WHERE id = ?"),
          gameKind(db, "SELECT kind FROM games WHERE id = ?"),
          changeKind(db, "UPDATE games SET kind = ?1 WHERE id = ?2"),
          changeRoundsKind(db, "UPDATE rounds SET kind = ?1 WHERE game = ?2")
    {
    }
    Statement insertGame, insertRound, updateGame, gameKind, changeKind, changeRoundsKind;
};

int kindNumber(GameKind kind)
{
    switch (kind) {
    case GameKind::Random:
        return 0;
    case GameKind::Practice:
        return 1;
    case GameKind::Ranked:
        return 2;
    }
    return 0;
}

const char *kindName(int number)
{
    switch (number) {
    case 1:
        return "practice";
    case 2:
        return "ranked";
    default:
        return "random";
    }
}

HistoryDatabase::HistoryDatabase() = default;

HistoryDatabase::~HistoryDatabase()
{
    close();
}

void HistoryDatabase::close()
{
    statements_.reset();
    if (db_)
        sqlite().close_v2(db_);
    db_ = nullptr;
    batch_ = false;
    currentGame_ = 0;
}

void HistoryDatabase::exec(const char *sql)
{
    char *error = nullptr;
    if (sqlite().exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string text = error ? error : sqlite().errmsg(db_);
        sqlite().free(error);
        throw HistoryError(text);
    }
}

HistoryDatabase::OpenResult HistoryDatabase::open(const std::string &path)
{
    close();
    path_ = path;
    // Without the library the file is left as it is: nothing is known to be wrong with it.
    std::string missing;
    if (!sqliteApi(missing))
        return {Opened::Failed, "The game history " + path + " could not be kept (" + missing +
                                    "); no history is kept this time."};
    OpenResult result;
    std::string damage;
    if (exists(path)) {
        result = plainFile(path) ? openExisting(path, true) : OpenResult{Opened::Failed, "Not a regular file"};
        if (result.state != Opened::Failed)
            return result;
        damage = result.message;
        close();
        if (!keepAsBackup(path))
            return {Opened::Failed, "The game history " + path + " could not be read (" + damage +
                                        ") nor kept aside; no history is kept this time."};
    }
    try {
        if (sqlite().open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
            throw HistoryError(db_ ? sqlite().errmsg(db_) : "out of memory");
        sqlite().busy_timeout(db_, 2000);
        createSchema();
    } catch (const HistoryError &e) {
        close();
        return {Opened::Failed,
                "The game history " + path + " could not be made (" + e.what() + "); no history is kept this time."};
    }
    if (damage.empty())
        return {Opened::Ready, {}};
    return {Opened::Replaced, "The game history " + path + " could not be read (" + damage + "). It is kept as " +
                                  path + ".bak and a new history is begun."};
}

HistoryDatabase::OpenResult HistoryDatabase::openForReading(const std::string &path)
{
    close();
    path_ = path;
    if (!exists(path))
        return {Opened::Ready, {}}; // nothing recorded yet
    std::string missing;
    if (!sqliteApi(missing))
        return {Opened::Failed, "The game history " + path + " could not be read (" + missing + ")."};
    OpenResult result = plainFile(path) ? openExisting(path, false) : OpenResult{Opened::Failed, "Not a regular file"};
    if (result.state == Opened::Failed)
        result.message = "The game history " + path + " could not be read (" + result.message + ").";
    return result;
}

// Failed carries only the reason here; the callers word the message.
HistoryDatabase::OpenResult HistoryDatabase::openExisting(const std::string &path, bool write)
{
    const int flags = write ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY;
    if (sqlite().open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        const std::string reason = db_ ? sqlite().errmsg(db_) : "out of memory";
        close();
        return {Opened::Failed, reason};
    }
    sqlite().busy_timeout(db_, 2000);
    try {
        // Only reads until the version is known: a newer history is never written to.
        auto single = [this](const char *sql) {
            Statement query(db_, sql);
            query.step();
            return query.column(0);
        };
        const std::int64_t found = single("PRAGMA user_version");
        if (found > schemaVersion) {
            close();
            return {Opened::Newer, "The game history " + path +
                                       " was written by a newer version of Quenvale. It is left as it is, and no "
                                       "history is kept this time."};
        }
        if (found == 0 && write && single("SELECT count(*) FROM sqlite_master") == 0) {
            createSchema(); // an empty database file: begin the history in it
            return {Opened::Ready, {}};
        }
        if (found != schemaVersion)
            throw HistoryError("not a game history");
        // Reading both tables' last pages finds a file cut short or overwritten.
        single("SELECT (SELECT max(id) FROM games) + (SELECT max(id) FROM rounds)");
        if (write) {
            exec("PRAGMA journal_mode = WAL");
            exec("PRAGMA synchronous = NORMAL");
        }
    } catch (const HistoryError &e) {
        close();
        return {Opened::Failed, e.what()};
    }
    return {Opened::Ready, {}};
}

void HistoryDatabase::createSchema()
{
    // A write-ahead log: a round is one small append, and a killed program loses
    // nothing committed.
    exec("PRAGMA journal_mode = WAL");
    exec("PRAGMA synchronous = NORMAL");
    exec("BEGIN");
    try {
        exec(schema);
        exec("COMMIT");
    } catch (...) {
        sqlite().exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

std::int64_t HistoryDatabase::gameRow(const GameState &game, bool make)
{
    if (game.fresh && make)
        currentGame_ = 0;
    if (currentGame_ != 0)
        return currentGame_;
    if (!game.fresh) {
        // A game put back after a restart continues its row when the last game is
        // still open and has every round but this one.
        Statement last(db_, "SELECT id, rounds, over FROM games ORDER BY id DESC LIMIT 1");
        if (last.step() && last.column(2) == 0 && last.column(1) + (make ? 1 : 0) == game.rounds)
            return currentGame_ = last.column(0);
    }
    if (!make)
        return 0;
    statements_->insertGame.reset().bind(1, game.startedAt).bind(2, kindNumber(game.kind)).step();
    return currentGame_ = sqlite().last_insert_rowid(db_);
}

void HistoryDatabase::recordRound(const GameState &game, const RoundRecord &round)
{
    if (!db_)
        throw HistoryError("the history is not open");
    if (!statements_)
        statements_ = std::make_unique<Statements>(db_);
    if (!batch_)
        exec("BEGIN IMMEDIATE");
    try {
        const std::int64_t id = gameRow(game, true);
        // A game the coach helped becomes a practice game, its earlier rounds with it.
        const int kind = kindNumber(game.kind);
        Statement &stored = statements_->gameKind.reset().bind(1, id);
        const std::int64_t storedKind = stored.step() ? stored.column(0) : kind;
        stored.reset(); // a statement left on its row would hold its snapshot
        if (storedKind != kind) {
            statements_->changeKind.reset().bind(1, kind).bind(2, id).step();
            statements_->changeRoundsKind.reset().bind(1, kind).bind(2, id).step();
        }
        Statement &insert = statements_->insertRound.reset();
        insert.bind(1, id).bind(2, round.playedAt).bind(3, kindNumber(game.kind)).bind(4, round.deal);
        for (int i = 0; i < 8; ++i)
            insert.bind(5 + i, round.lines[std::size_t(i)]);
        insert.bind(13, round.total).step();
        statements_->updateGame.reset()
            .bind(1, game.runningTotal)
            .bind(2, game.rounds)
            .bind(3, round.total >= GameFlow::continueThreshold ? 1 : 0)
            .bind(4, id)
            .step();
        if (!batch_)
            exec("COMMIT");
    } catch (...) {
        if (!batch_)
            sqlite().exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        currentGame_ = 0;
        throw;
    }
}

void HistoryDatabase::beginBatch()
{
    exec("BEGIN IMMEDIATE");
    batch_ = true;
}

void HistoryDatabase::commitBatch()
{
    batch_ = false;
    exec("COMMIT");
}

void HistoryDatabase::gameOver(const GameState &game)
{
    if (!db_)
        throw HistoryError("the history is not open");
    GameState ended = game;
    ended.fresh = false;
    if (const std::int64_t id = gameRow(ended, false)) {
        Statement update(db_, "UPDATE games SET over = 1 WHERE id = ?");
        update.bind(1, id).step();
    }
    currentGame_ = 0;
}

} // namespace qv::history
