#pragma once
// Whole rounds for the coach: the seventeen cards of a numbered deal, a round
// played by the coach (or at random) with given cards in their order, and the
// round total of a full board as the game scores it.

#include "coach.h"

#include <array>
#include <cstdint>
#include <stop_token>

namespace qv::coach {

// The sixteen cards in the order they are offered, then the starter.
using RoundCards = std::array<int, 17>;

// Deal N: the cards a shuffle from generator state N puts in deck slots 1..17.
RoundCards dealtCards(std::uint32_t deal);

struct RoundPlay {
    std::array<int, cellCount> cells{}; // by cellIndex
    int total = 0;                      // hands total with the round's starter
    std::array<double, 16> expected{};  // card by card, the round total the coach expected of its cell
};

// The eight hands' points of a full board with this starter, by the game's rules.
int roundTotal(const std::array<int, cellCount> &cells, int starter);

// The seed of the decision on the card-th card (0..15) of a round played with roundSeed.
constexpr std::uint32_t decisionSeed(std::uint32_t roundSeed, int card) { return roundSeed * 31u + std::uint32_t(card); }

// The round as the coach would have played it: each card is rated when offered,
// knowing only the cards before it (the starter last of all). Each decision uses
// options with the decision's seed. A stop leaves the rest of the round to quick
// decisions, so the round always completes. Throws std::invalid_argument unless
// the cards are seventeen different cards 1..52.
RoundPlay coachRound(const RoundCards &cards, const CoachOptions &options = {}, std::stop_token stop = {});

} // namespace qv::coach
