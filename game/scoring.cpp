#include "scoring.h"

#include "cards.h"

#include <algorithm>

namespace qv {

ScoreHand makescorehand(const std::array<int, 5> &cards)
{
    ScoreHand hand;
    for (int i = 0; i < 5; ++i)
        hand[i] = {cards[i], rankcode(cards[i])};
    return hand;
}

int checkfornob(const ScoreHand &hand, int startersuit)
{
    for (const HandEntry &e : hand)
        if (e.rank == 11 && getsuit(e.card) == startersuit)
            return 1;
    return 0;
}

int checkforpairs(const ScoreHand &hand)
{
    int points = 0;
    for (int i = 0; i < 5; ++i)
        for (int j = i + 1; j < 5; ++j)
            if (hand[i].rank == hand[j].rank)
                points += 2;
    return points;
}

int checkforstraight(const ScoreHand &hand)
{
    // Bins ace (1) .. king (13); the ace is low only, so runs never wrap.
    std::array<int, 14> bins{};
    for (const HandEntry &e : hand)
        ++bins[e.rank == 0 ? 13 : e.rank];

    int longest = 0;
    for (int run = 0, r = 1; r <= 13; ++r) {
        run = bins[r] > 0 ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    const int triples = static_cast<int>(std::count_if(bins.begin(), bins.end(), [](int n) { return n >= 3; }));
    const int doubles = static_cast<int>(std::count(bins.begin(), bins.end(), 2));

    switch (longest) {
    case 5:
        return 5;
    case 4:
        return doubles + triples > 0 ? 8 : 4;
    case 3: {
        if (triples > 0)
            return 9;
        if (doubles >= 2)
            return 12;
        // A single pair counts towards the run only when it lies inside it.
        for (int r = 1; r + 2 <= 13; ++r)
            if (bins[r] && bins[r + 1] && bins[r + 2])
                return (bins[r] == 2 || bins[r + 1] == 2 || bins[r + 2] == 2) ? 6 : 3;
        return 3;
    }
    default:
        return 0;
    }
}

int checkforflush(const ScoreHand &hand)
{
    const int suit = getsuit(hand[0].card);
    int n = 1;
    for (int i = 1; i < 5; ++i)
        if (getsuit(hand[i].card) == suit)
            ++n;
    if (n == 5)
        return 5;
    if (n == 4 && getsuit(hand[4].card) != suit)
        return 4;
    return 0;
}

int checkfor15(const ScoreHand &hand)
{
    std::array<int, 5> value{};
    for (int i = 0; i < 5; ++i)
        value[i] = hand[i].rank == 0 || hand[i].rank > 10 ? 10 : hand[i].rank;
    int points = 0;
    for (unsigned subset = 1; subset < 32; ++subset) {
        if ((subset & (subset - 1)) == 0)
            continue; // single cards do not count
        int sum = 0;
        for (int i = 0; i < 5; ++i)
            if (subset & (1u << i))
                sum += value[i];
        if (sum == 15)
            points += 2;
    }
    return points;
}

int figurescore(int line, const std::array<int, 5> &cards, int startersuit,
                LineBreakdown &linebreakdown)
{
    const ScoreHand hand = makescorehand(cards);
    CategoryPoints &row = linebreakdown.at(line - 1);
    row[Nob] = checkfornob(hand, startersuit);
    row[Sets] = checkforpairs(hand);
    row[Runs] = checkforstraight(hand);
    row[Flush] = checkforflush(hand);
    row[Fifteen] = checkfor15(hand);
    return row[Nob] + row[Sets] + row[Runs] + row[Flush] + row[Fifteen];
}

} // namespace qv
