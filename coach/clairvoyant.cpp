#include "clairvoyant.h"

#include "game/random.h"

#include <cmath>

namespace qv::coach {

namespace {

class Arrangement {
public:
    Arrangement(const std::array<int, cellCount> &cells, int starter) : cells_(cells), starter_(starter)
    {
        for (int l = 0; l < 8; ++l)
            total_ += points_[l] = score(l);
    }

    int total() const { return total_; }
    const std::array<int, cellCount> &cells() const { return cells_; }

    // Swaps two cells and returns the change of the round total.
    int swap(int a, int b)
    {
        std::swap(cells_[a], cells_[b]);
        int lines[4] = {rowLine(a), columnLine(a), rowLine(b), columnLine(b)};
        int change = 0;
        for (int i = 0; i < 4; ++i) {
            const int l = lines[i];
            if ((i == 2 && l == lines[0]) || (i == 3 && l == lines[1]))
                continue; // a and b share this line: nothing in it changed
            const int now = score(l);
            change += now - points_[l];
            points_[l] = now;
        }
        total_ += change;
        return change;
    }

private:
    int score(int line) const
    {
        LineState state;
        for (int k = 0; k < 4; ++k)
            state.add(cells_[line < 4 ? line * 4 + k : k * 4 + (line - 4)]);
        return linePoints(state, starter_);
    }

    std::array<int, cellCount> cells_;
    int starter_;
    std::array<int, 8> points_{};
    int total_ = 0;
};

} // namespace

RoundPlay bestArrangement(const RoundCards &cards, int restarts, long steps, std::uint32_t seed)
{
    Random random;
    random.seed(seed);
    RoundPlay best;
    best.total = -1;
    for (int run = 0; run < restarts; ++run) {
        std::array<int, cellCount> cells{};
        for (int i = 0; i < cellCount; ++i)
            cells[i] = cards[i];
        for (int i = cellCount - 1; i > 0; --i)
            std::swap(cells[i], cells[random.draw(std::uint32_t(i + 1))]);
        Arrangement board(cells, cards[16]);
        // Cooling from a temperature that accepts most losses of a few points to
        // one that accepts almost none.
        const double hot = 4.0, cold = 0.05;
        for (long step = 0; step < steps; ++step) {
            const double temperature = hot * std::pow(cold / hot, double(step) / double(steps));
            const int a = int(random.draw(cellCount));
            const int b = int(random.draw(cellCount - 1));
            const int other = b >= a ? b + 1 : b;
            const int change = board.swap(a, other);
            if (change < 0 && double(random.draw(1u << 30)) / (1u << 30) >= std::exp(change / temperature))
                board.swap(a, other); // refused: undo
            if (board.total() > best.total) {
                best.total = board.total();
                best.cells = board.cells();
            }
        }
    }
    return best;
}

} // namespace qv::coach
