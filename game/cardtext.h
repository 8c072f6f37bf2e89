#pragma once
// The short written form of a card: a rank (A 2 3 4 5 6 7 8 9 T J Q K) followed by
// a suit (C D H S), such as "TH" or "AS". Used wherever cards are typed or sent as
// text: the command-line player and the ranked games' messages.

#include <optional>
#include <string>
#include <string_view>

namespace qv {

// "TH" for the ten of hearts; an empty text for a value outside 1..52.
std::string cardText(int card);

// The card a text names: the short form (either case) or a card number 1..52.
// Nothing for anything else, including surrounding spaces and numbers with signs.
std::optional<int> parseCard(std::string_view text);

} // namespace qv
