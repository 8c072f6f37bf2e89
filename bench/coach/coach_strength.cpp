// The coach's strength table: the coach and its two yardsticks on the same
// numbered deals (mean round total, clear rate, decision times), and the
// clairvoyant ceiling of the first deals. Policies run one deal at a time, so
// every decision is timed alone on one core; the ceiling uses the threads given.
//   coach_strength [DEALS [CEILING_DEALS [THREADS]]]   (default 2000 200 2)
#include "coach/clairvoyant.h"
#include "coach/deals.h"
#include "game/gameflow.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace qv::coach;

namespace {

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void row(const char *name, Policy policy, std::uint32_t deals)
{
    DealsOptions options;
    options.policy = policy;
    options.count = deals;
    const auto start = std::chrono::steady_clock::now();
    const DealsReport report = playDeals(options);
    std::printf("| %s | %.2f | %.1f%% | %.2f | %.2f | %.0f s |\n", name, report.mean(), report.clearedPercent(),
                report.decisionPercentileMs(50), report.decisionPercentileMs(95), secondsSince(start));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    const auto deals = std::uint32_t(argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 2000);
    const auto ceilingDeals = std::size_t(argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 200);
    const int threads = argc > 3 ? std::atoi(argv[3]) : 2;

    std::printf("Deals 1 to %u, one decision at a time on one core:\n\n", deals);
    std::printf("| policy | mean | cleared | median ms | p95 ms | run |\n|---|---:|---:|---:|---:|---:|\n");
    row("random", Policy::Random, deals);
    row("Monte Carlo, 1000 random playouts per cell", Policy::MonteCarlo, deals);
    row("coach", Policy::Coach, deals);

    const auto start = std::chrono::steady_clock::now();
    std::vector<int> totals(ceilingDeals);
    inParallel(ceilingDeals, threads, [&](std::size_t i) {
        const auto deal = std::uint32_t(i + 1);
        totals[i] = bestArrangement(dealtCards(deal), 8, 200'000, deal).total;
    });
    double sum = 0;
    int cleared = 0;
    for (int total : totals) {
        sum += total;
        cleared += total >= qv::GameFlow::continueThreshold;
    }
    std::printf("\nClairvoyant ceiling, deals 1 to %zu (all 17 cards known, best arrangement found by "
                "simulated annealing): mean %.2f, cleared %.1f%% (%.0f s on %d threads)\n",
                ceilingDeals, sum / double(ceilingDeals), 100.0 * cleared / double(ceilingDeals), secondsSince(start),
                threads);
}
