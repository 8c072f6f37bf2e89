#include "deck.h"

namespace qv {

int shufflecards(Deck &d, Random &random)
{
    d.deck.fill(0);
    int draws = 0;
    for (int a = 1; a <= 52; ++a) {
        int s;
        do {
            s = static_cast<int>(random.draw(52)) + 1;
            ++draws;
        } while (d.deck[s] != 0);
        d.deck[s] = a;
    }
    d.dealpos = 1;
    return draws;
}

} // namespace qv
