// The main window's game feeds the history: every scored round with its deal and
// line scores, its game carried on after a restart, and a damaged history set
// aside without touching play.
#include "tests/ui/mainwindow_fixture.h"

#include "history/historydatabase.h"
#include "history/statistics.h"

#include <sqlite3.h>

namespace {

struct History : MainWindow {
    std::string historyPath() { return QFile::encodeName(dir.filePath("quenvalehistory.db")).toStdString(); }
    Tmain &start()
    {
        window().resumeGame();
        window().history().flush();
        QCoreApplication::processEvents(); // the opening's message, if any
        return *w;
    }
    // The stored rounds as "deal: line scores = total".
    std::vector<std::string> storedRounds()
    {
        window().history().flush();
        qv::history::HistoryDatabase db;
        EXPECT_EQ(db.openForReading(historyPath()).state, qv::history::HistoryDatabase::Opened::Ready);
        std::vector<std::string> rows;
        sqlite3_stmt *stmt = nullptr;
        sqlite3_prepare_v2(db.handle(),
                           "SELECT deal, line1, line2, line3, line4, line6, line7, line8, line9, total FROM rounds "
                           "ORDER BY id",
                           -1, &stmt, nullptr);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            std::string row = std::to_string(sqlite3_column_int64(stmt, 0)) + ":";
            for (int c = 1; c <= 8; ++c)
                row += " " + std::to_string(sqlite3_column_int(stmt, c));
            rows.push_back(row + " = " + std::to_string(sqlite3_column_int(stmt, 9)));
        }
        sqlite3_finalize(stmt);
        return rows;
    }
    std::string engineRound()
    {
        const qv::GameFlow &game = window().game();
        std::string row = std::to_string(game.dealNumber()) + ":";
        for (int line : qv::boardLines)
            row += " " + std::to_string(game.lineScore(line).value_or(-1));
        return row + " = " + std::to_string(game.handsTotal());
    }
    qv::history::Figures figures()
    {
        window().history().flush();
        qv::history::HistoryDatabase db;
        db.openForReading(historyPath());
        return qv::history::computeStatistics(db.handle(), {}).figures;
    }
};

} // namespace

TEST_F(History, PlayedRoundsAreRecordedWithTheirGameAcrossARestart)
{
    start();
    click("button_namedone");
    playRound(seedScoring(60, 200), "button_start");
    const std::string first = engineRound();
    tickOut();
    EXPECT_EQ(storedRounds(), std::vector<std::string>{first});

    // The program is killed before the next round ends; the game comes back.
    w.reset();
    start();
    ASSERT_TRUE(shown("panel_continue"));
    playRound(seedScoring(0, 40), "button_start2");
    const std::string second = engineRound();
    tickOut();
    EXPECT_EQ(storedRounds(), (std::vector<std::string>{first, second}));
    const qv::history::Figures f = figures();
    EXPECT_EQ(f.games, 1);
    EXPECT_EQ(f.bestGame, window().game().runningTotal());
    EXPECT_EQ(f.longestRun, 1);
    EXPECT_TRUE(errors.empty());
}

TEST_F(History, DamagedHistoryIsSetAsideWithOneMessageAndPlayGoesOn)
{
    {
        QFile damaged(dir.filePath("quenvalehistory.db"));
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
        damaged.write(QByteArray(4096, '\x7f'));
    }
    start();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].contains("quenvalehistory.db.bak")) << errors[0].toStdString();
    EXPECT_EQ(QFile(dir.filePath("quenvalehistory.db.bak")).size(), 4096);
    click("button_namedone");
    playRound(seedScoring(0, 40), "button_start");
    tickOut();
    EXPECT_EQ(storedRounds().size(), 1u);
    EXPECT_EQ(errors.size(), 1u);
}
