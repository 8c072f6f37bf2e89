// The hostile high-score pages in the high-score window: each is shown cut,
// with a line that says so, and the window thread answers right after. The
// time each took to show is printed (no timing is asserted).
#include "net/pagebound.h"
#include "tests/net/hostilepages.h"
#include "tests/net/rawserver.h"
#include "ui/highscoreform.h"
#include "widgets/htmlview.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdio>

namespace {

const QString notice = QStringLiteral("Part of this page was left out");

// True once an event posted now has been handled by the window thread.
bool windowThreadAnswers()
{
    bool answered = false;
    QTimer::singleShot(0, [&] { answered = true; });
    return QTest::qWaitFor([&] { return answered; }, 10000);
}

} // namespace

TEST(HostilePages, EachShowsCutWithTheWindowAnswering)
{
    Thighscore window{QPixmap()};
    window.showWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    for (const auto &[name, page] : hostile::all()) {
        SCOPED_TRACE(name);
        QElapsedTimer shown;
        shown.start();
        window.showPage(QByteArray::fromStdString(page));
        // Laid out and painted, as the player would see it, down to its end.
        THtmlView *viewer = window.viewer();
        viewer->document()->documentLayout()->documentSize();
        viewer->verticalScrollBar()->setValue(viewer->verticalScrollBar()->maximum());
        viewer->viewport()->grab();
        std::printf("[ timing   ] %s (%zu bytes): shown in %lld ms\n", name, page.size(),
                    static_cast<long long>(shown.elapsed()));
        EXPECT_TRUE(windowThreadAnswers());
        EXPECT_TRUE(viewer->toPlainText().contains(notice));
    }
}

TEST(HostilePages, FetchedPageIsBoundedBeforeTheViewerSeesIt)
{
    const std::string word = hostile::tenMegabyteWord();
    RawServer server([&](RawServer::Connection &c) { c.send(RawServer::reply("200 OK", word)); });
    Thighscore window{QPixmap()};
    window.setServer(server.url("/"));
    window.loadit();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.viewer()->toPlainText().contains(notice); }, 30000));
    EXPECT_LE(window.viewer()->toPlainText().size(), qsizetype(qv::PageLimits().maxBytes));
    EXPECT_TRUE(windowThreadAnswers());
}
