#pragma once
// The clairvoyant ceiling: with all seventeen cards known (the starter too) the
// order of dealing no longer matters, and a local search looks for the
// arrangement of the sixteen cards with the highest round total. It bounds what
// any player of the same cards could reach.

#include "round.h"

#include <cstdint>

namespace qv::coach {

// The best arrangement found by simulated annealing over swaps of two cells,
// restarts times from a shuffled board with steps swaps each.
RoundPlay bestArrangement(const RoundCards &cards, int restarts = 8, long steps = 200'000, std::uint32_t seed = 1);

} // namespace qv::coach
