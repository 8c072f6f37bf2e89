#pragma once
// A coach input read into what the searches work on.

#include "coach.h"
#include "position.h"

#include <optional>

namespace qv::coach {

struct Situation {
    Position pos;
    Pool pool; // the unseen cards
    EmptyCells empty;
};

// Nothing for an input no round can have: no card on offer, a card twice, no
// empty cell, or too few unseen cards for the rest of the round and a starter.
std::optional<Situation> situationOf(const CoachInput &input);

// Sets result.best to the best-rated cell, the first of equals.
void pickBest(CoachResult &result);

} // namespace qv::coach
