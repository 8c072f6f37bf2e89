#include "net/httpclient.h"
#include "rawserver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

using testing::HasSubstr;
using testing::Not;
using testing::StartsWith;

namespace {

// A download into a fresh file, as the update does it.
struct Download
{
    QTemporaryDir dir;
    QFile file{dir.filePath(QStringLiteral("qvlsetup.exe"))};
    THttpClient client;

    explicit Download(const QString &url)
    {
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        client.URL = url;
        client.RcvdStream = &file;
    }

    QByteArray written()
    {
        file.close();
        QFile back(file.fileName());
        EXPECT_TRUE(back.open(QIODevice::ReadOnly));
        return back.readAll();
    }

    qint64 sizeOnDisk() const { return qint64(std::filesystem::file_size(file.fileName().toStdString())); }
};

std::string installer(size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = char(i * 7 % 251);
    return bytes;
}

} // namespace

TEST(HttpClient, DownloadWritesTheFileWithTheProgramsRequest)
{
    const std::string body = installer(200000);
    RawServer server([&](RawServer::Connection &c) { c.send(RawServer::reply("200 OK", body)); });
    Download download(server.url("/quenvale/qvlsetup.exe"));
    download.client.Get();
    EXPECT_EQ(download.client.StatusCode(), 200);
    EXPECT_EQ(download.written().toStdString(), body);

    const std::string request = server.requests().at(0);
    EXPECT_THAT(request, StartsWith("GET /quenvale/qvlsetup.exe HTTP/1.0\r\n"));
    EXPECT_THAT(request, HasSubstr("\r\nAccept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"));
    EXPECT_THAT(request, HasSubstr("\r\nUser-Agent: Mozilla/3.0 (compatible)\r\n"));
    EXPECT_THAT(request, HasSubstr("\r\nHost: 127.0.0.1:" + std::to_string(server.port()) + "\r\n"));
    EXPECT_THAT(request, Not(HasSubstr("Pragma")));
}

TEST(HttpClient, FollowsARedirection)
{
    RawServer server([](RawServer::Connection &c) {
        if (c.request.rfind("GET /old ", 0) == 0)
            c.send(RawServer::reply("302 Found", "moved", true, "Location: /new\r\n"));
        else
            c.send(RawServer::reply("200 OK", "new installer"));
    });
    Download download(server.url("/old"));
    download.client.Get();
    EXPECT_EQ(download.written(), "new installer");
    EXPECT_EQ(server.requestCount(), 2);
}

TEST(HttpClient, FailuresRaiseEHttpException)
{
    RawServer server([](RawServer::Connection &c) {
        c.send(RawServer::reply("404 No Such Installer", "<html>error page</html>"));
    });
    Download missing(server.url("/quenvale/qvlsetup.exe"));
    try {
        missing.client.Get();
        FAIL() << "a 404 must raise";
    } catch (const EHttpException &e) {
        EXPECT_EQ(e.ErrorCode(), 404);
        EXPECT_EQ(e.Message(), "No Such Installer");
    }
    EXPECT_EQ(missing.written(), ""); // the error page is not the installer

    Download refused(QStringLiteral("http://127.0.0.1:%1/qvlsetup.exe").arg(RawServer::closedPort()));
    try {
        refused.client.Get();
        FAIL() << "a refused connection must raise";
    } catch (const EHttpException &e) {
        EXPECT_EQ(e.ErrorCode(), 404);
        EXPECT_EQ(e.Message(), "can't connect: Connection refused (Error #111)");
    }
}

TEST(HttpClient, KeepsEventsFlowingAndRefusesASecondGet)
{
    const std::string body = installer(50000);
    RawServer server([&](RawServer::Connection &c) {
        c.send("HTTP/1.0 200 OK\r\nContent-Length: 50000\r\n\r\n" + body.substr(0, 20000));
        c.waitReleased();
        c.send(body.substr(20000));
    });
    Download download(server.url("/quenvale/qvlsetup.exe"));
    bool refused = false;
    qint64 sizeWhileBlocked = -1;
    // Runs inside Get: the window thread still handles its events.
    QTimer::singleShot(0, [&] {
        (void)QTest::qWaitFor([&] { return download.sizeOnDisk() == 20000; }, 5000);
        sizeWhileBlocked = download.sizeOnDisk();
        try {
            download.client.Get();
        } catch (const EHttpException &e) {
            refused = e.Message() == "HTTP component is busy";
        }
        server.release();
    });
    download.client.Get();
    EXPECT_EQ(sizeWhileBlocked, 20000); // written as it arrived
    EXPECT_TRUE(refused);
    EXPECT_EQ(download.written().toStdString(), body);
}

TEST(HttpClient, ApplicationExitAbandonsTheTransfer)
{
    RawServer server([](RawServer::Connection &c) { c.waitReleased(); });
    Download download(server.url("/quenvale/qvlsetup.exe"));
    QString reason;
    int code = 0;
    QElapsedTimer clock;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, [&] {
            (void)QTest::qWaitFor([&] { return server.requestCount() == 1; }, 5000);
            clock.start();
            QCoreApplication::quit();
        });
        try {
            download.client.Get();
        } catch (const EHttpException &e) {
            reason = e.Message();
            code = e.ErrorCode();
        }
    });
    QCoreApplication::exec();
    EXPECT_EQ(reason, "Connection aborted on request");
    EXPECT_EQ(code, 404);
    EXPECT_LT(clock.elapsed(), 900);
}

TEST(HttpClient, DownloadBeyondTheCapFails)
{
    const std::string body(5000, 'x');
    RawServer server([&](RawServer::Connection &c) {
        const bool announce = c.request.find("/announced ") != std::string::npos;
        c.send(RawServer::reply("200 OK", announce ? "" : body, false,
                                announce ? "Content-Length: 5000\r\n" : ""));
        if (announce)
            c.waitReleased(); // the size alone must end it
    });
    for (const char *path : {"/announced", "/streamed"}) {
        Download download(server.url(path));
        download.client.MaxSize = 1000;
        try {
            download.client.Get();
            FAIL() << path;
        } catch (const EHttpException &e) {
            EXPECT_EQ(e.Message(), "The download is larger than 1000 bytes") << path;
        }
    }
    server.release();
}
