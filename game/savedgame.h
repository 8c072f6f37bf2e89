#pragma once
// The game in progress as a small text, so it can be put back exactly after a
// restart or a crash: the game's kind, the rounds played, the running total, the
// deal number of the current round, the cells its cards went to in order (with
// each card, so a file that does not match its deal is caught), and whether the
// round's verdict was "continue". Replaying the deal and the placements through
// the engine gives the same board, next card and totals.
//
//   quenvale-game 1
//   kind random
//   rounds 2
//   total 87
//   deal 3141592653
//   cleared no
//   placed 11 TH
//   placed 23 5C
//   end
//
// A ranked game adds the score server's token for it after "cleared", as
// "ranked 3f0c...e9" (32 lower-case hex digits); its deal number is 0, since the
// server deals, and its cards are put back as written until the server has said
// where the game stands. Texts without that line read as before.
//
// The first line carries the format's version: a later program reads this one,
// this program refuses a later one. Every field is bounded, and nothing is
// allocated from a number in the text.

#include "game/gameview.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class GameFlow;

struct Placement {
    int row = 0; // 1..4
    int col = 0; // 1..4
    int card = 0; // the card that went there, 1..52
    bool operator==(const Placement &) const = default;
};

struct SavedGame {
    static constexpr int formatVersion = 1;
    static constexpr std::size_t maxTextSize = 1024; // a saved game is about 150 bytes
    static constexpr int maxRounds = 1000000;

    GameKind kind = GameKind::Random;
    int rounds = 1;
    int runningTotal = 0; // as shown: the current round's hands total included once it is scored
    std::uint32_t dealNumber = 0;
    std::vector<Placement> placements; // this round's, in order; at most 16
    bool cleared = false;              // the round scored 55 or more and Continue is offered
    std::string rankedGame;            // a ranked game's token on the score server

    bool operator==(const SavedGame &) const = default;
};

// Why a text is not a saved game this program can put back; what() is a plain
// reason for the player ("it was saved by a newer version of Quenvale").
class SavedGameError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string formatSavedGame(const SavedGame &game);

// Reads a saved game: the version line, every field in its place and within its
// bounds. Throws SavedGameError. Whether the game matches its deal is checked as
// GameFlow::resume replays it.
SavedGame parseSavedGame(std::string_view text);

// The game as the engine holds it now; only meaningful while a game is active.
SavedGame savedGameOf(const GameFlow &game);

} // namespace qv
