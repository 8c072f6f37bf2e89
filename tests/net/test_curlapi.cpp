// libcurl opened at run time. This program plays a machine without it: every
// fetch and download fails as a lost connection would, and nothing crashes.
#include "net/curlapi.h"
#include "net/httpclient.h"
#include "net/httpget.h"
#include "rawserver.h"

#include <QBuffer>
#include <QTest>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::AllOf;
using testing::HasSubstr;
using testing::StartsWith;

namespace {

constexpr char kMissing[] = "libquenvale-no-such-curl.so.4";

// Before the first transfer of the process, whichever test runs first.
const bool noCurl = (useCurlLibrary(kMissing), true);

RawServer::Handler answerHello()
{
    return [](RawServer::Connection &c) { c.send(RawServer::reply("200 OK", "hello")); };
}

} // namespace

TEST(CurlApi, OpensTheSystemLibraryWithEveryFunction)
{
    QString error;
    const std::unique_ptr<CurlApi> curl = openCurlApi("libcurl.so.4", error);
    ASSERT_NE(curl, nullptr) << error.toStdString();
    EXPECT_TRUE(error.isEmpty());
    const auto *pointers = reinterpret_cast<void *const *>(curl.get());
    for (std::size_t i = 0; i < sizeof(CurlApi) / sizeof(void *); ++i)
        EXPECT_NE(pointers[i], nullptr) << i;
}

TEST(CurlApi, AMissingLibraryOrFunctionIsNamed)
{
    QString error;
    EXPECT_EQ(openCurlApi(kMissing, error), nullptr);
    EXPECT_THAT(error.toStdString(), AllOf(StartsWith("Network library unavailable: "), HasSubstr(kMissing)));
    EXPECT_EQ(openCurlApi("libc.so.6", error), nullptr);
    EXPECT_THAT(error.toStdString(), HasSubstr("curl_global_init"));

    ASSERT_TRUE(noCurl);
    EXPECT_EQ(curlApi(), nullptr);
    EXPECT_THAT(curlApiError().toStdString(), HasSubstr(kMissing));
}

TEST(CurlApi, WithoutLibcurlAFetchEndsInOnError)
{
    RawServer server(answerHello());
    THTTPGet get;
    int errors = 0, done = 0;
    get.OnError = [&](THTTPGet *) { ++errors; };
    get.OnDoneString = [&](THTTPGet *, const QByteArray &) { ++done; };
    get.URL = server.url("/");
    for (int attempt = 1; attempt <= 2; ++attempt) {
        get.StartFetch();
        ASSERT_TRUE(QTest::qWaitFor([&] { return errors + done == attempt; }, 5000));
    }
    EXPECT_EQ(errors, 2);
    EXPECT_EQ(done, 0);
    EXPECT_EQ(server.requestCount(), 0);
}

TEST(CurlApi, WithoutLibcurlADownloadRaisesEHttpException)
{
    RawServer server(answerHello());
    THttpClient client;
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    client.RcvdStream = &file;
    client.URL = server.url("/qvlsetup.exe");
    try {
        client.Get();
        FAIL() << "no exception";
    } catch (const EHttpException &e) {
        EXPECT_THAT(e.Message().toStdString(), AllOf(StartsWith("Network library unavailable: "), HasSubstr(kMissing)));
        EXPECT_EQ(e.ErrorCode(), 404);
    }
    EXPECT_EQ(file.size(), 0);
    EXPECT_EQ(server.requestCount(), 0);
}
