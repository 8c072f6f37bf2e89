#include "baselines.h"

#include "situation.h"

#include <bit>
#include <vector>

namespace qv::coach {

int randomCell(const CoachInput &input, Random &random)
{
    const std::optional<Situation> s = situationOf(input);
    if (!s)
        return -1;
    return s->empty.at[random.draw(std::uint32_t(s->empty.size))];
}

CoachResult rateCellsAtRandom(const CoachInput &input, int playoutsPerCell, std::uint32_t seed)
{
    CoachResult result;
    const std::optional<Situation> s = situationOf(input);
    if (!s)
        return result;
    std::vector<int> deck;
    for (CardSet rest = s->pool.cards; rest != 0; rest &= rest - 1)
        deck.push_back(std::countr_zero(rest));
    Random random;
    random.seed(seed);
    const int futureCount = s->empty.size - 1;
    for (int i = 0; i < s->empty.size; ++i) {
        const int cell = s->empty.at[i];
        long sum = 0;
        for (int n = 0; n < playoutsPerCell; ++n) {
            // Deal the rest of the round and the starter in deck[0..futureCount].
            for (int k = 0; k <= futureCount; ++k)
                std::swap(deck[k], deck[k + random.draw(std::uint32_t(deck.size() - k))]);
            Position board = s->pos;
            board.place(cell, input.card);
            EmptyCells rest = s->empty.without(i);
            for (int k = 0; k < futureCount; ++k) {
                const int pick = int(random.draw(std::uint32_t(rest.size)));
                board.place(rest.at[pick], deck[k]);
                rest = rest.without(pick);
            }
            for (const LineState &line : board.lines)
                sum += linePoints(line, deck[futureCount]);
        }
        result.expected[cell] = double(sum) / playoutsPerCell;
        result.playouts += playoutsPerCell;
    }
    pickBest(result);
    return result;
}

} // namespace qv::coach
