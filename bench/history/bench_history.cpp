// The statistics window, from its creation to its first full paint, on a history
// of 100,000 games (made by the history generator at the start of the run) and
// on an empty history; the goal is at most 200 ms for the large one. Also what a
// scored round costs: written to the history (on the writer's thread) and handed
// over (all the window's thread does).
#include "history/historydatabase.h"
#include "history/historywriter.h"
#include "tools/historygen/historygen.h"
#include "ui/statisticsform.h"
#include "widgets/look.h"

#include <QApplication>
#include <QPixmap>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

QString emptyHistory, largeHistory;
constexpr long largeGames = 100'000;
std::vector<double> emptyMs, largeMs;

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void openWindow(benchmark::State &state, const QString &path, std::vector<double> &times)
{
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        {
            TStatistics window(path);
            window.show();
            QPixmap painted = window.grab(); // lays out and paints every chart
            benchmark::DoNotOptimize(painted);
            const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            state.SetIterationTime(ms / 1000);
            times.push_back(ms);
        }
        QApplication::processEvents();
    }
}

void OpenStatisticsEmpty(benchmark::State &state) { openWindow(state, emptyHistory, emptyMs); }
void OpenStatistics100kGames(benchmark::State &state) { openWindow(state, largeHistory, largeMs); }
BENCHMARK(OpenStatisticsEmpty)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(OpenStatistics100kGames)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

qv::history::RoundRecord someRound()
{
    qv::history::RoundRecord round;
    round.playedAt = std::time(nullptr);
    round.deal = 12345;
    round.lines = {8, 6, 10, 4, 12, 7, 5, 9};
    round.total = 61;
    return round;
}

// One round in its own transaction on the large history, as the writer does it.
void RecordRound(benchmark::State &state)
{
    qv::history::HistoryDatabase db;
    db.open(largeHistory.toStdString());
    qv::history::GameState game{qv::GameKind::Random, std::time(nullptr), 0, 0, true};
    for (auto _ : state) {
        game.runningTotal += 61;
        ++game.rounds;
        db.recordRound(game, someRound());
        game.fresh = false;
    }
}
BENCHMARK(RecordRound)->Unit(benchmark::kMicrosecond)->Iterations(2000);

// What the window's thread spends on a scored round: handing it to the writer.
void HandOverRound(benchmark::State &state)
{
    qv::history::HistoryWriter writer(nullptr);
    writer.open(largeHistory.toStdString());
    qv::history::GameState game{qv::GameKind::Random, std::time(nullptr), 0, 0, true};
    for (auto _ : state) {
        game.runningTotal += 61;
        ++game.rounds;
        writer.recordRound(game, someRound());
        game.fresh = false;
    }
    writer.flush(); // after the timed loop
}
BENCHMARK(HandOverRound)->Unit(benchmark::kMicrosecond)->Iterations(2000);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    look::installFontSubstitutions();
    QTemporaryDir dir;
    emptyHistory = dir.filePath(QStringLiteral("empty.db"));
    largeHistory = dir.filePath(QStringLiteral("quenvalehistory.db"));
    {
        const auto start = std::chrono::steady_clock::now();
        qv::history::HistoryDatabase db;
        db.open(largeHistory.toStdString());
        const auto made = qv::historygen::generateHistory(db, largeGames, 1, std::time(nullptr));
        std::printf("History of %ld games, %ld rounds made in %.1f s\n", made.games, made.rounds,
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!emptyMs.empty() && !largeMs.empty()) {
        const double e = median(emptyMs), l = median(largeMs);
        std::printf("Statistics window, creation to first paint, median: empty history %.1f ms, "
                    "100,000 games %.1f ms, ratio %.2f (goal: at most 200 ms)\n",
                    e, l, l / e);
    }
    return 0;
}
