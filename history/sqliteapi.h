// SQLite, opened when the history is first opened instead of being linked into
// the program: loading and binding the library before main() cost every start
// a few per cent of its time, for a history that is only opened after the first
// paint. <sqlite3.h> gives the types and constants only; every call goes
// through the pointers below.
#pragma once

#include <sqlite3.h>

#include <string>

namespace qv::history {

struct SqliteApi {
    decltype(&::sqlite3_open_v2) open_v2;
    decltype(&::sqlite3_close_v2) close_v2;
    decltype(&::sqlite3_busy_timeout) busy_timeout;
    decltype(&::sqlite3_exec) exec;
    decltype(&::sqlite3_free) free;
    decltype(&::sqlite3_errmsg) errmsg;
    decltype(&::sqlite3_prepare_v2) prepare_v2;
    decltype(&::sqlite3_bind_int) bind_int;
    decltype(&::sqlite3_bind_int64) bind_int64;
    decltype(&::sqlite3_step) step;
    decltype(&::sqlite3_reset) reset;
    decltype(&::sqlite3_finalize) finalize;
    decltype(&::sqlite3_column_int) column_int;
    decltype(&::sqlite3_column_int64) column_int64;
    decltype(&::sqlite3_last_insert_rowid) last_insert_rowid;
};

// The system's SQLite, opened once from any thread; null when it cannot be
// opened, with the reason in error. It stays loaded for the life of the process.
const SqliteApi *sqliteApi(std::string &error);

// The opened library, for code that runs only on an open database (opening one
// went through sqliteApi).
const SqliteApi &sqlite();

} // namespace qv::history
