#include "ui/historyrecorder.h"

#include "game/gameflow.h"

#include <QFile>
#include <QObject>
#include <QTimer>

#include <ctime>

HistoryRecorder::HistoryRecorder(const QString &path, Report report)
    : path_(path), report_(std::move(report)), context_(new QObject),
      writer_([this](const std::string &message) {
          const QString text = QString::fromLocal8Bit(message.c_str());
          QMetaObject::invokeMethod(
              context_, [this, text] { report_(text); }, Qt::QueuedConnection);
      })
{
}

HistoryRecorder::~HistoryRecorder()
{
    writer_.flush();
    delete context_; // a report still queued is dropped with it
}

void HistoryRecorder::open()
{
    // A moment after start, once the main window has been drawn; nothing reads
    // the history before then, and a round scored sooner opens it at once.
    openWanted_ = true;
    QTimer::singleShot(openDelayMs, context_, [this] { openNow(); });
}

void HistoryRecorder::openNow()
{
    if (!openWanted_ || openAsked_)
        return;
    openAsked_ = true;
    // Opened on the writer's thread, so start-up never waits for the disk.
    writer_.openLater(QFile::encodeName(path_).toStdString(), [this](const auto &opened) {
        if (opened.message.empty())
            return;
        const QString text = QString::fromLocal8Bit(opened.message.c_str());
        QMetaObject::invokeMethod(
            context_, [this, text] { report_(text); }, Qt::QueuedConnection);
    });
}

qv::history::GameState HistoryRecorder::state(const qv::GameFlow &game) const
{
    return {game.gameKind(), gameSeen_ ? startedAt_ : std::int64_t(std::time(nullptr)), game.runningTotal(),
            game.rounds(), freshGame_};
}

void HistoryRecorder::roundStarted(const qv::GameFlow &game)
{
    if (game.rounds() == 1) {
        freshGame_ = true;
        gameSeen_ = true;
        startedAt_ = std::time(nullptr);
    }
}

void HistoryRecorder::roundScored(const qv::GameFlow &game)
{
    qv::history::RoundRecord round;
    round.playedAt = std::time(nullptr);
    round.deal = game.dealNumber();
    for (std::size_t i = 0; i < qv::boardLines.size(); ++i)
        round.lines[i] = game.lineScore(qv::boardLines[i]).value_or(0);
    round.total = game.handsTotal();
    openNow();
    writer_.recordRound(state(game), round);
    freshGame_ = false;
}

void HistoryRecorder::verdictGiven(const qv::GameFlow &game, bool cleared)
{
    if (!cleared) {
        openNow();
        writer_.gameOver(state(game));
    }
}
