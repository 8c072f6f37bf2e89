#pragma once
// A board as the coach's search sees it: sixteen cells (index row * 4 + column,
// both from 0) and the eight lines they fill (the rows 0..3, then the columns as 4..7).

#include "handtable.h"
#include "pool.h"

#include <array>

namespace qv::coach {

constexpr int cellCount = 16;
// Cell index of the placeable cell (row, col), both 1..4, as the game numbers them.
constexpr int cellIndex(int row, int col) { return (row - 1) * 4 + (col - 1); }
constexpr int rowLine(int cell) { return cell / 4; }
constexpr int columnLine(int cell) { return 4 + cell % 4; }

struct Position {
    std::array<int, cellCount> cells{}; // card numbers, 0 = empty
    std::array<LineState, 8> lines{};

    static Position from(const std::array<int, cellCount> &cells);

    void place(int cell, int card)
    {
        cells[cell] = card;
        lines[rowLine(cell)].add(card);
        lines[columnLine(cell)].add(card);
    }
};

// Empty cells in a small list; taking one out moves the last into its place.
struct EmptyCells {
    std::array<int, cellCount> at{};
    int size = 0;

    EmptyCells without(int i) const
    {
        EmptyCells rest = *this;
        rest.at[i] = rest.at[--rest.size];
        return rest;
    }
};

// The round total of a full board summed over every card of the pool as the
// starter; divided by pool.size it is the expected round total.
int starterSum(const Position &full, const Pool &pool);

} // namespace qv::coach
