#include "board.h"

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

void Board::clear()
{
    for (auto &row : linebreakdown)
        row.fill(0);
    for (auto &row : cells)
        row.fill(0);
}

} // namespace qv
