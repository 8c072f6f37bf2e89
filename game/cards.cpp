#include "cards.h"

#include <array>

namespace qv {

int getsuit(int card)
{
    if (card < 1 || card > cardCount)
        return 0;
    return (card - 1) / 13 + 1;
}

std::string cardName(int card)
{
    static const std::array<const char *, 13> ranks = {
        "king", "ace", "two", "three", "four", "five", "six",
        "seven", "eight", "nine", "ten", "jack", "queen"};
    static const std::array<const char *, 4> suits = {"clubs", "diamonds", "hearts", "spades"};
    const int suit = getsuit(card);
    if (suit == 0)
        return "no card";
    return std::string(ranks[rankcode(card)]) + " of " + suits[suit - 1];
}

} // namespace qv
