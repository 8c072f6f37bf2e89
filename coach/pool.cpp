#include "pool.h"

#include <bit>

namespace qv::coach {

Pool Pool::without(CardSet seen)
{
    Pool pool;
    for (int card = 1; card <= 52; ++card)
        if (!(seen & cardBit(card)))
            pool.add(card);
    return pool;
}

int starterSum(const LineState &line, const Pool &pool)
{
    const std::uint8_t *points = rankPoints().data() + line.key * 13;
    int sum = 0;
    for (int r = 0; r < 13; ++r)
        sum += pool.ranks[r] * points[r];
    if (line.suit >= 0 && line.suit < LineState::mixed)
        sum += 4 * pool.size + pool.suits[line.suit];
    // Nob: a jack as the starter, or a starter of a placed jack's suit (counted once).
    int nob = pool.ranks[jackRank];
    for (int s = 0; s < 4; ++s)
        if (line.jacks & (1u << s))
            nob += pool.suits[s] - (pool.has(s * 13 + jackRank + 1) ? 1 : 0);
    return sum + nob;
}

} // namespace qv::coach
