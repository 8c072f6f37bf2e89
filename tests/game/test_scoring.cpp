#include "game/board.h"
#include "game/cards.h"
#include "game/scoring.h"

#include <gtest/gtest.h>

#include <random>

using namespace qv;

namespace {
// Card numbers by rank (1 ace .. 13 king) and suit.
int C(int rank) { return rank; }
int D(int rank) { return 13 + rank; }
int H(int rank) { return 26 + rank; }
int S(int rank) { return 39 + rank; }

struct Row {
    std::array<int, 5> cards;
    CategoryPoints points; // Nob, Sets, Runs, Flush, Fifteen
    int line;
};

// Each hand of the rules table, entries 1..4 placed and the starter last.
const Row table[] = {
    {{C(5), D(5), H(5), S(11), S(5)}, {1, 12, 0, 0, 16}, 29},
    {{C(5), D(5), H(5), S(5), C(11)}, {1, 12, 0, 0, 16}, 29},
    {{C(3), D(4), H(5), S(9), C(9)}, {0, 2, 3, 0, 0}, 5},
    {{C(4), D(4), H(5), S(6), C(6)}, {0, 4, 12, 0, 8}, 24},
    {{C(2), D(3), H(4), S(4), C(4)}, {0, 6, 9, 0, 2}, 17},
    {{C(2), D(3), H(4), S(5), C(5)}, {0, 2, 8, 0, 2}, 12},
    {{C(12), D(13), H(1), S(2), C(3)}, {0, 0, 3, 0, 4}, 7},
    {{H(1), H(3), H(7), H(9), S(12)}, {0, 0, 0, 4, 0}, 4},
    {{H(1), H(3), H(7), H(9), H(12)}, {0, 0, 0, 5, 0}, 5},
    {{H(1), H(3), S(7), H(9), H(12)}, {0, 0, 0, 0, 0}, 0},
    {{C(7), D(8), H(9), S(10), C(11)}, {1, 0, 5, 0, 2}, 8},
};
} // namespace

TEST(Scoring, RulesTable)
{
    for (const Row &row : table) {
        LineBreakdown breakdown{};
        const int line = 3;
        const int total = figurescore(line, row.cards, getsuit(row.cards[4]), breakdown);
        EXPECT_EQ(breakdown[line - 1], row.points) << "hand starting with card " << row.cards[0];
        EXPECT_EQ(total, row.line);
    }
}

TEST(Scoring, NobNeedsTheStartersSuit)
{
    // Jack of hearts among the placed cards, starter a spade: no Nob.
    const ScoreHand hand = makescorehand({H(11), C(2), D(4), C(6), S(8)});
    EXPECT_EQ(checkfornob(hand, getsuit(S(8))), 0);
    EXPECT_EQ(checkfornob(hand, getsuit(H(8))), 1);
    // Two jacks of the starter's suit still score one.
    EXPECT_EQ(checkfornob(makescorehand({S(11), C(2), D(4), C(6), S(11)}), 4), 1);
}

TEST(Scoring, RunsNeverWrap)
{
    const ScoreHand hand = makescorehand({C(12), D(13), H(1), S(2), C(3)});
    EXPECT_EQ(checkforstraight(hand), 3);
    // A pair outside the run counts only as a pair.
    EXPECT_EQ(checkforstraight(makescorehand({C(3), D(4), H(5), S(9), C(9)})), 3);
    EXPECT_EQ(checkforstraight(makescorehand({C(1), D(2), H(4), S(6), C(8)})), 0);
    EXPECT_EQ(checkforstraight(makescorehand({C(10), D(11), H(12), S(13), C(1)})), 4);
}

TEST(Scoring, BoardLinesReadRowsAndColumns)
{
    Board board;
    int card = 1;
    for (int r = 1; r <= 4; ++r)
        for (int c = 1; c <= 4; ++c)
            board.cell(r, c) = card++;
    for (int k = 1; k <= 5; ++k)
        board.cell(5, k) = board.cell(k, 5) = 40;
    EXPECT_EQ(board.linecards(2), (std::array<int, 5>{5, 6, 7, 8, 40}));
    EXPECT_EQ(board.linecards(6), (std::array<int, 5>{1, 5, 9, 13, 40}));
    EXPECT_EQ(board.linecards(9), (std::array<int, 5>{4, 8, 12, 16, 40}));

    const int points = board.getlinescore(7, getsuit(40));
    const auto &row = board.linebreakdown[6];
    EXPECT_EQ(points, row[0] + row[1] + row[2] + row[3] + row[4]);
    board.clear();
    for (const auto &r : board.linebreakdown)
        for (int v : r)
            EXPECT_EQ(v, 0);
    EXPECT_EQ(board.cell(3, 3), 0);
}

// Independent recount of every category, compared with the rule functions over
// many random hands: the categories must add up to the line score.
TEST(Scoring, RandomHandsAddUp)
{
    std::mt19937 gen(7);
    std::vector<int> deck(52);
    for (int i = 0; i < 52; ++i)
        deck[i] = i + 1;
    for (int n = 0; n < 20000; ++n) {
        std::shuffle(deck.begin(), deck.end(), gen);
        std::array<int, 5> cards{deck[0], deck[1], deck[2], deck[3], deck[4]};
        LineBreakdown breakdown{};
        const int line = n % 2 ? 4 : 8;
        const int total = figurescore(line, cards, getsuit(cards[4]), breakdown);
        const auto &row = breakdown[line - 1];
        ASSERT_EQ(total, row[0] + row[1] + row[2] + row[3] + row[4]);
        ASSERT_LE(row[Nob], 1);
        ASSERT_EQ(row[Sets] % 2, 0);
        ASSERT_TRUE(row[Flush] == 0 || row[Flush] == 4 || row[Flush] == 5);
        ASSERT_LE(total, 29); // no five-card cribbage hand scores more
    }
}
