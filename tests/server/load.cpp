// Load figure for the score server: many players posting at once, each post on
// its own connection as the game makes it, then the high-score page's time
// with a large table.
//
//   quenvale-server-load [POSTS [CLIENTS [TABLE_SIZE]]]   (10000 16 100000)

#include "rawhttp.h"
#include "runningserver.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char **argv)
{
    const int posts = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int clients = argc > 2 ? std::atoi(argv[2]) : 16;
    const int tableSize = argc > 3 ? std::atoi(argv[3]) : 100000;
    if (posts <= 0 || clients <= 0 || tableSize < posts) {
        std::fprintf(stderr, "usage: quenvale-server-load [POSTS [CLIENTS [TABLE_SIZE]]]\n");
        return 2;
    }

    RunningServer server;
    std::atomic<int> next = 0, accepted = 0;
    std::vector<std::thread> players;
    const Clock::time_point start = Clock::now();
    for (int c = 0; c < clients; ++c) {
        players.emplace_back([&, c] {
            for (int i = next++; i < posts; i = next++) {
                const std::string target = "/cgi-bin/quenvale.cgi?name=Player" + std::to_string(c) +
                                           "&date=3/14/25&score=" + std::to_string(i % 977);
                if (rawGet(server.port(), target).status == 200)
                    ++accepted;
            }
        });
    }
    for (std::thread &p : players)
        p.join();
    const double postSeconds = secondsSince(start);
    const std::int64_t stored = server.store().count();
    std::printf("%d posts from %d clients in %.2f s: %.0f posts/s; %d answered 200, %lld stored\n", posts,
                clients, postSeconds, posts / postSeconds, accepted.load(), static_cast<long long>(stored));

    // Fill the rest of the table straight into the store (posting it would take
    // minutes), then time whole page fetches through HTTP.
    std::mt19937 random(7);
    std::vector<ScorePost> filler;
    for (int i = posts; i < tableSize; ++i)
        filler.push_back({"Filler" + std::to_string(i), "3/14/25", static_cast<int>(random() % 5000)});
    server.store().addAll(filler);
    constexpr int kFetches = 50;
    std::size_t pageBytes = 0;
    const Clock::time_point pageStart = Clock::now();
    for (int i = 0; i < kFetches; ++i)
        pageBytes = rawGet(server.port(), "/counter/quenvale.shtml").body.size();
    const double pageMs = secondsSince(pageStart) * 1000 / kFetches;
    std::printf("high-score page with %lld stored scores: %.2f ms per fetch (%zu bytes)\n",
                static_cast<long long>(server.store().count()), pageMs, pageBytes);
    return accepted == posts && stored == posts ? 0 : 1;
}
