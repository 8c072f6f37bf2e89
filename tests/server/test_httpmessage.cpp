#include "server/httpmessage.h"

#include <gtest/gtest.h>

namespace {

HeadParse parse(std::string_view text)
{
    return parseRequestHead(text, 8192, 4096);
}

}  // namespace

TEST(RequestHead, TheGamesRequest)
{
    const std::string text = "GET /cgi-bin/quenvale.cgi?name=R&D&date=1/2/25&score=5 HTTP/1.0\r\n"
                             "Host: 127.0.0.1\r\nUser-Agent: Quenvale HTTPGet\r\n\r\nrest";
    const HeadParse p = parse(text);
    ASSERT_EQ(p.outcome, HeadParse::Complete);
    EXPECT_EQ(p.request.method, "GET");
    EXPECT_EQ(p.request.path, "/cgi-bin/quenvale.cgi");
    EXPECT_EQ(p.request.query, "name=R&D&date=1/2/25&score=5");
    EXPECT_EQ(p.request.minorVersion, 0);
    EXPECT_FALSE(p.request.keepAlive);
    EXPECT_EQ(p.headLength, text.size() - 4);
}

TEST(RequestHead, IncompleteUntilTheBlankLine)
{
    EXPECT_EQ(parse("").outcome, HeadParse::Incomplete);
    EXPECT_EQ(parse("GET / HTTP/1.1\r\nHost: x\r\n").outcome, HeadParse::Incomplete);
    EXPECT_EQ(parse("GET / HTTP/1.1\r\nHost: x\r\n\r").outcome, HeadParse::Incomplete);
    // Bare line feeds and empty lines before the request are understood.
    const HeadParse p = parse("\r\n\nGET /a%20b HTTP/1.1\nHost: x\n\n");
    ASSERT_EQ(p.outcome, HeadParse::Complete);
    EXPECT_EQ(p.request.path, "/a b");
    EXPECT_TRUE(p.request.keepAlive);
}

TEST(RequestHead, HeadersThatMatter)
{
    const HeadParse p = parse("POST http://example.org/quenvale/ranked/new?x HTTP/1.1\r\n"
                              "content-length:  12 \r\nConnection: foo, Close\r\nExpect: 100-Continue\r\n"
                              "X-Forwarded-For: 10.0.0.1, 192.0.2.7\r\n\r\n");
    ASSERT_EQ(p.outcome, HeadParse::Complete);
    EXPECT_EQ(p.request.path, "/quenvale/ranked/new");
    EXPECT_EQ(p.request.query, "x");
    EXPECT_EQ(p.request.contentLength, 12u);
    EXPECT_FALSE(p.request.keepAlive);
    EXPECT_TRUE(p.request.expectContinue);
    EXPECT_EQ(p.request.forwardedFor, "192.0.2.7");
}

TEST(RequestHead, RefusalsNameTheirStatus)
{
    const struct {
        std::string text;
        int status;
    } cases[] = {
        {"GET /\r\n\r\n", 400},
        {"GET  / HTTP/1.1\r\n\r\n", 400},
        {"GET / HTTP/1.1 x\r\n\r\n", 400},
        {"GET * HTTP/1.1\r\n\r\n", 400},
        {"G(T / HTTP/1.1\r\n\r\n", 400},
        {"GET /\x01 HTTP/1.1\r\n\r\n", 400},
        {"GET / HTTP/2.0\r\n\r\n", 505},
        {"GET / HTTP/1.1\r\nNo colon here\r\n\r\n", 400},
        {"GET / HTTP/1.1\r\n folded: line\r\n\r\n", 400},
        {"POST / HTTP/1.1\r\nContent-Length: -1\r\n\r\n", 400},
        {"POST / HTTP/1.1\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\n", 400},
        {"POST / HTTP/1.1\r\nContent-Length: 4097\r\n\r\n", 413},
        {"POST / HTTP/1.1\r\nContent-Length: 99999999999999999999\r\n\r\n", 400},
        {"POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", 501},
        {"POST / HTTP/1.1\r\nExpect: gifts\r\n\r\n", 417},
        {"GET / HTTP/1.1\r\nX: " + std::string(9000, 'a') + "\r\n\r\n", 431},
        {"GET / HTTP/1.1\r\nX: " + std::string(9000, 'a'), 431},  // too large before it is even complete
    };
    for (const auto &c : cases) {
        const HeadParse p = parse(c.text);
        EXPECT_EQ(p.outcome, HeadParse::Refused) << c.text.substr(0, 60);
        EXPECT_EQ(p.status, c.status) << c.text.substr(0, 60);
        EXPECT_FALSE(p.reason.empty());
    }
    std::string many = "GET / HTTP/1.1\r\n";
    for (int i = 0; i < 101; ++i)
        many += "A: b\r\n";
    EXPECT_EQ(parse(many + "\r\n").status, 431);
}

TEST(ResponseHead, StatusLengthAndConnection)
{
    HttpResponse r = HttpResponse::text(429, "slow down\n");
    r.headers.emplace_back("Retry-After", "12");
    EXPECT_EQ(responseHead(r, r.body.size(), false),
              "HTTP/1.1 429 Too Many Requests\r\nContent-Type: text/plain; charset=utf-8\r\n"
              "Content-Length: 10\r\nRetry-After: 12\r\nConnection: close\r\n\r\n");
    HttpResponse empty;
    empty.status = 404;
    EXPECT_EQ(responseHead(empty, 0, true), "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: keep-alive\r\n\r\n");
}
