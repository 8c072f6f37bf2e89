// Every figure and chart of the statistics against a hand-made history.
#include "history/historydatabase.h"
#include "history/statistics.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

using namespace qv::history;
namespace fs = std::filesystem;

namespace {

constexpr std::int64_t day = 86400;
constexpr std::int64_t monday = 1'798'416'000; // 2026-12-28 00:00 UTC, a Monday

class HandMadeHistory : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = (fs::temp_directory_path() / ("qv-statistics-" + std::to_string(::getpid()) + ".db")).string();
        fs::remove(path);
        ASSERT_EQ(db.open(path).state, HistoryDatabase::Opened::Ready);
        // Monday: a random game of 60, 70, 40 and a practice game of 80, 30.
        game(qv::GameKind::Random, monday + 10 * 3600, {60, 70, 40});
        game(qv::GameKind::Practice, monday + 12 * 3600, {80, 30});
        // The next Tuesday and Wednesday: a ranked game of 55, 56, 57, 20 and a random 10.
        game(qv::GameKind::Ranked, monday + 8 * day, {55, 56, 57, 20});
        game(qv::GameKind::Random, monday + 9 * day, {10});
    }
    void TearDown() override
    {
        db.close();
        for (const char *suffix : {"", "-wal", "-shm"})
            fs::remove(path + suffix);
    }

    void game(qv::GameKind kind, std::int64_t start, std::vector<int> rounds)
    {
        GameState state{kind, start, 0, 0, true};
        for (int total : rounds) {
            state.runningTotal += total;
            ++state.rounds;
            RoundRecord r;
            r.playedAt = start + state.rounds * 60;
            r.total = total;
            db.recordRound(state, r);
            state.fresh = false;
        }
        db.gameOver(state);
    }

    std::string path;
    HistoryDatabase db;
};

} // namespace

TEST_F(HandMadeHistory, FiguresOfRandomAndRankedGames)
{
    const Figures f = computeStatistics(db.handle(), {}).figures;
    EXPECT_EQ(f.games, 3);
    EXPECT_EQ(f.rounds, 8);
    EXPECT_EQ(f.bestGame, 188);
    EXPECT_DOUBLE_EQ(f.averageGame, (170 + 188 + 10) / 3.0);
    EXPECT_DOUBLE_EQ(f.averageRound, 368 / 8.0);
    EXPECT_EQ(f.bestRound, 70);
    EXPECT_EQ(f.longestRun, 3);
    EXPECT_DOUBLE_EQ(f.averageLast20, (170 + 188 + 10) / 3.0);
}

TEST_F(HandMadeHistory, PracticeGamesAreKeptApart)
{
    const Statistics s = computeStatistics(db.handle(), {0, true});
    EXPECT_EQ(s.figures.games, 1);
    EXPECT_EQ(s.figures.rounds, 2);
    EXPECT_EQ(s.figures.bestGame, 110);
    EXPECT_DOUBLE_EQ(s.figures.averageRound, 55);
    EXPECT_EQ(s.figures.bestRound, 80);
    EXPECT_EQ(s.figures.longestRun, 1);
    ASSERT_EQ(s.weeks.size(), 1u);
    EXPECT_EQ(s.weeks[0].cleared, 1);
    // Nothing of the practice game reaches the others' charts.
    const Statistics others = computeStatistics(db.handle(), {});
    EXPECT_EQ(others.roundTotals.size(), 15u); // up to the band of 70
    EXPECT_EQ(others.roundTotals[30 / roundTotalBand], 0);
}

TEST_F(HandMadeHistory, RangeLeavesOutOlderGamesAndRounds)
{
    const Figures f = computeStatistics(db.handle(), {monday + 8 * day, false}).figures;
    EXPECT_EQ(f.games, 2);
    EXPECT_EQ(f.rounds, 5);
    EXPECT_EQ(f.bestGame, 188);
    EXPECT_DOUBLE_EQ(f.averageGame, 99);
    EXPECT_DOUBLE_EQ(f.averageRound, 198 / 5.0);
    EXPECT_EQ(f.bestRound, 57);
    EXPECT_EQ(f.longestRun, 3);
}

TEST_F(HandMadeHistory, ChartsAreCountedAndThinned)
{
    const Statistics s = computeStatistics(db.handle(), {}, 2);
    // Round totals in bands of five: 10, 20, 40, 55 56 57, 60, 70.
    std::vector<long> bands(15, 0);
    bands[2] = bands[4] = bands[8] = bands[12] = bands[14] = 1;
    bands[11] = 3;
    EXPECT_EQ(s.roundTotals, bands);
    // Weeks from Monday: 3 rounds (2 cleared), then 5 rounds (3 cleared).
    ASSERT_EQ(s.weeks.size(), 2u);
    EXPECT_EQ(s.weeks[0].weekStart, monday);
    EXPECT_EQ(s.weeks[0].rounds, 3);
    EXPECT_EQ(s.weeks[0].cleared, 2);
    EXPECT_EQ(s.weeks[1].weekStart, monday + 7 * day);
    EXPECT_EQ(s.weeks[1].rounds, 5);
    EXPECT_EQ(s.weeks[1].cleared, 3);
    // Three games on two points: the first two together, the last alone.
    ASSERT_EQ(s.scores.size(), 2u);
    EXPECT_DOUBLE_EQ(s.scores[0].game, 1.5);
    EXPECT_DOUBLE_EQ(s.scores[0].score, 179);
    EXPECT_EQ(s.scores[0].bestSoFar, 188);
    EXPECT_DOUBLE_EQ(s.scores[0].moving, 179);
    EXPECT_DOUBLE_EQ(s.scores[1].game, 3);
    EXPECT_DOUBLE_EQ(s.scores[1].score, 10);
    EXPECT_DOUBLE_EQ(s.scores[1].moving, (170 + 188 + 10) / 3.0);

    // A local time two hours east moves Monday's week start two hours earlier.
    const Statistics east = computeStatistics(db.handle(), {}, 2, 2 * 3600);
    EXPECT_EQ(east.weeks[0].weekStart, monday - 2 * 3600);
}

TEST_F(HandMadeHistory, MovingAverageAndLastTwentyOverManyGames)
{
    for (int total = 1; total <= 25; ++total)
        game(qv::GameKind::Practice, monday + 20 * day + total, {total});
    const Statistics s = computeStatistics(db.handle(), {monday + 20 * day, true}, 1000);
    ASSERT_EQ(s.scores.size(), 25u);
    EXPECT_DOUBLE_EQ(s.scores[2].moving, 2);
    EXPECT_DOUBLE_EQ(s.scores[24].moving, 15.5); // 6 .. 25
    EXPECT_EQ(s.scores[24].bestSoFar, 25);
    EXPECT_DOUBLE_EQ(s.figures.averageLast20, 15.5);
    EXPECT_EQ(s.figures.longestRun, 0);
}

TEST(EmptyHistory, HasNoFigures)
{
    const Statistics s = computeStatistics(nullptr, {});
    EXPECT_EQ(s.figures.games, 0);
    EXPECT_TRUE(s.scores.empty() && s.weeks.empty() && s.roundTotals.empty());
}
