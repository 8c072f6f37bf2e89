// The installed program as scripts start it: options, the "listening on" line,
// and a clean end on SIGTERM or SIGINT with every answered post kept.

#include "rawhttp.h"
#include "server/scorestore.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

extern char **environ;

namespace {

class ServerProcess {
public:
    explicit ServerProcess(std::vector<std::string> args)
    {
        args.insert(args.begin(), QV_SERVER_EXE);
        std::vector<char *> argv;
        for (std::string &a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        int out[2], err[2];
        if (pipe(out) != 0 || pipe(err) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addclose(&actions, err[0]);
        if (posix_spawn(&pid_, QV_SERVER_EXE, &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }
    ~ServerProcess()
    {
        if (pid_ > 0 && exitCode() == kStillRunning) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(out_);
        close(err_);
    }

    // The port from the "listening on 127.0.0.1:PORT" line, or 0.
    int listeningPort()
    {
        const std::string line = readLine(out_);
        const std::string prefix = "listening on 127.0.0.1:";
        return line.starts_with(prefix) ? std::stoi(line.substr(prefix.size())) : 0;
    }
    std::string errorText() { return readLine(err_); }
    void signal(int sig) { kill(pid_, sig); }

    static constexpr int kStillRunning = -1000;
    // Waits up to ten seconds for the end; the exit status, or -signal.
    int exitCode()
    {
        if (status_ != kStillRunning)
            return status_;
        for (int i = 0; i < 1000; ++i) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_)
                return status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return kStillRunning;
    }

private:
    static std::string readLine(int fd)
    {
        std::string line;
        char c;
        pollfd p{fd, POLLIN, 0};
        while (poll(&p, 1, 10000) > 0 && read(fd, &c, 1) == 1 && c != '\n')
            line += c;
        return line;
    }

    pid_t pid_ = -1;
    int out_ = -1, err_ = -1;
    int status_ = kStillRunning;
};

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
            ServerProcess server(serverArgs(tmp));
            const int port = server.listeningPort();
            ASSERT_GT(port, 0);
            EXPECT_EQ(rawGet(port, "/cgi-bin/quenvale.cgi?name=Ann&date=1/2/25&score=60").status, 200);
            server.signal(sig);
            EXPECT_EQ(server.exitCode(), 0);
        }
        ScoreStore store(tmp.path() / "data" / "scores.db");
        EXPECT_EQ(store.count(), 1);
    }
}

TEST(ServerProcess, EveryAnsweredPostSurvivesAStopUnderLoad)
{
    TempFolder tmp;
    std::atomic<int> answered = 0;
    {
        ServerProcess server(serverArgs(tmp));
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
    ScoreStore store(tmp.path() / "data" / "scores.db");
    EXPECT_EQ(store.count(), answered);
}

TEST(ServerProcess, StopSignalRightAfterStartIsNotLost)
{
    TempFolder tmp;
    ServerProcess server(serverArgs(tmp));
    ASSERT_GT(server.listeningPort(), 0);
    server.signal(SIGTERM);
    EXPECT_EQ(server.exitCode(), 0);
}

TEST(ServerProcess, DatabaseDefaultsToTheUsersDataFolder)
{
    TempFolder tmp;
    std::filesystem::create_directories(tmp.path() / "files");
    setenv("XDG_DATA_HOME", (tmp.path() / "xdg").c_str(), 1);
    ServerProcess server({"--listen", "127.0.0.1:0", "--files", (tmp.path() / "files").string()});
    unsetenv("XDG_DATA_HOME");
    const int port = server.listeningPort();
    ASSERT_GT(port, 0);
    EXPECT_EQ(rawGet(port, "/cgi-bin/quenvale.cgi?name=Ann&date=1/2/25&score=60").status, 200);
    server.signal(SIGTERM);
    EXPECT_EQ(server.exitCode(), 0);
    EXPECT_EQ(ScoreStore(tmp.path() / "xdg" / "quenvale-server" / "scores.db").count(), 1);
}

TEST(ServerProcess, BadOptionsAreClearErrors)
{
    TempFolder tmp;
    const std::string db = (tmp.path() / "scores.db").string();
    {
        ServerProcess server({"--listen", "localhost", "--db", db});
        EXPECT_NE(server.errorText().find("--listen wants ADDR:PORT"), std::string::npos);
        EXPECT_EQ(server.exitCode(), 2);
    }
    {
        ServerProcess server({"--frobnicate"});
        EXPECT_NE(server.errorText().find("unknown option --frobnicate"), std::string::npos);
        EXPECT_EQ(server.exitCode(), 2);
    }
    {
        ServerProcess server({"--db", db, "--files", (tmp.path() / "nowhere").string()});
        EXPECT_NE(server.errorText().find("does not exist"), std::string::npos);
        EXPECT_EQ(server.exitCode(), 1);
    }
    {
        ServerProcess server({"--help"});
        EXPECT_EQ(server.exitCode(), 0);
    }
}
