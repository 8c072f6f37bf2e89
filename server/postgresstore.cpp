#include "server/postgresstore.h"

#include <libpq-fe.h>

#include <memory>

namespace {

// Held while the tables are created, so two servers starting together on an
// empty database do not trip over each other.
constexpr const char *kSchemaLock = "741852";

const char *const kSchema[] = {
    "CREATE TABLE IF NOT EXISTS scores ("
    " id BIGSERIAL PRIMARY KEY,"
    " name TEXT NOT NULL,"
    " date TEXT NOT NULL,"
    " score BIGINT NOT NULL)",
    "CREATE INDEX IF NOT EXISTS scores_best ON scores (score DESC, id)",
    "CREATE TABLE IF NOT EXISTS ranked_games ("
    " token TEXT PRIMARY KEY,"
    " name TEXT NOT NULL,"
    " started BIGINT NOT NULL,"
    " last_active BIGINT NOT NULL,"
    " seeds TEXT NOT NULL,"
    " moves TEXT NOT NULL,"
    " running_total INTEGER NOT NULL,"
    " is_over BOOLEAN NOT NULL,"
    " last_reply TEXT NOT NULL)",
    "CREATE INDEX IF NOT EXISTS ranked_games_idle ON ranked_games (last_active)",
    "CREATE TABLE IF NOT EXISTS ranked_scores ("
    " id BIGSERIAL PRIMARY KEY,"
    " token TEXT NOT NULL UNIQUE,"
    " name TEXT NOT NULL,"
    " date TEXT NOT NULL,"
    " finished BIGINT NOT NULL,"
    " score INTEGER NOT NULL,"
    " rounds INTEGER NOT NULL,"
    " seeds TEXT NOT NULL,"
    " moves TEXT NOT NULL)",
    "CREATE INDEX IF NOT EXISTS ranked_best ON ranked_scores (score DESC, id)",
    "CREATE INDEX IF NOT EXISTS ranked_recent ON ranked_scores (finished)",
};

const char *const kGameColumns =
    "SELECT token, name, started, last_active, seeds, moves, running_total, is_over, last_reply"
    " FROM ranked_games WHERE token = $1";

using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;

// Runs one statement with its values as text; throws StoreError unless it worked.
Result exec(PGconn *c, const char *sql, const std::vector<std::string> &values = {})
{
    std::vector<const char *> params;
    for (const std::string &v : values)
        params.push_back(v.c_str());
    Result result(PQexecParams(c, sql, static_cast<int>(params.size()), nullptr, params.data(), nullptr, nullptr, 0),
                  &PQclear);
    const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        throw StoreError(std::string("The PostgreSQL database failed: ") + PQerrorMessage(c));
    return result;
}

std::string text(const Result &r, int row, int column)
{
    return std::string(PQgetvalue(r.get(), row, column), static_cast<std::size_t>(PQgetlength(r.get(), row, column)));
}

std::int64_t number(const Result &r, int row, int column)
{
    return std::stoll(PQgetvalue(r.get(), row, column));
}

std::optional<RankedGame> readGame(const Result &r)
{
    if (PQntuples(r.get()) == 0)
        return std::nullopt;
    RankedGame game;
    game.token = text(r, 0, 0);
    game.name = text(r, 0, 1);
    game.started = number(r, 0, 2);
    game.lastActive = number(r, 0, 3);
    game.seeds = parseSeeds(text(r, 0, 4));
    game.moves = text(r, 0, 5);
    game.runningTotal = static_cast<int>(number(r, 0, 6));
    game.over = text(r, 0, 7) == "t";
    game.lastReply = text(r, 0, 8);
    return game;
}

std::vector<std::string> gameValues(const RankedGame &game)
{
    return {game.token, game.name, std::to_string(game.started), std::to_string(game.lastActive),
            seedsText(game.seeds), game.moves, std::to_string(game.runningTotal), game.over ? "true" : "false",
            game.lastReply};
}

}  // namespace

// A pooled connection for the length of one call. One that broke is closed
// rather than handed to the next request.
class PostgresStore::Lease {
public:
    explicit Lease(PostgresStore &store) : store_(store), c_(store.acquire()) {}
    ~Lease()
    {
        if (PQstatus(c_) == CONNECTION_OK && PQtransactionStatus(c_) == PQTRANS_IDLE)
            store_.release(c_);
        else
            PQfinish(c_);
    }
    Lease(const Lease &) = delete;
    Lease &operator=(const Lease &) = delete;
    PGconn *get() const { return c_; }

    // Runs the work in a transaction, rolled back when it throws.
    template <typename Work>
    void transaction(Work &&work)
    {
        exec(c_, "BEGIN");
        try {
            work();
            exec(c_, "COMMIT");
        } catch (...) {
            PQclear(PQexec(c_, "ROLLBACK"));
            throw;
        }
    }

private:
    PostgresStore &store_;
    PGconn *c_;
};

PostgresStore::PostgresStore(std::string uri) : uri_(std::move(uri))
{
    Lease lease(*this);
    exec(lease.get(), "SET client_min_messages = warning");  // no notice for each table already there
    exec(lease.get(), "SELECT pg_advisory_lock($1)", {kSchemaLock});
    try {
        for (const char *sql : kSchema)
            exec(lease.get(), sql);
    } catch (const StoreError &) {
        exec(lease.get(), "SELECT pg_advisory_unlock($1)", {kSchemaLock});
        throw;
    }
    exec(lease.get(), "SELECT pg_advisory_unlock($1)", {kSchemaLock});
}

PostgresStore::~PostgresStore()
{
    for (PGconn *c : idle_)
        PQfinish(c);
}

PGconn *PostgresStore::connect()
{
    PGconn *c = PQconnectdb(uri_.c_str());
    if (!c)
        throw StoreError("Cannot connect to the PostgreSQL database: out of memory");
    if (PQstatus(c) != CONNECTION_OK) {
        const std::string message = PQerrorMessage(c);
        PQfinish(c);
        throw StoreError("Cannot connect to the PostgreSQL database: " + message);
    }
    PQsetClientEncoding(c, "UTF8");
    return c;
}

PGconn *PostgresStore::acquire()
{
    {
        std::lock_guard lock(poolMutex_);
        if (!idle_.empty()) {
            PGconn *c = idle_.back();
            idle_.pop_back();
            return c;
        }
    }
    return connect();
}

void PostgresStore::release(PGconn *connection)
{
    std::lock_guard lock(poolMutex_);
    idle_.push_back(connection);
}

void PostgresStore::add(const ScorePost &post)
{
    Lease lease(*this);
    exec(lease.get(), "INSERT INTO scores (name, date, score) VALUES ($1, $2, $3)",
         {post.name, post.date, std::to_string(post.score)});
}

void PostgresStore::addAll(const std::vector<ScorePost> &posts)
{
    Lease lease(*this);
    lease.transaction([&] {
        for (const ScorePost &post : posts)
            exec(lease.get(), "INSERT INTO scores (name, date, score) VALUES ($1, $2, $3)",
                 {post.name, post.date, std::to_string(post.score)});
    });
}

std::vector<ScoreEntry> PostgresStore::best(int limit)
{
    Lease lease(*this);
    const Result r = exec(lease.get(), "SELECT name, date, score FROM scores ORDER BY score DESC, id ASC LIMIT $1",
                          {std::to_string(limit)});
    std::vector<ScoreEntry> entries;
    for (int i = 0; i < PQntuples(r.get()); ++i)
        entries.push_back({text(r, i, 0), text(r, i, 1), number(r, i, 2)});
    return entries;
}

std::int64_t PostgresStore::count()
{
    Lease lease(*this);
    return number(exec(lease.get(), "SELECT count(*) FROM scores"), 0, 0);
}

void PostgresStore::createGame(const RankedGame &game)
{
    Lease lease(*this);
    exec(lease.get(),
         "INSERT INTO ranked_games (token, name, started, last_active, seeds, moves, running_total, is_over,"
         " last_reply) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9)",
         gameValues(game));
}

std::optional<RankedGame> PostgresStore::game(const std::string &token)
{
    Lease lease(*this);
    return readGame(exec(lease.get(), kGameColumns, {token}));
}

void PostgresStore::updateGame(const std::string &token, const std::function<bool(std::optional<RankedGame> &)> &change)
{
    Lease lease(*this);
    lease.transaction([&] {
        std::optional<RankedGame> game =
            readGame(exec(lease.get(), (std::string(kGameColumns) + " FOR UPDATE").c_str(), {token}));
        const bool wasOver = game && game->over;
        if (!change(game) || !game)
            return;
        std::vector<std::string> values = gameValues(*game);
        values.erase(values.begin() + 1, values.begin() + 3);  // the name and start stay
        exec(lease.get(),
             "UPDATE ranked_games SET last_active = $2, seeds = $3, moves = $4, running_total = $5, is_over = $6,"
             " last_reply = $7 WHERE token = $1",
             values);
        if (game->over && !wasOver) {
            const FinishedGame f = finishedRecord(*game);
            exec(lease.get(),
                 "INSERT INTO ranked_scores (token, name, date, finished, score, rounds, seeds, moves)"
                 " VALUES ($1, $2, $3, $4, $5, $6, $7, $8)",
                 {f.token, f.name, f.date, std::to_string(f.finished), std::to_string(f.score),
                  std::to_string(f.rounds), seedsText(f.seeds), f.moves});
        }
    });
}

std::vector<RankedEntry> PostgresStore::bestRanked(int limit, std::int64_t since)
{
    Lease lease(*this);
    const Result r = exec(lease.get(),
                          "SELECT name, date, score, rounds FROM ranked_scores WHERE finished >= $2"
                          " ORDER BY score DESC, id ASC LIMIT $1",
                          {std::to_string(limit), std::to_string(since)});
    std::vector<RankedEntry> entries;
    for (int i = 0; i < PQntuples(r.get()); ++i)
        entries.push_back({text(r, i, 0), text(r, i, 1), static_cast<int>(number(r, i, 2)),
                           static_cast<int>(number(r, i, 3))});
    return entries;
}

std::vector<FinishedGame> PostgresStore::finishedGames()
{
    Lease lease(*this);
    const Result r = exec(lease.get(),
                          "SELECT token, name, date, finished, score, rounds, seeds, moves FROM ranked_scores ORDER BY id");
    std::vector<FinishedGame> games;
    for (int i = 0; i < PQntuples(r.get()); ++i)
        games.push_back({text(r, i, 0), text(r, i, 1), text(r, i, 2), number(r, i, 3), static_cast<int>(number(r, i, 4)),
                         static_cast<int>(number(r, i, 5)), parseSeeds(text(r, i, 6)), text(r, i, 7)});
    return games;
}

int PostgresStore::forgetGames(std::int64_t idleSince)
{
    Lease lease(*this);
    const Result r = exec(lease.get(), "DELETE FROM ranked_games WHERE last_active < $1", {std::to_string(idleSince)});
    return std::atoi(PQcmdTuples(r.get()));
}
