#pragma once
// The two yardsticks the coach is measured against.

#include "coach.h"
#include "game/random.h"

namespace qv::coach {

// A uniformly random empty cell; -1 for an input no round can have.
int randomCell(const CoachInput &input, Random &random);

// Flat Monte Carlo: each empty cell is rated by the mean round total of
// playoutsPerCell playouts that deal the rest of the round and the starter from
// the unseen cards and put every card on a uniformly random empty cell.
CoachResult rateCellsAtRandom(const CoachInput &input, int playoutsPerCell, std::uint32_t seed);

} // namespace qv::coach
