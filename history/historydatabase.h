#pragma once
// The history of every round and game played: a small SQLite database
// (quenvalehistory.db, beside the tally). A round is written when it has been
// scored, in one transaction with its game's totals, so a killed program loses at
// most the round in progress. The file carries its schema version
// (PRAGMA user_version): a history from a newer version of the program is never
// written to, and one that cannot be read is kept as ".bak" and a new one begun.

#include "game/gameview.h"

#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

struct sqlite3;

namespace qv::history {

// The schema this program writes and reads.
inline constexpr int schemaVersion = 1;

// The stored numbers of a game's kind.
int kindNumber(GameKind kind);
const char *kindName(int number); // "random", "practice", "ranked"

// One scored round.
struct RoundRecord {
    std::int64_t playedAt = 0;    // seconds since 1970-01-01 UTC
    std::uint32_t deal = 0;       // the deal number
    std::array<int, 8> lines{};   // line scores of lines 1, 2, 3, 4, 6, 7, 8, 9
    int total = 0;                // the hands total
};

// The game a round belongs to, as the engine has it after the round was scored.
struct GameState {
    GameKind kind = GameKind::Random;
    std::int64_t startedAt = 0; // when its first round was dealt
    int runningTotal = 0;
    int rounds = 0;             // rounds dealt, this one included
    // This round is the first of a game begun in this session. Otherwise the
    // session's game goes on, or, for a game put back after a restart, the last
    // recorded game when it is still open and has every round but this one. A
    // kind other than the game's so far (a game the coach helped is practice)
    // becomes the kind of the game and all its rounds.
    bool fresh = true;
};

class HistoryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class HistoryDatabase {
public:
    enum class Opened {
        Ready,    // an existing history, or a new one made
        Replaced, // the old one was damaged; kept as path + ".bak", a new one begun
        Newer,    // from a newer version: left untouched, nothing is recorded
        Failed,   // cannot be opened or made at all (folder not writable...)
    };
    struct OpenResult {
        Opened state = Opened::Failed;
        std::string message; // the program's one plain message, empty when Ready
    };

    HistoryDatabase();
    ~HistoryDatabase();
    HistoryDatabase(const HistoryDatabase &) = delete;
    HistoryDatabase &operator=(const HistoryDatabase &) = delete;

    // For recording: makes the file when missing.
    OpenResult open(const std::string &path);
    // For the statistics: a missing file is an empty history and is not made; a
    // damaged one is left to the recorder.
    OpenResult openForReading(const std::string &path);
    void close();
    bool isOpen() const { return db_ != nullptr; }
    const std::string &path() const { return path_; }

    // Writes one scored round and its game's totals; throws HistoryError.
    void recordRound(const GameState &game, const RoundRecord &round);
    // The game has ended (its last round was below 55).
    void gameOver(const GameState &game);
    // Many rounds in one transaction (the history generator); recordRound then
    // only adds to it.
    void beginBatch();
    void commitBatch();

    // The connection, for the statistics and the export; null when not open.
    sqlite3 *handle() const { return db_; }

private:
    OpenResult openExisting(const std::string &path, bool write);
    void createSchema();
    // The game row that game belongs to, made when it is new; 0 when none fits
    // and make is false.
    std::int64_t gameRow(const GameState &game, bool make);
    void exec(const char *sql);

    struct Statements; // prepared once per connection
    std::unique_ptr<Statements> statements_;
    sqlite3 *db_ = nullptr;
    bool batch_ = false;
    std::string path_;
    std::int64_t currentGame_ = 0; // the row of the game being played this session
};

} // namespace qv::history
