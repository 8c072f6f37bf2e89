#pragma once
// Cribbage scoring of one five-card line: four placed cards and the starter.

#include <array>

namespace qv {

struct HandEntry {
    int card = 0; // card number
    int rank = 0; // rank code (card modulo 13)
};
using ScoreHand = std::array<HandEntry, 5>; // entry 4 (the fifth) is the starter

// The five categories, in the order they are stored and shown.
enum Category { Nob, Sets, Runs, Flush, Fifteen, categoryCount };
using CategoryPoints = std::array<int, categoryCount>;

// Lines 1..4 are rows, 6..9 columns; row line-1 of the table, rows 4 and 9 unused.
using LineBreakdown = std::array<CategoryPoints, 10>;

ScoreHand makescorehand(const std::array<int, 5> &cards);

int checkfornob(const ScoreHand &hand, int startersuit);
int checkforpairs(const ScoreHand &hand);
int checkforstraight(const ScoreHand &hand);
int checkforflush(const ScoreHand &hand);
int checkfor15(const ScoreHand &hand);

// Scores one line's five cards (four placed, then the starter), stores the five
// category points in row line-1 of the breakdown and returns their sum.
int figurescore(int line, const std::array<int, 5> &cards, int startersuit,
                LineBreakdown &linebreakdown);

} // namespace qv
