// A game played through the main window reaches the tally list, and the tally
// survives the program's end and the next start.
#include "mainwindow_fixture.h"

#include "tally/tallymodel.h"
#include "ui/tallylistform.h"
#include "ui/tallyreport.h"

#include <QDate>
#include <QLineEdit>
#include <QLocale>

namespace {

struct TallyGame : MainWindow {
    std::unique_ptr<TallyModel> model;
    std::unique_ptr<TallyReport> report;
    std::unique_ptr<Ttallylist> tally;

    // The tally as the program makes it: the model, its window, the game's reports.
    void openTally()
    {
        model = std::make_unique<TallyModel>(tallyDate);
        tally = std::make_unique<Ttallylist>(*model, window().backgroundTile(), &window());
        report = std::make_unique<TallyReport>(*model);
        window().setTally(report.get());
    }
    QString tallyText(const QString &name) { return tally->findChild<QLabel *>(name)->text(); }
    void TearDown() override
    {
        tally.reset();
        MainWindow::TearDown();
    }
};

} // namespace

TEST_F(TallyGame, FinishedGameIsRankedAndKept)
{
    openTally();
    EXPECT_EQ(tally->tallyPath(), dir.filePath("quenvaletally.tld"));
    find<QLineEdit>("edit_aname")->setText("Zoe");
    click("button_namedone");

    playRound(seedScoring(60, 80), "button_start");
    tickOut();
    const int first = window().game().runningTotal();
    playRound(seedScoring(20, 40), "button_start2");
    tickOut();
    ASSERT_TRUE(shown("panel_over"));
    const QString total = caption("label_total");
    EXPECT_GT(total.toInt(), first);

    EXPECT_EQ(tallyText("label_high1"), total);
    EXPECT_EQ(tallyText("label_name1"), "Zoe");
    EXPECT_EQ(tallyText("label_date1"), QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
    QLabel *place1 = tally->findChild<QLabel *>("label_high1");
    EXPECT_EQ(place1->palette().color(QPalette::WindowText), QColor(255, 255, 255));
    EXPECT_TRUE(place1->font().bold());
    EXPECT_EQ(tallyText("mylabel_1"), "2");
    EXPECT_EQ(tallyText("mylabel_2"), "1");
    EXPECT_EQ(tallyText("mylabel_3"), "50");

    // The program's end writes the file; the next start shows the same tally.
    window().close();
    tally.reset();
    ASSERT_TRUE(QFile::exists(dir.filePath("quenvaletally.tld")));
    openTally();
    EXPECT_EQ(tallyText("label_high1"), total);
    EXPECT_EQ(tallyText("label_name1"), "Zoe");
    EXPECT_EQ(tallyText("mylabel_3"), "50");
}

TEST_F(TallyGame, MenuShowsTheTallyAndDoneHidesIt)
{
    openTally();
    window().setTallyListWindow(tally.get());
    action("TallyList1")->trigger();
    EXPECT_TRUE(tally->isVisible());
    QTest::mouseClick(tally->findChild<QWidget *>("button_done"), Qt::LeftButton);
    EXPECT_FALSE(tally->isVisible());
}
