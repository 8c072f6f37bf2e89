#include "rawhttp.h"
#include "runningserver.h"

#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include <sys/socket.h>
#include <unistd.h>

namespace {

void writeFile(const std::filesystem::path &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// Table rows of the high-score page, the header row not counted.
int scoreRows(const std::string &page)
{
    int rows = -1;
    for (std::size_t at = page.find("<tr"); at != std::string::npos; at = page.find("<tr", at + 1))
        ++rows;
    return rows;
}

}  // namespace

TEST(ScoreServerPosts, GoodPostIsStoredAndAcknowledged)
{
    RunningServer server;
    const RawReply reply = rawGet(server.port(), "/cgi-bin/quenvale.cgi?name=Guest&date=3/14/25&score=142");
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body, "Score recorded.\n");
    ASSERT_EQ(server.store().count(), 1);
    const ScoreEntry entry = server.store().best(1).at(0);
    EXPECT_EQ(entry.name, "Guest");
    EXPECT_EQ(entry.date, "3/14/25");
    EXPECT_EQ(entry.score, 142);
}

TEST(ScoreServerPosts, BadPostsAreRefusedAndNothingIsStored)
{
    RunningServer server;
    for (const char *query : {"", "?name=a&date=1/2/25", "?name=a&date=1/2/25&score=many",
                              "?name=123456789012345678901234567890123&date=1/2/25&score=1",
                              "?name=a&date=12345678901234567&score=1", "?name=%FF&date=1/2/25&score=1"}) {
        const RawReply reply = rawGet(server.port(), std::string("/cgi-bin/quenvale.cgi") + query);
        EXPECT_EQ(reply.status, 400) << query;
        EXPECT_GT(reply.body.size(), 1u) << query;
    }
    EXPECT_EQ(server.store().count(), 0);
}

TEST(ScoreServerPosts, NameWithBareDelimitersAsTheGameSendsIt)
{
    RunningServer server;
    EXPECT_EQ(rawGet(server.port(), "/cgi-bin/quenvale.cgi?name=R&D=1&date=1.2.25&score=5").status, 200);
    EXPECT_EQ(server.store().best(1).at(0).name, "R&D=1");
}

TEST(ScoreServerPosts, ConcurrentPostsAreAllStored)
{
    ServerOptions unlimited;
    unlimited.postsPerMinute = 0;
    RunningServer server(unlimited);
    constexpr int kThreads = 8, kPosts = 50;
    std::atomic<int> accepted = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kPosts; ++i) {
                const std::string target = "/cgi-bin/quenvale.cgi?name=p" + std::to_string(t) +
                                           "&date=1/2/25&score=" + std::to_string(i);
                if (rawGet(server.port(), target).status == 200)
                    ++accepted;
            }
        });
    }
    for (std::thread &t : threads)
        t.join();
    EXPECT_EQ(accepted, kThreads * kPosts);
    EXPECT_EQ(server.store().count(), kThreads * kPosts);
}

TEST(ScoreServerPage, ListsWhatWasPostedWithNamesEscaped)
{
    RunningServer server;
    rawGet(server.port(), "/cgi-bin/quenvale.cgi?name=Ann&date=1/2/25&score=77");
    rawGet(server.port(), "/cgi-bin/quenvale.cgi?name=%3Cb%3E%26%22&date=1/3/25&score=99");
    const RawReply page = rawGet(server.port(), "/counter/quenvale.shtml");
    EXPECT_EQ(page.status, 200);
    EXPECT_NE(page.headers.find("Content-Type: text/html"), std::string::npos);
    const std::size_t first = page.body.find("&lt;b&gt;&amp;&quot;</td><td align=\"right\">99</td>");
    const std::size_t second = page.body.find("Ann</td><td align=\"right\">77</td><td align=\"left\">1/2/25");
    EXPECT_NE(first, std::string::npos) << page.body;
    EXPECT_NE(second, std::string::npos) << page.body;
    EXPECT_LT(first, second);
    EXPECT_EQ(page.body.find("<b>"), std::string::npos);
}

TEST(ScoreServerPage, ShowsOnlyTheBestHundred)
{
    RunningServer server;
    for (int i = 1; i <= 105; ++i) {
        std::string name = "p"; // piece by piece: GCC 12 misreports "literal + string" (-Wrestrict)
        name += std::to_string(i);
        server.store().add({name, "1/2/25", i});
    }
    const std::string page = rawGet(server.port(), "/counter/quenvale.shtml").body;
    EXPECT_EQ(scoreRows(page), 100);
    EXPECT_NE(page.find(">p105<"), std::string::npos);
    EXPECT_NE(page.find(">p6<"), std::string::npos);
    EXPECT_EQ(page.find(">p5<"), std::string::npos);
}

TEST(ScoreServerPage, HomePageLinksTheHighScores)
{
    RunningServer server;
    const RawReply home = rawGet(server.port(), "/");
    EXPECT_EQ(home.status, 200);
    EXPECT_NE(home.body.find("Brackenfold Games"), std::string::npos);
    EXPECT_NE(home.body.find("href=\"/counter/quenvale.shtml\" style=\"color:#800000\""), std::string::npos);
}

TEST(ScoreServerFiles, ServesTheVersionTextExactly)
{
    RunningServer server;
    writeFile(server.files() / "quenvaleversion.txt", "1.0.1");
    const RawReply reply = rawGet(server.port(), "/quenvale/quenvaleversion.txt");
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body, "1.0.1");
}

TEST(ScoreServerFiles, ServesALargeInstallerWhole)
{
    RunningServer server;
    std::string installer(300 * 1024 + 7, '\0');
    for (std::size_t i = 0; i < installer.size(); ++i)
        installer[i] = static_cast<char>(i * 131 % 251);
    writeFile(server.files() / "qvlsetup.exe", installer);
    const RawReply reply = rawGet(server.port(), "/quenvale/qvlsetup.exe");
    EXPECT_EQ(reply.status, 200);
    EXPECT_TRUE(reply.body == installer) << reply.body.size();
}

TEST(ScoreServerFiles, ServesTheInstallersSignatureBesideIt)
{
    RunningServer server;
    EXPECT_EQ(rawGet(server.port(), "/quenvale/qvlsetup.exe.sig").status, 404);
    const std::string signature(64, '\x5a');
    writeFile(server.files() / "qvlsetup.exe.sig", signature);
    const RawReply reply = rawGet(server.port(), "/quenvale/qvlsetup.exe.sig");
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body, signature);
}

TEST(ScoreServerFiles, ClientLeavingInTheMiddleOfTheInstallerDoesNotEndTheServer)
{
    // A game closed during its update download: the connection goes while the
    // installer is still being sent.
    RunningServer server;
    writeFile(server.files() / "qvlsetup.exe", std::string(16 << 20, 'x'));
    for (int client = 0; client < 3; ++client) {
        const int fd = connectFrom(server.port(), "127.0.0.1", false);
        ASSERT_GE(fd, 0);
        const std::string request = "GET /quenvale/qvlsetup.exe HTTP/1.0\r\n\r\n";
        ASSERT_EQ(::send(fd, request.data(), request.size(), MSG_NOSIGNAL), ssize_t(request.size()));
        // Read what has come so far, then close: the server's next writes meet a
        // closed socket, the way a download client that gives up leaves.
        char some[65536];
        ASSERT_GT(::recv(fd, some, sizeof some, 0), 0);
        while (::recv(fd, some, sizeof some, MSG_DONTWAIT) > 0) {
        }
        ::close(fd);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    EXPECT_EQ(rawGet(server.port(), "/").status, 200);
}

TEST(ScoreServerFiles, MissingFilesAreNotFoundWithAnEmptyBody)
{
    RunningServer server;
    for (const char *target : {"/quenvale/quenvaleversion.txt", "/quenvale/qvlsetup.exe", "/quenvale/other.txt"}) {
        const RawReply reply = rawGet(server.port(), target);
        EXPECT_EQ(reply.status, 404) << target;
        EXPECT_EQ(reply.body, "") << target;
    }
}

TEST(ScoreServerFiles, NothingOutsideTheFilesFolderIsServed)
{
    RunningServer server;
    writeFile(server.folder() / "secret.txt", "secret");
    writeFile(server.folder() / "quenvaleversion.txt", "secret");
    for (const char *target : {
             "/quenvale/../secret.txt",
             "/quenvale/../../etc/passwd",
             "/quenvale/%2e%2e/%2e%2e/etc/passwd",
             "/quenvale/..%2f..%2fetc%2fpasswd",
             "/quenvale/%2E%2E%2Fsecret.txt",
             "/quenvale/%252e%252e%252fsecret.txt",
             "/quenvale/quenvaleversion.txt/../../secret.txt",
             "/quenvale/..%5csecret.txt",
             "/quenvale/%2e%2e/quenvaleversion.txt",
             "/quenvale/quenvaleversion.txt%00.exe",
             "/../../etc/passwd",
             "/files/quenvaleversion.txt",
         }) {
        const RawReply reply = rawGet(server.port(), target);
        EXPECT_EQ(reply.status, 404) << target;
        EXPECT_EQ(reply.body, "") << target;
    }
}

TEST(ScoreServerFiles, LinksLeadingOutOfTheFilesFolderAreRefused)
{
    RunningServer server;
    writeFile(server.folder() / "secret.txt", "secret");
    std::filesystem::create_symlink("../secret.txt", server.files() / "qvlsetup.exe");
    std::filesystem::create_symlink("/etc/passwd", server.files() / "quenvaleversion.txt");
    for (const char *target : {"/quenvale/qvlsetup.exe", "/quenvale/quenvaleversion.txt"}) {
        const RawReply reply = rawGet(server.port(), target);
        EXPECT_EQ(reply.status, 404) << target;
        EXPECT_EQ(reply.body, "") << target;
    }
}

TEST(ScoreServerLifecycle, ASecondServerCannotTakeTheSamePort)
{
    RunningServer first;
    TempFolder tmp;
    SqliteStore store(tmp.path() / "scores.db");
    ScoreServer second(store, tmp.path());
    EXPECT_EQ(second.bind("127.0.0.1", first.port()), -1);
}

TEST(ScoreServerLifecycle, StopBeforeListenReturnsAtOnce)
{
    TempFolder tmp;
    SqliteStore store(tmp.path() / "scores.db");
    ScoreServer server(store, tmp.path());
    ASSERT_GT(server.bind("127.0.0.1", 0), 0);
    server.stop();
    EXPECT_TRUE(server.listen());
}
