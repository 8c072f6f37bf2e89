#include "handtable.h"

#include "game/scoring.h"

#include <algorithm>

namespace qv::coach {

namespace {

std::array<int, 5> digits(int key5)
{
    std::array<int, 5> d{};
    for (int i = 4; i >= 0; --i, key5 /= 13)
        d[i] = key5 % 13;
    return d;
}

std::vector<std::uint8_t> buildRankPoints()
{
    // Score each multiset of ranks once with the rules (on clubs, as suits play no
    // part here), then copy it to every order of the same ranks.
    std::vector<std::uint8_t> sorted(rankKeyCount5);
    std::array<int, 5> r{};
    for (r[0] = 0; r[0] < 13; ++r[0])
        for (r[1] = r[0]; r[1] < 13; ++r[1])
            for (r[2] = r[1]; r[2] < 13; ++r[2])
                for (r[3] = r[2]; r[3] < 13; ++r[3])
                    for (r[4] = r[3]; r[4] < 13; ++r[4]) {
                        std::array<int, 5> cards{};
                        int key = 0;
                        for (int i = 0; i < 5; ++i) {
                            cards[i] = r[i] + 1;
                            key = key * 13 + r[i];
                        }
                        const ScoreHand hand = makescorehand(cards);
                        sorted[key] = std::uint8_t(checkforpairs(hand) + checkforstraight(hand) + checkfor15(hand));
                    }
    std::vector<std::uint8_t> table(rankKeyCount5);
    for (int key = 0; key < rankKeyCount5; ++key) {
        std::array<int, 5> d = digits(key);
        std::sort(d.begin(), d.end());
        int canonical = 0;
        for (int x : d)
            canonical = canonical * 13 + x;
        table[key] = sorted[canonical];
    }
    return table;
}

} // namespace

const std::vector<std::uint8_t> &rankPoints()
{
    static const auto table = buildRankPoints();
    return table;
}

int linePoints(const LineState &line, int starter)
{
    const int s = suitIndex(starter);
    int points = rankPoints()[line.key * 13 + rankIndex(starter)];
    if (line.suit >= 0 && line.suit < LineState::mixed)
        points += line.suit == s ? 5 : 4;
    if (rankIndex(starter) == jackRank || (line.jacks & (1u << s)))
        points += 1;
    return points;
}

} // namespace qv::coach
