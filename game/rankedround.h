#pragma once
// What the score server says of a ranked game, in the engine's terms (card
// numbers 1..52). In a ranked game the server deals every card and scores every
// round; the engine scores each round as well and shows the server's figures.

#include <array>
#include <vector>

namespace qv {

// A round whose sixteenth card has been placed, as the server scored it.
struct RankedRound {
    int starter = 0;
    std::array<int, 8> lines{}; // the line scores in the order of boardLines
    int handsTotal = 0;
    int runningTotal = 0;
    bool over = false;     // the server's verdict: the game is over
    int nextRoundCard = 0; // the next round's first card when the game goes on
};

// The server's state of a ranked game, to take it up where it stands. Either
// fewer than sixteen cards lie on the board and card is on offer, or the
// game is over: sixteen cards, the starter, and the last round's total in
// roundTotals.
struct RankedPosition {
    int round = 1;
    std::array<std::array<int, 4>, 4> board{}; // [row - 1][col - 1], 0 for an empty cell
    int card = 0;                              // the card on offer, 0 once the game is over
    std::vector<int> roundTotals;              // the hands total of every scored round
    int runningTotal = 0;
    int starter = 0;
    bool over = false;
};

} // namespace qv
