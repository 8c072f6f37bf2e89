#pragma once
// Exact line points for the coach, fast. Sets, runs and fifteens depend on ranks
// alone, so the points of every five ranks sit in one table built once with the
// game's own rules; flush and nob are added from the suits. The coach scores
// millions of lines a second this way and always agrees with the breakdown.

#include <array>
#include <cstdint>
#include <vector>

namespace qv::coach {

// Rank 0 (ace) .. 12 (king) and suit 0 (clubs) .. 3 (spades) of a card number 1..52.
constexpr int rankIndex(int card) { return (card - 1) % 13; }
constexpr int suitIndex(int card) { return (card - 1) / 13; }
constexpr int jackRank = 10;

// A line's ranks as base-13 digits: adding a card makes key * 13 + its rank, so
// four placed cards and a starter rank give a five-digit key.
constexpr int rankKeyCount4 = 13 * 13 * 13 * 13;
constexpr int rankKeyCount5 = rankKeyCount4 * 13;

// Sets + runs + fifteens of the five ranks of a five-digit key, in any order
// (rankKeyCount5 entries).
const std::vector<std::uint8_t> &rankPoints();

// What a line holds so far, kept up to date card by card.
struct LineState {
    int key = 0;        // ranks of the placed cards
    int count = 0;      // placed cards, 0..4
    int suit = -1;      // the suit all placed cards share; -1 before the first, 4 once mixed
    unsigned jacks = 0; // bit s set when a jack of suit s is placed

    static constexpr int mixed = 4;
    void add(int card)
    {
        key = key * 13 + rankIndex(card);
        ++count;
        const int s = suitIndex(card);
        suit = suit == -1 || suit == s ? s : mixed;
        if (rankIndex(card) == jackRank)
            jacks |= 1u << s;
    }
};

// The points of a full line (four placed cards) with this starter: what figurescore gives.
int linePoints(const LineState &line, int starter);

} // namespace qv::coach
