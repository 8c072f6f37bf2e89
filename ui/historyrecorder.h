#pragma once
// Feeds the history from the engine: every scored round with its game's totals,
// and the end of every game. The writing happens on the history writer's
// thread, so play never waits for the disk.

#include "game/gameview.h"
#include "history/historywriter.h"

#include <QString>

#include <cstdint>
#include <functional>

class QObject;

namespace qv {
class GameFlow;
}

class HistoryRecorder : public qv::GameListener {
public:
    using Report = std::function<void(const QString &message)>;
    static constexpr int openDelayMs = 500;

    // report shows one of the program's messages; it is called on the window's
    // thread (a failed write is passed over from the writer's).
    HistoryRecorder(const QString &path, Report report);
    ~HistoryRecorder() override;

    QString path() const { return path_; }
    // Opens the history (at start, once the windows exist) without waiting for
    // it; a damaged one or one from a newer version is reported in one message.
    void open();
    bool recording() const { return writer_.recording(); }
    // Waits until every round handed over is on disk (tests, the statistics window).
    void flush()
    {
        openNow();
        writer_.flush();
    }

    void roundStarted(const qv::GameFlow &game) override;
    void roundScored(const qv::GameFlow &game) override;
    void verdictGiven(const qv::GameFlow &game, bool cleared) override;

private:
    qv::history::GameState state(const qv::GameFlow &game) const;
    // Hands the opening to the writer, once open() has asked for it.
    void openNow();

    QString path_;
    Report report_;
    QObject *context_; // delivers the writer's reports on the window's thread
    qv::history::HistoryWriter writer_;
    bool openWanted_ = false, openAsked_ = false;
    bool freshGame_ = false;      // the next scored round is a new game's first
    bool gameSeen_ = false;       // a game begun or continued in this session
    std::int64_t startedAt_ = 0;  // of the game begun in this session
};
