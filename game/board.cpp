#include "board.h"

#include "deck.h"

namespace qv {

std::array<int, 5> Board::linecards(int line) const
{
    std::array<int, 5> cards{};
    for (int k = 1; k <= 5; ++k)
        cards[k - 1] = line <= 4 ? cell(line, k) : cell(k, line - 5);
    return cards;
}

int Board::getlinescore(int line, int startersuit)
{
    return figurescore(line, linecards(line), startersuit, linebreakdown);
}

Board dealInOrder(std::uint32_t seed)
{
    Random random;
    random.seed(seed);
    Deck deck;
    shufflecards(deck, random);
    Board board;
    for (int i = 0; i < 16; ++i)
        board.cell(i / 4 + 1, i % 4 + 1) = deck.deck[i + 1];
    for (int k = 1; k <= 5; ++k)
        board.cell(5, k) = board.cell(k, 5) = deck.deck[Deck::starterSlot];
    return board;
}

void Board::clear()
{
    for (auto &row : linebreakdown)
        row.fill(0);
    for (auto &row : cells)
        row.fill(0);
}

} // namespace qv
