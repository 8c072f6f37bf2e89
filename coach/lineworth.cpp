#include "lineworth.h"

#include <bit>

namespace qv::coach {

namespace {

// How many of each rank a key of count digits holds.
std::array<int, 13> rankCounts(int key, int count)
{
    std::array<int, 13> n{};
    for (int i = 0; i < count; ++i, key /= 13)
        ++n[key % 13];
    return n;
}

} // namespace

const LineWorth &LineWorth::randomFill()
{
    static const LineWorth worth = buildRandomFill();
    return worth;
}

LineWorth LineWorth::buildRandomFill()
{
    LineWorth w;
    // From the full line down: each level averages the next card over the ranks
    // left in a deck without the line's cards; a full line averages its starter.
    const std::vector<std::uint8_t> &points = rankPoints();
    w.rank_.assign(std::size_t(firstKey[5]), 0.f);
    for (int count = 4; count >= 0; --count) {
        for (int key = 0; key < firstKey[count + 1] - firstKey[count]; ++key) {
            const std::array<int, 13> n = rankCounts(key, count);
            double sum = 0;
            for (int r = 0; r < 13; ++r)
                if (n[r] < 4)
                    sum += (4 - n[r]) * (count == 4 ? points[std::size_t(key * 13 + r)]
                                                    : w.rank_[std::size_t(firstKey[count + 1] + key * 13 + r)]);
            w.rank_[std::size_t(firstKey[count] + key)] = float(sum / (52 - count));
        }
    }
    // A flush needs every empty cell to draw the line's suit; the starter then
    // shares it with 9 of the 48 cards outside the line.
    for (int count = 0; count <= 4; ++count) {
        double p = 1;
        for (int i = count == 0 ? 1 : count; i < 4; ++i) // the first card picks the suit
            p *= double(13 - i) / (52 - i);
        w.flush_[count] = float(p * (4 + 9.0 / 48));
    }
    // Each placed jack scores nob with a starter of its suit, 12 of the 48 others.
    for (unsigned jacks = 0; jacks < 16; ++jacks)
        w.nob_[jacks] = float(std::popcount(jacks)) * 12.f / 48;
    return w;
}

} // namespace qv::coach
