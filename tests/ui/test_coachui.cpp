// The coach in the main window: the hint and its mark, the demo and what stops
// it, the round review, stale answers dropped, and the practice rule for a game
// the coach helped.
#include "mainwindow_fixture.h"

#include "coach/round.h"
#include "game/savedgame.h"
#include "ui/coachworker.h"
#include "widgets/hintmark.h"

#include <QLineEdit>
#include <QSignalSpy>

namespace {

constexpr int patience = 30000; // milliseconds; the sanitizer build is slow

struct CoachInWindow : MainWindow {
    HintMark *mark() { return find<HintMark>("hint_mark"); }
    QWidget *board() { return find("panel_board1"); }
    int placed()
    {
        int n = 0;
        for (int row = 1; row <= 4; ++row)
            for (int col = 1; col <= 4; ++col)
                n += window().game().board().cell(row, col) != 0;
        return n;
    }
    // The coach's own rating of the board now, as the hint asks for it.
    qv::coach::CoachResult rating()
    {
        const qv::GameFlow &game = window().game();
        qv::coach::CoachOptions options;
        options.seed = qv::coach::decisionSeed(game.dealNumber(), game.deck().dealpos - 1);
        return qv::coach::rateCells(qv::coach::inputFrom(game.board(), game.nextCard()), options);
    }
    QString savedText()
    {
        QFile f(dir.filePath("quenvalegame.txt"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    // Nothing the coach still had on its way arrives any more.
    void settle()
    {
        QTest::qWait(50);
        QCoreApplication::processEvents();
    }
    void expectPractice()
    {
        EXPECT_EQ(window().game().gameKind(), qv::GameKind::Practice);
        EXPECT_TRUE(shown("label_practice"));
        EXPECT_TRUE(caption("label_deal").startsWith("Practice deal"));
    }
};

} // namespace

TEST_F(CoachInWindow, HintMarksTheCoachsCellUntilACardIsPlacedAndMakesThePracticeRule)
{
    window();
    click("button_namedone");
    EXPECT_FALSE(action("Hint1")->isEnabled()); // no card on offer before a game
    EXPECT_FALSE(action("Demo1")->isEnabled());
    window().game().generator().seed(seedScoring(0, 54));
    click("button_start");
    ASSERT_TRUE(action("Hint1")->isEnabled());
    EXPECT_FALSE(shown("label_practice"));
    clickCell(1, 1);
    clickCell(2, 3);

    // H on the board, as a player presses it.
    window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    board()->setFocus();
    QTest::keyClick(board(), Qt::Key_H);
    expectPractice(); // at once, before the answer
    EXPECT_TRUE(savedText().contains("kind practice")) << savedText().toStdString(); // a restart keeps it
    QTRY_VERIFY_WITH_TIMEOUT(mark()->isVisible(), patience);
    const qv::coach::CoachResult expected = rating();
    const int best = expected.best;
    const QRect cell = find(cellName(best / 4 + 1, best % 4 + 1))->geometry();
    EXPECT_TRUE(mark()->geometry().contains(cell)) << best;
    EXPECT_EQ(mark()->caption(), QStringLiteral("≈ %1").arg(qRound(*expected.expected[best])));

    // Asked again for the same card: the same mark, at once.
    action("Hint1")->trigger();
    EXPECT_TRUE(mark()->isVisible());

    // The mark goes with the card placed (here elsewhere than hinted) and is not
    // shown again for the next card unless asked.
    const int other = best == 15 ? 14 : 15; // the bottom row is empty yet
    clickCell(other / 4 + 1, other % 4 + 1);
    ASSERT_EQ(placed(), 3);
    EXPECT_FALSE(mark()->isVisible());
    settle();
    EXPECT_FALSE(mark()->isVisible());

    // The game is over after this round: a practice game's end is neither ranked nor posted.
    for (int row = 1; row <= 4; ++row)
        for (int col = 1; col <= 4; ++col)
            if (window().game().board().cell(row, col) == 0)
                clickCell(row, col);
    EXPECT_FALSE(action("Hint1")->isEnabled()); // the round is scored
    tickOut();
    ASSERT_TRUE(shown("panel_over"));
    EXPECT_FALSE(shown("button_sendscore"));
    EXPECT_TRUE(shown("label_practicenote"));
    EXPECT_EQ(rec.tally, (std::vector<std::string>{"increase 1"})); // its round counts, no checkscore

    // The next game is a random deal again.
    click("button_start");
    EXPECT_EQ(window().game().gameKind(), qv::GameKind::Random);
    EXPECT_FALSE(shown("label_practice"));
}

TEST_F(CoachInWindow, ARatingForABoardThatChangedIsDropped)
{
    // The worker: a newer request, or a cancel, overtakes the answer still on its way.
    qRegisterMetaType<qv::coach::CoachInput>();
    qRegisterMetaType<qv::coach::CoachResult>();
    CoachWorker worker;
    QSignalSpy spy(&worker, &CoachWorker::rated);
    qv::coach::CoachInput first;
    first.card = 5;
    qv::coach::CoachInput second = first;
    second.cells[0] = 9;
    worker.rate(first, {});
    worker.rate(second, {});
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, patience);
    EXPECT_EQ(spy.at(0).at(0).value<qv::coach::CoachInput>(), second);
    worker.rate(first, {});
    worker.cancelRating();
    QTest::qWait(100);
    EXPECT_EQ(spy.count(), 1);

    // The window: a hint asked for, then the card placed before it came.
    window();
    click("button_namedone");
    window().game().generator().seed(7);
    click("button_start");
    action("Hint1")->trigger();
    clickCell(4, 4);
    settle();
    QTest::qWait(300);
    EXPECT_FALSE(mark()->isVisible());
    expectPractice();
    // A hint for the new card is for the new board.
    action("Hint1")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(mark()->isVisible(), patience);
    EXPECT_NE(mark()->geometry(), find(cellName(4, 4))->geometry().adjusted(-4, -4, 4, 4));
}

TEST_F(CoachInWindow, DemoPlaysTheRoundTheReviewDescribesAndAClickOrAKeyStopsIt)
{
    window();
    click("button_namedone");
    window().setDemoPace(1);
    const std::uint32_t deal = 11;
    window().game().generator().seed(deal);
    click("button_start");
    action("Demo1")->trigger();
    expectPractice();
    EXPECT_TRUE(window().demoRunning());
    QTRY_VERIFY_WITH_TIMEOUT(!window().game().cardOnOffer(), patience * 2);
    EXPECT_FALSE(window().demoRunning()); // the round is over, and so is the demo
    EXPECT_EQ(placed(), 16);
    // Played from its first card, the demo's round is the coach's round the review gives.
    QTRY_VERIFY_WITH_TIMEOUT(shown("label_review"), patience * 2);
    const int total = window().game().handsTotal();
    EXPECT_EQ(caption("label_review"), QStringLiteral("Coach with these cards: %1").arg(total));
    EXPECT_EQ(total, qv::coach::coachRound(qv::coach::dealtCards(deal), [&] {
                         qv::coach::CoachOptions o;
                         o.seed = deal;
                         return o;
                     }()).total);
    EXPECT_TRUE(savedText().contains("kind practice"));

    // A click stops it; the click places no card, then or later.
    action("StartGame1")->trigger();
    window().setDemoPace(150);
    action("Demo1")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(placed() >= 2, patience);
    const qv::Board before = window().game().board();
    int row = 4, col = 4;
    while (before.cell(row, col) != 0)
        --col;
    clickCell(row, col);
    EXPECT_FALSE(window().demoRunning());
    QTest::qWait(400);
    settle();
    EXPECT_EQ(placed(), [&] {
        int n = 0;
        for (int r = 1; r <= 4; ++r)
            for (int c = 1; c <= 4; ++c)
                n += before.cell(r, c) != 0;
        return n;
    }());
    clickCell(row, col); // the board is the player's again
    EXPECT_NE(window().game().board().cell(row, col), 0);

    // So does a key, and it does nothing else (D would start the demo again).
    action("Demo1")->trigger();
    ASSERT_TRUE(window().demoRunning());
    QTest::keyClick(board(), Qt::Key_D);
    EXPECT_FALSE(window().demoRunning());
    const int afterKey = placed();
    QTest::qWait(400);
    EXPECT_EQ(placed(), afterKey);
}

TEST_F(CoachInWindow, ReviewComesAfterTheVerdictAndGoesWithTheNextDeal)
{
    window();
    click("button_namedone");
    const std::uint32_t deal = seedScoring(55, 200);
    playRound(deal, "button_start");
    EXPECT_FALSE(shown("label_review")); // appears only when ready
    window().game().endPause();
    EXPECT_TRUE(shown("panel_continue")); // the verdict never waits for the coach
    EXPECT_EQ(window().game().gameKind(), qv::GameKind::Random); // a review is no help
    QTRY_VERIFY_WITH_TIMEOUT(shown("label_review"), patience * 2);
    qv::coach::CoachOptions options;
    options.seed = deal;
    EXPECT_EQ(caption("label_review"),
              QStringLiteral("Coach with these cards: %1")
                  .arg(qv::coach::coachRound(qv::coach::dealtCards(deal), options).total));

    // The next round's deal takes it away; a review still on its way is dropped.
    click("button_start2");
    EXPECT_FALSE(shown("label_review"));
    placeAll();
    action("StartGame1")->trigger();
    settle();
    QTest::qWait(300);
    EXPECT_FALSE(shown("label_review"));
}

TEST_F(CoachInWindow, RankedGameHasNoHelp)
{
    window();
    window().game().startRanked("0123456789abcdef0123456789abcdef", 10);
    ASSERT_TRUE(window().game().cardOnOffer());
    EXPECT_FALSE(action("Hint1")->isEnabled());
    EXPECT_FALSE(action("Demo1")->isEnabled());
    window().Hint1Click();
    window().Demo1Click();
    EXPECT_EQ(window().game().gameKind(), qv::GameKind::Ranked);
    EXPECT_FALSE(window().demoRunning());
}

TEST_F(CoachInWindow, TypingANameIsNoRequestForHelp)
{
    window();
    click("button_namedone");
    window().game().generator().seed(3);
    click("button_start");
    window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    action("ChangeName1")->trigger();
    auto *aname = find<QLineEdit>("edit_aname");
    aname->setFocus();
    aname->clear();
    QTest::keyClicks(aname, "Hedda");
    EXPECT_EQ(aname->text(), "Hedda");
    EXPECT_EQ(window().game().gameKind(), qv::GameKind::Random);
    EXPECT_FALSE(window().demoRunning());
}
