// The main window's online flows: posting a score with its wait, the high-score
// window, the update check and the self-update, against servers on 127.0.0.1.
#include "net/scoreposting.h"
#include "net/updatecheck.h"
#include "platform/desktop.h"
#include "tests/net/rawserver.h"
#include "tests/online/testreleasekey.h"
#include "tests/server/runningserver.h"
#include "tests/ui/mainwindow_fixture.h"
#include "tally/tallyfile.h"
#include "tally/tallymodel.h"
#include "ui/highscoreform.h"
#include "ui/tallylistform.h"
#include "ui/tallyreport.h"
#include "widgets/htmlview.h"

#include <QLineEdit>
#include <QTimer>

#include <atomic>

namespace {

using Strings = std::vector<QString>;

const std::string scorePage =
    "<html><body><table border=1><tr><th>Name</th><th>Score</th></tr>"
    "<tr><td>Dana</td><td>88</td></tr></table></body></html>";

class OnlineMainWindow : public MainWindow {
protected:
    void TearDown() override
    {
        MainWindow::TearDown();
        SelfUpdate::programFile = savedProgramFile;
        SelfUpdate::exitProgram = savedExit;
        SelfUpdate::releaseKey = savedKey;
        platform::setProcessStarter({});
    }

    // The main window with the high-score window, its server on port. No about
    // window: the update check needs none.
    Tmain &open(int port, bool autoCheck)
    {
        writeIni(QStringLiteral("[quenvale]\nServer=http://127.0.0.1:%1/\nUpdate=%2\n")
                     .arg(port)
                     .arg(autoCheck ? "true" : "false")
                     .toUtf8());
        Tmain &w = window();
        w.setHighScoreWindow(&highscore);
        return w;
    }
    void gameOver()
    {
        click("button_namedone");
        playRound(seedScoring(0, 54), "button_start");
        tickOut();
        ASSERT_TRUE(shown("panel_over"));
    }
    bool timer1Active() { return find<QTimer>("Timer1")->isActive(); }
    bool pageShows(const QString &text) { return highscore.viewer()->toPlainText().contains(text); }

    const std::function<QString()> savedProgramFile = SelfUpdate::programFile;
    const std::function<void(int)> savedExit = SelfUpdate::exitProgram;
    const std::function<QByteArray()> savedKey = SelfUpdate::releaseKey;
    Thighscore highscore{QPixmap()};
};

// A server whose answers the test picks: the version text and its status, the
// installer and its signature (each a 404 when empty), and a score post whose reply (postStatus) waits for release() unless
// holdPosts is off.
struct ScriptedServer {
    std::string version = "1.0.1";
    std::string versionStatus = "200 OK";
    std::string installer;
    std::string signature;
    std::atomic<bool> holdPosts{true};
    std::string postStatus = "200 OK";

    RawServer raw{[this](RawServer::Connection &c) {
        if (c.request.starts_with("GET /quenvale/quenvaleversion.txt ")) {
            c.send(RawServer::reply(versionStatus, version));
        } else if (c.request.starts_with("GET /quenvale/qvlsetup.exe.sig ")) {
            c.send(signature.empty() ? RawServer::reply("404 Not Found", "no signature")
                                     : RawServer::reply("200 OK", signature));
        } else if (c.request.starts_with("GET /quenvale/qvlsetup.exe ")) {
            c.send(installer.empty() ? RawServer::reply("404 Not Found", "no installer")
                                     : RawServer::reply("200 OK", installer));
        } else if (c.request.starts_with("GET /cgi-bin/quenvale.cgi?")) {
            if (holdPosts)
                c.waitReleased();
            c.send(RawServer::reply(postStatus, "Score recorded.\n"));
        } else {
            c.send(RawServer::reply("200 OK", scorePage));
        }
    }};

    int versionRequests() const { return requestsFor("GET /quenvale/quenvaleversion.txt "); }
    int postRequests() const { return requestsFor("GET /cgi-bin/quenvale.cgi?"); }
    int requestsFor(const std::string &start) const
    {
        int n = 0;
        for (const std::string &r : raw.requests())
            n += r.starts_with(start);
        return n;
    }
};

} // namespace

TEST_F(OnlineMainWindow, PostingOpensTheHighScoreWindowWithThePage)
{
    RunningServer server;
    open(server.port(), false);
    gameOver();
    find<QLineEdit>("edit_name")->setText(QStringLiteral("a&s=9 b c"));
    click("button_sendscore");
    EXPECT_TRUE(shown("panel_wait"));
    EXPECT_EQ(caption("label_wait"), QStringLiteral("Posting Scores, Please Wait.."));
    EXPECT_TRUE(timer1Active());

    ASSERT_TRUE(QTest::qWaitFor([&] { return highscore.isVisible(); }, 10000));
    EXPECT_FALSE(shown("panel_over"));
    EXPECT_FALSE(timer1Active());
    ASSERT_TRUE(QTest::qWaitFor([&] { return pageShows(QStringLiteral("a&s=9 b c")); }, 10000));
    EXPECT_TRUE(errors.empty());

    const std::vector<ScoreEntry> best = server.store().best(10);
    ASSERT_EQ(best.size(), 1u);
    EXPECT_EQ(best[0].name, "a&s=9 b c");
    EXPECT_EQ(best[0].score, window().game().runningTotal());
    EXPECT_EQ(QString::fromStdString(best[0].date), postingDate(QDate::currentDate()));
}

TEST_F(OnlineMainWindow, EmptyNameIsPostedAsGuest)
{
    RunningServer server;
    open(server.port(), false);
    gameOver();
    find<QLineEdit>("edit_name")->clear();
    click("button_sendscore");
    EXPECT_EQ(find<QLineEdit>("edit_name")->text(), QStringLiteral("Guest"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return highscore.isVisible(); }, 10000));
    ASSERT_EQ(server.store().best(10).size(), 1u);
    EXPECT_EQ(server.store().best(10)[0].name, "Guest");
}

TEST_F(OnlineMainWindow, UnansweredPostFailsOnTheFortiethTickAndALateReplyStillOpens)
{
    ScriptedServer server;
    open(server.raw.port(), false);
    gameOver();
    click("button_sendscore");
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.raw.requestCount() == 1; }, 10000));

    const Strings dots{".", "..", "...", "....", ".....", ".", ".."};
    for (int tick = 1; tick < PostingWait::ticks; ++tick) {
        window().Timer1Timer();
        if (tick <= int(dots.size())) {
            EXPECT_EQ(caption("label_wait"), QStringLiteral("Posting Score, Please Wait") + dots[tick - 1]);
        }
    }
    EXPECT_TRUE(errors.empty());
    EXPECT_TRUE(timer1Active());
    window().Timer1Timer();
    EXPECT_EQ(errors, Strings{QStringLiteral("Posting Failed.")});
    EXPECT_FALSE(timer1Active());
    // SEND SCORE is back for another try.
    EXPECT_TRUE(shown("panel_over"));
    EXPECT_FALSE(shown("panel_wait"));
    EXPECT_TRUE(shown("button_sendscore"));
    EXPECT_FALSE(highscore.isVisible());

    server.raw.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return highscore.isVisible(); }, 10000));
    EXPECT_FALSE(shown("panel_over"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return pageShows(QStringLiteral("Dana")); }, 10000));
    EXPECT_EQ(errors.size(), 1u);
}

TEST_F(OnlineMainWindow, RefusedPostFailsAtOnceAndCanBeSentAgain)
{
    ScriptedServer server;
    server.holdPosts = false;
    server.postStatus = "400 Bad Request";
    open(server.raw.port(), false);
    gameOver();
    click("button_sendscore");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !errors.empty(); }, 10000));
    EXPECT_EQ(errors, Strings{QStringLiteral("Posting Failed.")});
    EXPECT_FALSE(timer1Active());
    EXPECT_TRUE(shown("panel_over"));
    EXPECT_FALSE(shown("panel_wait"));
    EXPECT_FALSE(highscore.isVisible());

    // Accepted the second time.
    server.postStatus = "200 OK";
    click("button_sendscore");
    ASSERT_TRUE(QTest::qWaitFor([&] { return highscore.isVisible(); }, 10000));
    EXPECT_FALSE(shown("panel_over"));
    EXPECT_EQ(server.postRequests(), 2);
    EXPECT_EQ(errors.size(), 1u);
}

TEST_F(OnlineMainWindow, RefusedConnectionFailsAtOnce)
{
    open(RawServer::closedPort(), false);
    gameOver();
    click("button_sendscore");
    // Long before the fortieth tick.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !errors.empty(); }, 5000));
    EXPECT_EQ(errors, Strings{QStringLiteral("Posting Failed.")});
    EXPECT_FALSE(timer1Active());
    EXPECT_TRUE(shown("button_sendscore"));
    EXPECT_FALSE(shown("panel_wait"));
}

TEST_F(OnlineMainWindow, TryAgainAfterTheWaitRanOutReplacesTheUnansweredPost)
{
    ScriptedServer server;
    open(server.raw.port(), false);
    gameOver();
    click("button_sendscore");
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.postRequests() == 1; }, 10000));
    for (int tick = 1; tick <= PostingWait::ticks; ++tick)
        window().Timer1Timer();
    ASSERT_EQ(errors, Strings{QStringLiteral("Posting Failed.")});

    click("button_sendscore");
    EXPECT_TRUE(shown("panel_wait"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.postRequests() == 2; }, 10000));
    server.raw.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return highscore.isVisible(); }, 10000));
    EXPECT_FALSE(shown("panel_over"));
    EXPECT_EQ(errors.size(), 1u);
}

TEST_F(OnlineMainWindow, DatePostedUnderTheCLocaleIsNumbersAndSlashes)
{
    const QLocale saved;
    QLocale::setDefault(QLocale::c());
    RunningServer server;
    open(server.port(), false);
    gameOver();
    click("button_sendscore");
    const bool posted = QTest::qWaitFor([&] { return highscore.isVisible(); }, 10000);
    QLocale::setDefault(saved);
    ASSERT_TRUE(posted);
    ASSERT_EQ(server.store().best(10).size(), 1u);
    const QDate today = QDate::currentDate();
    EXPECT_EQ(QString::fromStdString(server.store().best(10)[0].date),
              QStringLiteral("%1/%2/%3").arg(today.month()).arg(today.day()).arg(today.year() % 100, 2, 10, QLatin1Char('0')));
}

TEST_F(OnlineMainWindow, HighScoreListOpensAtOnceFromTheMenuAndTheGameOverPanel)
{
    ScriptedServer server;
    open(server.raw.port(), false);
    action("ViewHighScoreList1")->trigger();
    EXPECT_TRUE(highscore.isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return pageShows(QStringLiteral("Dana")); }, 10000));
    highscore.button_doneClick();

    gameOver();
    click("button_highscores");
    EXPECT_TRUE(highscore.isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.raw.requestCount() == 2; }, 10000));
}

TEST_F(OnlineMainWindow, NewVersionIsOfferedAtStartWithItsNumber)
{
    ScriptedServer server;
    server.version = " 1.0.2\r\n";
    open(server.raw.port(), true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown("panel_update"); }, 10000));
    EXPECT_TRUE(shown("button_updateyes"));
    EXPECT_TRUE(shown("button_updatecancel"));
    EXPECT_TRUE(caption("label_update").contains(QStringLiteral("1.0.2")));
    EXPECT_TRUE(errors.empty());
}

TEST_F(OnlineMainWindow, ErrorPagesRedirectsAndJunkOfferNothing)
{
    ScriptedServer server;
    open(server.raw.port(), false);
    const std::vector<std::pair<std::string, std::string>> replies = {
        {"200 OK", "1.0.1\n"},
        {"500 Internal Server Error", "9.9.9"},
        {"302 Found", "9.9.9"},
        {"200 OK", "<html><body>9.9.9 is out!</body></html>"},
        {"200 OK", std::string(100000, '9')},
    };
    for (const auto &[status, body] : replies) {
        SCOPED_TRACE(status + " " + body.substr(0, 40));
        server.versionStatus = status;
        server.version = body;
        notices.clear();
        action("CheckforUpdateNow1")->trigger();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !notices.empty(); }, 10000));
        EXPECT_FALSE(shown("panel_update"));
    }
}

TEST_F(OnlineMainWindow, SameVersionTextShowsNothing)
{
    ScriptedServer server;
    open(server.raw.port(), true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.versionRequests() == 1; }, 10000));
    QTest::qWait(300);
    EXPECT_FALSE(shown("panel_update"));
    EXPECT_TRUE(errors.empty());
    EXPECT_TRUE(notices.empty());

    // Asked for, the answer is told.
    action("CheckforUpdateNow1")->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !notices.empty(); }, 10000));
    EXPECT_EQ(notices, Strings{QStringLiteral("You have the newest version of Quenvale (1.0.1).")});
    EXPECT_FALSE(shown("panel_update"));
}

TEST_F(OnlineMainWindow, CheckAskedForWithoutAServerSaysSoAndTheAutomaticOneStaysSilent)
{
    open(RawServer::closedPort(), true);
    QTest::qWait(500);
    EXPECT_TRUE(notices.empty());
    action("CheckforUpdateNow1")->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !notices.empty(); }, 10000));
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_TRUE(notices[0].startsWith(QStringLiteral("Unable to check for updates: "))) << notices[0].toStdString();
    EXPECT_TRUE(errors.empty());
}

TEST_F(OnlineMainWindow, WithTheOptionOffOnlyTheMenuChecksAndDecliningIsForgotten)
{
    ScriptedServer server;
    server.version = "1.0.2";
    open(server.raw.port(), false);
    QTest::qWait(300);
    EXPECT_EQ(server.versionRequests(), 0);
    EXPECT_FALSE(shown("panel_update"));

    action("CheckforUpdateNow1")->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown("panel_update"); }, 10000));
    click("button_updatecancel");
    EXPECT_FALSE(shown("panel_update"));

    action("CheckforUpdateNow1")->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown("panel_update"); }, 10000));
    EXPECT_EQ(server.versionRequests(), 2);
}

class SelfUpdateFromTheMainWindow : public OnlineMainWindow {
protected:
    void SetUp() override
    {
        OnlineMainWindow::SetUp();
        program = dir.filePath(QStringLiteral("quenvale"));
        QFile file(program);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("the running program");
        file.close();
        SelfUpdate::programFile = [this] { return program; };
        SelfUpdate::exitProgram = [this](int code) { exits.push_back(code); };
        SelfUpdate::releaseKey = [] { return TestReleaseKey::shared().publicPem(); };
        platform::setProcessStarter([this](const QString &installer, const QStringList &arguments) {
            starts.push_back(installer + QLatin1Char(' ') + arguments.join(QLatin1Char(' ')));
            return true;
        });
        server.version = "1.0.2";
        open(server.raw.port(), true);
        ASSERT_TRUE(QTest::qWaitFor([&] { return shown("panel_update"); }, 10000));
    }
    void offerSignedInstaller(const std::string &bytes)
    {
        server.installer = bytes;
        server.signature = TestReleaseKey::shared().sign(QByteArray::fromStdString(bytes)).toStdString();
    }
    void expectFailureWithTheProgramBack()
    {
        EXPECT_TRUE(starts.empty());
        EXPECT_TRUE(exits.empty());
        EXPECT_TRUE(QFile::exists(program));
        EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("quenvale.BAK"))));
        EXPECT_FALSE(QFileInfo(dir.filePath(QStringLiteral("qvlsetup.exe"))).isFile());
        EXPECT_FALSE(QFileInfo(dir.filePath(QStringLiteral("qvlsetup.exe.part"))).isFile());
        // The panel can still be put away.
        EXPECT_FALSE(shown("button_updateyes"));
        click("button_updatecancel");
        EXPECT_FALSE(shown("panel_update"));
    }

    ScriptedServer server;
    QString program;
    Strings starts;
    std::vector<int> exits;
};

TEST_F(SelfUpdateFromTheMainWindow, DownloadsStartsTheInstallerAndEnds)
{
    offerSignedInstaller(std::string(5000, 'x'));
    click("button_updateyes");
    EXPECT_EQ(starts, Strings{dir.filePath(QStringLiteral("qvlsetup.exe")) + QStringLiteral(" /SP- /silent /noicons")});
    EXPECT_EQ(exits, std::vector<int>{0});
    EXPECT_EQ(caption("label_update"), QStringLiteral("Installing"));
    EXPECT_FALSE(shown("button_updateyes"));
    EXPECT_FALSE(shown("button_updatecancel"));
    EXPECT_EQ(QFileInfo(dir.filePath(QStringLiteral("qvlsetup.exe"))).size(), 5000);
    EXPECT_TRUE(errors.empty());
}

TEST_F(SelfUpdateFromTheMainWindow, MissingInstallerIsAbortedAndPutsTheProgramBack)
{
    click("button_updateyes");
    EXPECT_EQ(caption("label_update"), QStringLiteral("Download Aborted"));
    EXPECT_TRUE(errors.empty());
    expectFailureWithTheProgramBack();
}

TEST_F(SelfUpdateFromTheMainWindow, UnsignedInstallerGivesTheUpdateErrorAndRunsNothing)
{
    server.installer = "MZ whatever the server sends";
    click("button_updateyes");
    EXPECT_EQ(errors, Strings{updateErrorText(QStringLiteral("http://127.0.0.1:%1/").arg(server.raw.port()),
                                              QStringLiteral("quenvale"))});
    expectFailureWithTheProgramBack();
}

TEST_F(SelfUpdateFromTheMainWindow, InstallerFileThatCannotBeCreatedIsReported)
{
    offerSignedInstaller("MZ");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("qvlsetup.exe.part")));
    click("button_updateyes");
    EXPECT_EQ(caption("label_update"), QStringLiteral("Updating. Please Wait..."));
    EXPECT_EQ(errors, Strings{QStringLiteral("Cannot create file ") + dir.filePath(QStringLiteral("qvlsetup.exe.part"))});
    expectFailureWithTheProgramBack();
}

TEST_F(SelfUpdateFromTheMainWindow, SettingsAndTallyHoldTheSessionWhenTheInstallerStarts)
{
    // The tally as the program has it, in the program's folder.
    TallyModel model(tallyDate);
    TallyReport report(model);
    Ttallylist tallylist(model, window().backgroundTile(), &window());
    window().setTally(&report);
    window().setTallyListWindow(&tallylist);

    find<QLineEdit>("edit_aname")->setText("Ivy");
    click("button_namedone");
    playRound(seedScoring(0, 54), "button_start");
    tickOut();
    const std::string score = std::to_string(window().game().runningTotal());
    click("button_start");
    clickCell(1, 1);

    // The installer replaces the program and this process ends at once: what it
    // finds on disk is all the session leaves.
    QByteArray settingsThen;
    std::string tallyThen;
    platform::setProcessStarter([&](const QString &installer, const QStringList &) {
        starts.push_back(installer);
        QFile ini(iniPath);
        if (ini.open(QIODevice::ReadOnly))
            settingsThen = ini.readAll();
        tallyThen = readTallyFile(QFile::encodeName(tallylist.tallyPath()).toStdString());
        return true;
    });
    offerSignedInstaller("MZ");
    click("button_updateyes");
    ASSERT_EQ(exits, std::vector<int>{0});
    EXPECT_TRUE(settingsThen.contains("Name=Ivy"));
    EXPECT_TRUE(settingsThen.contains("Update=true"));
    // Two rounds played, the first game ranked at place 1 under the new name.
    auto line = [&](int n) {
        std::size_t at = 0;
        for (int i = 0; i < n; ++i)
            at = tallyThen.find("\r\n", at) + 2;
        return tallyThen.substr(at, tallyThen.find("\r\n", at) - at);
    };
    EXPECT_EQ(line(14), "2");
    EXPECT_EQ(line(15), score);
    EXPECT_EQ(line(27), "Ivy");
    // And the second game can be taken up again after the update.
    EXPECT_TRUE(QFile::exists(window().savedGame().path()));
    EXPECT_TRUE(errors.empty());
}
