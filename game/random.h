#pragma once
// The game's one pseudo-random generator: a 32-bit linear congruential state,
// drawn from only by the shuffle.

#include <cstdint>

namespace qv {

class Random {
public:
    void seed(std::uint32_t state) { state_ = state; }
    // Milliseconds since midnight of the current UTC time.
    void seedFromClock();
    std::uint32_t state() const { return state_; }

    // A value in 0..n-1: advance the state, then take the upper 32 bits of state * n.
    std::uint32_t draw(std::uint32_t n)
    {
        state_ = state_ * 134775813u + 1u;
        return static_cast<std::uint32_t>((std::uint64_t(state_) * n) >> 32);
    }

private:
    std::uint32_t state_ = 0;
};

} // namespace qv
