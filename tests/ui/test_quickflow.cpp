// The quick ways through a game: the name typed before Start, the pause after a
// round cut short, and the breakdown's line marked on the board.
#include "mainwindow_fixture.h"

#include <QLineEdit>
#include <QTimer>

TEST_F(MainWindow, StartTakesTheNameTypedIntoTheOpenPanel)
{
    window();
    auto *aname = find<QLineEdit>("edit_aname");
    // Typing replaces the name shown.
    QTest::keyClicks(aname, "Maud");
    EXPECT_EQ(aname->text(), "Maud");
    window().game().generator().seed(0);
    click("button_start");
    EXPECT_EQ(find<QLineEdit>("edit_name")->text(), "Maud");
    EXPECT_EQ(caption("label_name"), "Good Luck Maud");
    EXPECT_FALSE(shown("panel_name"));

    // The menu's Start Game too; an emptied field keeps the name.
    action("ChangeName1")->trigger();
    QTest::keyClicks(aname, "Ines");
    action("StartGame1")->trigger();
    EXPECT_EQ(caption("label_name"), "Good Luck Ines");
    action("ChangeName1")->trigger();
    aname->clear();
    action("StartGame1")->trigger();
    EXPECT_EQ(caption("label_name"), "Good Luck Ines");

    // A name typed and put away with Close is not taken later.
    action("ChangeName1")->trigger();
    QTest::keyClicks(aname, "Zed");
    click("button_namecancel");
    action("StartGame1")->trigger();
    EXPECT_EQ(caption("label_name"), "Good Luck Ines");
}

TEST_F(MainWindow, PauseCountsDownAndAClickOrAKeyEndsIt)
{
    window();
    click("button_namedone");
    playRound(seedScoring(55, 200), "button_start");
    ASSERT_TRUE(shown("label_countdown"));
    EXPECT_TRUE(caption("label_countdown").startsWith("Result in 6 s"));
    window().Timer2Timer();
    EXPECT_TRUE(caption("label_countdown").startsWith("Result in 5 s"));

    // Opening a line's breakdown, or clicking on it, is no request for the verdict.
    click("label_linescore2");
    click("label_ls1");
    EXPECT_TRUE(shown("label_countdown"));
    EXPECT_FALSE(shown("panel_continue"));
    click("Image1");

    // A click on the board gives it at once.
    QWidget *board = find("panel_board1");
    QTest::mouseClick(board, Qt::LeftButton, {}, QPoint(30, 300));
    EXPECT_TRUE(shown("panel_continue"));
    EXPECT_FALSE(shown("label_countdown"));
    EXPECT_FALSE(find<QTimer>("Timer2")->isActive());
    EXPECT_EQ(rec.tally.back(), "increase 2");
    const auto tally = rec.tally;
    tickOut(); // ticks already on their way
    EXPECT_EQ(rec.tally, tally);

    // Enter on the board, and a click on a card, do the same.
    playRound(seedScoring(55, 200), "button_start2");
    board->setFocus();
    QTest::keyClick(board, Qt::Key_Return);
    EXPECT_TRUE(shown("panel_continue"));
    playRound(seedScoring(0, 54), "button_start2");
    clickCell(3, 3);
    EXPECT_TRUE(shown("panel_over"));
    EXPECT_EQ(rec.sounds.back(), "gameover");
    expectWindowShowsTheEngine();

    // Out of the pause a click on the board does nothing.
    QTest::mouseClick(board, Qt::LeftButton, {}, QPoint(30, 300));
    EXPECT_TRUE(shown("panel_over"));
}

TEST_F(MainWindow, BreakdownFramesItsLineOnTheBoard)
{
    window();
    click("button_namedone");
    playRound(seedScoring(0, 200), "button_start");
    QWidget *frame = find("board_lineframe");
    EXPECT_FALSE(frame->isVisible());

    click("label_linescore7"); // the second column
    ASSERT_TRUE(frame->isVisible());
    for (int row = 1; row <= 5; ++row)
        EXPECT_TRUE(frame->geometry().contains(find(cellName(row, 2))->geometry())) << row;
    EXPECT_TRUE(frame->geometry().contains(find("label_linescore7")->geometry()));
    EXPECT_FALSE(frame->geometry().intersects(find("card_11")->geometry()));
    EXPECT_FALSE(frame->geometry().intersects(find("card_13")->geometry()));
    // Under the panel (drawn before it), whose texts stay as they are.
    const QObjectList &onBoard = frame->parentWidget()->children();
    EXPECT_LT(onBoard.indexOf(frame), onBoard.indexOf(find("panel_linescore")));
    EXPECT_EQ(caption("label_ls1"), "Line Score:7");

    click("label_linescore3"); // another line: the frame follows
    for (int col = 1; col <= 5; ++col)
        EXPECT_TRUE(frame->geometry().contains(find(cellName(3, col))->geometry())) << col;
    EXPECT_FALSE(frame->geometry().intersects(find("card_22")->geometry()));

    click("Image1");
    EXPECT_FALSE(frame->isVisible());
    click("label_linescore1");
    EXPECT_TRUE(frame->isVisible());
    action("StartGame1")->trigger(); // a new game puts both away
    EXPECT_FALSE(shown("panel_linescore"));
    EXPECT_FALSE(frame->isVisible());
}
