#pragma once
// What a line still being filled is worth: the points it can be expected to end
// with. The coach's playouts place each card where the board's worth grows most,
// which plays far better than placing cards at random and costs a few table reads.

#include "handtable.h"

#include <array>
#include <vector>

namespace qv::coach {

class LineWorth {
public:
    // Worth as the expected points when the line's empty cells and the starter get
    // cards dealt at random from the 52 minus the line's own.
    static const LineWorth &randomFill();

    float operator()(const LineState &line) const
    {
        float worth = rank_[std::size_t(firstKey[line.count] + line.key)] + nob_[line.jacks & 15];
        if (line.suit != LineState::mixed)
            worth += flush_[std::size_t(line.count)];
        return worth;
    }

private:
    static LineWorth buildRandomFill();

    // The keys of 0, 1, 2, 3 and 4 cards one after another in rank_.
    static constexpr std::array<int, 6> firstKey = {0, 1, 14, 183, 2380, 2380 + rankKeyCount4};

    std::vector<float> rank_;      // points of the ranks, by firstKey[count] + key
    std::array<float, 5> flush_{}; // by count, for a line whose cards share one suit
    std::array<float, 16> nob_{};  // by the suits of the placed jacks
};

} // namespace qv::coach
