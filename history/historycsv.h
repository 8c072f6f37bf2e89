#pragma once
// The rounds of the history as CSV text, one round a line, for a spreadsheet:
// date and time (local), game, kind, deal number, the eight line scores and the
// hands total.

#include "history/historydatabase.h"

#include <ostream>
#include <string>

struct sqlite3;

namespace qv::history {

struct CsvRound {
    std::int64_t playedAt = 0; // seconds since 1970 UTC
    std::int64_t game = 0;     // the game's number in the history
    int kind = 0;              // kindNumber
    RoundRecord round;         // deal, lines, total (its playedAt is not used)
};

// The first line: the column names.
void writeCsvHeader(std::ostream &out);
// One round; the date and time in local time, "2026-12-08,21:05:33".
void writeCsvRound(std::ostream &out, const CsvRound &round);

// Writes every round played since (seconds since 1970 UTC; 0 for all), of every
// kind, oldest first, to the file path: written beside it and renamed over it, so
// a failed export leaves no half file. Returns the rounds written; throws
// HistoryError with the reason. db may be null (the header alone).
long exportRoundsCsv(sqlite3 *db, std::int64_t since, const std::string &path);

} // namespace qv::history
