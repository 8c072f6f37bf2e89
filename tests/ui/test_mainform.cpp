// The main window played through clicks, keys and menu commands.
#include "mainwindow_fixture.h"

#include "platform/desktop.h"
#include "ui/aboutform.h"

#include <QFontInfo>
#include <QLineEdit>
#include <QTimer>

using Strings = std::vector<std::string>;

TEST_F(MainWindow, StartsWithTheNamePanelOverAnEmptyBoard)
{
    Tmain &m = window();
    EXPECT_EQ(m.windowTitle(), "Quenvale");
    EXPECT_EQ(rec.sounds, Strings{"entered"});
    EXPECT_TRUE(shown("panel_name"));
    for (const char *hidden : {"panel_over", "panel_wait", "panel_continue", "panel_linescore", "panel_update"})
        EXPECT_FALSE(shown(hidden)) << hidden;
    EXPECT_TRUE(shown("button_start"));
    EXPECT_TRUE(shown("label_breakdown"));
    EXPECT_FALSE(find<QTimer>("Timer1")->isActive());
    EXPECT_FALSE(find<QTimer>("Timer2")->isActive());
    EXPECT_EQ(find<QTimer>("Timer2")->interval(), 1000);
    EXPECT_FALSE(m.game().gameactive());
    for (const char *total : {"label_rounds", "label_total", "label_score"})
        EXPECT_EQ(caption(total), "0") << total;
    for (int line : qv::boardLines)
        EXPECT_EQ(caption(QStringLiteral("label_linescore%1").arg(line)), "");
    for (int row = 1; row <= 5; ++row)
        for (int col = 1; col <= 5; ++col)
            EXPECT_FALSE(find<CardImage>(cellName(row, col))->hasPicture());
    // The card back waits under "Next Card".
    EXPECT_EQ(find<CardImage>("image_nextcard")->picture(), 0);
    EXPECT_EQ(caption("label_cardtype"), "Next Card");
    EXPECT_EQ(caption("label_name"), "Welcome to Quenvale");
    EXPECT_EQ(find<QLineEdit>("edit_name")->text(), "Guest");
    EXPECT_EQ(find<QLineEdit>("edit_aname")->text(), "Guest");
    // No settings file appears until something saves.
    EXPECT_FALSE(QFile::exists(iniPath));
}

TEST_F(MainWindow, LayoutFollowsTheDesign)
{
    window();
    EXPECT_EQ(find("panel_board")->size(), QSize(696, 525));
    EXPECT_EQ(find("panel_board1")->geometry(), QRect(7, 33, 683, 472));
    EXPECT_EQ(find("card_11")->geometry(), QRect(104, 8, 60, 82));
    EXPECT_EQ(find("card_44")->pos(), QPoint(296, 272));
    EXPECT_EQ(find("card_15")->pos(), QPoint(360, 8));
    EXPECT_EQ(find("card_51")->pos(), QPoint(104, 359));
    EXPECT_EQ(find("card_52")->pos(), QPoint(168, 358));
    EXPECT_EQ(find("label_linescore3")->geometry(), QRect(432, 216, 64, 24));
    EXPECT_EQ(find("label_linescore9")->geometry(), QRect(294, 443, 64, 24));
    EXPECT_EQ(find("button_start")->geometry(), QRect(515, 376, 126, 40));
    EXPECT_EQ(find("panel_over")->geometry(), QRect(483, 19, 191, 311));
    EXPECT_EQ(find("button_sendscore")->geometry(), QRect(19, 163, 160, 40));
    EXPECT_EQ(find("panel_linescore")->geometry(), QRect(96, 108, 332, 221));
    EXPECT_EQ(find("edit_aname")->geometry(), QRect(51, 46, 161, 32));
    // Only the sixteen placeable cells show the empty-cell mark and take clicks.
    EXPECT_EQ(find<CardImage>("card_34")->accessibleName(), "Row 3, column 4: empty");

    // The names of the window's fonts come out as metric-compatible families.
    EXPECT_EQ(QFontInfo(find("label_name")->font()).family(), "Liberation Sans");
    EXPECT_EQ(find("label_name")->font().pixelSize(), 13);
    EXPECT_TRUE(find("label_name")->font().bold());
}

TEST_F(MainWindow, MenuHasItsCaptionsShortcutsAndChecks)
{
    window();
    EXPECT_EQ(action("StartGame1")->text(), "Start Game");
    EXPECT_EQ(action("StartGame1")->shortcuts(), (QList<QKeySequence>{QKeySequence("Ctrl+S"), QKeySequence("Ctrl+N")}));
    EXPECT_EQ(action("Exit1")->shortcut(), QKeySequence("Ctrl+Q"));
    EXPECT_EQ(action("Help2")->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_EQ(action("FullScreen1")->shortcut(), QKeySequence(Qt::Key_F11));
    EXPECT_EQ(action("FullScreen1")->text(), "Full Screen");
    EXPECT_EQ(action("ChangeName1")->text(), "Change  Name");
    EXPECT_TRUE(action("PlaySounds1")->isChecked());
    EXPECT_TRUE(action("updatecheck")->isChecked());
    EXPECT_TRUE(action("N1")->isSeparator());
    for (const char *item : {"Exit1", "ResetScreenLocation1", "TallyList1", "ViewHighScoreList1",
                             "CheckforUpdateNow1", "About1", "N2", "N3"})
        EXPECT_NE(window().findChild<QAction *>(item), nullptr) << item;
}

TEST_F(MainWindow, EveryEngineCallReachesItsControl)
{
    Tmain &m = window();
    m.showCell(3, 2, 17);
    m.showCell(5, 5, 40);
    EXPECT_EQ(cardIn("card_32"), 17);
    EXPECT_EQ(cardIn("card_55"), 40);
    EXPECT_EQ(cardIn("card_23"), -1);
    m.showCell(3, 2, 0);
    EXPECT_FALSE(find<CardImage>("card_32")->hasPicture());

    m.showNextCard(9, "STARTER");
    EXPECT_EQ(cardIn("image_nextcard"), 9);
    EXPECT_EQ(caption("label_cardtype"), "STARTER");
    m.showLineScore(7, 12);
    m.showLineScore(2, 0);
    EXPECT_EQ(caption("label_linescore7"), "12");
    EXPECT_EQ(caption("label_linescore2"), "0");
    m.showLineScore(7, std::nullopt);
    EXPECT_EQ(caption("label_linescore7"), "");
    m.showNumbers(3, 140, 61);
    EXPECT_EQ(caption("label_rounds"), "3");
    EXPECT_EQ(caption("label_total"), "140");
    EXPECT_EQ(caption("label_score"), "61");
    m.showGreeting("Good Luck Ann");
    EXPECT_EQ(caption("label_name"), "Good Luck Ann");
    m.showFinalScore("Your Score: 9");
    EXPECT_EQ(caption("label_score1"), "Your Score: 9");

    const std::pair<qv::Panel, const char *> panels[] = {
        {qv::Panel::StartButton, "button_start"}, {qv::Panel::BreakdownHint, "label_breakdown"},
        {qv::Panel::Name, "panel_name"},          {qv::Panel::Over, "panel_over"},
        {qv::Panel::SendScore, "button_sendscore"}, {qv::Panel::Wait, "panel_wait"},
        {qv::Panel::Continue, "panel_continue"},  {qv::Panel::LineScore, "panel_linescore"}};
    for (const auto &[panel, name] : panels) {
        m.showPanel(panel, true);
        EXPECT_FALSE(find(name)->isHidden()) << name;
        m.showPanel(panel, false);
        EXPECT_TRUE(find(name)->isHidden()) << name;
    }

    m.setPauseTimer(true);
    EXPECT_TRUE(find<QTimer>("Timer2")->isActive());
    m.setPauseTimer(false);
    EXPECT_FALSE(find<QTimer>("Timer2")->isActive());
    find<QLineEdit>("edit_name")->setText("Zed");
    EXPECT_EQ(m.playerName(), "Zed");
}

TEST_F(MainWindow, PlacingCards)
{
    window();
    click("button_namecancel");
    // No game yet: an empty cell ignores the click, silently.
    clickCell(2, 3);
    EXPECT_EQ(window().game().board().cell(2, 3), 0);
    EXPECT_EQ(cardIn("card_23"), -1);
    EXPECT_EQ(rec.sounds, Strings{"entered"});

    window().game().generator().seed(0); // deals 1, 2, 47, 13, ...
    click("button_start");
    EXPECT_FALSE(shown("button_start"));
    EXPECT_FALSE(shown("label_breakdown"));
    EXPECT_EQ(caption("label_name"), "Good Luck Guest");
    EXPECT_EQ(caption("label_rounds"), "1");
    EXPECT_EQ(cardIn("image_nextcard"), 1);
    expectWindowShowsTheEngine();

    clickCell(2, 3);
    EXPECT_EQ(window().game().board().cell(2, 3), 1);
    EXPECT_EQ(cardIn("card_23"), 1);
    EXPECT_EQ(find("card_23")->accessibleName(), "Row 2, column 3: ace of clubs");
    EXPECT_EQ(cardIn("image_nextcard"), 2);
    // An occupied cell refuses and keeps its card.
    clickCell(2, 3);
    EXPECT_EQ(cardIn("card_23"), 1);
    EXPECT_EQ(cardIn("image_nextcard"), 2);
    expectWindowShowsTheEngine();
    EXPECT_EQ(rec.sounds, (Strings{"entered", "startgame", "cardclick", "invalid"}));
    EXPECT_EQ(rec.tally, Strings{"increase 1"});
}

TEST_F(MainWindow, WholeGameThroughClicks)
{
    window();
    click("button_namedone");
    const std::uint32_t first = seedScoring(55, 55);
    const std::uint32_t second = seedScoring(54, 54);

    playRound(first, "button_start");
    const qv::Board b = scoredBoard(first);
    const int starter = b.cell(5, 5);
    EXPECT_EQ(caption("label_cardtype"), "STARTER");
    EXPECT_EQ(cardIn("image_nextcard"), starter);
    EXPECT_TRUE(shown("label_breakdown"));
    for (int k = 1; k <= 5; ++k) {
        EXPECT_EQ(cardIn(cellName(5, k)), starter);
        EXPECT_EQ(cardIn(cellName(k, 5)), starter);
    }
    for (int row = 1; row <= 4; ++row)
        for (int col = 1; col <= 4; ++col)
            EXPECT_EQ(cardIn(cellName(row, col)), b.cell(row, col));
    for (int line : qv::boardLines) {
        int points = 0;
        for (int p : b.linebreakdown[line - 1])
            points += p;
        EXPECT_EQ(window().game().lineScore(line), points) << line;
        EXPECT_EQ(caption(QStringLiteral("label_linescore%1").arg(line)), QString::number(points)) << line;
    }
    expectWindowShowsTheEngine();
    EXPECT_EQ(caption("label_score"), "55");
    EXPECT_EQ(caption("label_total"), "55");
    EXPECT_TRUE(find<QTimer>("Timer2")->isActive());

    // Exactly 55 continues.
    for (int i = 0; i < qv::GameFlow::pauseTicks; ++i)
        window().Timer2Timer();
    EXPECT_FALSE(shown("panel_continue"));
    window().Timer2Timer();
    EXPECT_TRUE(shown("panel_continue"));
    EXPECT_FALSE(find<QTimer>("Timer2")->isActive());

    playRound(second, "button_start2");
    EXPECT_FALSE(shown("panel_continue"));
    EXPECT_EQ(caption("label_rounds"), "2");
    EXPECT_EQ(caption("label_score"), "54");
    EXPECT_EQ(caption("label_total"), "109");
    // Exactly 54 ends the game.
    tickOut();
    EXPECT_FALSE(shown("panel_continue"));
    EXPECT_TRUE(shown("panel_over"));
    EXPECT_TRUE(shown("button_sendscore"));
    EXPECT_TRUE(shown("button_start"));
    EXPECT_EQ(caption("label_score1"), "Your Score: 109");
    EXPECT_FALSE(window().game().gameactive());
    EXPECT_EQ(rec.tally, (Strings{"increase 1", "increase 2", "increase 1", "checkscore 109 Guest"}));

    Strings sounds{"entered", "startgame"};
    sounds.insert(sounds.end(), 16, "cardclick");
    sounds.insert(sounds.end(), {"roundover", "continue", "startgame"});
    sounds.insert(sounds.end(), 16, "cardclick");
    sounds.insert(sounds.end(), {"roundover", "gameover"});
    EXPECT_EQ(rec.sounds, sounds);

    // Close puts the game-over panel away; the scored board stays.
    click("button_cancel");
    EXPECT_FALSE(shown("panel_over"));
    EXPECT_EQ(caption("label_total"), "109");
    clickCell(1, 1);
    EXPECT_EQ(rec.sounds.back(), "invalid");
}

TEST_F(MainWindow, BreakdownOfARowAndAColumn)
{
    window();
    click("button_namedone");
    const std::uint32_t seed = seedScoring(20, 200);
    playRound(seed, "button_start");
    const qv::Board b = scoredBoard(seed);

    struct Case {
        int line;
        const char *title;
    };
    for (Case c : {Case{7, "Line Score:7"}, Case{2, "Line Score:2"}}) {
        click(QStringLiteral("label_linescore%1").arg(c.line));
        ASSERT_TRUE(shown("panel_linescore"));
        EXPECT_EQ(caption("label_ls1"), c.title);
        EXPECT_EQ(caption("label_ls2"), c.title);
        const std::array<int, 5> cards = b.linecards(c.line);
        int sum = 0;
        for (int k = 1; k <= 5; ++k) {
            EXPECT_EQ(find<CardImage>(QStringLiteral("card_ls%1").arg(k))->picture(), cards[k - 1]);
            const int value = caption(QStringLiteral("label_line%1").arg(k)).toInt();
            EXPECT_EQ(value, b.linebreakdown[c.line - 1][k - 1]);
            sum += value;
        }
        // The starter is the fifth card, and the categories add up to the total.
        EXPECT_EQ(cards[4], b.cell(5, 5));
        EXPECT_EQ(caption("label_line6"), caption(QStringLiteral("label_linescore%1").arg(c.line)));
        EXPECT_EQ(QString::number(sum), caption("label_line6"));
    }
    // The pictures take no clicks; the close picture hides the panel.
    click("card_ls1");
    EXPECT_TRUE(shown("panel_linescore"));
    click("Image1");
    EXPECT_FALSE(shown("panel_linescore"));
}

TEST_F(MainWindow, BreakdownBeforeAndDuringARound)
{
    window();
    click("button_namedone");
    click("label_linescore6");
    EXPECT_EQ(caption("label_ls1"), "Line Score:6");
    for (int k = 1; k <= 5; ++k) {
        EXPECT_EQ(find<CardImage>(QStringLiteral("card_ls%1").arg(k))->picture(), qv::cardBack);
        EXPECT_EQ(caption(QStringLiteral("label_line%1").arg(k)), "0");
    }
    EXPECT_EQ(caption("label_line6"), "");

    // While dealing: placed cards, backs for the empty cells.
    window().game().generator().seed(0);
    click("button_start");
    EXPECT_FALSE(shown("panel_linescore")); // a new game puts it away
    clickCell(1, 1);
    clickCell(2, 1);
    click("label_linescore6");
    EXPECT_EQ(find<CardImage>("card_ls1")->picture(), 1);
    EXPECT_EQ(find<CardImage>("card_ls2")->picture(), 2);
    EXPECT_EQ(find<CardImage>("card_ls3")->picture(), qv::cardBack);
    EXPECT_EQ(find<CardImage>("card_ls5")->picture(), qv::cardBack);
}

TEST_F(MainWindow, NewGameDuringThePause)
{
    window();
    click("button_namedone");
    playRound(seedScoring(55, 200), "button_start");
    ASSERT_TRUE(find<QTimer>("Timer2")->isActive());
    window().game().generator().seed(0);
    action("StartGame1")->trigger();
    EXPECT_FALSE(find<QTimer>("Timer2")->isActive());
    tickOut();
    EXPECT_FALSE(shown("panel_continue"));
    EXPECT_FALSE(shown("panel_over"));
    EXPECT_EQ(caption("label_total"), "0");
    EXPECT_EQ(caption("label_rounds"), "1");
    EXPECT_EQ(caption("label_cardtype"), "Next Card");
    EXPECT_EQ(cardIn("card_11"), -1);
    expectWindowShowsTheEngine();
}

TEST_F(MainWindow, NamePanel)
{
    window();
    auto *aname = find<QLineEdit>("edit_aname");
    auto *name = find<QLineEdit>("edit_name");

    // "Close" keeps the player name; the typed text waits for the next showing.
    aname->clear();
    QTest::keyClicks(aname, "Maud");
    click("button_namecancel");
    EXPECT_FALSE(shown("panel_name"));
    EXPECT_EQ(name->text(), "Guest");
    action("ChangeName1")->trigger();
    EXPECT_TRUE(shown("panel_name"));
    EXPECT_EQ(aname->text(), "Maud");

    // The name shown is selected, so typing replaces it; typing stops at ten characters.
    EXPECT_EQ(aname->selectedText(), "Maud");
    QTest::keyClicks(aname, "abcdefghijk");
    EXPECT_EQ(aname->text(), "abcdefghij");

    // "Done" with an empty field makes the name empty.
    aname->clear();
    click("button_namedone");
    EXPECT_EQ(name->text(), "");
    window().game().generator().seed(0);
    click("button_start");
    EXPECT_EQ(caption("label_name"), "Good Luck ");
    EXPECT_FALSE(QFile::exists(iniPath)); // "Done" saves nothing
}

TEST_F(MainWindow, MinimumSizeAndCentring)
{
    Tmain &m = window();
    QWidget *client = m.centralWidget();
    QWidget *board = find("panel_board");
    m.resize(300, 200);
    EXPECT_EQ(client->size(), QSize(701, 530));
    EXPECT_EQ(board->geometry(), QRect(2, 2, 696, 525));

    // Larger, the board grows in proportion until one side fills, and stays centred.
    m.resize(1001, 800);
    QCoreApplication::processEvents();
    EXPECT_GT(board->width(), 696);
    EXPECT_NEAR(double(board->width()) / board->height(), 696.0 / 525, 0.01);
    const QPoint centre = board->geometry().center();
    const QPoint clientCentre = client->rect().center();
    EXPECT_LE(std::abs(centre.x() - clientCentre.x()), 1);
    EXPECT_LE(std::abs(centre.y() - clientCentre.y()), 1);
}

TEST_F(MainWindow, KeyboardPlay)
{
    window();
    click("button_namedone");
    QWidget *board = find("panel_board1");
    QWidget *highlight = find("board_highlight");
    window().game().generator().seed(0);
    click("button_start");
    board->setFocus();
    window().activateWindow();

    // The first Enter only shows which cell is chosen.
    QTest::keyClick(board, Qt::Key_Return);
    EXPECT_TRUE(highlight->isVisible());
    EXPECT_EQ(cardIn("card_11"), -1);
    QTest::keyClick(board, Qt::Key_Right);
    QTest::keyClick(board, Qt::Key_Right);
    QTest::keyClick(board, Qt::Key_Down);
    EXPECT_EQ(window().keyboardCell(), QPoint(2, 3));
    EXPECT_TRUE(highlight->isVisible());
    EXPECT_TRUE(highlight->geometry().contains(find("card_23")->geometry()));
    EXPECT_EQ(board->accessibleDescription(), "Row 2, column 3: empty");

    QTest::keyClick(board, Qt::Key_Return);
    EXPECT_EQ(cardIn("card_23"), 1);
    EXPECT_EQ(board->accessibleDescription(), "Row 2, column 3: ace of clubs");
    QTest::keyClick(board, Qt::Key_Space); // the same cell again
    EXPECT_EQ(rec.sounds.back(), "invalid");

    // The highlight stops at the board's edges.
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(board, Qt::Key_Left);
        QTest::keyClick(board, Qt::Key_Down);
    }
    EXPECT_EQ(window().keyboardCell(), QPoint(4, 1));
    QTest::keyClick(board, Qt::Key_Space);
    EXPECT_EQ(window().game().board().cell(4, 1), 2);
    expectWindowShowsTheEngine();
    // A click moves the keyboard's cell too, and puts the frame away.
    clickCell(1, 4);
    EXPECT_EQ(window().keyboardCell(), QPoint(1, 4));
    EXPECT_FALSE(highlight->isVisible());
}

TEST_F(MainWindow, MenuOpensTheOtherWindowsAndTheStripOpensTheLink)
{
    QUrl opened;
    platform::setUrlOpener([&opened](const QUrl &url) {
        opened = url;
        return true;
    });
    Tmain &m = window();
    Tabout about(m.backgroundTile(), &m);
    about.setWebSite(m.webSite());
    QWidget help(&m, Qt::Window);
    QWidget tally(&m, Qt::Window);
    m.setAboutWindow(&about);
    m.setHelpWindow(&help);
    m.setTallyListWindow(&tally);

    action("About1")->trigger();
    action("Help2")->trigger();
    action("TallyList1")->trigger();
    EXPECT_TRUE(about.isVisible());
    EXPECT_TRUE(help.isVisible());
    EXPECT_TRUE(tally.isVisible());

    click("image_logo");
    EXPECT_EQ(opened, QUrl("http://127.0.0.1:8471"));
    platform::setUrlOpener({});
}
