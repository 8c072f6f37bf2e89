#include "ui/helpform.h"

#include "widgets/flatpanel.h"
#include "widgets/selbutton.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace {

struct HelpWindow : ::testing::Test {
    QPixmap tile{100, 100};
    Thelp help{tile};

    void SetUp() override
    {
        tile.fill(QColor(200, 190, 120));
        help.show();
    }

    QString caption() const { return help.findChild<QLabel *>("label_caption")->text(); }
    TSelButton *button(const char *name) const { return help.findChild<TSelButton *>(name); }
    void click(const char *name) const { QTest::mouseClick(button(name), Qt::LeftButton, {}, QPoint(10, 10)); }

    // The one visible page: its object name and first line.
    std::pair<QString, QString> visiblePage() const
    {
        QTextEdit *shown = nullptr;
        for (QTextEdit *memo : help.findChildren<QTextEdit *>()) {
            if (memo->isVisible()) {
                EXPECT_EQ(shown, nullptr) << "two pages visible";
                shown = memo;
            }
        }
        if (!shown)
            return {};
        return {shown->objectName(), shown->toPlainText().section('\n', 0, 0)};
    }
};

TEST_F(HelpWindow, WindowProperties)
{
    EXPECT_EQ(help.windowTitle(), "Quenvale - Help File");
    EXPECT_EQ(help.size(), QSize(523, 431));
    EXPECT_TRUE(help.isWindow());
    EXPECT_EQ(help.findChild<QWidget *>("panel_side")->geometry(), QRect(0, 0, 137, 431));
    EXPECT_EQ(button("button_done")->geometry(), QRect(18, 404, 95, 20));
    EXPECT_EQ(button("button_overview")->geometry(), QRect(7, 8, 122, 20));
    EXPECT_EQ(button("button_license")->geometry(), QRect(7, 104, 122, 20));
    EXPECT_EQ(button("button_about")->geometry(), QRect(7, 128, 122, 20));
}

TEST_F(HelpWindow, FirstShowingIsTheOverview)
{
    EXPECT_EQ(caption(), "Overview");
    EXPECT_EQ(visiblePage(), std::make_pair(QString("memo1"), QString("Overview")));
    EXPECT_EQ(help.currentPage(), 1);
}

TEST_F(HelpWindow, PageButtonsBringTheirPageToTheFront)
{
    click("button_scoring");
    EXPECT_EQ(caption(), "Scoring");
    EXPECT_EQ(visiblePage(), std::make_pair(QString("memo4"), QString("Scoring")));

    click("button_documentation");
    EXPECT_EQ(caption(), "Documentation");
    EXPECT_EQ(visiblePage(), std::make_pair(QString("memo5"), QString("History")));

    click("button_gameplay");
    EXPECT_EQ(visiblePage(), std::make_pair(QString("memo3"), QString("Game Play")));
    click("button_license");
    EXPECT_EQ(caption(), "License");
    EXPECT_EQ(visiblePage(), std::make_pair(QString("memo6"), QString("License Agreement")));
    click("button_overview");
    EXPECT_EQ(visiblePage(), std::make_pair(QString("memo1"), QString("Overview")));
}

TEST_F(HelpWindow, KeepsItsPageBetweenShowings)
{
    click("button_scoring");
    EXPECT_TRUE(help.close());
    EXPECT_FALSE(help.isVisible());
    help.show();
    EXPECT_EQ(caption(), "Scoring");
    EXPECT_EQ(visiblePage().first, "memo4");

    click("button_done");
    EXPECT_FALSE(help.isVisible());
    help.show();
    EXPECT_EQ(visiblePage().first, "memo4");
}

TEST_F(HelpWindow, ResizingWidensThePageAreaOnly)
{
    help.resize(800, 500);
    EXPECT_EQ(help.findChild<QWidget *>("panel_side")->geometry(), QRect(0, 0, 137, 500));
    EXPECT_EQ(help.findChild<QWidget *>("panel_main")->geometry(), QRect(137, 0, 663, 500));
    EXPECT_EQ(help.findChild<QLabel *>("label_caption")->width(), 661);
    EXPECT_EQ(help.findChild<QTextEdit *>("memo1")->width(), 661);
    EXPECT_EQ(button("button_done")->geometry(), QRect(18, 473, 95, 20)); // stays at the bottom
    EXPECT_EQ(button("button_overview")->width(), 122);
}

TEST_F(HelpWindow, AboutButtonAsksForTheAboutWindow)
{
    QSignalSpy about(&help, &Thelp::aboutRequested);
    click("button_about");
    EXPECT_EQ(about.count(), 1);
    EXPECT_EQ(help.currentPage(), 1); // not a page button
}

TEST(HelpPages, TextsAsGiven)
{
    const QStringList gamePlay = Thelp::pageLines(3);
    ASSERT_EQ(gamePlay.size(), 17);
    EXPECT_EQ(gamePlay[1], "");
    EXPECT_EQ(gamePlay[2], "You will receive 16 cards total. The object of the game is to place those 16");
    EXPECT_EQ(gamePlay[16], "around round. If the hands do not equal 55 or more the game will end.");

    const QStringList scoring = Thelp::pageLines(4);
    EXPECT_EQ(scoring[5], "Nob - You receive one point if your hand contains the jack that matches the");
    EXPECT_EQ(scoring.last(), "hands do not equal 55 or more then the game will end.");

    const QStringList history = Thelp::pageLines(5);
    EXPECT_EQ(history, QStringList({"History", "", "Aug 3, 2009 - Version 1.0.1.0",
                                    "  -Fixed problem with tally high score",
                                    "  -Changed game winning to 55 instead of 60",
                                    "  -Fix bug in restarting game by disabling score timer",
                                    "  -Added Update abilities", "July 30, 2009 - Version 1.0.0.0"}));

    for (int page : {1, 3, 4, 5, 6})
        EXPECT_EQ(Thelp::pageLines(page).value(1), "") << "page " << page;
    EXPECT_TRUE(Thelp::pageLines(6).join('\n').contains("Copyright (c) 2026 Brackenfold Games"));
    EXPECT_TRUE(Thelp::pageLines(2).isEmpty());
}

TEST_F(HelpWindow, PagesAreReadOnlyAndShowTheirLinesAsStored)
{
    auto *memo = help.findChild<QTextEdit *>("memo5");
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_EQ(memo->toPlainText(), Thelp::pageLines(5).join('\n'));
    EXPECT_NE(memo->focusPolicy() & Qt::TabFocus, Qt::TabFocus);
}

} // namespace
