#pragma once
// What a line still being filled is worth: the points it can be expected to end
// with. The coach's playouts place each card where the board's worth grows most,
// which plays far better than placing cards at random and costs a few table reads.

#include "handtable.h"

#include <array>
#include <bit>
#include <vector>

namespace qv::coach {

class LineWorth {
public:
    // Worth as the expected points when the line's empty cells and the starter get
    // cards dealt at random from the 52 minus the line's own.
    static const LineWorth &randomFill();

    float operator()(const LineState &line) const
    {
        float worth = rank_[line.count][line.key] + nob_ * float(std::popcount(line.jacks));
        if (line.suit != LineState::mixed)
            worth += flush_[line.count];
        return worth;
    }

private:
    static LineWorth buildRandomFill();

    std::array<std::vector<float>, 5> rank_; // by count, indexed by key (13^count entries)
    std::array<float, 5> flush_{};          // by count, for a line whose cards share one suit
    float nob_ = 0;                         // each placed jack
};

} // namespace qv::coach
