#pragma once
// The coach: for the card on offer it rates every empty cell by the round total
// (the eight hands after the starter) it expects when the card goes there, and
// names the best cell. It knows only what the player knows: the cards on the
// board, the card on offer and any other card seen. The rest of the deck and the
// starter are equally likely to be any unseen card; the deck's order is never asked.
//
// How it rates: with three or fewer empty cells, the exact expectation over every
// card still to come and every starter. Earlier, playouts: the same sampled futures
// are played out from every cell (one cell for each group of cells that a swap of
// empty rows or columns makes alike), each future card placed where the worth of
// the board's lines grows most (LineWorth), and the full board is averaged exactly
// over the starters left.
//
// Use from a window: build a CoachInput from the board (inputFrom), run rateCells
// on a worker thread with a stop token, keep the input sent, and drop a result
// whose input no longer equals the board's. A stopped run still names a valid
// cell, rated on the playouts done so far. With no time limit the result depends
// only on the input and the seed.

#include "game/board.h"
#include "position.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <stop_token>

namespace qv::coach {

struct CoachInput {
    std::array<int, cellCount> cells{}; // card numbers by cellIndex, 0 = empty
    int card = 0;                       // the card on offer
    CardSet seen = 0;                   // any other card seen; the cells and the card on offer count anyway

    bool operator==(const CoachInput &) const = default;
};

// The cells of a game board (rows and columns 1..4) and the card on offer.
CoachInput inputFrom(const Board &board, int card);

struct CoachOptions {
    // Work per decision, in simulated card placements (all cells together). The
    // default takes a few milliseconds of one core (scripts/bench measures it).
    long work = 150'000;
    // Wall-clock limit, 0 for none; with a limit the ratings depend on the machine's speed.
    std::chrono::milliseconds time{0};
    std::uint32_t seed = 1;
};

struct CoachResult {
    std::array<std::optional<double>, cellCount> expected{}; // expected round total by cell, set for empty cells
    int best = -1;         // the cell to play; -1 when the input has no empty cell or no valid card
    bool exact = false;    // the expectations are exact (the last placements of a round)
    bool stopped = false;  // the stop token or the time limit ended the work early
    long playouts = 0;     // futures played out, all cells together
};

CoachResult rateCells(const CoachInput &input, const CoachOptions &options = {}, std::stop_token stop = {});

} // namespace qv::coach
