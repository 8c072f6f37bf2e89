#include "cardtext.h"

#include "cards.h"

#include <cctype>

namespace qv {

namespace {

// Ranks in card order within a suit: ace first, king last.
constexpr std::string_view rankLetters = "A23456789TJQK";
constexpr std::string_view suitLetters = "CDHS";

} // namespace

std::string cardText(int card)
{
    const int suit = getsuit(card);
    if (suit == 0)
        return {};
    return {rankLetters[(card - 1) % 13], suitLetters[suit - 1]};
}

std::optional<int> parseCard(std::string_view text)
{
    if (text.empty() || text.size() > 2)
        return std::nullopt;
    if (text.size() == 2) {
        const auto rank = rankLetters.find(char(std::toupper(static_cast<unsigned char>(text[0]))));
        const auto suit = suitLetters.find(char(std::toupper(static_cast<unsigned char>(text[1]))));
        if (rank != std::string_view::npos && suit != std::string_view::npos)
            return int(suit * 13 + rank + 1);
    }
    int number = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        number = number * 10 + (c - '0');
    }
    if (number < 1 || number > cardCount)
        return std::nullopt;
    return number;
}

} // namespace qv
