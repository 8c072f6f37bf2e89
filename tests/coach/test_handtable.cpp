// The coach's fast line scoring against the game's own rules.
#include "coach/pool.h"
#include "game/cards.h"
#include "game/random.h"
#include "game/scoring.h"

#include <gtest/gtest.h>

using namespace qv;
using namespace qv::coach;

namespace {

int rules(const std::array<int, 5> &cards)
{
    LineBreakdown breakdown{};
    return figurescore(1, cards, getsuit(cards[4]), breakdown);
}

LineState lineOf(const std::array<int, 5> &cards)
{
    LineState line;
    for (int i = 0; i < 4; ++i)
        line.add(cards[i]);
    return line;
}

// Five different cards from the generator.
std::array<int, 5> randomHand(Random &random)
{
    std::array<int, 5> cards{};
    CardSet used = 0;
    for (int &card : cards) {
        do
            card = int(random.draw(52)) + 1;
        while (used & cardBit(card));
        used |= cardBit(card);
    }
    return cards;
}

} // namespace

TEST(HandTable, AgreesWithTheRulesOnRandomHands)
{
    Random random;
    random.seed(7);
    for (int i = 0; i < 20000; ++i) {
        const std::array<int, 5> cards = randomHand(random);
        ASSERT_EQ(linePoints(lineOf(cards), cards[4]), rules(cards))
            << cards[0] << " " << cards[1] << " " << cards[2] << " " << cards[3] << " starter " << cards[4];
    }
}

TEST(HandTable, AgreesOnFlushesNobsAndRunsWithPairs)
{
    // Hands where suits and the order of cards matter: a flush with and without
    // the starter, a jack of the starter's suit, a jack as the starter, a run
    // with a pair inside and a pair outside it.
    const std::array<std::array<int, 5>, 7> hands = {{
        {27, 29, 33, 35, 38}, // ace, 3, 7, 9 of hearts, queen of hearts
        {27, 29, 33, 35, 51}, // the same, queen of spades
        {29, 27, 46, 35, 38}, // a spade among the placed hearts
        {50, 2, 17, 6, 47},   // jack of spades, starter a spade
        {1, 15, 30, 44, 24},  // jack of diamonds as the starter
        {3, 17, 31, 45, 5},   // 3, 4, 5, 6 and a 5
        {3, 4, 5, 9, 22},     // 3, 4, 5 and two nines
    }};
    for (const auto &cards : hands)
        EXPECT_EQ(linePoints(lineOf(cards), cards[4]), rules(cards)) << "hand starting with " << cards[0];
}

TEST(HandTable, StarterSumAddsEveryUnseenStarter)
{
    Random random;
    random.seed(11);
    for (int i = 0; i < 300; ++i) {
        const std::array<int, 5> cards = randomHand(random);
        CardSet seen = 0;
        for (int k = 0; k < 4; ++k)
            seen |= cardBit(cards[k]);
        for (int k = 0; k < 12; ++k)
            seen |= cardBit(int(random.draw(52)) + 1);
        const Pool pool = Pool::without(seen);
        int sum = 0;
        for (int starter = 1; starter <= 52; ++starter)
            if (!(seen & cardBit(starter)))
                sum += rules({cards[0], cards[1], cards[2], cards[3], starter});
        ASSERT_EQ(starterSum(lineOf(cards), pool), sum);
    }
}
