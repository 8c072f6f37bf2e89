#pragma once
// The 5 x 5 board: rows and columns 1..4 are the sixteen placeable cells, the
// fifth row and column (and the corner) show the starter. Lines 1..4 are the rows,
// 6..9 the columns; there is no line 5.

#include "scoring.h"

#include <array>
#include <cstdint>

namespace qv {

struct Board {
    std::array<std::array<int, 6>, 6> cells{}; // cells[row][col], 1-based, 0 = empty
    LineBreakdown linebreakdown{};

    int &cell(int row, int col) { return cells.at(row).at(col); }
    int cell(int row, int col) const { return cells.at(row).at(col); }

    // The line's five cards in hand order: four placed cards, then the starter cell.
    std::array<int, 5> linecards(int line) const;

    // Scores one line (1..4, 6..9) from its cells, filling its breakdown row.
    int getlinescore(int line, int startersuit);

    // Empties every cell and zeroes the breakdown table.
    void clear();
};

// The board that a shuffle from generator state seed gives when each card goes to
// the next cell, left to right and top to bottom, with the starter in the fifth row
// and column; not yet scored. Known deals for tests and benchmarks.
Board dealInOrder(std::uint32_t seed);

// Lines in scoring order; every loop over lines skips 5.
inline constexpr std::array<int, 8> boardLines = {1, 2, 3, 4, 6, 7, 8, 9};

} // namespace qv
