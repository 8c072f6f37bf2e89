#pragma once
// A round's deck: 52 slots (1..52) each holding a card number, the deal position
// (the slot offered next; 17 once the sixteenth card is placed) and the starter's suit.

#include "random.h"

#include <array>

namespace qv {

struct Deck {
    static constexpr int starterSlot = 17;

    std::array<int, 53> deck{}; // slot 0 unused
    int dealpos = 0;
    int startersuit = 0;

    // The card offered now (deck slot dealpos).
    int nextcard() const { return dealpos >= 1 && dealpos <= 52 ? deck[dealpos] : 0; }
};

// Fresh shuffle of all 52 cards: card a = 1..52 goes to slot draw(52) + 1,
// drawing again while that slot is taken. Returns the number of draws used.
// dealpos becomes 1.
int shufflecards(Deck &deck, Random &random);

} // namespace qv
