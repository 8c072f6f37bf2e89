#include "history/historycsv.h"

#include "history/sqliteapi.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>

namespace qv::history {

void writeCsvHeader(std::ostream &out)
{
    out << "date,time,game,kind,deal,line 1,line 2,line 3,line 4,line 6,line 7,line 8,line 9,hands total\n";
}

void writeCsvRound(std::ostream &out, const CsvRound &r)
{
    const std::time_t when = std::time_t(r.playedAt);
    std::tm local{};
    localtime_r(&when, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d,%H:%M:%S", &local);
    out << stamp << ',' << r.game << ',' << kindName(r.kind) << ',' << r.round.deal;
    for (int points : r.round.lines)
        out << ',' << points;
    out << ',' << r.round.total << '\n';
}

long exportRoundsCsv(sqlite3 *db, std::int64_t since, const std::string &path)
{
    const std::string temporary = path + ".part";
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out)
        throw HistoryError(std::string(std::strerror(errno)) + ": " + path);
    writeCsvHeader(out);
    long count = 0;
    std::string error;
    if (db) {
        sqlite3_stmt *stmt = nullptr;
        if (sqlite().prepare_v2(db,
                               "SELECT played, game, kind, deal, line1, line2, line3, line4, line6, line7, line8, "
                               "line9, total FROM rounds WHERE played >= ? ORDER BY id",
                               -1, &stmt, nullptr) != SQLITE_OK) {
            error = sqlite().errmsg(db);
        } else {
            sqlite().bind_int64(stmt, 1, since);
            int rc;
            while ((rc = sqlite().step(stmt)) == SQLITE_ROW) {
                CsvRound r;
                r.playedAt = sqlite().column_int64(stmt, 0);
                r.game = sqlite().column_int64(stmt, 1);
                r.kind = sqlite().column_int(stmt, 2);
                r.round.deal = std::uint32_t(sqlite().column_int64(stmt, 3));
                for (int i = 0; i < 8; ++i)
                    r.round.lines[std::size_t(i)] = sqlite().column_int(stmt, 4 + i);
                r.round.total = sqlite().column_int(stmt, 12);
                writeCsvRound(out, r);
                ++count;
            }
            if (rc != SQLITE_DONE)
                error = sqlite().errmsg(db);
        }
        sqlite().finalize(stmt);
    }
    out.close();
    if (error.empty() && !out)
        error = std::string(std::strerror(errno)) + ": " + path;
    if (error.empty() && std::rename(temporary.c_str(), path.c_str()) != 0)
        error = std::string(std::strerror(errno)) + ": " + path;
    if (!error.empty()) {
        std::remove(temporary.c_str());
        throw HistoryError(error);
    }
    return count;
}

} // namespace qv::history
