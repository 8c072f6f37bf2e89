// Ranked games played by clicks against the score server on 127.0.0.1: a whole
// game to its end, a server that goes away in the middle of a round and comes
// back, and a game taken up again after the program restarts.
#include "game/cardtext.h"
#include "net/rankedclient.h"
#include "server/scoreserver.h"
#include "server/sqlitestore.h"
#include "tests/net/rawserver.h"
#include "tests/server/rawhttp.h"
#include "tests/server/tempfolder.h"
#include "tests/ui/mainwindow_fixture.h"
#include "ui/highscoreform.h"
#include "widgets/htmlview.h"

#include <QLineEdit>

#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <thread>

namespace {

// A score server that can be stopped and started again on the same port, over
// the same database: all a ranked game's state is in the database.
class RestartableServer {
public:
    RestartableServer() : store_(tmp_.path() / "scores.db")
    {
        std::filesystem::create_directory(tmp_.path() / "files");
        start();
    }
    ~RestartableServer() { stop(); }

    void start()
    {
        server_.emplace(store_, tmp_.path() / "files", ServerOptions{});
        port_ = server_->bind("127.0.0.1", port_);
        ASSERT_GT(port_, 0);
        thread_ = std::thread([this] { server_->listen(); });
    }
    void stop()
    {
        if (!server_)
            return;
        server_->stop();
        thread_.join();
        server_.reset();
    }
    int port() const { return port_; }
    ScoreStore &store() { return store_; }

private:
    TempFolder tmp_;
    SqliteStore store_;
    std::optional<ScoreServer> server_;
    int port_ = 0;
    std::thread thread_;
};

class RankedPlay : public MainWindow {
protected:
    void SetUp() override
    {
        MainWindow::SetUp();
        open(server.port());
    }
    // The main window, its server on port.
    void open(int port)
    {
        w.reset();
        writeIni(QStringLiteral("[quenvale]\nServer=http://127.0.0.1:%1/\nUpdate=false\n").arg(port).toUtf8());
        window().setHighScoreWindow(&highscore);
        click("button_namedone");
    }

    RankedClient *client() { return window().findChild<RankedClient *>("ranked"); }
    void waitAnswered()
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !client()->busy(); }, 20000));
    }
    void startRanked()
    {
        action("NewRankedGame1")->trigger();
        waitAnswered();
        ASSERT_EQ(window().game().gameKind(), qv::GameKind::Ranked);
    }
    std::optional<QPoint> firstEmptyCell()
    {
        for (int row = 1; row <= 4; ++row)
            for (int col = 1; col <= 4; ++col)
                if (window().game().board().cell(row, col) == 0)
                    return QPoint(row, col);
        return std::nullopt;
    }
    // Clicks the first empty cell and waits for the server's answer.
    void placeNext()
    {
        const std::optional<QPoint> cell = firstEmptyCell();
        ASSERT_TRUE(cell);
        clickCell(cell->x(), cell->y());
        waitAnswered();
    }
    // Plays on, round after round, until the game is over.
    void playToTheEnd()
    {
        for (int steps = 0; window().game().gameactive() && steps < 2000; ++steps) {
            if (window().game().timer2Running())
                tickOut();
            else if (shown("panel_continue"))
                click("button_start2");
            else
                placeNext();
            if (HasFatalFailure())
                return;
        }
        ASSERT_FALSE(window().game().gameactive());
    }
    // The game as the server finished it.
    void expectRecordedAsPlayed()
    {
        const std::vector<FinishedGame> finished = server.store().finishedGames();
        ASSERT_EQ(finished.size(), 1u);
        EXPECT_EQ(finished[0].score, window().game().runningTotal());
        EXPECT_EQ(finished[0].rounds, window().game().rounds());
        EXPECT_EQ(rec.tally.back(), "checkscore " + std::to_string(finished[0].score) + " Guest");
    }
    QString savedPath() const { return dir.filePath(QStringLiteral("quenvalegame.txt")); }

    RestartableServer server;
    Thighscore highscore{QPixmap()};
};

} // namespace

TEST_F(RankedPlay, PlayedByClicksToTheEndIsRankedWithoutSendScore)
{
    startRanked();
    EXPECT_EQ(caption("label_deal"), QStringLiteral("Ranked game"));
    EXPECT_TRUE(shown("label_ranked"));
    EXPECT_FALSE(action("CopyDealNumber1")->isEnabled());
    EXPECT_TRUE(QFile::exists(savedPath()));
    playToTheEnd();
    expectRecordedAsPlayed();
    expectWindowShowsTheEngine();
    EXPECT_TRUE(shown("panel_over"));
    EXPECT_FALSE(shown("button_sendscore"));
    EXPECT_TRUE(shown("label_rankednote"));
    EXPECT_FALSE(QFile::exists(savedPath()));
    EXPECT_TRUE(errors.empty());

    // The game-over panel's list is the ranked one, with this game on it.
    click("button_highscores");
    EXPECT_TRUE(highscore.isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return highscore.viewer()->toPlainText().contains(QStringLiteral("Guest")); },
                                10000));

    // A random game afterwards offers SEND SCORE again.
    click("button_start");
    EXPECT_EQ(window().game().gameKind(), qv::GameKind::Random);
    EXPECT_FALSE(shown("label_ranked"));
}

TEST_F(RankedPlay, ServerGoneInTheMiddleOfARoundIsWaitedForAndTheGameGoesOn)
{
    startRanked();
    for (int k = 0; k < 5; ++k)
        placeNext();
    const QString token = QString::fromStdString(window().game().rankedGame());

    server.stop();
    const QPoint sixth = *firstEmptyCell();
    clickCell(sixth.x(), sixth.y());
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown("label_rankedstatus"); }, 5000));
    EXPECT_TRUE(caption("label_rankedstatus").startsWith(QStringLiteral("The score server cannot be reached")));
    // The answer is late: the waiting sign comes.
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown("image_wait"); }, 2000));
    // No card goes down while the placement is on its way.
    const QPoint seventh = *firstEmptyCell();
    clickCell(seventh.x(), seventh.y());
    EXPECT_EQ(window().game().board().cell(seventh.x(), seventh.y()), 0);

    server.start();
    waitAnswered();
    EXPECT_FALSE(shown("label_rankedstatus"));
    EXPECT_FALSE(shown("image_wait"));
    EXPECT_NE(window().game().nextCard(), 0);
    const std::optional<RankedGame> held = server.store().game(token.toStdString());
    ASSERT_TRUE(held);
    EXPECT_EQ(placedThisRound(*held), 6);

    playToTheEnd();
    expectRecordedAsPlayed();
    EXPECT_TRUE(errors.empty());
}

TEST_F(RankedPlay, GoesOnAfterARestartWhereTheServerHasIt)
{
    startRanked();
    for (int k = 0; k < 3; ++k)
        placeNext();
    const qv::Board board = window().game().board();
    const int offered = window().game().nextCard();

    w.reset();
    window().setHighScoreWindow(&highscore);
    window().resumeGame();
    waitAnswered();
    EXPECT_EQ(window().game().gameKind(), qv::GameKind::Ranked);
    EXPECT_EQ(window().game().board().cells, board.cells);
    EXPECT_EQ(window().game().nextCard(), offered);
    EXPECT_EQ(caption("label_deal"), QStringLiteral("Ranked game"));
    expectWindowShowsTheEngine();

    playToTheEnd();
    expectRecordedAsPlayed();
    EXPECT_TRUE(errors.empty());
}

TEST_F(RankedPlay, GameTheServerNoLongerHasEndsWithAMessageAndIsForgotten)
{
    QFile file(savedPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("quenvale-game 1\nkind ranked\nrounds 1\ntotal 0\ndeal 0\ncleared no\n"
               "ranked 0123456789abcdef0123456789abcdef\nplaced 11 TH\nend\n");
    file.close();
    w.reset();
    window().resumeGame();
    EXPECT_EQ(cardIn(cellName(1, 1)), *qv::parseCard("TH"));
    waitAnswered();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("This ranked game cannot go on: "))) << errors[0].toStdString();
    EXPECT_FALSE(window().game().gameactive());
    EXPECT_TRUE(shown("button_start"));
    EXPECT_FALSE(QFile::exists(savedPath()));
}

TEST_F(RankedPlay, ReplyLostOnTheWayIsAskedForAgainAndNothingIsPlacedTwice)
{
    // Between the game and the server: passes every request on, but drops the
    // connection instead of passing back the answer to the placements chosen.
    std::atomic<int> placements{0};
    RawServer proxy([&](RawServer::Connection &c) {
        RawConnection upstream(server.port());
        upstream.send(c.request);
        const std::string answer = upstream.readUntilClosed(std::chrono::seconds(10));
        if (c.request.starts_with("POST /quenvale/ranked/place ")) {
            const int n = ++placements;
            if (n == 5 || n == 17)
                return;
        }
        c.send(answer);
    });
    open(proxy.port());
    startRanked();
    const std::string game = window().game().rankedGame();
    for (int k = 0; k < 5; ++k)
        placeNext();
    EXPECT_EQ(placements, 6); // the fifth card's placement went twice
    EXPECT_EQ(placedThisRound(*server.store().game(game)), 5);
    EXPECT_NE(window().game().nextCard(), 0);
    // The sixteenth card's answer, with the round's scores, is lost as well.
    for (int k = 5; k < 16; ++k)
        placeNext();
    EXPECT_EQ(placements, 18);
    EXPECT_TRUE(window().game().lineScore(1));
    EXPECT_TRUE(errors.empty());

    playToTheEnd();
    expectRecordedAsPlayed();
}

namespace {

// A ranked server the test scripts: it deals known deals, one round after
// another, each card in turn whatever cell it goes to, and answers each
// sixteenth card with the deal's own figures, in the last round with the first
// line's score raised by lineOneExtra.
struct ScriptedRanked {
    std::vector<qv::Board> deals;
    int lineOneExtra = 0;
    std::mutex mutex;
    std::size_t round = 0;
    int placed = 0;
    int runningTotal = 0;

    static std::string cardOf(const qv::Board &deal, int k) { return qv::cardText(deal.cell(k / 4 + 1, k % 4 + 1)); }

    std::string answer(const std::string &request)
    {
        std::lock_guard lock(mutex);
        if (request.starts_with("POST /quenvale/ranked/new "))
            return R"({"game": "0123456789abcdef0123456789abcdef", "round": 1, "card": ")" + cardOf(deals[0], 0) + "\"}";
        qv::Board deal = deals.at(round);
        if (++placed < 16)
            return "{\"round\": " + std::to_string(round + 1) + ", \"placed\": " + std::to_string(placed)
                   + ", \"card\": \"" + cardOf(deal, placed) + "\"}";
        std::string lines;
        int hands = 0;
        for (int line : qv::boardLines) {
            const int points = deal.getlinescore(line, qv::getsuit(deal.cell(5, 5))) + (line == 1 && round + 1 == deals.size() ? lineOneExtra : 0);
            hands += points;
            lines += (lines.empty() ? "" : ", ") + std::to_string(points);
        }
        runningTotal += hands;
        const bool over = round + 1 == deals.size();
        std::string reply = "{\"round\": " + std::to_string(round + 1) + ", \"placed\": 16, \"starter\": \""
                            + qv::cardText(deal.cell(5, 5)) + "\", \"lines\": [" + lines + "], \"hands_total\": "
                            + std::to_string(hands) + ", \"running_total\": " + std::to_string(runningTotal)
                            + ", \"verdict\": \"" + (over ? "over" : "continue") + "\"";
        if (!over)
            reply += ", \"next_round_card\": \"" + cardOf(deals[round + 1], 0) + "\"";
        ++round;
        placed = 0;
        return reply + "}";
    }

    RawServer raw{[this](RawServer::Connection &c) { c.send(RawServer::reply("200 OK", answer(c.request))); }};
};

} // namespace

TEST_F(RankedPlay, RoundsGoOnWhenTheServerSaysAndItsFiguresAreShown)
{
    ScriptedRanked scripted;
    scripted.deals = {qv::dealInOrder(seedScoring(60, 200)), qv::dealInOrder(seedScoring(20, 54))};
    scripted.lineOneExtra = 3;
    open(scripted.raw.port());
    startRanked();
    for (int k = 0; k < 16; ++k)
        placeNext();
    tickOut();
    ASSERT_TRUE(shown("panel_continue"));
    click("button_start2");
    EXPECT_EQ(window().game().rounds(), 2);
    EXPECT_EQ(window().game().nextCard(), scripted.deals[1].cell(1, 1));

    for (int k = 0; k < 16; ++k)
        placeNext();
    // Three more on the first line than the engine makes of it: the server's
    // figures are the ones shown, kept and ranked.
    const qv::Board second = scoredBoard(seedScoring(20, 54));
    const int lineOne = second.linebreakdown[0][0] + second.linebreakdown[0][1] + second.linebreakdown[0][2]
                        + second.linebreakdown[0][3] + second.linebreakdown[0][4];
    EXPECT_EQ(caption("label_linescore1"), QString::number(lineOne + 3));
    EXPECT_EQ(window().game().handsTotal(), total(second) + 3);
    EXPECT_EQ(window().game().runningTotal(), scripted.runningTotal);
    tickOut();
    EXPECT_TRUE(shown("panel_over"));
    EXPECT_EQ(caption("label_score1"), QStringLiteral("Your Score: %1").arg(scripted.runningTotal));
    EXPECT_EQ(rec.tally.back(), "checkscore " + std::to_string(scripted.runningTotal) + " Guest");
}
