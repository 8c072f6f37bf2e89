#pragma once
// Numbered deals played by a policy, for the command-line player and the
// strength benchmark: round totals, clear rate and the time of every decision.

#include "coach.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace qv::coach {

enum class Policy { Coach, Random, MonteCarlo };

struct DealsOptions {
    Policy policy = Policy::Coach;
    std::uint32_t first = 1; // deal numbers first, first + 1, ... (wrapping past 4294967295)
    std::uint32_t count = 100;
    CoachOptions coach;        // the coach's budget; its seed is replaced by one per deal
    int rollouts = 1000;       // Monte Carlo playouts per cell
    int threads = 1;           // deals played side by side; each decision runs on one thread
};

struct DealsReport {
    std::vector<int> totals;         // by deal
    std::vector<double> decisionMs;  // every decision of every deal: its thread's processor time

    double mean() const;
    double clearedPercent() const; // rounds of 55 or more
    double decisionPercentileMs(double p) const; // p in 0..100
};

DealsReport playDeals(const DealsOptions &options);

// Runs work(0) .. work(count - 1), threads of them at a time.
void inParallel(std::size_t count, int threads, const std::function<void(std::size_t)> &work);

} // namespace qv::coach
