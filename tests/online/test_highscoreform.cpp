#include "net/httpget.h"
#include "platform/desktop.h"
#include "tests/net/rawserver.h"
#include "tests/server/runningserver.h"
#include "ui/highscoreform.h"
#include "widgets/htmlview.h"

#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <gtest/gtest.h>

namespace {

bool hasTable(QTextDocument *document)
{
    for (QTextFrame *frame : document->rootFrame()->childFrames()) {
        if (qobject_cast<QTextTable *>(frame))
            return true;
    }
    return false;
}

class HighScoreWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.setServer(QStringLiteral("http://127.0.0.1:%1/").arg(server.port()));
        platform::setUrlOpener([this](const QUrl &url) {
            opened.push_back(url.toString());
            return true;
        });
    }
    void TearDown() override { platform::setUrlOpener({}); }

    QString pageText() const { return window.viewer()->toPlainText(); }
    bool waitForPageWith(const QString &text)
    {
        return QTest::qWaitFor([&] { return pageText().contains(text); }, 10000);
    }

    RunningServer server;
    Thighscore window{QPixmap()};
    std::vector<QString> opened;
};

} // namespace

TEST_F(HighScoreWindow, Layout)
{
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Quenvale - High Scores"));
    EXPECT_EQ(window.size(), QSize(603, 561));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_EQ(window.findChild<QLabel *>(QStringLiteral("Image1"))->geometry(), QRect(6, 9, 97, 322));
    QWidget *panel = window.findChild<QWidget *>(QStringLiteral("panel_main"));
    EXPECT_EQ(panel->geometry(), QRect(112, 8, 481, 507));
    EXPECT_EQ(window.viewer()->parentWidget(), panel);
    EXPECT_EQ(window.viewer()->geometry(), panel->rect());
    EXPECT_EQ(window.findChild<QWidget *>(QStringLiteral("button_done"))->geometry(), QRect(467, 518, 126, 40));
    EXPECT_EQ(window.senditFetch()->Agent, QStringLiteral("Quenvale HTTPGet"));
    EXPECT_FALSE(window.isVisible());
}

TEST_F(HighScoreWindow, OpensCentredAndDoneOnlyHides)
{
    window.showWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QRect desk = window.screen()->availableGeometry();
    EXPECT_LE(std::abs(window.frameGeometry().center().x() - desk.center().x()), 2);
    EXPECT_LE(std::abs(window.frameGeometry().center().y() - desk.center().y()), 2);
    QTest::mouseClick(window.findChild<QWidget *>(QStringLiteral("button_done")), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    window.showWindow();
    EXPECT_TRUE(window.isVisible());
}

TEST_F(HighScoreWindow, LoaditRefreshesThePage)
{
    server.store().add({"Early", "1/1/24", 80});
    window.loadit();
    ASSERT_TRUE(waitForPageWith(QStringLiteral("Early")));
    EXPECT_TRUE(hasTable(window.viewer()->document()));
    server.store().add({"Later", "1/2/24", 90});
    // A second load while the first still runs is one fetch; once idle, a new one goes out.
    ASSERT_TRUE(QTest::qWaitFor([&] {
        window.loadit();
        return pageText().contains(QStringLiteral("Later"));
    }, 10000));
}

TEST_F(HighScoreWindow, PageThatCannotBeFetchedSaysWhyInPlainWords)
{
    window.setServer(QStringLiteral("http://127.0.0.1:%1/").arg(RawServer::closedPort()));
    window.loadit();
    EXPECT_TRUE(pageText().contains(QStringLiteral("Loading"))); // never blank meanwhile
    ASSERT_TRUE(waitForPageWith(QStringLiteral("could not be loaded")));
    EXPECT_TRUE(pageText().contains(QStringLiteral("once the score server can be reached")));

    RawServer failing([](RawServer::Connection &c) { c.send(RawServer::reply("503 Busy", "<h1>busy</h1>")); });
    window.setServer(failing.url("/"));
    window.loadit();
    ASSERT_TRUE(waitForPageWith(QStringLiteral("status 503")));
    EXPECT_FALSE(pageText().contains(QStringLiteral("busy")));

    // Reachable again: the list.
    server.store().add({"Back", "1/3/24", 70});
    window.setServer(QStringLiteral("http://127.0.0.1:%1/").arg(server.port()));
    window.loadit();
    EXPECT_TRUE(waitForPageWith(QStringLiteral("Back")));
}

TEST_F(HighScoreWindow, OnlyWebAndMailLinksReachTheDesktop)
{
    bool handled = false;
    for (const char *target : {"http://scores.example/a?b=c", "HTTPS://scores.example/", "mailto:someone@example.com"})
        window.displayhtmlLinkClick(window.viewer(), QString::fromLatin1(target), handled);
    for (const char *target : {"", "file:///etc/passwd", "/etc/passwd", "../quenvale.ini", "/counter/quenvale.shtml",
                               "javascript:alert(1)", "smb://host/share", "http://", "mailto:", "quenvale.ini"})
        window.displayhtmlLinkClick(window.viewer(), QString::fromLatin1(target), handled);
    EXPECT_EQ(opened, (std::vector<QString>{QStringLiteral("http://scores.example/a?b=c"),
                                            QStringLiteral("https://scores.example/"),
                                            QStringLiteral("mailto:someone@example.com")}));
    EXPECT_FALSE(handled);
}
