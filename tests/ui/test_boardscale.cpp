// The board drawn to the window's size: the design's layout at the default size,
// every control in proportion when larger, the minimum held, and full screen.
#include "mainwindow_fixture.h"

#include "widgets/boardhost.h"
#include "widgets/boardscale.h"
#include "widgets/cardimagelist.h"
#include "widgets/picture.h"

#include <QWindow>

#include <map>

namespace {

class ScaledBoard : public MainWindow {
protected:
    struct Design {
        QRect geometry;
        int pixels; // font size, 0 for an inherited font
    };

    // Every control of the board, as the window shows it now.
    std::map<QWidget *, Design> controls()
    {
        QWidget *board = find("panel_board");
        std::map<QWidget *, Design> all{{board, {board->geometry(), board->font().pixelSize()}}};
        for (QWidget *w : board->findChildren<QWidget *>()) {
            if (!w->objectName().startsWith("qt_"))
                all[w] = {w->geometry(), w->testAttribute(Qt::WA_SetFont) ? w->font().pixelSize() : 0};
        }
        return all;
    }
    // The client area grows by its own size: twice the default.
    void doubleTheClient()
    {
        Tmain &m = window();
        m.resize(m.size() + m.centralWidget()->size());
        QCoreApplication::processEvents();
    }
};

} // namespace

TEST_F(ScaledBoard, DesignAtTheDefaultSizeTwiceAsLargeAtTwiceAndBackAgain)
{
    window();
    click("button_namecancel"); // no blinking text cursor in the pictures
    QWidget *client = window().centralWidget();
    const QSize designClient = client->size();
    find("panel_linescore")->show(); // its captions fit their text once shown
    find("panel_linescore")->hide();
    const std::map<QWidget *, Design> design = controls();
    const QImage designPicture = find("panel_board")->grab().toImage();

    doubleTheClient();
    ASSERT_EQ(client->size(), designClient * 2);
    for (const auto &[w, d] : design) {
        const std::string name = w->objectName().toStdString();
        if (w->objectName() == "panel_board") {
            EXPECT_EQ(w->size(), d.geometry.size() * 2);
            EXPECT_EQ(w->pos(), QPoint((client->width() - w->width()) / 2, (client->height() - w->height()) / 2));
        } else if (boardscale::fitsText(w)) {
            // A caption sized to its text: twice as far in, as large as its text.
            EXPECT_EQ(w->pos(), d.geometry.topLeft() * 2) << name;
            EXPECT_EQ(w->size(), w->sizeHint()) << name;
        } else {
            EXPECT_EQ(w->geometry(), QRect(d.geometry.topLeft() * 2, d.geometry.size() * 2)) << name;
        }
        if (d.pixels > 0) {
            EXPECT_EQ(w->font().pixelSize(), d.pixels * 2) << name;
        }
    }

    // Back at the default size the board is again the design, pixel for pixel.
    window().resize(window().size() - designClient);
    QCoreApplication::processEvents();
    ASSERT_EQ(client->size(), designClient);
    for (const auto &[w, now] : controls()) {
        EXPECT_EQ(now.geometry, design.at(w).geometry) << w->objectName().toStdString();
        EXPECT_EQ(now.pixels, design.at(w).pixels) << w->objectName().toStdString();
    }
    EXPECT_EQ(find("panel_board")->grab().toImage(), designPicture);
}

TEST_F(ScaledBoard, CardsComeFromTheTwiceSizedArt)
{
    window();
    click("button_namedone");
    window().game().generator().seed(0); // the first card is the ace of clubs
    click("button_start");
    doubleTheClient();
    clickCell(2, 3);
    ASSERT_EQ(cardIn("card_23"), 1);

    QImage sheet = loadPictureImage(QStringLiteral(":/cards.png"), 2.0);
    ASSERT_EQ(sheet.devicePixelRatio(), 2.0);
    const int w = CardImageList::width * 2, h = CardImageList::height * 2;
    const QImage ace = sheet.copy(1 * w, 0, w, h).convertToFormat(QImage::Format_ARGB32);
    const QImage shown = find("card_23")->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(shown.size(), ace.size());
    // Every pixel but the transparent corners is the large picture's own.
    int differing = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            differing += qAlpha(ace.pixel(x, y)) == 255 && shown.pixel(x, y) != ace.pixel(x, y);
    EXPECT_EQ(differing, 0);
}

TEST_F(ScaledBoard, MouseAndKeysPlayTheLargerBoard)
{
    window();
    click("button_namedone");
    window().game().generator().seed(0);
    click("button_start");
    doubleTheClient();
    clickCell(1, 1);
    EXPECT_EQ(window().game().board().cell(1, 1), 1);

    QWidget *board = find("panel_board1");
    board->setFocus();
    QTest::keyClick(board, Qt::Key_Right);
    QWidget *highlight = find("board_highlight");
    EXPECT_TRUE(highlight->isVisible());
    EXPECT_TRUE(highlight->geometry().contains(find("card_12")->geometry()));
    QTest::keyClick(board, Qt::Key_Space);
    EXPECT_EQ(window().game().board().cell(1, 2), 2);

    // The frame follows the board when the window changes size again.
    window().resize(window().size() / 2);
    QCoreApplication::processEvents();
    EXPECT_TRUE(highlight->geometry().contains(find("card_12")->geometry()));
    EXPECT_LT(highlight->width(), find("card_12")->width() + 10);
}

TEST(BoardScale, EdgesThatTouchStillTouch)
{
    // Cells 64 apart and 60 wide leave the same gap, scaled, whatever the factor.
    for (const qreal f : {1.0, 1.3, 2.0, 2.27}) {
        const QRect a = boardscale::scaled({104, 8, 60, 82}, f);
        const QRect b = boardscale::scaled({164, 8, 4, 82}, f);
        EXPECT_EQ(a.right() + 1, b.left()) << f;
    }
    EXPECT_EQ(boardscale::scaled({104, 8, 60, 82}, 1.0), QRect(104, 8, 60, 82));
}

TEST_F(ScaledBoard, TheWindowHoldsItsMinimumAgainstTheWindowSystem)
{
    Tmain &m = window();
    QCoreApplication::processEvents();
    const QSize least = m.minimumSize();
    // As a window manager that ignores the window's hints might: the platform
    // window made smaller than allowed. The window takes its minimum back.
    m.windowHandle()->setMinimumSize({0, 0});
    m.windowHandle()->resize(400, 300);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m.size() == least; }, 2000)) << m.width() << "x" << m.height();
    QWidget *client = m.centralWidget();
    EXPECT_EQ(client->size(), QSize(Tmain::boardWidth + 5, Tmain::boardHeight + 5));
    EXPECT_EQ(find("panel_board")->geometry(), QRect(2, 2, Tmain::boardWidth, Tmain::boardHeight));
}

TEST(BoardHost, AreaSmallerThanItsMinimumShowsTheWholeBoardSmaller)
{
    BoardHost host({701, 530}, nullptr);
    auto *board = new QWidget(&host);
    board->setGeometry(0, 0, 696, 525);
    auto *corner = new QWidget(board);
    corner->setGeometry(690, 520, 6, 5);
    host.setBoard(board);
    host.show();
    host.resize(701, 265);
    EXPECT_EQ(boardscale::factor(board), 0.5);
    EXPECT_EQ(board->geometry(), QRect(176, 1, 348, 263));
    EXPECT_EQ(corner->geometry(), QRect(345, 260, 3, 3));
    host.resize(701, 530);
    EXPECT_EQ(board->geometry(), QRect(2, 2, 696, 525));
    EXPECT_EQ(corner->geometry(), QRect(690, 520, 6, 5));
}

TEST_F(ScaledBoard, FullScreenFromTheMenuIsSavedAndRestored)
{
    writeIni("[quenvale]\nTop=0\nLeft=30\nWidth=720\nHeight=600\n");
    Tmain &m = window();
    EXPECT_GT(boardscale::factor(find("panel_board")), 1.0); // a saved size above the default
    QAction *full = action("FullScreen1");
    EXPECT_FALSE(full->isChecked());
    m.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m));
    QTest::keyClick(&m, Qt::Key_F11);
    QCoreApplication::processEvents();
    EXPECT_TRUE(m.isFullScreen());
    EXPECT_TRUE(full->isChecked());
    // The board fills what the screen gives it, still whole.
    const qreal factor = boardscale::factor(find("panel_board"));
    EXPECT_GE(factor, 1.0);
    EXPECT_TRUE(m.centralWidget()->rect().contains(find("panel_board")->geometry()));

    m.close();
    // The bounds from before full screen, and the state.
    EXPECT_EQ(iniContents(), "[quenvale]\nTop=0\nLeft=30\nWidth=720\nHeight=600\nName=Guest\nSounds=yes\n"
                             "Update=true\nFullScreen=yes\n");

    w.reset();
    Tmain &again = window();
    QCoreApplication::processEvents();
    EXPECT_TRUE(again.isFullScreen());
    EXPECT_TRUE(action("FullScreen1")->isChecked());
    action("FullScreen1")->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(again.isFullScreen());
    EXPECT_EQ(again.windowBounds(), QRect(30, 0, 720, 600));
    again.close();
    EXPECT_TRUE(iniContents().endsWith("FullScreen=no\n"));
}

