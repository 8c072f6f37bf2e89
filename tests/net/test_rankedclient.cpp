// The ranked games' client: the replies it accepts, and its requests against a
// scripted server, retried while the server does not answer them.
#include "game/cardtext.h"
#include "net/rankedclient.h"
#include "tests/net/rawserver.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <atomic>

namespace {

int card(const char *text)
{
    return *qv::parseCard(text);
}

const QByteArray token = "0123456789abcdef0123456789abcdef";

} // namespace

TEST(RankedReplies, NewGameAndPlacementsAreRead)
{
    const auto start = parseRankedStart(R"({"game": ")" + token + R"(", "round": 1, "card": "TH"})");
    ASSERT_TRUE(start);
    EXPECT_EQ(start->game, QString::fromLatin1(token));
    EXPECT_EQ(start->card, card("TH"));

    const auto next = parseRankedPlacement(R"({"round": 2, "placed": 5, "card": "4D"})");
    ASSERT_TRUE(next);
    EXPECT_EQ(next->round, 2);
    EXPECT_EQ(next->placed, 5);
    EXPECT_EQ(next->card, card("4D"));
    EXPECT_FALSE(next->scored);

    const auto goesOn = parseRankedPlacement(
        R"({"round": 1, "placed": 16, "starter": "5S", "lines": [4, 2, 8, 6, 0, 12, 4, 29], "hands_total": 65,
            "running_total": 65, "verdict": "continue", "next_round_card": "KC"})");
    ASSERT_TRUE(goesOn && goesOn->scored);
    EXPECT_EQ(goesOn->scored->starter, card("5S"));
    EXPECT_EQ(goesOn->scored->lines[7], 29);
    EXPECT_EQ(goesOn->scored->handsTotal, 65);
    EXPECT_FALSE(goesOn->scored->over);
    EXPECT_EQ(goesOn->scored->nextRoundCard, card("KC"));

    const auto over = parseRankedPlacement(R"({"round": 3, "placed": 16, "starter": "AS", "lines": [0,0,0,0,0,0,0,2],
        "hands_total": 2, "running_total": 130, "verdict": "over"})");
    ASSERT_TRUE(over && over->scored);
    EXPECT_TRUE(over->scored->over);
    EXPECT_EQ(over->scored->runningTotal, 130);
}

TEST(RankedReplies, GameStateIsReadMidRoundAndOver)
{
    const auto mid = parseRankedPosition(R"({"game": "x", "name": "Ann", "round": 2, "placed": 3,
        "board": [["TH", "", "", ""], ["", "4D", "", ""], ["", "", "", "KC"], ["", "", "", ""]],
        "card": "7H", "round_totals": [61], "running_total": 61})");
    ASSERT_TRUE(mid);
    EXPECT_EQ(mid->round, 2);
    EXPECT_EQ(mid->board[0][0], card("TH"));
    EXPECT_EQ(mid->board[2][3], card("KC"));
    EXPECT_EQ(mid->board[3][3], 0);
    EXPECT_EQ(mid->card, card("7H"));
    EXPECT_EQ(mid->roundTotals, std::vector<int>{61});
    EXPECT_FALSE(mid->over);

    const auto over = parseRankedPosition(R"({"round": 1, "placed": 16,
        "board": [["AC","2C","3C","4C"],["5C","6C","7C","8C"],["9C","TC","JC","QC"],["KC","AD","2D","3D"]],
        "card": null, "round_totals": [40], "running_total": 40, "starter": "4D", "verdict": "over"})");
    ASSERT_TRUE(over);
    EXPECT_TRUE(over->over);
    EXPECT_EQ(over->starter, card("4D"));
    EXPECT_EQ(over->card, 0);
}

TEST(RankedReplies, AnythingElseIsRefused)
{
    for (const QByteArray &bad : {QByteArray(""), QByteArray("<html>busy</html>"), QByteArray("[1]"),
                                  QByteArray(R"({"game": "ABC", "card": "TH"})"),
                                  R"({"game": ")" + token + R"(", "card": "1X"})"})
        EXPECT_FALSE(parseRankedStart(bad)) << bad.constData();
    for (const QByteArray &bad : {
             QByteArray(R"({"round": 1, "placed": 5})"),                      // no next card
             QByteArray(R"({"round": 1, "placed": 17, "card": "TH"})"),       // beyond the board
             QByteArray(R"({"round": 1.5, "placed": 5, "card": "TH"})"),      // not a whole number
             QByteArray(R"({"round": 1, "placed": 16, "starter": "5S", "lines": [1,2,3],
                 "hands_total": 6, "running_total": 6, "verdict": "over"})"), // eight lines
             QByteArray(R"({"round": 1, "placed": 16, "starter": "5S", "lines": [0,0,0,0,0,0,0,0],
                 "hands_total": 0, "running_total": 0, "verdict": "continue"})"), // no next round card
         })
        EXPECT_FALSE(parseRankedPlacement(bad)) << bad.constData();
    // Cards that do not add up to "placed", and a game over without its starter.
    EXPECT_FALSE(parseRankedPosition(R"({"round": 1, "placed": 2, "card": "TH", "running_total": 0,
        "board": [["AC","","",""],["","","",""],["","","",""],["","","",""]]})"));
    EXPECT_FALSE(parseRankedPosition(R"({"round": 1, "placed": 16, "running_total": 0, "verdict": "over",
        "round_totals": [0],
        "board": [["AC","2C","3C","4C"],["5C","6C","7C","8C"],["9C","TC","JC","QC"],["KC","AD","2D","3D"]]})"));
    EXPECT_EQ(rankedRefusalText(R"({"error": "the cell is taken"})"), QStringLiteral("the cell is taken"));
    EXPECT_EQ(rankedRefusalText("Request Timeout\n"), QStringLiteral("Request Timeout"));
}

TEST(RankedClientRequests, JsonIsPostedAndAnUnansweredRequestIsSentAgain)
{
    std::atomic<int> served{0};
    RawServer server([&](RawServer::Connection &c) {
        // Busy twice, then the answer.
        if (++served <= 2)
            c.send(RawServer::reply("503 Service Unavailable", R"({"error": "the database is busy"})"));
        else
            c.send(RawServer::reply("200 OK", R"({"round": 1, "placed": 3, "card": "QS"})"));
    });
    RankedClient client;
    client.setServer(server.url("/"), QStringLiteral("quenvale"));
    QSignalSpy placed(&client, &RankedClient::placed);
    QSignalSpy unreachable(&client, &RankedClient::unreachableNow);
    QSignalSpy reached(&client, &RankedClient::reached);
    QSignalSpy waiting(&client, &RankedClient::waitingChanged);

    ASSERT_TRUE(client.place(QString::fromLatin1(token), 2, 3, card("TH")));
    EXPECT_FALSE(client.recover(QString::fromLatin1(token))); // one request at a time
    ASSERT_TRUE(QTest::qWaitFor([&] { return placed.count() == 1; }, 10000));
    EXPECT_EQ(placed[0][0].value<RankedPlacement>().card, card("QS"));
    EXPECT_EQ(unreachable.count(), 2);
    EXPECT_EQ(unreachable[1][1].toInt(), RankedClient::retryDelayMs(2));
    EXPECT_EQ(reached.count(), 1);
    // The retries took longer than the sign's delay: it came and went.
    ASSERT_EQ(waiting.count(), 2);
    EXPECT_TRUE(waiting[0][0].toBool());
    EXPECT_FALSE(waiting[1][0].toBool());
    EXPECT_FALSE(client.busy());

    // The same request each time, the card named.
    const std::vector<std::string> requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0], requests[2]);
    EXPECT_TRUE(requests[0].starts_with("POST /quenvale/ranked/place HTTP/1.0\r\n")) << requests[0];
    EXPECT_NE(requests[0].find("Content-Type: application/json\r\n"), std::string::npos);
    EXPECT_TRUE(requests[0].ends_with(R"({"card":"TH","col":3,"game":")" + token.toStdString() + R"(","row":2})"))
        << requests[0];
}

TEST(RankedClientRequests, RefusalIsReportedOnceAndCancelSilencesARequest)
{
    RawServer server([&](RawServer::Connection &c) {
        if (c.request.starts_with("GET "))
            c.waitReleased();
        c.send(RawServer::reply("409 Conflict", R"({"error": "the cell is taken"})"));
    });
    RankedClient client;
    client.setServer(server.url("/"), QStringLiteral("quenvale"));
    QSignalSpy refused(&client, &RankedClient::refused);
    QSignalSpy recovered(&client, &RankedClient::recovered);
    QSignalSpy waiting(&client, &RankedClient::waitingChanged);

    client.place(QString::fromLatin1(token), 1, 1, card("AS"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return refused.count() == 1; }, 10000));
    EXPECT_EQ(refused[0][0].value<RankedClient::Request>(), RankedClient::Request::Place);
    EXPECT_EQ(refused[0][1].toInt(), 409);
    EXPECT_EQ(refused[0][2].toString(), QStringLiteral("the cell is taken"));
    EXPECT_EQ(server.requestCount(), 1);

    // A slow answer shows the sign; given up, it is never reported.
    client.recover(QString::fromLatin1(token));
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.waiting(); }, 5000));
    EXPECT_TRUE(server.requests().back().starts_with("GET /quenvale/ranked/game?id=" + token.toStdString() + " "));
    client.cancel();
    EXPECT_FALSE(client.busy());
    EXPECT_FALSE(waiting.back()[0].toBool());
    server.release();
    QTest::qWait(300);
    EXPECT_EQ(refused.count(), 1);
    EXPECT_EQ(recovered.count(), 0);
}
