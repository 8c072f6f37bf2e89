// Whole rounds: numbered deals, the coach's replay of a round, the clairvoyant
// arrangement and the numbered deals played by a policy.
#include "coach/clairvoyant.h"
#include "coach/deals.h"
#include "coach/round.h"
#include "game/board.h"
#include "game/cards.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace qv::coach;

namespace {

CoachOptions small()
{
    CoachOptions options;
    options.work = 3000;
    return options;
}

std::array<int, cellCount> sorted(std::array<int, cellCount> cells)
{
    std::sort(cells.begin(), cells.end());
    return cells;
}

std::array<int, cellCount> firstSixteen(const RoundCards &cards)
{
    std::array<int, cellCount> cells{};
    std::copy_n(cards.begin(), cellCount, cells.begin());
    return cells;
}

} // namespace

TEST(Round, DealZeroIsTheKnownShuffle)
{
    const RoundCards expected = {1, 2, 47, 13, 11, 41, 50, 24, 8, 38, 4, 43, 21, 39, 5, 15, 7};
    EXPECT_EQ(dealtCards(0), expected);
}

TEST(Round, RoundTotalScoresAsTheGame)
{
    for (std::uint32_t deal : {1u, 77u, 4294967295u}) {
        qv::Board board = qv::dealInOrder(deal);
        int game = 0;
        for (int line : qv::boardLines)
            game += board.getlinescore(line, qv::getsuit(board.cell(5, 5)));
        const RoundCards cards = dealtCards(deal);
        EXPECT_EQ(roundTotal(firstSixteen(cards), cards[16]), game) << "deal " << deal;
    }
}

TEST(Round, TheCoachPlacesEveryCardOnceAndScoresTheRound)
{
    const RoundCards cards = dealtCards(5);
    const RoundPlay play = coachRound(cards, small());
    EXPECT_EQ(sorted(play.cells), sorted(firstSixteen(cards)));
    EXPECT_EQ(play.total, roundTotal(play.cells, cards[16]));
    EXPECT_EQ(coachRound(cards, small()).cells, play.cells);
}

TEST(Round, TheCoachNeverReadsTheFuture)
{
    // Two decks that agree on the first six cards and differ in every later one,
    // the starter included: the first six cards must land on the same cells,
    // rated the same.
    const RoundCards a = dealtCards(9);
    RoundCards b = a;
    std::reverse(b.begin() + 6, b.end());
    const RoundPlay playA = coachRound(a, small());
    const RoundPlay playB = coachRound(b, small());
    for (int i = 0; i < 6; ++i) {
        const auto cellA = std::find(playA.cells.begin(), playA.cells.end(), a[i]) - playA.cells.begin();
        const auto cellB = std::find(playB.cells.begin(), playB.cells.end(), a[i]) - playB.cells.begin();
        EXPECT_EQ(cellA, cellB) << "card " << i + 1;
        EXPECT_EQ(playA.expected[i], playB.expected[i]) << "card " << i + 1;
    }
}

TEST(Round, AStoppedReplayStillCompletesTheRound)
{
    const RoundCards cards = dealtCards(12);
    std::stop_source stop;
    stop.request_stop();
    const RoundPlay play = coachRound(cards, {}, stop.get_token());
    EXPECT_EQ(sorted(play.cells), sorted(firstSixteen(cards)));
}

TEST(Round, CardsNoDeckCanHaveAreRefused)
{
    RoundCards cards = dealtCards(3);
    cards[16] = cards[0];
    EXPECT_THROW(coachRound(cards, small()), std::invalid_argument);
    cards[16] = 0;
    EXPECT_THROW(coachRound(cards, small()), std::invalid_argument);
}

TEST(Clairvoyant, FindsAnArrangementOfTheSameCardsAtLeastAsGoodAsTheCoach)
{
    for (std::uint32_t deal : {2u, 3u}) {
        const RoundCards cards = dealtCards(deal);
        const RoundPlay best = bestArrangement(cards, 2, 20000, deal);
        EXPECT_EQ(sorted(best.cells), sorted(firstSixteen(cards)));
        EXPECT_EQ(best.total, roundTotal(best.cells, cards[16]));
        EXPECT_GE(best.total, coachRound(cards, small()).total) << "deal " << deal;
    }
}

TEST(Deals, ThreadsChangeOnlyTheSpeed)
{
    DealsOptions options;
    options.policy = Policy::Coach;
    options.coach.work = 2000;
    options.first = 4294967294u; // wraps to deals 0 and 1
    options.count = 4;
    const DealsReport one = playDeals(options);
    options.threads = 3;
    const DealsReport three = playDeals(options);
    EXPECT_EQ(one.totals, three.totals);
    EXPECT_EQ(one.decisionMs.size(), 4u * 16u);
    EXPECT_EQ(one.totals[2], coachRound(dealtCards(0), [] {
                                 CoachOptions o;
                                 o.work = 2000;
                                 o.seed = 0;
                                 return o;
                             }()).total);
}

TEST(Deals, ReportsMeanClearRateAndPercentiles)
{
    DealsReport report;
    report.totals = {40, 55, 54, 71};
    report.decisionMs = {5, 1, 4, 2, 3};
    EXPECT_DOUBLE_EQ(report.mean(), 55);
    EXPECT_DOUBLE_EQ(report.clearedPercent(), 50);
    EXPECT_DOUBLE_EQ(report.decisionPercentileMs(50), 3);
    EXPECT_DOUBLE_EQ(report.decisionPercentileMs(95), 5);
    EXPECT_DOUBLE_EQ(DealsReport{}.mean(), 0);
}

TEST(Deals, EveryPolicyPlaysWholeRounds)
{
    for (Policy policy : {Policy::Random, Policy::MonteCarlo}) {
        DealsOptions options;
        options.policy = policy;
        options.rollouts = 20;
        options.count = 3;
        const DealsReport report = playDeals(options);
        ASSERT_EQ(report.totals.size(), 3u);
        for (int total : report.totals)
            EXPECT_GE(total, 0);
    }
}
