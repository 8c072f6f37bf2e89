// Load benchmark of quenvale-server, run as its own process on 127.0.0.1:
//
//  hostile    3,000 idle connections and 500 clients dripping one byte every
//             2 s are kept open (reopened whenever the server cuts them off),
//             while a player fetches the page and posts scores: the time each
//             of those normal requests takes.
//  burst      2,500 posts sent at the same moment to a fresh server, each from
//             an address of its own: how many are answered and stored, and the
//             slowest.
//  sustained  16 players posting as fast as the server answers (every post on
//             a new connection, as the game makes it, from a new address each
//             time so the per-address limit never applies): posts per second.
//             --compare=PROGRAM runs the same against another server build
//             (for example the one before a change) and reports the ratio.
//
//   bench_server [--compare=PROGRAM] [--only=hostile|burst|sustained]
//                [--posts=N] [--hostile-seconds=S]

#include "server/sqlitestore.h"
#include "tests/server/rawhttp.h"
#include "tests/server/serverprocess.h"
#include "tests/server/tempfolder.h"

#include <signal.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A loopback address of its own for client n of a block (127.BLOCK.x.y).
std::string loopback(int block, int n)
{
    return "127." + std::to_string(block) + "." + std::to_string(n / 250 % 250) + "." + std::to_string(n % 250 + 1);
}

void raiseFileLimit()
{
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
}

struct Figures {
    std::size_t count = 0;
    double median = 0, worst = 0;
};

Figures figures(std::vector<double> seconds)
{
    Figures f;
    f.count = seconds.size();
    if (seconds.empty())
        return f;
    std::sort(seconds.begin(), seconds.end());
    f.median = seconds[seconds.size() / 2];
    f.worst = seconds.back();
    return f;
}

std::string postTarget(int n)
{
    return "/cgi-bin/quenvale.cgi?name=Player" + std::to_string(n % 1000) + "&date=3/14/25&score=" +
           std::to_string(n % 977);
}

// A server process on a fresh database, stopped and checked at the end.
class Server {
public:
    explicit Server(const std::string &program, std::vector<std::string> extra = {})
    {
        std::filesystem::create_directories(tmp_.path() / "files");
        std::vector<std::string> args = {"--listen", "127.0.0.1:0", "--db", db().string(), "--files",
                                         (tmp_.path() / "files").string()};
        args.insert(args.end(), extra.begin(), extra.end());
        process_.emplace(program, args);
        port_ = process_->listeningPort();
    }
    int port() const { return port_; }
    // Stops the server with SIGTERM: how long it took, and the posts it kept.
    std::pair<double, std::int64_t> stop()
    {
        const Clock::time_point start = Clock::now();
        process_->signal(SIGTERM);
        const int code = process_->exitCode();
        const double seconds = secondsSince(start);
        process_.reset();
        if (code != 0)
            std::printf("  (the server ended with %d)\n", code);
        return {seconds, SqliteStore(db()).count()};
    }

private:
    std::filesystem::path db() const { return tmp_.path() / "scores.db"; }

    TempFolder tmp_;
    std::optional<ServerProcess> process_;
    int port_ = 0;
};

// Keeps `idle` silent connections and `drips` connections that send one byte of
// a request every `dripEvery` open until stopped, each reopened when the server
// closes it.
class Attackers {
public:
    Attackers(int port, int idle, int drips, std::chrono::milliseconds dripEvery)
        : port_(port), dripEvery_(dripEvery)
    {
        epoll_ = epoll_create1(EPOLL_CLOEXEC);
        for (int i = 0; i < idle + drips; ++i)
            sockets_.push_back({-1, i >= idle, 0, loopback(i >= idle ? 2 : 1, i / 10)});
        thread_ = std::thread([this] { run(); });
    }
    ~Attackers()
    {
        stop_ = true;
        thread_.join();
        for (Socket &s : sockets_)
            if (s.fd >= 0)
                close(s.fd);
        close(epoll_);
    }
    int open() const { return open_; }
    int reopened() const { return reopened_; }

private:
    struct Socket {
        int fd;
        bool drip;
        std::size_t sent;  // bytes of the request dripped so far
        std::string from;
    };

    void reopen(std::size_t i, bool counted)
    {
        Socket &s = sockets_[i];
        if (s.fd >= 0) {
            close(s.fd);
            --open_;
            if (counted)
                ++reopened_;
        }
        s.sent = 0;
        s.fd = connectFrom(port_, s.from, true);
        if (s.fd < 0)
            return;
        ++open_;
        epoll_event ev{};
        ev.events = EPOLLIN | EPOLLRDHUP;
        ev.data.u64 = i;
        epoll_ctl(epoll_, EPOLL_CTL_ADD, s.fd, &ev);
    }

    void run()
    {
        for (std::size_t i = 0; i < sockets_.size(); ++i)
            reopen(i, false);
        std::vector<std::size_t> drippers;
        for (std::size_t i = 0; i < sockets_.size(); ++i)
            if (sockets_[i].drip)
                drippers.push_back(i);
        // Spread the drips over the interval: one connection every step.
        const auto step = dripEvery_ / std::max<std::size_t>(1, drippers.size());
        const std::string request = "GET /counter/quenvale.shtml HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: " +
                                    std::string(200, 'z') + "\r\n\r\n";
        std::size_t next = 0;
        Clock::time_point nextDrip = Clock::now();
        epoll_event events[256];
        while (!stop_) {
            const int n = epoll_wait(epoll_, events, 256, 2);
            for (int k = 0; k < n; ++k) {
                // Anything from the server here is its refusal or its close.
                char buffer[4096];
                const std::size_t i = events[k].data.u64;
                while (recv(sockets_[i].fd, buffer, sizeof buffer, 0) > 0) {
                }
                reopen(i, true);
            }
            for (; !drippers.empty() && Clock::now() >= nextDrip; nextDrip += step) {
                Socket &s = sockets_[drippers[next++ % drippers.size()]];
                if (s.fd >= 0 && send(s.fd, request.data() + s.sent % request.size(), 1, MSG_NOSIGNAL) == 1)
                    ++s.sent;
            }
        }
    }

    int port_;
    std::chrono::milliseconds dripEvery_;
    int epoll_ = -1;
    std::vector<Socket> sockets_;
    std::atomic<int> open_ = 0, reopened_ = 0;
    std::atomic<bool> stop_ = false;
    std::thread thread_;
};

bool hostile(const std::string &program, int seconds)
{
    std::printf("== hostile: 3000 idle connections, 500 dripping one byte every 2 s, for %d s: %s\n", seconds,
                program.c_str());
    Server server(program);
    if (server.port() <= 0)
        return false;
    std::vector<double> times;
    int failed = 0, minOpen = 1 << 30;
    {
        Attackers attackers(server.port(), 3000, 500, 2000ms);
        for (int i = 0; i < 100 && attackers.open() < 3500; ++i)
            std::this_thread::sleep_for(50ms);
        std::printf("  %d attacking connections open\n", attackers.open());
        const Clock::time_point start = Clock::now();
        for (int n = 0; secondsSince(start) < seconds; ++n) {
            // A player: the high-score page, then a post from an address of its own.
            const Clock::time_point t = Clock::now();
            const RawReply reply = n % 2 ? rawGet(server.port(), postTarget(n), loopback(9, n))
                                         : rawGet(server.port(), "/counter/quenvale.shtml");
            times.push_back(secondsSince(t));
            if (reply.status != 200)
                ++failed;
            minOpen = std::min(minOpen, attackers.open());
            std::this_thread::sleep_for(200ms);
        }
        std::printf("  at least %d attacking connections open throughout; the server cut off %d\n", minOpen,
                    attackers.reopened());
    }
    const Figures f = figures(times);
    std::printf("  normal requests: %zu, %d failed; median %.1f ms, worst %.1f ms\n", f.count, failed,
                f.median * 1000, f.worst * 1000);
    const auto [stopSeconds, stored] = server.stop();
    std::printf("  SIGTERM to exit: %.2f s\n", stopSeconds);
    return failed == 0 && f.worst < 1.0;
}

bool burst(const std::string &program, int posts)
{
    std::printf("== burst: %d simultaneous posts on a fresh server, each from its own address: %s\n", posts,
                program.c_str());
    raiseFileLimit();
    Server server(program);
    if (server.port() <= 0)
        return false;
    struct Post {
        int fd = -1;
        bool sent = false;
        std::string answer;
        double seconds = -1;
    };
    std::vector<Post> all(static_cast<std::size_t>(posts));
    const int ep = epoll_create1(EPOLL_CLOEXEC);
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < posts; ++i) {
        all[i].fd = connectFrom(server.port(), loopback(3, i), true);
        epoll_event ev{};
        ev.events = EPOLLOUT | EPOLLIN;
        ev.data.u64 = static_cast<std::uint64_t>(i);
        if (all[i].fd >= 0)
            epoll_ctl(ep, EPOLL_CTL_ADD, all[i].fd, &ev);
    }
    int pending = posts;
    epoll_event events[512];
    while (pending > 0 && secondsSince(start) < 60) {
        const int n = epoll_wait(ep, events, 512, 100);
        for (int k = 0; k < n; ++k) {
            Post &p = all[events[k].data.u64];
            if (!p.sent && (events[k].events & EPOLLOUT)) {
                const std::string request = "GET " + postTarget(static_cast<int>(events[k].data.u64)) +
                                            " HTTP/1.0\r\nUser-Agent: Quenvale HTTPGet\r\n\r\n";
                p.sent = send(p.fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size());
                epoll_event ev{};
                ev.events = EPOLLIN;
                ev.data.u64 = events[k].data.u64;
                epoll_ctl(ep, EPOLL_CTL_MOD, p.fd, &ev);
            }
            char buffer[4096];
            ssize_t got;
            while ((got = recv(p.fd, buffer, sizeof buffer, 0)) > 0)
                p.answer.append(buffer, static_cast<std::size_t>(got));
            if (got == 0 || (got < 0 && errno != EAGAIN)) {
                p.seconds = secondsSince(start);
                close(p.fd);
                p.fd = -1;
                --pending;
            }
        }
    }
    close(ep);
    std::vector<double> times;
    int ok = 0;
    for (Post &p : all) {
        if (p.fd >= 0)
            close(p.fd);
        if (parseReply(p.answer).status == 200) {
            ++ok;
            times.push_back(p.seconds);
        }
    }
    const Figures f = figures(times);
    const auto [stopSeconds, stored] = server.stop();
    std::printf("  answered 200: %d of %d (%d failed); median %.0f ms, slowest %.0f ms; stored %lld\n", ok, posts,
                posts - ok, f.median * 1000, f.worst * 1000, static_cast<long long>(stored));
    return ok == posts && stored == posts && f.worst < 5.0;
}

// Posts per second from `clients` players, each post on a connection of its own.
double sustained(const std::string &program, int posts, int clients)
{
    Server server(program);
    if (server.port() <= 0)
        return 0;
    std::atomic<int> next = 0, accepted = 0;
    std::vector<std::thread> players;
    const Clock::time_point start = Clock::now();
    for (int c = 0; c < clients; ++c) {
        players.emplace_back([&, c] {
            for (int i = next++; i < posts; i = next++)
                if (rawGet(server.port(), postTarget(i), loopback(16 + c, i)).status == 200)
                    ++accepted;
        });
    }
    for (std::thread &p : players)
        p.join();
    const double seconds = secondsSince(start);
    const auto [stopSeconds, stored] = server.stop();
    std::printf("  %s: %d posts in %.2f s: %.0f posts/s; %d answered 200, %lld stored\n", program.c_str(), posts,
                seconds, posts / seconds, accepted.load(), static_cast<long long>(stored));
    return accepted == posts && stored == posts ? posts / seconds : 0;
}

}  // namespace

int main(int argc, char **argv)
{
    std::string compare, only;
    int posts = 20000, hostileSeconds = 25;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.starts_with("--compare="))
            compare = arg.substr(10);
        else if (arg.starts_with("--only="))
            only = arg.substr(7);
        else if (arg.starts_with("--posts="))
            posts = std::max(1, std::atoi(arg.c_str() + 8));
        else if (arg.starts_with("--hostile-seconds="))
            hostileSeconds = std::max(1, std::atoi(arg.c_str() + 18));
        else if (!arg.starts_with("--benchmark"))  // scripts/bench passes these to every benchmark
            std::fprintf(stderr, "bench_server: ignoring %s\n", arg.c_str());
    }
    raiseFileLimit();
    signal(SIGPIPE, SIG_IGN);
    bool good = true;
    // The peer's figures are shown for comparison; only this build's must meet the targets.
    if (only.empty() || only == "hostile") {
        if (!compare.empty())
            hostile(compare, hostileSeconds);
        good = hostile(QV_SERVER_EXE, hostileSeconds) && good;
    }
    if (only.empty() || only == "burst") {
        if (!compare.empty())
            burst(compare, 2500);
        good = burst(QV_SERVER_EXE, 2500) && good;
    }
    if (only.empty() || only == "sustained") {
        // Three rounds, the two servers taking turns, so a busy moment of the
        // machine does not fall on one of them only; the medians are compared.
        std::printf("== sustained: %d posts from 16 players, a connection each, 3 rounds\n", posts);
        std::vector<double> peer, ours;
        for (int round = 0; round < 3; ++round) {
            if (!compare.empty())
                peer.push_back(sustained(compare, posts, 16));
            ours.push_back(sustained(QV_SERVER_EXE, posts, 16));
        }
        const Figures mine = figures(ours);
        std::printf("  median %.0f posts/s\n", mine.median);
        if (!compare.empty() && figures(peer).median > 0)
            std::printf("  ratio of medians to %s: %.2fx\n", compare.c_str(), mine.median / figures(peer).median);
        good = *std::min_element(ours.begin(), ours.end()) > 0 && good;
    }
    std::printf(good ? "bench_server: all targets met\n" : "bench_server: a target was missed\n");
    return good ? 0 : 1;
}
