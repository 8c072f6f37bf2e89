#include "game/cards.h"
#include "game/cardtext.h"
#include "game/deck.h"
#include "game/random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

using namespace qv;

TEST(Cards, SuitAndRankCodes)
{
    for (int bad : {0, 53, -1, -14, 1000})
        EXPECT_EQ(getsuit(bad), 0) << bad;
    EXPECT_EQ(getsuit(1), 1);
    EXPECT_EQ(getsuit(13), 1);
    EXPECT_EQ(getsuit(14), 2);
    EXPECT_EQ(getsuit(39), 3);
    EXPECT_EQ(getsuit(40), 4);
    EXPECT_EQ(getsuit(52), 4);
    EXPECT_EQ(rankcode(13), 0);
    EXPECT_EQ(rankcode(12), 12);
    EXPECT_EQ(rankcode(1), 1);
    for (int jack : {11, 24, 37, 50})
        EXPECT_EQ(rankcode(jack), 11);
}

TEST(Cards, SpokenNames)
{
    EXPECT_EQ(cardName(1), "ace of clubs");
    EXPECT_EQ(cardName(33), "seven of hearts");
    EXPECT_EQ(cardName(52), "king of spades");
    EXPECT_EQ(cardName(24), "jack of diamonds");
    EXPECT_EQ(cardName(0), "no card");
}

TEST(Random, DrawFormula)
{
    Random r;
    r.seed(0);
    EXPECT_EQ(r.draw(52), 0u); // state becomes 1
    EXPECT_EQ(r.draw(52), 1u); // state 134775814
    EXPECT_EQ(r.state(), 134775814u);
    // The state wraps modulo 2^32.
    r.seed(0xFFFFFFFFu);
    r.draw(2);
    EXPECT_EQ(r.state(), static_cast<std::uint32_t>(0xFFFFFFFFull * 134775813ull + 1ull));
}

TEST(Shuffle, FromStateZero)
{
    Random r;
    r.seed(0);
    Deck d;
    EXPECT_EQ(shufflecards(d, r), 180);
    const int expected[17] = {1, 2, 47, 13, 11, 41, 50, 24, 8, 38, 4, 43, 21, 39, 5, 15, 7};
    for (int slot = 1; slot <= 17; ++slot)
        EXPECT_EQ(d.deck[slot], expected[slot - 1]) << "slot " << slot;
    EXPECT_EQ(d.dealpos, 1);
    EXPECT_EQ(d.nextcard(), 1);
}

TEST(Shuffle, AlwaysAPermutationAndRepeatable)
{
    for (std::uint32_t seed : {0u, 1u, 12345u, 86399999u, 0xFFFFFFFFu}) {
        Random a, b;
        a.seed(seed);
        b.seed(seed);
        Deck da, db;
        shufflecards(da, a);
        shufflecards(db, b);
        EXPECT_EQ(da.deck, db.deck);
        std::array<int, 52> sorted;
        std::copy(da.deck.begin() + 1, da.deck.end(), sorted.begin());
        std::sort(sorted.begin(), sorted.end());
        std::array<int, 52> all;
        std::iota(all.begin(), all.end(), 1);
        EXPECT_EQ(sorted, all) << "seed " << seed;
    }
}

TEST(Random, ClockSeedIsMillisecondsOfTheDay)
{
    Random r;
    r.seedFromClock();
    EXPECT_LT(r.state(), 86'400'000u);
}

TEST(CardText, EveryCardRoundTripsAndNumbersAreAccepted)
{
    EXPECT_EQ(cardText(1), "AC");
    EXPECT_EQ(cardText(36), "TH");
    EXPECT_EQ(cardText(52), "KS");
    for (int card = 1; card <= cardCount; ++card) {
        EXPECT_EQ(parseCard(cardText(card)), card) << card;
        EXPECT_EQ(parseCard(std::to_string(card)), card) << card;
        EXPECT_EQ(getsuit(*parseCard(cardText(card))), getsuit(card));
    }
    EXPECT_EQ(parseCard("th"), 36);
    EXPECT_EQ(parseCard("01"), 1);
}

TEST(CardText, MalformedTextsAreRefused)
{
    for (const char *bad : {"", "0", "53", "100", "1H", "TX", "XH", "T", " TH", "TH ", "+5", "-1", "10H"})
        EXPECT_FALSE(parseCard(bad).has_value()) << bad;
    for (int bad : {0, 53, -1})
        EXPECT_EQ(cardText(bad), "");
}
