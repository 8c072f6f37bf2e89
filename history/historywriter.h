#pragma once
// Writes the history on a thread of its own, so that a slow disk never holds up
// play: the game hands over each scored round and goes on at once. A failed write
// is reported once (on the writer's thread) until a write succeeds again.

#include "history/historydatabase.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace qv::history {

class HistoryWriter {
public:
    using Report = std::function<void(const std::string &message)>;

    // report is called on the writer's thread.
    explicit HistoryWriter(Report report);
    // The thread starts with the first job. Writes what is still queued, then ends the thread.
    ~HistoryWriter();
    HistoryWriter(const HistoryWriter &) = delete;
    HistoryWriter &operator=(const HistoryWriter &) = delete;

    // Opens (or makes, or replaces a damaged) history at path; waits for it. The
    // result's message is for the caller to show; nothing is recorded unless the
    // state is Ready or Replaced.
    HistoryDatabase::OpenResult open(const std::string &path);
    // The same without waiting: opened is called on the writer's thread. Rounds
    // handed over meanwhile are written once the history is open.
    void openLater(const std::string &path, std::function<void(const HistoryDatabase::OpenResult &)> opened);
    bool recording() const;

    void recordRound(const GameState &game, const RoundRecord &round);
    void gameOver(const GameState &game);
    // Waits until everything handed over has been written.
    void flush();

private:
    void post(std::function<void(HistoryDatabase &)> job);
    void run();
    void attempt(const std::function<void()> &job);

    Report report_;
    HistoryDatabase db_; // touched on the writer's thread only, once open
    mutable std::mutex mutex_;
    std::condition_variable wake_, idle_;
    std::deque<std::function<void(HistoryDatabase &)>> jobs_;
    bool busy_ = false;
    bool stop_ = false;
    bool recording_ = false;
    bool failureShown_ = false;
    std::thread thread_;
};

} // namespace qv::history
