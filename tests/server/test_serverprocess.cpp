// The installed program as scripts start it: options, the "listening on" line,
// and a clean end on SIGTERM or SIGINT with every answered post kept.

#include "rawhttp.h"
#include "server/sqlitestore.h"
#include "serverprocess.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <memory>
#include <thread>
#include <vector>

namespace {

std::vector<std::string> serverArgs(const TempFolder &tmp)
{
    std::filesystem::create_directories(tmp.path() / "files");
    return {"--listen", "127.0.0.1:0", "--db", (tmp.path() / "data" / "scores.db").string(),
            "--files", (tmp.path() / "files").string()};
}

}  // namespace

TEST(ServerProcess, StopsCleanlyOnEitherSignalKeepingThePosts)
{
    for (int sig : {SIGTERM, SIGINT}) {
        TempFolder tmp;
        {
            ServerProcess server(QV_SERVER_EXE, serverArgs(tmp));
            const int port = server.listeningPort();
            ASSERT_GT(port, 0);
            EXPECT_EQ(rawGet(port, "/cgi-bin/quenvale.cgi?name=Ann&date=1/2/25&score=60").status, 200);
            server.signal(sig);
            EXPECT_EQ(server.exitCode(), 0);
        }
        SqliteStore store(tmp.path() / "data" / "scores.db");
        EXPECT_EQ(store.count(), 1);
    }
}

TEST(ServerProcess, EveryAnsweredPostSurvivesAStopUnderLoad)
{
    TempFolder tmp;
    std::atomic<int> answered = 0;
    {
        std::vector<std::string> args = serverArgs(tmp);
        args.insert(args.end(), {"--post-limit", "0"});
        ServerProcess server(QV_SERVER_EXE, args);
        const int port = server.listeningPort();
        ASSERT_GT(port, 0);
        std::atomic<bool> go = true;
        std::vector<std::thread> players;
        for (int t = 0; t < 6; ++t) {
            players.emplace_back([&] {
                while (go) {
                    const RawReply r = rawGet(port, "/cgi-bin/quenvale.cgi?name=p&date=1/2/25&score=1");
                    if (r.status == 200)
                        ++answered;
                    else if (r.status == 0)
                        break;  // the server has gone
                }
            });
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        server.signal(SIGTERM);
        EXPECT_EQ(server.exitCode(), 0);
        go = false;
        for (std::thread &t : players)
            t.join();
    }
    ASSERT_GT(answered, 0);
    SqliteStore store(tmp.path() / "data" / "scores.db");
    EXPECT_EQ(store.count(), answered);
}

TEST(ServerProcess, StopsWithinTwoSecondsWhateverItsClientsDo)
{
    TempFolder tmp;
    std::ofstream(tmp.path() / "files" / "qvlsetup.exe", std::ios::binary) << std::string(32 << 20, 'x');
    std::atomic<int> answered = 0;
    {
        std::vector<std::string> args = serverArgs(tmp);
        args.insert(args.end(), {"--post-limit", "0"});
        ServerProcess server(QV_SERVER_EXE, args);
        const int port = server.listeningPort();
        ASSERT_GT(port, 0);
        // Clients that drip their requests, clients that say nothing, and clients
        // that ask for the installer and never read it.
        std::vector<std::unique_ptr<RawConnection>> drips, idle, stalled;
        for (int i = 0; i < 40; ++i) {
            drips.push_back(std::make_unique<RawConnection>(port, "127.0.6." + std::to_string(i + 1)));
            drips.back()->send("GET / HTTP/1.1\r\n");
            idle.push_back(std::make_unique<RawConnection>(port, "127.0.7." + std::to_string(i + 1)));
        }
        for (int i = 0; i < 4; ++i) {
            stalled.push_back(std::make_unique<RawConnection>(port, "127.0.8." + std::to_string(i + 1)));
            stalled.back()->send("GET /quenvale/qvlsetup.exe HTTP/1.0\r\n\r\n");
        }
        std::atomic<bool> go = true;
        std::thread dripper([&] {
            while (go) {
                for (auto &d : drips)
                    d->send("X");
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
            }
        });
        std::vector<std::thread> players;
        for (int t = 0; t < 2; ++t) {
            players.emplace_back([&] {
                while (go && rawGet(port, "/cgi-bin/quenvale.cgi?name=p&date=1/2/25&score=1").status == 200)
                    ++answered;
            });
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        const auto start = std::chrono::steady_clock::now();
        server.signal(SIGTERM);
        EXPECT_EQ(server.exitCode(), 0);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
        go = false;
        dripper.join();
        for (std::thread &t : players)
            t.join();
    }
    ASSERT_GT(answered, 0);
    EXPECT_EQ(SqliteStore(tmp.path() / "data" / "scores.db").count(), answered);
}

TEST(ServerProcess, StopSignalRightAfterStartIsNotLost)
{
    TempFolder tmp;
    ServerProcess server(QV_SERVER_EXE, serverArgs(tmp));
    ASSERT_GT(server.listeningPort(), 0);
    server.signal(SIGTERM);
    EXPECT_EQ(server.exitCode(), 0);
}

TEST(ServerProcess, DatabaseDefaultsToTheUsersDataFolder)
{
    TempFolder tmp;
    std::filesystem::create_directories(tmp.path() / "files");
    setenv("XDG_DATA_HOME", (tmp.path() / "xdg").c_str(), 1);
    ServerProcess server(QV_SERVER_EXE, {"--listen", "127.0.0.1:0", "--files", (tmp.path() / "files").string()});
    unsetenv("XDG_DATA_HOME");
    const int port = server.listeningPort();
    ASSERT_GT(port, 0);
    EXPECT_EQ(rawGet(port, "/cgi-bin/quenvale.cgi?name=Ann&date=1/2/25&score=60").status, 200);
    server.signal(SIGTERM);
    EXPECT_EQ(server.exitCode(), 0);
    EXPECT_EQ(SqliteStore(tmp.path() / "xdg" / "quenvale-server" / "scores.db").count(), 1);
}

TEST(ServerProcess, BadOptionsAreClearErrors)
{
    TempFolder tmp;
    const std::string db = (tmp.path() / "scores.db").string();
    {
        ServerProcess server(QV_SERVER_EXE, {"--listen", "localhost", "--db", db});
        EXPECT_NE(server.errorText().find("--listen wants ADDR:PORT"), std::string::npos);
        EXPECT_EQ(server.exitCode(), 2);
    }
    {
        ServerProcess server(QV_SERVER_EXE, {"--frobnicate"});
        EXPECT_NE(server.errorText().find("unknown option --frobnicate"), std::string::npos);
        EXPECT_EQ(server.exitCode(), 2);
    }
    {
        ServerProcess server(QV_SERVER_EXE, {"--db", db, "--files", (tmp.path() / "nowhere").string()});
        EXPECT_NE(server.errorText().find("does not exist"), std::string::npos);
        EXPECT_EQ(server.exitCode(), 1);
    }
    {
        ServerProcess server(QV_SERVER_EXE, {"--help"});
        EXPECT_EQ(server.exitCode(), 0);
    }
}
