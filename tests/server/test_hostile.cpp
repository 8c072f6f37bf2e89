// The server facing slow, idle, greedy and odd clients: each gets a clear
// refusal or is cut off, and nobody else waits for it.

#include "rawhttp.h"
#include "runningserver.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::string post(int score)
{
    return "/cgi-bin/quenvale.cgi?name=Ann&date=1/2/25&score=" + std::to_string(score);
}

ServerOptions quickTimeout()
{
    ServerOptions options;
    options.http.requestTimeout = 1000ms;
    return options;
}

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

TEST(SlowClients, ARequestDrippedByteByByteIsCutOffAtTheDeadline)
{
    RunningServer server(quickTimeout());
    RawConnection drip(server.port());
    const std::string request = "GET /counter/quenvale.shtml HTTP/1.1\r\nHost: x\r\n\r\n";
    // Never quiet for long, yet the request as a whole is far too slow.
    const Clock::time_point start = Clock::now();
    std::size_t sent = 0;
    while (sent < request.size() && drip.send(request.substr(sent, 1))) {
        ++sent;
        std::this_thread::sleep_for(150ms);
        if (secondsSince(start) > 5)
            break;
    }
    const RawReply reply = parseReply(drip.readUntilClosed(3s));
    EXPECT_LT(sent, request.size());
    EXPECT_LT(secondsSince(start), 3.0);
    EXPECT_EQ(reply.status, 408);
}

TEST(SlowClients, IdleAndDrippingConnectionsDoNotHoldUpOthers)
{
    // A starved request would wait for the deadline to clear the way: 3 s.
    ServerOptions options;
    options.http.requestTimeout = 3000ms;
    RunningServer server(options);
    std::vector<std::unique_ptr<RawConnection>> idle;
    for (int i = 0; i < 300; ++i)  // five addresses' worth
        idle.push_back(std::make_unique<RawConnection>(server.port(), "127.0.1." + std::to_string(i / 60 + 1)));
    for (int i = 0; i < 40; ++i)
        idle[i]->send("GET / HT");
    for (int i = 0; i < 20; ++i) {
        const Clock::time_point start = Clock::now();
        EXPECT_EQ(rawGet(server.port(), "/").status, 200);
        EXPECT_LT(secondsSince(start), 1.5);
    }
    // Past the deadline all of them are gone.
    for (auto &c : idle)
        EXPECT_TRUE(c->closedWithin(5s));
}

TEST(SlowClients, OneAddressHoldsOnlySoManyConnections)
{
    ServerOptions options;
    options.http.perAddress = 4;
    RunningServer server(options);
    std::vector<std::unique_ptr<RawConnection>> held;
    for (int i = 0; i < 4; ++i)
        held.push_back(std::make_unique<RawConnection>(server.port(), "127.0.2.1"));
    std::this_thread::sleep_for(100ms);
    const RawReply refused = rawGet(server.port(), "/", "127.0.2.1");
    EXPECT_EQ(refused.status, 429);
    EXPECT_EQ(refused.body, "Too many connections from your address.\n");
    EXPECT_EQ(rawGet(server.port(), "/", "127.0.2.2").status, 200);
    held.pop_back();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(rawGet(server.port(), "/", "127.0.2.1").status, 200);
}

TEST(SlowClients, WhenEveryPlaceIsTakenTheLongestWaitingMakesRoom)
{
    ServerOptions options;
    options.http.maxConnections = 20;
    RunningServer server(options);
    std::vector<std::unique_ptr<RawConnection>> held;
    for (int i = 0; i < 20; ++i)
        held.push_back(std::make_unique<RawConnection>(server.port(), "127.0.3." + std::to_string(i + 1)));
    std::this_thread::sleep_for(100ms);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(rawGet(server.port(), "/").status, 200);
    EXPECT_TRUE(held.front()->closedWithin(1s));
    EXPECT_FALSE(held.back()->closedWithin(100ms));
}

TEST(Floods, PostsPerAddressAreLimited)
{
    ServerOptions options;
    options.postsPerMinute = 3;
    RunningServer server(options);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(rawGet(server.port(), post(i)).status, 200);
    const RawReply refused = rawGet(server.port(), post(3));
    EXPECT_EQ(refused.status, 429);
    EXPECT_EQ(refused.body, "Too many scores from your address. Please try again in a minute.\n");
    EXPECT_NE(refused.headers.find("Retry-After: 20"), std::string::npos) << refused.headers;
    // A bad post is refused for what it is, and another address may still post.
    EXPECT_EQ(rawGet(server.port(), "/cgi-bin/quenvale.cgi?name=a&date=1/2/25&score=-5").status, 400);
    EXPECT_EQ(rawGet(server.port(), post(4), "127.0.4.1").status, 200);
    EXPECT_EQ(server.store().count(), 4);
}

TEST(Floods, BehindATrustedProxyTheForwardedAddressCounts)
{
    ServerOptions options;
    options.postsPerMinute = 1;
    options.http.perAddress = 2;
    options.http.trustedProxy = "127.0.5.1";
    RunningServer server(options);
    const auto viaProxy = [&](const std::string &client, const std::string &from) {
        return rawRequest(server.port(), "GET " + post(1) + " HTTP/1.0\r\nX-Forwarded-For: 10.9.9.9, " + client +
                                             "\r\n\r\n", from)
            .status;
    };
    EXPECT_EQ(viaProxy("198.51.100.1", "127.0.5.1"), 200);
    EXPECT_EQ(viaProxy("198.51.100.2", "127.0.5.1"), 200);
    EXPECT_EQ(viaProxy("198.51.100.1", "127.0.5.1"), 429);
    // From anyone else the header is not believed.
    EXPECT_EQ(viaProxy("198.51.100.3", "127.0.5.2"), 200);
    EXPECT_EQ(viaProxy("198.51.100.4", "127.0.5.2"), 429);
    // The proxy holds as many connections as it needs.
    std::vector<std::unique_ptr<RawConnection>> held;
    for (int i = 0; i < 5; ++i)
        held.push_back(std::make_unique<RawConnection>(server.port(), "127.0.5.1"));
    EXPECT_EQ(viaProxy("198.51.100.5", "127.0.5.1"), 200);
}

TEST(OddRequests, OversizedAndMalformedRequestsAreRefusedAndClosedAtOnce)
{
    RunningServer server;
    const struct {
        std::string request;
        int status;
    } cases[] = {
        {"GET / HTTP/1.1\r\nCookie: " + std::string(10000, 'c') + "\r\n\r\n", 431},
        {"POST /quenvale/ranked/new HTTP/1.1\r\nContent-Length: 100000\r\n\r\n", 413},
        {"POST /cgi-bin/quenvale.cgi HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", 501},
        {"BREW /pot HTTP/1.1 extra\r\n\r\n", 400},
        {"GET / SPDY/3\r\n\r\n", 400},
        {"GET / HTTP/3.0\r\n\r\n", 505},
    };
    for (const auto &c : cases) {
        RawConnection connection(server.port());
        connection.send(c.request);
        const Clock::time_point start = Clock::now();
        const RawReply reply = parseReply(connection.readUntilClosed(5s));
        EXPECT_EQ(reply.status, c.status) << c.request.substr(0, 40);
        EXPECT_LT(secondsSince(start), 2.0) << c.request.substr(0, 40);
    }
}

TEST(OddRequests, RangesAreNotServedAndTheWholeFileComesOnce)
{
    RunningServer server;
    std::ofstream(server.files() / "quenvaleversion.txt") << "1.0.1";
    std::string ranges = "bytes=0-";
    for (int i = 0; i < 1000; ++i)
        ranges += ",0-4";
    const RawReply reply = rawRequest(server.port(), "GET /quenvale/quenvaleversion.txt HTTP/1.1\r\nRange: " +
                                                         ranges + "\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body, "1.0.1");
    EXPECT_NE(reply.headers.find("Accept-Ranges: none"), std::string::npos);
}

TEST(OddRequests, OnlyGetPostsAScore)
{
    RunningServer server;
    EXPECT_EQ(rawRequest(server.port(), "HEAD " + post(5) + " HTTP/1.0\r\n\r\n").status, 405);
    EXPECT_EQ(rawRequest(server.port(), "POST " + post(5) + " HTTP/1.0\r\nContent-Length: 0\r\n\r\n").status, 405);
    EXPECT_EQ(server.store().count(), 0);
    const RawReply head = rawRequest(server.port(), "HEAD /counter/quenvale.shtml HTTP/1.0\r\n\r\n");
    EXPECT_EQ(head.status, 200);
    EXPECT_EQ(head.body, "");
}

TEST(OddRequests, KeptAliveRequestsAreAnsweredInOrder)
{
    RunningServer server;
    RawConnection connection(server.port());
    connection.send("GET " + post(7) + " HTTP/1.1\r\nHost: x\r\n\r\nGET /nothing HTTP/1.1\r\nHost: x\r\n\r\n"
                    "GET / HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    const std::string answer = connection.readUntilClosed(5s);
    const std::size_t first = answer.find("HTTP/1.1 200 OK");
    const std::size_t second = answer.find("HTTP/1.1 404 Not Found");
    const std::size_t third = answer.find("HTTP/1.1 200 OK", first + 1);
    ASSERT_NE(third, std::string::npos) << answer;
    EXPECT_LT(first, second);
    EXPECT_LT(second, third);
    EXPECT_EQ(server.store().count(), 1);
}
