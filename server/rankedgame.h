#pragma once
// A ranked game as the server deals it: the same shuffle, board and scoring as
// the game itself (game/), with every round's deck drawn from a generator state
// taken fresh from the system's random source. The state is small and plain, so
// it can live in the database between requests, and a finished game can be
// replayed from its round seeds and placements to check its score.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr int kCardsPerRound = 16;
inline constexpr std::size_t kMaxRankedNameChars = 10;

struct RankedGame {
    std::string token;               // 32 hex digits
    std::string name;
    std::int64_t started = 0;        // Unix seconds
    std::int64_t lastActive = 0;     // Unix seconds of the last placement (or the start)
    std::vector<std::uint32_t> seeds;  // the generator state each round's shuffle began from
    std::string moves;               // every placement in order, as row and column digits: "1143..."
    int runningTotal = 0;
    bool over = false;
    std::string lastReply;           // the answer to the last placement, for a retried request
};

// A finished game as the list keeps it.
struct FinishedGame {
    std::string token;
    std::string name;
    std::string date;                // local date of the end, YYYY-MM-DD
    std::int64_t finished = 0;       // Unix seconds
    int score = 0;
    int rounds = 0;
    std::vector<std::uint32_t> seeds;
    std::string moves;
};

int gameRound(const RankedGame &game);          // 1 for the first round
int placedThisRound(const RankedGame &game);    // 0..15 while a round goes on; 16 once over
int cardOnOffer(const RankedGame &game);        // 0 once over

struct RoundResult {
    int starter = 0;
    std::array<int, 8> lines{};   // lines 1, 2, 3, 4, 6, 7, 8, 9
    int handsTotal = 0;
};
// Scores one round's sixteen placements ("RC" pairs) on the deck of the seed.
RoundResult scoreRound(std::uint32_t seed, std::string_view roundMoves);

// Plays a whole game again from its seeds and placements: its score and the
// hands total of each round, or nothing when the placements are not a game
// (a cell used twice, a round continued that should have ended, and so on).
struct Replay {
    int score = 0;
    std::vector<int> roundTotals;
};
std::optional<Replay> replayGame(const std::vector<std::uint32_t> &seeds, std::string_view moves);

struct PlaceOutcome {
    int status = 200;
    std::string reply;   // JSON
    bool changed = false;
};
// Places the card on offer at (row, col), both 1..4. `card`, when given, is the
// card the client means to place: a request for the previous placement's cell
// with that placement's card is its retry and gets the same answer. Without
// it, a request for the previous placement's cell is taken as a retry unless a
// new round has begun since. `nextSeed` deals the next round if this placement
// ends a round that lets the player go on.
PlaceOutcome placeCard(RankedGame &game, int row, int col, std::optional<int> card, std::uint32_t nextSeed,
                       std::int64_t now);

std::string newGameReply(const RankedGame &game);
// The game's state: round, board, card on offer, totals, and the verdict once over.
std::string gameStateReply(const RankedGame &game);
std::string errorReply(std::string_view message);

FinishedGame finishedRecord(const RankedGame &game);
std::string localDate(std::int64_t unixSeconds);

std::string seedsText(const std::vector<std::uint32_t> &seeds);
std::vector<std::uint32_t> parseSeeds(std::string_view text);
