#pragma once
// Where the server keeps everything: the posted scores and the ranked games,
// through one interface with two backends: SQLite, embedded, the default; and
// PostgreSQL, for a host that outgrows one machine, where several server
// processes share one database. Every method is safe from many threads; all game
// state lives in the database, none in a process's memory.

#include "server/rankedgame.h"
#include "server/scorepost.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ScoreEntry {
    std::string name;
    std::string date;
    std::int64_t score = 0;
};

struct RankedEntry {
    std::string name;
    std::string date;
    int score = 0;
    int rounds = 0;
};

class ScoreStore {
public:
    virtual ~ScoreStore() = default;

    // Stores one post and commits it before returning. Throws StoreError.
    virtual void add(const ScorePost &post) = 0;
    // Stores many posts in one transaction: all of them or, on error, none.
    virtual void addAll(const std::vector<ScorePost> &posts) = 0;
    // The best scores, highest first; equal scores in the order they were posted.
    virtual std::vector<ScoreEntry> best(int limit) = 0;
    virtual std::int64_t count() = 0;

    virtual void createGame(const RankedGame &game) = 0;
    virtual std::optional<RankedGame> game(const std::string &token) = 0;
    // Loads the game (nothing when there is none), lets `change` alter it, and
    // stores it when `change` says it changed, in one transaction with the game
    // locked against every other request and process. A game that became over
    // is stored among the finished ones in the same transaction.
    virtual void updateGame(const std::string &token, const std::function<bool(std::optional<RankedGame> &)> &change) = 0;
    // The best finished ranked games since a moment (Unix seconds; 0 for all
    // time), highest first; equal scores in the order they finished.
    virtual std::vector<RankedEntry> bestRanked(int limit, std::int64_t since) = 0;
    // Every finished game with its placements, oldest first, for audits.
    virtual std::vector<FinishedGame> finishedGames() = 0;
    // Forgets the games, finished or not, not played since the moment; the
    // finished games' records stay. Returns how many went.
    virtual int forgetGames(std::int64_t idleSince) = 0;
};

// Opens the store a --db value names: a postgresql:// (or postgres://)
// connection URI, or else the path of an SQLite file (its folder must exist).
// Throws StoreError.
std::unique_ptr<ScoreStore> openScoreStore(const std::string &db);
