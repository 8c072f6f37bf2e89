#pragma once
// The cards a player has not seen. Every card still to come and the starter are
// among them, each as likely as any other: that is all the coach may know.

#include "handtable.h"

#include <array>
#include <cstdint>

namespace qv::coach {

// Bit c of a card set stands for card number c (1..52).
using CardSet = std::uint64_t;
constexpr CardSet cardBit(int card) { return CardSet(1) << card; }
constexpr CardSet allCards = ((CardSet(1) << 53) - 1) & ~CardSet(1);

struct Pool {
    CardSet cards = 0;
    std::array<int, 13> ranks{};
    std::array<int, 4> suits{};
    int size = 0;

    // Every card outside seen.
    static Pool without(CardSet seen);

    bool has(int card) const { return (cards & cardBit(card)) != 0; }
    void remove(int card)
    {
        cards &= ~cardBit(card);
        --ranks[rankIndex(card)];
        --suits[suitIndex(card)];
        --size;
    }
    void add(int card)
    {
        cards |= cardBit(card);
        ++ranks[rankIndex(card)];
        ++suits[suitIndex(card)];
        ++size;
    }
};

// The points of a full line summed over every card of the pool as the starter;
// divided by pool.size it is the line's expected points.
int starterSum(const LineState &line, const Pool &pool);

} // namespace qv::coach
