#include "deals.h"

#include "baselines.h"
#include "game/gameflow.h"
#include "round.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <ctime>
#include <numeric>
#include <thread>

namespace qv::coach {

namespace {

// Milliseconds of processor time this thread has used: a decision's time on one
// core, whatever else the machine is running.
double threadMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// One deal: the cells chosen card by card and the time of each decision.
int playDeal(const DealsOptions &options, std::uint32_t deal, std::vector<double> &times)
{
    const RoundCards cards = dealtCards(deal);
    Random random;
    random.seed(deal);
    CoachInput input;
    for (int i = 0; i < 16; ++i) {
        input.card = cards[i];
        const std::uint32_t seed = decisionSeed(deal, i); // as coachRound with the deal as its seed
        const double start = threadMs();
        int cell = -1;
        switch (options.policy) {
        case Policy::Coach: {
            CoachOptions coach = options.coach;
            coach.seed = seed;
            cell = rateCells(input, coach).best;
            break;
        }
        case Policy::Random:
            cell = randomCell(input, random);
            break;
        case Policy::MonteCarlo:
            cell = rateCellsAtRandom(input, options.rollouts, seed).best;
            break;
        }
        times.push_back(threadMs() - start);
        input.cells[cell] = cards[i];
    }
    return roundTotal(input.cells, cards[16]);
}

} // namespace

DealsReport playDeals(const DealsOptions &options)
{
    const std::size_t count = options.count;
    std::vector<int> totals(count);
    std::vector<std::vector<double>> times(count);
    inParallel(count, options.threads,
               [&](std::size_t i) { totals[i] = playDeal(options, options.first + std::uint32_t(i), times[i]); });

    DealsReport report;
    report.totals = std::move(totals);
    for (const std::vector<double> &deal : times)
        report.decisionMs.insert(report.decisionMs.end(), deal.begin(), deal.end());
    return report;
}

void inParallel(std::size_t count, int threads, const std::function<void(std::size_t)> &work)
{
    std::atomic<std::size_t> next{0};
    auto worker = [&] {
        for (std::size_t i; (i = next++) < count;)
            work(i);
    };
    std::vector<std::thread> helpers;
    for (int t = 1; t < threads; ++t)
        helpers.emplace_back(worker);
    worker();
    for (std::thread &t : helpers)
        t.join();
}

double DealsReport::mean() const
{
    return totals.empty() ? 0 : std::accumulate(totals.begin(), totals.end(), 0.0) / double(totals.size());
}

double DealsReport::clearedPercent() const
{
    if (totals.empty())
        return 0;
    const auto cleared = std::count_if(totals.begin(), totals.end(),
                                       [](int t) { return t >= GameFlow::continueThreshold; });
    return 100.0 * double(cleared) / double(totals.size());
}

double DealsReport::decisionPercentileMs(double p) const
{
    if (decisionMs.empty())
        return 0;
    std::vector<double> sorted = decisionMs;
    std::sort(sorted.begin(), sorted.end());
    // Nearest rank: the smallest time that at least p percent of decisions do not exceed.
    const auto rank = std::size_t(std::max(1.0, std::ceil(p / 100.0 * double(sorted.size()))));
    return sorted[std::min(rank, sorted.size()) - 1];
}

} // namespace qv::coach
