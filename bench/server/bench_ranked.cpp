// Load benchmark of ranked games: quenvale-server in its own process, on SQLite
// and on PostgreSQL (a durable server of the benchmark's own), plays 1,000
// ranked games from 16 concurrent players to their end, then checks that every
// game was stored and that every stored score is what the engine makes of the
// stored placements. Each player keeps one connection per game, as a client
// with keep-alive does, and each game comes from an address of its own.
//
//   bench_ranked [--games=N] [--only=sqlite|postgresql]

#include "server/postgresstore.h"
#include "server/sqlitestore.h"
#include "tests/server/postgresserver.h"
#include "tests/server/rawhttp.h"
#include "tests/server/serverprocess.h"
#include "tests/server/tempfolder.h"

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// One HTTP/1.1 connection reused for many requests.
class KeepAlive {
public:
    KeepAlive(int port, const std::string &from) : fd_(connectFrom(port, from, false)), ok_(fd_ >= 0) {}
    ~KeepAlive()
    {
        if (fd_ >= 0)
            close(fd_);
    }

    // The reply to a JSON POST, or status 0 when the connection failed.
    RawReply post(const std::string &path, const std::string &body)
    {
        const std::string request = "POST " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: " +
                                    std::to_string(body.size()) + "\r\n\r\n" + body;
        if (!ok_ || send(fd_, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size()))
            return {};
        std::string in;
        std::size_t headEnd;
        while ((headEnd = in.find("\r\n\r\n")) == std::string::npos)
            if (!receive(in))
                return {};
        const std::size_t lengthAt = in.find("Content-Length: ");
        if (lengthAt == std::string::npos || lengthAt > headEnd)
            return {};
        const std::size_t total = headEnd + 4 + std::stoul(in.substr(lengthAt + 16));
        while (in.size() < total)
            if (!receive(in))
                return {};
        return parseReply(in.substr(0, total));
    }

private:
    bool receive(std::string &in)
    {
        char buffer[4096];
        const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
        if (n <= 0)
            return ok_ = false;
        in.append(buffer, static_cast<std::size_t>(n));
        return true;
    }

    int fd_ = -1;
    bool ok_ = false;
};

struct Outcome {
    int games = 0, placements = 0, failures = 0;
    double seconds = 0;
    std::map<std::string, int> finalScores;  // by token, as the replies said
};

// One player's games, each on a fresh connection from a fresh address.
void playGames(int port, int player, std::atomic<int> &next, int games, Outcome &total, std::mutex &mutex)
{
    std::mt19937 random(static_cast<unsigned>(player) * 7919u + 1);
    for (int g = next++; g < games; g = next++) {
        const std::string from = "127." + std::to_string(40 + g / 62500) + "." + std::to_string(g / 250 % 250) + "." +
                                 std::to_string(g % 250 + 1);
        KeepAlive connection(port, from);
        const RawReply started = connection.post("/quenvale/ranked/new", "{\"name\": \"P" + std::to_string(player) + "\"}");
        std::string token = jsonField(started.body, "game"), card = jsonField(started.body, "card");
        int placements = 0;
        bool over = false, failed = started.status != 200;
        std::string score;
        while (!over && !failed) {
            std::array<int, 16> cells;
            for (int i = 0; i < 16; ++i)
                cells[i] = i;
            std::shuffle(cells.begin(), cells.end(), random);
            for (int i = 0; i < 16 && !failed; ++i) {
                const RawReply r = connection.post(
                    "/quenvale/ranked/place", "{\"game\": \"" + token + "\", \"row\": " + std::to_string(cells[i] / 4 + 1) +
                                                  ", \"col\": " + std::to_string(cells[i] % 4 + 1) + ", \"card\": \"" +
                                                  card + "\"}");
                failed = r.status != 200;
                ++placements;
                card = jsonField(r.body, i < 15 ? "card" : "next_round_card");
                if (i == 15) {
                    over = jsonField(r.body, "verdict") == "over";
                    score = jsonField(r.body, "running_total");
                }
            }
        }
        std::lock_guard lock(mutex);
        total.placements += placements;
        if (failed) {
            ++total.failures;
            continue;
        }
        ++total.games;
        total.finalScores[token] = std::stoi(score);
    }
}

bool run(const std::string &backend, const std::string &db, int games, int players)
{
    TempFolder tmp;
    std::filesystem::create_directories(tmp.path() / "files");
    Outcome outcome;
    {
        ServerProcess server(QV_SERVER_EXE,
                             {"--listen", "127.0.0.1:0", "--db", db, "--files", (tmp.path() / "files").string()});
        const int port = server.listeningPort();
        if (port <= 0) {
            std::printf("  the server did not start: %s\n", server.errorText().c_str());
            return false;
        }
        std::atomic<int> next = 0;
        std::mutex mutex;
        std::vector<std::thread> threads;
        const Clock::time_point start = Clock::now();
        for (int p = 0; p < players; ++p)
            threads.emplace_back([&, p] { playGames(port, p, next, games, outcome, mutex); });
        for (std::thread &t : threads)
            t.join();
        outcome.seconds = std::chrono::duration<double>(Clock::now() - start).count();
        server.signal(SIGTERM);
        server.exitCode();
    }
    // The audit: every game stored, and every stored score the engine's own.
    std::unique_ptr<ScoreStore> store;
    if (backend == "sqlite")
        store = std::make_unique<SqliteStore>(db);
    else
        store = std::make_unique<PostgresStore>(db);
    const std::vector<FinishedGame> stored = store->finishedGames();
    int wrong = 0, missing = 0;
    std::map<std::string, const FinishedGame *> byToken;
    for (const FinishedGame &f : stored) {
        byToken[f.token] = &f;
        const std::optional<Replay> replay = replayGame(f.seeds, f.moves);
        if (!replay || replay->score != f.score || static_cast<int>(replay->roundTotals.size()) != f.rounds)
            ++wrong;
    }
    for (const auto &[token, score] : outcome.finalScores) {
        const auto it = byToken.find(token);
        if (it == byToken.end())
            ++missing;
        else if (it->second->score != score)
            ++wrong;
    }
    std::printf("  %s: %d games (%d failed) from %d players, %d placements in %.2f s: %.0f placements/s\n",
                backend.c_str(), outcome.games, outcome.failures, players, outcome.placements, outcome.seconds,
                outcome.placements / outcome.seconds);
    std::printf("  stored %zu finished games; %d missing; %d whose score is not the engine's replay\n", stored.size(),
                missing, wrong);
    return outcome.games == games && outcome.failures == 0 && missing == 0 && wrong == 0 &&
           static_cast<int>(stored.size()) == games;
}

}  // namespace

int main(int argc, char **argv)
{
    int games = 1000;
    std::string only;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.starts_with("--games="))
            games = std::max(1, std::atoi(arg.c_str() + 8));
        else if (arg.starts_with("--only="))
            only = arg.substr(7);
    }
    signal(SIGPIPE, SIG_IGN);
    std::printf("== ranked: %d games from 16 players, played to the end\n", games);
    bool good = true;
    if (only.empty() || only == "sqlite") {
        TempFolder tmp;
        good = run("sqlite", (tmp.path() / "scores.db").string(), games, 16) && good;
    }
    if (only.empty() || only == "postgresql") {
        PostgresServer &postgres = PostgresServer::shared(true);
        if (!postgres.problem().empty()) {
            std::printf("  postgresql: could not be started: %s\n", postgres.problem().c_str());
            good = false;
        } else {
            good = run("postgresql", postgres.freshDatabaseUri(), games, 16) && good;
        }
    }
    std::printf(good ? "bench_ranked: every game stored and scored right\n" : "bench_ranked: a check failed\n");
    return good ? 0 : 1;
}
