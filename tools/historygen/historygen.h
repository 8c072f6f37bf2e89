#pragma once
// A plausible history: games dealt from real numbered deals and played by a
// player who places each card where the worth of its two lines grows most (the
// coach's quick playout rule), now and then on a careless cell, less often as the
// games go by. Sessions of a few games most evenings; practice and ranked games
// among the random ones.

#include "history/historydatabase.h"

#include <cstdint>

namespace qv::historygen {

struct Generated {
    long games = 0;
    long rounds = 0;
};

// Adds games to the open history db, the last of them ending at about endTime
// (seconds since 1970 UTC), all in one transaction. The same seed gives the same
// history.
Generated generateHistory(history::HistoryDatabase &db, long games, std::uint32_t seed, std::int64_t endTime);

} // namespace qv::historygen
