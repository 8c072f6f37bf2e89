#pragma once
// The figures and chart data of the statistics window, read from the history in
// two passes (the games, then the rounds), so a history of 100,000 games opens
// at once. Chart data is already thinned: at most maxPoints points of the score
// of every game, round totals counted in bands of five, cleared rounds by week.

#include <cstdint>
#include <vector>

struct sqlite3;

namespace qv::history {

// Which games and rounds count.
struct Filter {
    std::int64_t since = 0; // seconds since 1970 UTC; games begun and rounds played before it are left out
    bool practice = false;  // practice games only; otherwise random and ranked games only
};

struct Figures {
    long games = 0;
    long rounds = 0;
    int bestGame = 0;
    double averageGame = 0;
    double averageRound = 0;
    int bestRound = 0;
    int longestRun = 0;         // the most cleared rounds (55 or more) one after another
    double averageLast20 = 0;   // of the last 20 games (fewer when there are fewer)
};

// The score of every game, oldest first, thinned to buckets of neighbouring games.
struct ScorePoint {
    double game = 0;     // the bucket's middle game number, from 1
    double score = 0;    // the mean score of its games (the game's own score when alone)
    int bestSoFar = 0;   // the best game up to the bucket's last
    double moving = 0;   // the average of the 20 games up to the bucket's last
};

// Rounds played in a week (Monday to Sunday, local time) and how many cleared.
struct WeekShare {
    std::int64_t weekStart = 0; // seconds since 1970 UTC of Monday 00:00 local time
    long rounds = 0;
    long cleared = 0;
};

struct Statistics {
    Figures figures;
    std::vector<ScorePoint> scores;
    std::vector<long> roundTotals; // [i]: rounds whose hands total is 5i .. 5i + 4
    std::vector<WeekShare> weeks;  // oldest first, weeks without rounds left out
};

inline constexpr int movingAverageGames = 20;
inline constexpr int roundTotalBand = 5;

// Reads the statistics from an open history; db may be null (an empty history).
// utcOffset is the local time's offset in seconds, east of Greenwich.
Statistics computeStatistics(sqlite3 *db, const Filter &filter, int maxPoints = 400, long utcOffset = 0);

// The local time's offset from UTC now, in seconds.
long localUtcOffset();

} // namespace qv::history
