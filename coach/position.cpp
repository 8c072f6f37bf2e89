#include "position.h"

namespace qv::coach {

Position Position::from(const std::array<int, cellCount> &cells)
{
    Position p;
    for (int cell = 0; cell < cellCount; ++cell)
        if (cells[cell] != 0)
            p.place(cell, cells[cell]);
    return p;
}

int starterSum(const Position &full, const Pool &pool)
{
    int sum = 0;
    for (const LineState &line : full.lines)
        sum += starterSum(line, pool);
    return sum;
}

} // namespace qv::coach
