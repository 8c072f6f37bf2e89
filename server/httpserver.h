#pragma once
// The score server's HTTP side: one thread waits on every connection through
// epoll, so thousands of idle or slow clients cost a few hundred bytes each and
// never hold up anyone else; complete requests are answered on a worker pool.
//
// Every connection has a deadline: a whole request (head and body) must arrive
// within the request time-out from the moment the server starts waiting for it,
// however slowly its bytes trickle in, and a reply that makes no progress for as
// long is dropped. Each address may hold only so many connections, and when all
// connection places are taken the one that has waited longest for its request
// makes room for the newcomer.

#include "server/httpmessage.h"
#include "server/workerpool.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

struct HttpLimits {
    std::size_t maxConnections = 10000;
    std::size_t perAddress = 64;
    std::chrono::milliseconds requestTimeout{10000};
    std::size_t maxHead = 8192;
    std::size_t maxBody = 4096;
    int workers = 16;
    std::string trustedProxy;  // the address key of a reverse proxy, if any
};

class HttpServer {
public:
    // Runs on a worker thread for every complete request.
    using Handler = std::function<HttpResponse(const HttpRequest &)>;
    using Clock = std::chrono::steady_clock;

    HttpServer(HttpLimits limits, Handler handler);
    ~HttpServer();
    HttpServer(const HttpServer &) = delete;
    HttpServer &operator=(const HttpServer &) = delete;

    // Binds the listening socket; port 0 picks a free one. Returns the port
    // bound, or -1 when the address cannot be used (also when it is taken).
    int bind(const std::string &host, int port);
    // Serves until stop(). Then no new connection is taken, connections still
    // waiting for a request are closed, and requests already received are
    // answered, for at most a second, before it returns.
    bool run();
    // Safe from any thread and at any time, also before run().
    void stop();

private:
    enum class State { Reading, Handling, Writing, Lingering };
    struct Connection {
        std::uint64_t id = 0;
        int fd = -1;
        std::string address;  // its address key, for the per-address count
        State state = State::Reading;
        std::string in;
        std::string out;
        std::size_t outSent = 0;
        UniqueFd file;
        std::uint64_t fileSent = 0, fileSize = 0;
        bool keepAlive = false;
        bool continueSent = false;
        bool peerGone = false;
        bool lingerAfterReply = false;
        std::size_t discarded = 0;  // bytes dropped while lingering
        Clock::time_point deadline{};
    };
    struct Finished {
        std::uint64_t id;
        HttpResponse response;
        bool headOnly;
    };

    void acceptAll();
    void addConnection(int fd, std::string address);
    void closeConnection(Connection &c);
    bool evictLongestWaiting();
    void onEvent(Connection &c, std::uint32_t events);
    bool readInto(Connection &c);
    void processInput(Connection &c);
    void refuse(Connection &c, int status, const std::string &reason);
    void startReply(Connection &c, HttpResponse response, bool headOnly);
    void writeSome(Connection &c);
    void finishReply(Connection &c);
    void linger(Connection &c);
    void takeFinished();
    void expire(Clock::time_point now);
    void beginStop();
    void setDeadline(Connection &c, Clock::time_point when);
    void clearDeadline(Connection &c);
    void watch(Connection &c, std::uint32_t events);
    int waitMilliseconds(Clock::time_point now) const;

    HttpLimits limits_;
    Handler handler_;
    int listener_ = -1;
    int epoll_ = -1;
    int wake_ = -1;        // eventfd: a worker finished, or stop() was called
    int spare_ = -1;       // kept open to turn away a connection when out of descriptors
    std::atomic<bool> stopRequested_ = false;
    bool stopping_ = false;
    Clock::time_point stopDeadline_{};

    std::uint64_t nextId_ = 2;  // 0 and 1 are the listener and the wake-up
    std::unordered_map<std::uint64_t, std::unique_ptr<Connection>> connections_;
    std::unordered_map<std::string, std::size_t> perAddress_;
    std::set<std::pair<Clock::time_point, std::uint64_t>> deadlines_;

    std::mutex finishedMutex_;
    std::vector<Finished> finished_;
    std::unique_ptr<WorkerPool> pool_;
};
