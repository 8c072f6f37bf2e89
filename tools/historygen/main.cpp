// quenvale-historygen FILE GAMES [SEED]: writes a plausible history of GAMES games
// to the history database FILE (made when missing, added to otherwise), the last
// game ending now. For the statistics window's pictures and benchmark.
#include "tools/historygen/historygen.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

int main(int argc, char **argv)
{
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "Usage: quenvale-historygen FILE GAMES [SEED]\n");
        return 2;
    }
    char *end = nullptr;
    const long games = std::strtol(argv[2], &end, 10);
    if (*end || games < 0 || games > 10'000'000) {
        std::fprintf(stderr, "quenvale-historygen: GAMES must be a number from 0 to 10000000, not '%s'\n", argv[2]);
        return 2;
    }
    std::uint32_t seed = 1;
    if (argc == 4) {
        const unsigned long value = std::strtoul(argv[3], &end, 10);
        if (*end || !*argv[3]) {
            std::fprintf(stderr, "quenvale-historygen: SEED must be a number, not '%s'\n", argv[3]);
            return 2;
        }
        seed = std::uint32_t(value);
    }
    qv::history::HistoryDatabase db;
    const auto opened = db.open(argv[1]);
    if (!opened.message.empty())
        std::fprintf(stderr, "quenvale-historygen: %s\n", opened.message.c_str());
    if (!db.isOpen())
        return 1;
    try {
        const auto made = qv::historygen::generateHistory(db, games, seed, std::time(nullptr));
        std::printf("%ld games, %ld rounds written to %s\n", made.games, made.rounds, argv[1]);
    } catch (const qv::history::HistoryError &e) {
        std::fprintf(stderr, "quenvale-historygen: %s\n", e.what());
        return 1;
    }
    return 0;
}
