#include "ui/historyrecorder.h"

#include "game/gameflow.h"

#include <QFile>
#include <QObject>

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
    const auto opened = writer_.open(QFile::encodeName(path_).toStdString());
    if (!opened.message.empty())
        report_(QString::fromLocal8Bit(opened.message.c_str()));
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
    writer_.recordRound(state(game), round);
    freshGame_ = false;
}

void HistoryRecorder::verdictGiven(const qv::GameFlow &game, bool cleared)
{
    if (!cleared)
        writer_.gameOver(state(game));
}
