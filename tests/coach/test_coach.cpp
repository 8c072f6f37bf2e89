// The coach's ratings: exact where promised, blind to the future, stoppable,
// repeatable, and silent on inputs no round can have.
#include "coach/coach.h"
#include "coach/round.h"

#include <gtest/gtest.h>

#include <thread>

using namespace qv::coach;

namespace {

// Deal 42 with its first placed cards on cells 0, 1, 2, ... and the next card on offer.
CoachInput dealtSoFar(int placed, std::uint32_t deal = 42)
{
    const RoundCards cards = dealtCards(deal);
    CoachInput input;
    for (int i = 0; i < placed; ++i)
        input.cells[i] = cards[i];
    input.card = cards[placed];
    return input;
}

CardSet seenBy(const CoachInput &input)
{
    CardSet seen = cardBit(input.card);
    for (int card : input.cells)
        if (card != 0)
            seen |= cardBit(card);
    return seen;
}

CoachOptions small(std::uint32_t seed = 1)
{
    CoachOptions options;
    options.work = 4000;
    options.seed = seed;
    return options;
}

bool ratesEveryEmptyCell(const CoachInput &input, const CoachResult &result)
{
    if (result.best < 0 || input.cells[result.best] != 0)
        return false;
    for (int cell = 0; cell < cellCount; ++cell)
        if (result.expected[cell].has_value() != (input.cells[cell] == 0))
            return false;
    return true;
}

// The round total of full cells averaged over every starter outside seen.
double averageOverStarters(const std::array<int, cellCount> &cells, CardSet seen)
{
    double sum = 0;
    int starters = 0;
    for (int starter = 1; starter <= 52; ++starter)
        if (!(seen & cardBit(starter))) {
            sum += roundTotal(cells, starter);
            ++starters;
        }
    return sum / starters;
}

} // namespace

TEST(Coach, LastPlacementIsTheAverageOverEveryStarter)
{
    CoachInput input = dealtSoFar(15);
    const CoachResult result = rateCells(input);
    ASSERT_EQ(result.best, 15);
    EXPECT_TRUE(result.exact);

    const CardSet seen = seenBy(input);
    input.cells[15] = input.card;
    EXPECT_NEAR(*result.expected[15], averageOverStarters(input.cells, seen), 1e-9);
}

TEST(Coach, TwoEmptyCellsAverageTheLastCardAndTheStarter)
{
    const CoachInput input = dealtSoFar(14);
    const CoachResult result = rateCells(input);
    EXPECT_TRUE(result.exact);
    const CardSet seen = seenBy(input);
    for (int cell : {14, 15}) {
        std::array<int, cellCount> cells = input.cells;
        cells[cell] = input.card;
        const int other = cell == 14 ? 15 : 14;
        double sum = 0;
        int futures = 0;
        for (int last = 1; last <= 52; ++last) {
            if (seen & cardBit(last))
                continue;
            cells[other] = last;
            for (int starter = 1; starter <= 52; ++starter)
                if (!(seen & cardBit(starter)) && starter != last) {
                    sum += roundTotal(cells, starter);
                    ++futures;
                }
        }
        EXPECT_NEAR(*result.expected[cell], sum / futures, 1e-9) << "cell " << cell;
    }
}

TEST(Coach, OtherSeenCardsAreNeverTheStarter)
{
    CoachInput input = dealtSoFar(15);
    input.seen = cardBit(dealtCards(42)[16]) | cardBit(input.cells[3]);
    const CoachResult result = rateCells(input);
    input.cells[15] = input.card;
    EXPECT_NEAR(*result.expected[15], averageOverStarters(input.cells, seenBy(input) | input.seen), 1e-9);
}

TEST(Coach, CellsThatSwapIntoEachOtherRateTheSame)
{
    CoachInput input = dealtSoFar(0);
    const CoachResult empty = rateCells(input, small());
    for (int cell = 1; cell < cellCount; ++cell)
        EXPECT_EQ(*empty.expected[cell], *empty.expected[0]);

    // One card in the corner: the rest of its row, the rest of its column and the
    // nine cells away from both are three kinds.
    input = dealtSoFar(1);
    const CoachResult one = rateCells(input, small());
    EXPECT_EQ(*one.expected[cellIndex(1, 2)], *one.expected[cellIndex(1, 4)]);
    EXPECT_EQ(*one.expected[cellIndex(2, 1)], *one.expected[cellIndex(4, 1)]);
    EXPECT_EQ(*one.expected[cellIndex(2, 2)], *one.expected[cellIndex(4, 3)]);
    EXPECT_TRUE(ratesEveryEmptyCell(input, one));
}

TEST(Coach, SameInputAndSeedGiveTheSameRatings)
{
    const CoachInput input = dealtSoFar(6);
    const CoachResult a = rateCells(input, small(5));
    const CoachResult b = rateCells(input, small(5));
    EXPECT_EQ(a.expected, b.expected);
    EXPECT_EQ(a.best, b.best);
    EXPECT_TRUE(ratesEveryEmptyCell(input, a));
    EXPECT_FALSE(a.stopped);
    EXPECT_GT(a.playouts, 0);
}

TEST(Coach, AStopBeforeTheStartStillNamesACell)
{
    const CoachInput input = dealtSoFar(5);
    std::stop_source stop;
    stop.request_stop();
    CoachOptions endless;
    endless.work = 1'000'000'000'000;
    const CoachResult result = rateCells(input, endless, stop.get_token());
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(result.playouts, 0);
    EXPECT_TRUE(ratesEveryEmptyCell(input, result));
}

TEST(Coach, AStopFromAnotherThreadEndsALongRating)
{
    // The budget would last for hours: the test only ends if the stop is heard.
    const CoachInput input = dealtSoFar(3);
    CoachOptions endless;
    endless.work = 1'000'000'000'000;
    std::stop_source stop;
    std::jthread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        stop.request_stop();
    });
    const CoachResult result = rateCells(input, endless, stop.get_token());
    EXPECT_TRUE(result.stopped);
    EXPECT_TRUE(ratesEveryEmptyCell(input, result));
}

TEST(Coach, ATimeLimitEndsTheRating)
{
    const CoachInput input = dealtSoFar(8);
    CoachOptions limited;
    limited.work = 1'000'000'000'000;
    limited.time = std::chrono::milliseconds(20);
    const CoachResult result = rateCells(input, limited);
    EXPECT_TRUE(result.stopped);
    EXPECT_TRUE(ratesEveryEmptyCell(input, result));
}

TEST(Coach, InputsNoRoundCanHaveGetNoCell)
{
    const CoachInput fine = dealtSoFar(4);
    ASSERT_GE(rateCells(fine, small()).best, 0);

    CoachInput bad = fine;
    bad.card = 0;
    EXPECT_EQ(rateCells(bad).best, -1);
    bad.card = 53;
    EXPECT_EQ(rateCells(bad).best, -1);

    bad = fine;
    bad.cells[9] = fine.cells[0]; // a card twice
    EXPECT_EQ(rateCells(bad).best, -1);
    bad = fine;
    bad.cells[9] = fine.card; // the card on offer is already placed
    EXPECT_EQ(rateCells(bad).best, -1);
    bad = fine;
    bad.cells[9] = -3;
    EXPECT_EQ(rateCells(bad).best, -1);

    bad = fine;
    bad.seen = allCards; // nothing left for the rest of the round
    EXPECT_EQ(rateCells(bad).best, -1);

    const RoundCards cards = dealtCards(42);
    CoachInput full;
    for (int i = 0; i < cellCount; ++i)
        full.cells[i] = cards[i];
    full.card = cards[16];
    EXPECT_EQ(rateCells(full).best, -1);
}

TEST(Coach, InputFromReadsTheGameBoard)
{
    qv::Board board;
    board.cell(2, 3) = 17;
    board.cell(4, 1) = 52;
    const CoachInput input = inputFrom(board, 9);
    EXPECT_EQ(input.cells[cellIndex(2, 3)], 17);
    EXPECT_EQ(input.cells[cellIndex(4, 1)], 52);
    EXPECT_EQ(input.card, 9);
    EXPECT_EQ(input.seen, 0u);
}
