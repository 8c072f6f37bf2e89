#include "history/statistics.h"

#include "game/gameflow.h"
#include "history/historydatabase.h"

#include "history/sqliteapi.h"

#include <algorithm>
#include <ctime>

namespace qv::history {

namespace {

constexpr std::int64_t day = 86400;
constexpr std::int64_t week = 7 * day;
// 1970-01-01 was a Thursday: weeks counted from the Monday three days before.
constexpr std::int64_t mondayShift = 3 * day;

// Runs sql with since and the practice flag bound, calling row for every row.
template <typename Row> void eachRow(sqlite3 *db, const char *sql, const Filter &filter, Row row)
{
    sqlite3_stmt *stmt = nullptr;
    if (sqlite().prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK)
        throw HistoryError(sqlite().errmsg(db));
    sqlite().bind_int64(stmt, 1, filter.since);
    sqlite().bind_int(stmt, 2, filter.practice ? 1 : 0);
    int rc;
    while ((rc = sqlite().step(stmt)) == SQLITE_ROW)
        row(stmt);
    const std::string error = rc == SQLITE_DONE ? std::string() : sqlite().errmsg(db);
    sqlite().finalize(stmt);
    if (!error.empty())
        throw HistoryError(error);
}

void gameFigures(const std::vector<int> &totals, const std::vector<int> &cleared, Statistics &s, int maxPoints)
{
    Figures &f = s.figures;
    const std::size_t n = totals.size();
    f.games = long(n);
    if (n == 0)
        return;
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i) {
        sum += totals[i];
        f.bestGame = std::max(f.bestGame, totals[i]);
        f.longestRun = std::max(f.longestRun, cleared[i]);
    }
    f.averageGame = sum / double(n);
    const std::size_t last = std::min<std::size_t>(n, movingAverageGames);
    double lastSum = 0;
    for (std::size_t i = n - last; i < n; ++i)
        lastSum += totals[i];
    f.averageLast20 = lastSum / double(last);

    // Neighbouring games share a point once there are more games than points.
    const std::size_t size = (n + std::size_t(std::max(1, maxPoints)) - 1) / std::size_t(std::max(1, maxPoints));
    double window = 0; // the last movingAverageGames totals
    int best = 0;
    for (std::size_t first = 0; first < n; first += size) {
        const std::size_t end = std::min(n, first + size);
        double bucketSum = 0;
        for (std::size_t i = first; i < end; ++i) {
            bucketSum += totals[i];
            best = std::max(best, totals[i]);
            window += totals[i];
            if (i >= std::size_t(movingAverageGames))
                window -= totals[i - movingAverageGames];
        }
        const double inWindow = double(std::min<std::size_t>(end, movingAverageGames));
        s.scores.push_back({double(first + 1 + end) / 2.0, bucketSum / double(end - first), best, window / inWindow});
    }
}

} // namespace

long localUtcOffset()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_gmtoff;
}

Statistics computeStatistics(sqlite3 *db, const Filter &filter, int maxPoints, long utcOffset)
{
    Statistics s;
    if (!db)
        return s;

    std::vector<int> totals, cleared;
    eachRow(db, "SELECT total, cleared FROM games WHERE started >= ?1 AND (kind = 1) = ?2 ORDER BY id", filter,
            [&](sqlite3_stmt *row) {
                totals.push_back(sqlite().column_int(row, 0));
                cleared.push_back(sqlite().column_int(row, 1));
            });
    gameFigures(totals, cleared, s, maxPoints);

    Figures &f = s.figures;
    double sum = 0;
    std::int64_t lastWeek = -1;
    eachRow(db, "SELECT played, total FROM rounds WHERE played >= ?1 AND (kind = 1) = ?2 ORDER BY id", filter,
            [&](sqlite3_stmt *row) {
                const std::int64_t played = sqlite().column_int64(row, 0);
                const int total = std::max(0, sqlite().column_int(row, 1));
                ++f.rounds;
                sum += total;
                f.bestRound = std::max(f.bestRound, total);
                const std::size_t band = std::size_t(total / roundTotalBand);
                if (s.roundTotals.size() <= band)
                    s.roundTotals.resize(band + 1);
                ++s.roundTotals[band];

                const std::int64_t local = played + utcOffset + mondayShift;
                const std::int64_t index = local >= 0 ? local / week : (local - week + 1) / week;
                if (index != lastWeek) {
                    // Rounds come in the order played; a clock set back goes to its own week.
                    const std::int64_t start = index * week - mondayShift - utcOffset;
                    auto at = std::find_if(s.weeks.rbegin(), s.weeks.rend(),
                                           [&](const WeekShare &w) { return w.weekStart == start; });
                    if (at == s.weeks.rend()) {
                        s.weeks.push_back({start, 0, 0});
                    } else if (at != s.weeks.rbegin()) {
                        std::rotate(at.base() - 1, at.base(), s.weeks.end()); // move it to the back
                    }
                    lastWeek = index;
                }
                ++s.weeks.back().rounds;
                if (total >= GameFlow::continueThreshold)
                    ++s.weeks.back().cleared;
            });
    if (f.rounds > 0)
        f.averageRound = sum / double(f.rounds);
    std::sort(s.weeks.begin(), s.weeks.end(),
              [](const WeekShare &a, const WeekShare &b) { return a.weekStart < b.weekStart; });
    return s;
}

} // namespace qv::history
