#include "net/httpclient.h"
#include "net/httpget.h"
#include "rawserver.h"

#include <QElapsedTimer>
#include <QTest>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using testing::HasSubstr;
using testing::Not;
using testing::StartsWith;

namespace {

// What a component reported, gathered on the window thread.
struct Outcome
{
    int done = 0;
    int errors = 0;
    QByteArray body;
    int status = 0;
    QString why; // ErrorText
    std::vector<std::pair<qint32, qint32>> progress;

    bool finished() const { return done + errors > 0; }
};

void record(THTTPGet &get, Outcome &out, bool withProgress = false)
{
    get.OnDoneString = [&out](THTTPGet *sender, const QByteArray &result) {
        ++out.done;
        out.body = result;
        out.status = sender->StatusCode();
    };
    get.OnError = [&out](THTTPGet *sender) {
        ++out.errors;
        out.why = sender->ErrorText();
    };
    if (withProgress)
        get.OnProgress = [&out](THTTPGet *, qint32 total, qint32 readed) { out.progress.emplace_back(total, readed); };
}

bool waitFinished(const Outcome &out)
{
    return QTest::qWaitFor([&] { return out.finished(); }, 5000);
}

Outcome fetch(const QString &url, bool binaryData = false, bool withProgress = false)
{
    THTTPGet get;
    Outcome out;
    record(get, out, withProgress);
    get.URL = url;
    get.BinaryData = binaryData;
    get.StartFetch();
    EXPECT_TRUE(waitFinished(out)) << url.toStdString();
    return out;
}

// Serves the reply that follows the requested path in the table.
RawServer::Handler byPath(std::vector<std::pair<std::string, std::string>> replies)
{
    return [replies](RawServer::Connection &c) {
        for (const auto &[path, reply] : replies) {
            if (c.request.rfind("GET " + path + " ", 0) == 0) {
                c.send(reply);
                return;
            }
        }
        c.send(RawServer::reply("500 No Reply Set", "unexpected"));
    };
}

} // namespace

TEST(HTTPGetAddress, SchemeHostPortAndPath)
{
    EXPECT_EQ(httpRequestAddress("http://host/a/b.txt"), "http://host/a/b.txt");
    EXPECT_EQ(httpRequestAddress("HtTp://host:8080/cgi-bin/q.cgi?name=x&score=5"),
              "http://host:8080/cgi-bin/q.cgi?name=x&score=5");
    EXPECT_EQ(httpRequestAddress("host"), "http://host/");
    EXPECT_EQ(httpRequestAddress("HTTPS://host/v.txt"), "https://host/v.txt");
}

TEST(HTTPGet, SendsOneHttp10RequestWithTheProgramsHeaders)
{
    RawServer server([](RawServer::Connection &c) { c.send(RawServer::reply("200 OK", "1.0.1\n")); });
    THTTPGet get;
    Outcome out;
    record(get, out);
    // The scheme in any letter case, and a port in the address.
    get.URL = QStringLiteral("HTTP://127.0.0.1:%1/quenvale/quenvaleversion.txt").arg(server.port());
    get.StartFetch();
    ASSERT_TRUE(waitFinished(out));
    EXPECT_EQ(out.done, 1);
    EXPECT_EQ(out.body, "1.0.1\n");

    ASSERT_EQ(server.requestCount(), 1);
    const std::string request = server.requests()[0];
    EXPECT_THAT(request, StartsWith("GET /quenvale/quenvaleversion.txt HTTP/1.0\r\n"));
    EXPECT_THAT(request, HasSubstr("\r\nUser-Agent: Quenvale HTTPGet\r\n"));
    EXPECT_THAT(request, HasSubstr("\r\nAccept: */*\r\n"));
    EXPECT_THAT(request, HasSubstr("\r\nCache-Control: no-cache\r\n"));
    EXPECT_THAT(request, HasSubstr("\r\nPragma: no-cache\r\n"));
    EXPECT_THAT(request, Not(HasSubstr("Authorization")));
    EXPECT_THAT(request, Not(HasSubstr("Referer")));
}

TEST(HTTPGet, PostsTheQueryWithCredentialsAndReferrer)
{
    RawServer server([](RawServer::Connection &c) { c.send(RawServer::reply("200 OK", "posted")); });
    THTTPGet get;
    Outcome out;
    record(get, out);
    get.URL = server.url("/cgi-bin/quenvale.cgi");
    get.PostQuery = QStringLiteral("name=a%26b&score=95");
    get.UserName = QStringLiteral("user");
    get.Password = QStringLiteral("pw");
    get.Referer = QStringLiteral("http://example.test/");
    get.UseCache = true;
    get.Agent.clear();
    get.StartFetch();
    ASSERT_TRUE(waitFinished(out));
    EXPECT_EQ(out.body, "posted");

    const std::string request = server.requests().at(0);
    EXPECT_THAT(request, StartsWith("POST /cgi-bin/quenvale.cgi HTTP/1.0\r\n"));
    EXPECT_THAT(request, HasSubstr("\r\nContent-Type: application/x-www-form-urlencoded\r\n"));
    EXPECT_THAT(request, HasSubstr("\r\nAuthorization: Basic dXNlcjpwdw==\r\n"));
    EXPECT_THAT(request, HasSubstr("\r\nReferer: http://example.test/\r\n"));
    EXPECT_THAT(request, testing::EndsWith("\r\n\r\nname=a%26b&score=95"));
    EXPECT_THAT(request, Not(HasSubstr("Pragma")));
    EXPECT_THAT(request, Not(HasSubstr("User-Agent")));
}

TEST(HTTPGet, SuccessDependsOnTheBodyNotTheStatus)
{
    RawServer server(byPath({{"/empty", RawServer::reply("200 OK", "")},
                             {"/missing", RawServer::reply("404 Not Found", "<h1>gone</h1>")},
                             {"/badlength", "HTTP/1.0 200 OK\r\nContent-Length: 12abc\r\n\r\nbody"}}));
    const Outcome empty = fetch(server.url("/empty"));
    EXPECT_EQ(empty.errors, 1);
    EXPECT_EQ(empty.done, 0);
    EXPECT_EQ(empty.why, "the reply was empty");

    // The status is there for whoever cares to look.
    const Outcome missing = fetch(server.url("/missing"));
    EXPECT_EQ(missing.done, 1);
    EXPECT_EQ(missing.body, "<h1>gone</h1>");
    EXPECT_EQ(missing.status, 404);

    // Whatever it makes of a length that is no number, the fetch ends once.
    const Outcome badLength = fetch(server.url("/badlength"));
    EXPECT_EQ(badLength.done + badLength.errors, 1);
}

TEST(HTTPGet, MissingLengthFailsOnlyBinaryData)
{
    const std::string body(3000, 'q');
    RawServer server(byPath({{"/nolength", RawServer::reply("200 OK", body, false)},
                             {"/length", RawServer::reply("200 OK", body)}}));

    const Outcome text = fetch(server.url("/nolength"), false, true);
    EXPECT_EQ(text.done, 1);
    EXPECT_EQ(text.body.toStdString(), body);
    // One event per read of at most 1025 bytes, none knowing the size.
    ASSERT_GE(text.progress.size(), 3u);
    qint32 before = 0;
    for (const auto &[total, readed] : text.progress) {
        EXPECT_EQ(total, 0);
        EXPECT_GT(readed, before);
        EXPECT_LE(readed - before, 1025);
        before = readed;
    }
    EXPECT_EQ(before, 3000);

    const Outcome binary = fetch(server.url("/nolength"), true, true);
    EXPECT_EQ(binary.errors, 1);
    EXPECT_TRUE(binary.progress.empty());

    const Outcome announced = fetch(server.url("/length"), true, true);
    EXPECT_EQ(announced.done, 1);
    ASSERT_FALSE(announced.progress.empty());
    EXPECT_EQ(announced.progress.back(), std::make_pair(3000, 3000));
}

TEST(HTTPGet, BusyComponentIgnoresStartAndKeepsItsCopies)
{
    RawServer server([](RawServer::Connection &c) {
        c.waitReleased();
        c.send(RawServer::reply("200 OK", c.request.substr(4, c.request.find(' ', 4) - 4)));
    });
    THTTPGet get;
    Outcome out;
    record(get, out);
    get.URL = server.url("/first");
    get.StartFetch();
    // Neither the new address nor the second start touch the running fetch.
    get.URL = server.url("/second");
    get.StartFetch();
    server.release();
    ASSERT_TRUE(waitFinished(out));
    EXPECT_EQ(out.body, "/first");

    // Idle again: the next start uses the address as it is now.
    out = {};
    get.StartFetch();
    ASSERT_TRUE(waitFinished(out));
    EXPECT_EQ(out.body, "/second");
    EXPECT_EQ(server.requestCount(), 2);
}

TEST(HTTPGet, StartInsideTheCompletionHandlerIsIgnored)
{
    RawServer server([](RawServer::Connection &c) { c.send(RawServer::reply("200 OK", "page")); });
    THTTPGet get;
    Outcome out;
    int handled = 0;
    // From OnError, with the address now pointing at a live server.
    get.URL = QStringLiteral("http://127.0.0.1:%1/").arg(RawServer::closedPort());
    get.OnError = [&](THTTPGet *sender) {
        ++handled;
        sender->URL = server.url("/again");
        sender->StartFetch();
    };
    get.StartFetch();
    ASSERT_TRUE(QTest::qWaitFor([&] { return handled == 1; }, 5000));

    // And from OnDoneString.
    get.OnDoneString = [&](THTTPGet *sender, const QByteArray &) {
        ++handled;
        sender->StartFetch();
    };
    get.StartFetch();
    ASSERT_TRUE(QTest::qWaitFor([&] { return handled == 2; }, 5000));

    record(get, out);
    get.StartFetch();
    ASSERT_TRUE(waitFinished(out));
    EXPECT_EQ(server.requestCount(), 2);
}

TEST(HTTPGet, WaitThreadRunsPendingEventsBeforeReturning)
{
    RawServer server([](RawServer::Connection &c) { c.send(RawServer::reply("200 OK", "x")); });
    THTTPGet get;
    Outcome out;
    record(get, out);
    get.URL = server.url("/");
    get.WaitThread = true;
    bool ran = false;
    QMetaObject::invokeMethod(&get, [&] { ran = true; }, Qt::QueuedConnection);
    get.StartFetch();
    EXPECT_TRUE(ran);
    EXPECT_TRUE(waitFinished(out));
}

TEST(HTTPGet, AbortEndsTheFetchAsAFailure)
{
    RawServer slow([](RawServer::Connection &c) {
        if (c.request.find("/part ") != std::string::npos)
            c.send("HTTP/1.0 200 OK\r\nContent-Length: 1000\r\n\r\n" + std::string(100, 'p'));
        c.waitReleased();
    });

    // Waiting for the reply: the stop interrupts the wait at once.
    THTTPGet get;
    Outcome out;
    record(get, out);
    get.URL = slow.url("/hold");
    get.StartFetch();
    ASSERT_TRUE(QTest::qWaitFor([&] { return slow.requestCount() == 1; }, 5000));
    QElapsedTimer clock;
    clock.start();
    get.AbortFetch();
    get.StartFetch(); // still busy until the failure has been delivered
    ASSERT_TRUE(waitFinished(out));
    EXPECT_LT(clock.elapsed(), 900);
    EXPECT_EQ(out.errors, 1);
    EXPECT_EQ(out.done, 0);

    // In the middle of the body, from the progress handler.
    out = {};
    record(get, out);
    get.URL = slow.url("/part");
    get.OnProgress = [&](THTTPGet *sender, qint32 total, qint32 readed) {
        out.progress.emplace_back(total, readed);
        sender->AbortFetch();
    };
    get.StartFetch();
    ASSERT_TRUE(waitFinished(out));
    EXPECT_EQ(out.errors, 1);
    EXPECT_EQ(out.done, 0);
    ASSERT_EQ(out.progress.size(), 1u);
    EXPECT_EQ(out.progress[0], std::make_pair(1000, 100));
    EXPECT_EQ(slow.requestCount(), 2);
    slow.release();
}

TEST(HTTPGet, DestroyingABusyComponentDeliversNothing)
{
    std::atomic<bool> partSent = false;
    RawServer server([&](RawServer::Connection &c) {
        if (c.request.find("/part ") != std::string::npos) {
            c.send("HTTP/1.0 200 OK\r\nContent-Length: 1000\r\n\r\n" + std::string(100, 'p'));
            partSent = true;
        }
        c.waitReleased();
        c.send(RawServer::reply("200 OK", "late"));
    });
    Outcome out;

    // While the worker waits for the server.
    auto waiting = std::make_unique<THTTPGet>();
    record(*waiting, out, true);
    waiting->URL = server.url("/hold");
    waiting->StartFetch();
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.requestCount() == 1; }, 5000));
    waiting.reset();

    // While the worker waits for its progress event, which no event loop runs
    // before the component is gone.
    auto reporting = std::make_unique<THTTPGet>();
    record(*reporting, out, true);
    reporting->URL = server.url("/part");
    reporting->StartFetch();
    while (!partSent)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    reporting.reset();

    server.release();
    QTest::qWait(20);
    EXPECT_FALSE(out.finished());
    EXPECT_TRUE(out.progress.empty());
}

TEST(HTTPGet, BodyBeyondTheCapFails)
{
    const std::string cap(size_t(THTTPGet::MaxBodySize), 'b');
    RawServer server([&](RawServer::Connection &c) {
        if (c.request.find("/announced ") != std::string::npos) {
            // Announces one byte too many and sends nothing: the fetch must not wait for it.
            c.send("HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(cap.size() + 1) + "\r\n\r\n");
            c.waitReleased();
        } else if (c.send("HTTP/1.0 200 OK\r\n\r\n") && c.send(cap)
                   && c.request.find("/over ") != std::string::npos) {
            c.send("b");
        }
    });
    EXPECT_EQ(fetch(server.url("/announced")).errors, 1);
    const Outcome full = fetch(server.url("/full"));
    EXPECT_EQ(full.done, 1);
    EXPECT_EQ(full.body.size(), THTTPGet::MaxBodySize);
    EXPECT_EQ(fetch(server.url("/over")).errors, 1);
    server.release();
}

TEST(HTTPGet, ConnectionFailuresRaiseOnError)
{
    const Outcome refused = fetch(QStringLiteral("http://127.0.0.1:%1/").arg(RawServer::closedPort()));
    EXPECT_EQ(refused.errors, 1);
    EXPECT_EQ(refused.why, "the server could not be reached");
    // A secure address gets TLS: a plain-text server cannot answer it.
    RawServer plain([](RawServer::Connection &c) { c.send(RawServer::reply("200 OK", "plain")); }, false);
    EXPECT_EQ(fetch(QStringLiteral("https://127.0.0.1:%1/").arg(plain.port())).errors, 1);
}
