// The statistics window on a generated history: its figures are the history's,
// practice games apart or left out, the range, the CSV export, a history it may
// not read, and the View menu's "Statistics".
#include "tests/ui/mainwindow_fixture.h"

#include "history/historydatabase.h"
#include "history/statistics.h"
#include "ui/statisticsform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QProcess>
#include <QPushButton>
#include <sqlite3.h>

#include <ctime>

namespace {

struct Statistics : ::testing::Test {
    void SetUp() override
    {
        look::installFontSubstitutions();
        path = dir.filePath("quenvalehistory.db");
        // The history generator, as the pictures are made: "300 games, N rounds written to FILE".
        QProcess tool;
        tool.start(QStringLiteral(QV_HISTORYGEN), {path, QStringLiteral("300"), QStringLiteral("3")});
        ASSERT_TRUE(tool.waitForFinished(60000));
        ASSERT_EQ(tool.exitCode(), 0);
        const QStringList words = QString::fromLocal8Bit(tool.readAllStandardOutput()).split(' ');
        ASSERT_GE(words.size(), 3);
        made.games = words[0].toLong();
        made.rounds = words[2].toLong();
        ASSERT_EQ(made.games, 300);
    }
    qv::history::Statistics expected(qv::history::Filter filter)
    {
        qv::history::HistoryDatabase db;
        db.openForReading(QFile::encodeName(path).toStdString());
        return qv::history::computeStatistics(db.handle(), filter, 400, qv::history::localUtcOffset());
    }
    static QString oneDecimal(double v) { return QLocale().toString(v, 'f', 1); }

    QTemporaryDir dir;
    QString path;
    struct {
        long games = 0, rounds = 0;
    } made;
};

} // namespace

TEST_F(Statistics, ShowsTheHistorysFiguresWithPracticeLeftOutOrApart)
{
    TStatistics window(path);
    window.show();
    const qv::history::Statistics games = expected({});
    const qv::history::Statistics practice = expected({0, true});
    ASSERT_GT(practice.figures.games, 0);
    EXPECT_EQ(games.figures.games + practice.figures.games, made.games);
    EXPECT_EQ(games.figures.rounds + practice.figures.rounds, made.rounds);
    EXPECT_EQ(window.shown().figures.games, games.figures.games);
    EXPECT_EQ(window.figureText(0), QLocale().toString(qlonglong(games.figures.games)));
    EXPECT_EQ(window.figureText(2), QString::number(games.figures.bestGame));
    EXPECT_EQ(window.figureText(4), oneDecimal(games.figures.averageRound));
    EXPECT_EQ(window.figureText(6), QString::number(games.figures.longestRun));
    EXPECT_EQ(window.figureText(7), oneDecimal(games.figures.averageLast20));
    EXPECT_FALSE(window.findChild<QLabel *>("label_practice1")->isVisible());
    EXPECT_TRUE(window.message().isEmpty());

    window.findChild<QCheckBox *>("check_practice")->setChecked(true);
    EXPECT_TRUE(window.findChild<QLabel *>("label_practice1")->isVisible());
    EXPECT_EQ(window.figureText(0, true), QString::number(practice.figures.games));
    EXPECT_EQ(window.figureText(3, true), oneDecimal(practice.figures.averageGame));
    EXPECT_EQ(window.figureText(0), QLocale().toString(qlonglong(games.figures.games))); // the others unchanged

    // The last seven days hold fewer games, and the chart points never exceed the cap.
    window.findChild<QComboBox *>("combo_range")->setCurrentIndex(2);
    const std::int64_t weekAgo = std::time(nullptr) - 7 * 86400;
    EXPECT_EQ(window.shown().figures.games, expected({weekAgo, false}).figures.games);
    EXPECT_LT(window.shown().figures.games, games.figures.games);
    EXPECT_LE(expected({}).scores.size(), 400u);
}

TEST_F(Statistics, ExportsTheRoundsOfTheRangeAsCsv)
{
    TStatistics window(path);
    window.show();
    const QString csv = dir.filePath("rounds.csv");
    TStatistics::askFileName = [&](QWidget *, const QString &suggested) {
        EXPECT_TRUE(suggested.endsWith(".csv"));
        return csv;
    };
    std::vector<QString> errors;
    TStatistics::showError = [&](QWidget *, const QString &m) { errors.push_back(m); };
    QTest::mouseClick(window.findChild<QPushButton *>("button_export"), Qt::LeftButton);
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().count('\n'), made.rounds + 1);
    EXPECT_TRUE(window.message().contains(QString::number(made.rounds)));

    TStatistics::askFileName = [&](QWidget *, const QString &) { return dir.filePath("missing/rounds.csv"); };
    window.button_exportClick();
    EXPECT_EQ(errors.size(), 1u);
}

TEST_F(Statistics, HistoryFromANewerVersionIsOnlyReported)
{
    const QString newer = dir.filePath("newer.db");
    {
        qv::history::HistoryDatabase db;
        db.open(QFile::encodeName(newer).toStdString());
        sqlite3_exec(db.handle(), "PRAGMA user_version = 9", nullptr, nullptr, nullptr);
    }
    TStatistics window(newer);
    window.show();
    EXPECT_TRUE(window.message().contains("newer version")) << window.message().toStdString();
    EXPECT_EQ(window.figureText(0), "0");

    TStatistics none(dir.filePath("none.db"));
    none.show();
    EXPECT_TRUE(none.message().startsWith("No games recorded yet"));
    EXPECT_FALSE(QFile::exists(dir.filePath("none.db"))); // reading makes no file
}

TEST_F(MainWindow, StatisticsOpensFromTheViewMenu)
{
    window().setStatisticsModule(QStringLiteral(QV_STATISTICS_MODULE));
    window().resumeGame();
    action("Statistics1")->trigger();
    // Made by the module, whose window class is its own copy: found by name.
    auto *statistics = window().findChild<QWidget *>("statistics");
    ASSERT_NE(statistics, nullptr);
    EXPECT_TRUE(statistics->isVisible());
    EXPECT_TRUE(statistics->findChild<QLabel *>("label_message")->text().startsWith("No games recorded yet"));
    EXPECT_TRUE(errors.empty());

    // Without its module the game goes on, and says why there is no window.
    w.reset();
    window().setStatisticsModule(dir.filePath("missing.so"));
    action("Statistics1")->trigger();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].startsWith("The statistics window could not be opened")) << errors[0].toStdString();
}
