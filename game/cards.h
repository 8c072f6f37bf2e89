#pragma once
// Card numbers 1..52 (0 = no card): clubs 1..13, diamonds 14..26, hearts 27..39,
// spades 40..52, each running ace, 2, ..., 10, jack, queen, king.

#include <string>

namespace qv {

constexpr int cardCount = 52;
constexpr int cardBack = 0; // picture 0 of the card sheet

// Suit 1..4 (clubs, diamonds, hearts, spades), 0 for a value outside 1..52.
int getsuit(int card);

// Rank code: card modulo 13; 1 ace, 2..10 pips, 11 jack, 12 queen, 0 king.
constexpr int rankcode(int card) { return card % 13; }

// Spoken name such as "seven of hearts"; "no card" for 0.
std::string cardName(int card);

} // namespace qv
