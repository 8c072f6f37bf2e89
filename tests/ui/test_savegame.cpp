// Nothing a player does is lost: the game in progress is kept as it is played
// and comes back at the next start; numbered deals are practice games.
#include "mainwindow_fixture.h"

#include "game/savedgame.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>

#include <filesystem>

namespace {

struct SaveGame : MainWindow {
    QString savedPath() { return dir.filePath("quenvalegame.txt"); }
    QByteArray saved()
    {
        QFile f(savedPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void writeSaved(const QByteArray &bytes)
    {
        QFile f(savedPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // The program ends without closing its window (a crash, a killed session)
    // and starts again.
    Tmain &restart()
    {
        w.reset();
        rec.sounds.clear();
        rec.tally.clear();
        window().resumeGame();
        return *w;
    }
    QDialog *dealDialog() { return window().findChild<QDialog *>("dealdialog"); }
    void askForDeal(const QString &typed)
    {
        action("PlayNumberedDeal1")->trigger();
        ASSERT_NE(dealDialog(), nullptr);
        ASSERT_TRUE(dealDialog()->isVisible());
        dealDialog()->findChild<QLineEdit *>("edit_deal")->setText(typed);
        QTest::mouseClick(dealDialog()->findChild<QWidget *>("button_play"), Qt::LeftButton);
    }
};

} // namespace

TEST_F(SaveGame, RestartShowsTheBoardNextCardAndTotalsAsTheyStood)
{
    click("button_namedone");
    playRound(seedScoring(60, 200), "button_start");
    tickOut();
    click("button_start2");
    for (auto [row, col] : {std::pair{3, 2}, {1, 4}, {4, 4}, {2, 1}, {1, 1}})
        clickCell(row, col);
    const qv::SavedGame before = qv::savedGameOf(window().game());
    EXPECT_EQ(qv::parseSavedGame(saved().toStdString()), before); // written with the last card
    const QString deal = caption("label_deal");

    restart();
    EXPECT_EQ(qv::savedGameOf(window().game()), before);
    expectWindowShowsTheEngine();
    EXPECT_EQ(caption("label_deal"), deal);
    EXPECT_FALSE(shown("panel_name")); // the board is not hidden
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(rec.sounds, std::vector<std::string>{"entered"}); // the replay is silent
    EXPECT_TRUE(rec.tally.empty()); // those rounds were counted when they were played

    // Play goes on from there, and is kept as it goes.
    clickCell(4, 1);
    EXPECT_EQ(qv::parseSavedGame(saved().toStdString()).placements.size(), 6u);
}

TEST_F(SaveGame, RoundEndedBeforeTheRestartComesBackAtItsVerdict)
{
    click("button_namedone");
    playRound(seedScoring(60, 200), "button_start");
    window().Timer2Timer();
    restart();
    // The pause starts again and gives its verdict once.
    EXPECT_TRUE(find<QTimer>("Timer2")->isActive());
    tickOut();
    EXPECT_TRUE(shown("panel_continue"));
    EXPECT_EQ(rec.tally, std::vector<std::string>{"increase 2"});

    restart();
    EXPECT_TRUE(shown("panel_continue"));
    EXPECT_FALSE(find<QTimer>("Timer2")->isActive());
    EXPECT_TRUE(rec.tally.empty());
    click("button_start2");
    EXPECT_EQ(caption("label_rounds"), "2");
}

TEST_F(SaveGame, GameOverLeavesNothingToResume)
{
    click("button_namedone");
    playRound(seedScoring(0, 54), "button_start");
    EXPECT_TRUE(QFile::exists(savedPath()));
    tickOut();
    ASSERT_TRUE(shown("panel_over"));
    EXPECT_FALSE(QFile::exists(savedPath()));
    restart();
    EXPECT_FALSE(window().game().gameactive());
    EXPECT_TRUE(shown("panel_name"));
    EXPECT_TRUE(errors.empty());
}

TEST_F(SaveGame, DamagedFileGivesOneMessageABackupAndAFreshGame)
{
    qv::SavedGame good;
    good.dealNumber = 0; // deals 1 (AC), 2 (2C), 47 ...
    good.placements = {{1, 1, 1}, {1, 2, 2}};
    const std::string text = qv::formatSavedGame(good);
    std::string takenCell = text;
    takenCell.replace(takenCell.find("placed 12"), 9, "placed 11");
    std::string junk(300, '\0');
    for (std::size_t i = 0; i < junk.size(); ++i)
        junk[i] = static_cast<char>(i * 37 + 11);
    std::string hugeNumber = text;
    hugeNumber.replace(hugeNumber.find("rounds 1"), 8, "rounds 184467440737095516160");
    std::string newer = text;
    newer.replace(0, 15, "quenvale-game 2");

    for (const std::string &bad : {text.substr(0, 40), junk, hugeNumber, takenCell, newer, std::string(1 << 20, 'x')}) {
        writeSaved(QByteArray::fromStdString(bad));
        errors.clear();
        restart();
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_TRUE(errors[0].startsWith("The game in progress could not be resumed: ")) << errors[0].toStdString();
        EXPECT_TRUE(errors[0].contains(savedPath() + ".bak")) << errors[0].toStdString();
        QFile backup(savedPath() + ".bak");
        ASSERT_TRUE(backup.open(QIODevice::ReadOnly));
        EXPECT_EQ(backup.readAll().toStdString(), bad);
        EXPECT_FALSE(QFile::exists(savedPath()));
        // A fresh start: no game, the name panel up, every number at 0.
        EXPECT_FALSE(window().game().gameactive());
        EXPECT_TRUE(shown("panel_name"));
        EXPECT_EQ(caption("label_rounds"), "0");
        EXPECT_EQ(cardIn("card_11"), -1);
        if (bad == newer) {
            EXPECT_TRUE(errors[0].contains("newer version")); // the reason is said
        }
    }
    // The good text resumes.
    writeSaved(QByteArray::fromStdString(text));
    restart();
    EXPECT_EQ(cardIn("card_12"), 2);
    EXPECT_EQ(cardIn("image_nextcard"), 47);
}

TEST_F(SaveGame, FifoAtTheGameOrSettingsPathDoesNotHoldUpTheStart)
{
    // Opening either for reading would wait for a writer that never comes.
    ASSERT_EQ(::mkfifo(QFile::encodeName(savedPath()).constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(iniPath).constData(), 0600), 0);
    ::alarm(60); // a hang ends the test program instead
    restart();
    ::alarm(0);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].contains("Not a regular file")) << errors[0].toStdString();
    EXPECT_TRUE(std::filesystem::is_fifo(QFile::encodeName(savedPath() + ".bak").toStdString()));
    EXPECT_FALSE(window().game().gameactive());
    EXPECT_EQ(find<QLineEdit>("edit_name")->text(), "Guest"); // the settings' defaults
}

TEST_F(SaveGame, FailedWriteIsReportedOnceAndTriedAgainAtTheNextCard)
{
    // A folder where the file should go cannot be replaced by a file.
    ASSERT_TRUE(QDir().mkpath(savedPath()));
    click("button_namedone");
    click("button_start");
    clickCell(1, 1);
    clickCell(1, 2);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].startsWith("The game in progress could not be saved (")) << errors[0].toStdString();
    EXPECT_TRUE(errors[0].contains(savedPath()));

    ASSERT_TRUE(QDir(savedPath()).removeRecursively());
    clickCell(1, 3);
    EXPECT_EQ(qv::parseSavedGame(saved().toStdString()).placements.size(), 3u);
    EXPECT_EQ(errors.size(), 1u);
}

TEST_F(SaveGame, NumberedDealIsAPracticeGameTheWindowSaysSo)
{
    click("button_namedone");
    EXPECT_FALSE(action("CopyDealNumber1")->isEnabled());
    EXPECT_EQ(caption("label_deal"), "");

    // Bad input is refused in the dialog with a line of its own.
    for (const QString &bad : {QString(), QStringLiteral("12x"), QStringLiteral("4294967296")}) {
        askForDeal(bad);
        EXPECT_TRUE(dealDialog()->isVisible()) << bad.toStdString();
        EXPECT_FALSE(dealDialog()->findChild<QLabel *>("label_problem")->text().isEmpty()) << bad.toStdString();
        EXPECT_FALSE(window().game().gameactive());
    }
    dealDialog()->reject();

    const std::uint32_t losing = seedScoring(0, 54);
    askForDeal(QStringLiteral(" %1 ").arg(losing));
    EXPECT_FALSE(dealDialog()->isVisible());
    EXPECT_EQ(window().game().gameKind(), qv::GameKind::Practice);
    EXPECT_EQ(window().game().dealNumber(), losing);
    EXPECT_EQ(caption("label_deal"), QStringLiteral("Practice deal %1").arg(losing));
    EXPECT_TRUE(shown("label_practice"));
    EXPECT_EQ(window().windowTitle(), "Quenvale");
    action("CopyDealNumber1")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::number(losing));

    placeAll();
    tickOut();
    ASSERT_TRUE(shown("panel_over"));
    EXPECT_FALSE(shown("button_sendscore"));
    EXPECT_TRUE(shown("label_practicenote"));
    EXPECT_EQ(rec.tally, std::vector<std::string>{"increase 1"}); // counted, not ranked

    // The dialog offers the deal just played; a random game follows Start Game.
    action("PlayNumberedDeal1")->trigger();
    EXPECT_EQ(dealDialog()->findChild<QLineEdit *>("edit_deal")->text(), QString::number(losing));
    QTest::mouseClick(dealDialog()->findChild<QWidget *>("button_dealcancel"), Qt::LeftButton);
    EXPECT_FALSE(dealDialog()->isVisible());
    click("button_start");
    EXPECT_EQ(window().game().gameKind(), qv::GameKind::Random);
    EXPECT_FALSE(shown("label_practice"));
    EXPECT_TRUE(caption("label_deal").startsWith("Deal "));
}
