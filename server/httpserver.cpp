#include "server/httpserver.h"

#include "server/clientaddress.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace {

constexpr std::uint64_t kListenerId = 0;
constexpr std::uint64_t kWakeId = 1;
// The kernel caps this at net.core.somaxconn (4096 on current kernels).
constexpr int kListenBacklog = 4096;
constexpr std::size_t kReadChunk = 16384;
constexpr std::size_t kFileChunk = 256 * 1024;
// After refusing a request the rest of what the client sends is read and
// dropped for a moment, so closing does not reset the connection before the
// client has read the refusal.
constexpr auto kLingerTime = std::chrono::seconds(2);
constexpr std::size_t kLingerBytes = 64 * 1024;
constexpr auto kStopGrace = std::chrono::milliseconds(1000);

// One try at a short reply on a connection about to be closed; whatever does not
// fit the socket's buffer at once is not waited for.
void sendAndForget(int fd, const HttpResponse &response)
{
    const std::string bytes = responseHead(response, response.body.size(), false) + response.body;
    [[maybe_unused]] const ssize_t sent = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
}

}  // namespace

HttpServer::HttpServer(HttpLimits limits, Handler handler)
    : limits_(std::move(limits)), handler_(std::move(handler))
{
    // sendfile has no MSG_NOSIGNAL: a client that leaves in the middle of a
    // file (a game closed during its update download) would otherwise end the
    // whole server with SIGPIPE. The failed write is handled where it happens.
    std::signal(SIGPIPE, SIG_IGN);
    epoll_ = epoll_create1(EPOLL_CLOEXEC);
    wake_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    spare_ = open("/dev/null", O_RDONLY | O_CLOEXEC);
    pool_ = std::make_unique<WorkerPool>(limits_.workers);
}

HttpServer::~HttpServer()
{
    pool_.reset();  // every job still queued finishes first
    for (auto &[id, c] : connections_)
        close(c->fd);
    for (int fd : {listener_, epoll_, wake_, spare_})
        if (fd >= 0)
            close(fd);
}

int HttpServer::bind(const std::string &host, int port)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo *found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
        return -1;
    int bound = -1;
    for (addrinfo *a = found; a && bound < 0; a = a->ai_next) {
        const int fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0)
            continue;
        // No SO_REUSEPORT: a second server on the same port must fail, not
        // silently take half of the players' posts.
        int yes = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_storage local{};
        socklen_t length = sizeof local;
        if (::bind(fd, a->ai_addr, a->ai_addrlen) == 0 && ::listen(fd, kListenBacklog) == 0 &&
            getsockname(fd, reinterpret_cast<sockaddr *>(&local), &length) == 0) {
            listener_ = fd;
            bound = ntohs(local.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6 &>(local).sin6_port
                                                      : reinterpret_cast<sockaddr_in &>(local).sin_port);
        } else {
            close(fd);
        }
    }
    freeaddrinfo(found);
    return bound;
}

void HttpServer::stop()
{
    stopRequested_ = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(wake_, &one, sizeof one);
}

bool HttpServer::run()
{
    if (listener_ < 0 || epoll_ < 0 || wake_ < 0)
        return false;
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.u64 = kListenerId;
    epoll_ctl(epoll_, EPOLL_CTL_ADD, listener_, &ev);
    ev.data.u64 = kWakeId;
    epoll_ctl(epoll_, EPOLL_CTL_ADD, wake_, &ev);

    epoll_event events[256];
    for (;;) {
        if (stopRequested_ && !stopping_)
            beginStop();
        Clock::time_point now = Clock::now();
        if (stopping_ && (connections_.empty() || now >= stopDeadline_))
            break;
        const int n = epoll_wait(epoll_, events, 256, waitMilliseconds(now));
        if (n < 0 && errno != EINTR)
            return false;
        for (int i = 0; i < n; ++i) {
            const std::uint64_t id = events[i].data.u64;
            if (id == kListenerId) {
                acceptAll();
            } else if (id == kWakeId) {
                std::uint64_t count;
                [[maybe_unused]] const ssize_t r = read(wake_, &count, sizeof count);
                takeFinished();
            } else if (auto it = connections_.find(id); it != connections_.end()) {
                onEvent(*it->second, events[i].events);
            }
        }
        expire(Clock::now());
    }
    for (auto &[id, c] : connections_)
        close(c->fd);
    connections_.clear();
    perAddress_.clear();
    deadlines_.clear();
    return true;
}

int HttpServer::waitMilliseconds(Clock::time_point now) const
{
    Clock::time_point next = Clock::time_point::max();
    if (!deadlines_.empty())
        next = deadlines_.begin()->first;
    if (stopping_)
        next = std::min(next, stopDeadline_);
    if (next == Clock::time_point::max())
        return -1;
    if (next <= now)
        return 0;
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(next - now).count());
}

void HttpServer::acceptAll()
{
    for (;;) {
        sockaddr_storage peer{};
        socklen_t length = sizeof peer;
        const int fd = accept4(listener_, reinterpret_cast<sockaddr *>(&peer), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if ((errno == EMFILE || errno == ENFILE) && spare_ >= 0) {
                // Out of descriptors: take the connection with the spare one and
                // close it, rather than leave it to spin in the accept queue.
                close(spare_);
                const int turnedAway = accept(listener_, nullptr, nullptr);
                if (turnedAway >= 0)
                    close(turnedAway);
                spare_ = open("/dev/null", O_RDONLY | O_CLOEXEC);
                continue;
            }
            return;
        }
        std::string address = addressKey(reinterpret_cast<sockaddr *>(&peer));
        const bool proxy = !limits_.trustedProxy.empty() && address == limits_.trustedProxy;
        if (!proxy && perAddress_[address] >= limits_.perAddress) {
            sendAndForget(fd, HttpResponse::text(429, "Too many connections from your address.\n"));
            close(fd);
            continue;
        }
        if (connections_.size() >= limits_.maxConnections && !evictLongestWaiting()) {
            sendAndForget(fd, HttpResponse::text(503, "The server is busy. Please try again later.\n"));
            close(fd);
            continue;
        }
        addConnection(fd, std::move(address));
    }
}

void HttpServer::addConnection(int fd, std::string address)
{
    int yes = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    auto c = std::make_unique<Connection>();
    c->id = nextId_++;
    c->fd = fd;
    c->address = std::move(address);
    ++perAddress_[c->address];
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.u64 = c->id;
    epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &ev);
    setDeadline(*c, Clock::now() + limits_.requestTimeout);
    connections_.emplace(c->id, std::move(c));
}

void HttpServer::closeConnection(Connection &c)
{
    clearDeadline(c);
    close(c.fd);  // also takes it out of the epoll set
    auto count = perAddress_.find(c.address);
    if (count != perAddress_.end() && --count->second == 0)
        perAddress_.erase(count);
    connections_.erase(c.id);  // c is gone from here on
}

// The connection nearest its deadline that has not yet sent a whole request.
bool HttpServer::evictLongestWaiting()
{
    for (const auto &[when, id] : deadlines_) {
        Connection &c = *connections_.at(id);
        if (c.state == State::Reading || c.state == State::Lingering) {
            closeConnection(c);
            return true;
        }
    }
    return false;
}

void HttpServer::setDeadline(Connection &c, Clock::time_point when)
{
    clearDeadline(c);
    c.deadline = when;
    deadlines_.emplace(when, c.id);
}

void HttpServer::clearDeadline(Connection &c)
{
    if (c.deadline != Clock::time_point{})
        deadlines_.erase({c.deadline, c.id});
    c.deadline = {};
}

void HttpServer::watch(Connection &c, std::uint32_t events)
{
    epoll_event ev{};
    ev.events = events;
    ev.data.u64 = c.id;
    epoll_ctl(epoll_, EPOLL_CTL_MOD, c.fd, &ev);
}

void HttpServer::onEvent(Connection &c, std::uint32_t events)
{
    switch (c.state) {
    case State::Reading:
        if (readInto(c))
            processInput(c);
        break;
    case State::Handling:
        // The client went away while its request is answered: stop hearing about
        // it; the reply is dropped when it comes.
        if (events & (EPOLLHUP | EPOLLERR)) {
            c.peerGone = true;
            epoll_ctl(epoll_, EPOLL_CTL_DEL, c.fd, nullptr);
        }
        break;
    case State::Writing:
        if (events & (EPOLLHUP | EPOLLERR))
            closeConnection(c);
        else
            writeSome(c);
        break;
    case State::Lingering: {
        char buffer[kReadChunk];
        ssize_t n;
        while ((n = recv(c.fd, buffer, sizeof buffer, 0)) > 0 && c.discarded < kLingerBytes)
            c.discarded += static_cast<std::size_t>(n);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR) || c.discarded >= kLingerBytes)
            closeConnection(c);
        break;
    }
    }
}

// Reads what has arrived. False when the connection was closed.
bool HttpServer::readInto(Connection &c)
{
    char buffer[kReadChunk];
    const std::size_t limit = limits_.maxHead + limits_.maxBody + 1;
    for (;;) {
        const ssize_t n = recv(c.fd, buffer, sizeof buffer, 0);
        if (n > 0) {
            c.in.append(buffer, static_cast<std::size_t>(n));
            if (c.in.size() >= limit || static_cast<std::size_t>(n) < sizeof buffer)
                return true;
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return true;
        closeConnection(c);  // the client closed, or the connection failed
        return false;
    }
}

void HttpServer::processInput(Connection &c)
{
    HeadParse parse = parseRequestHead(c.in, limits_.maxHead, limits_.maxBody);
    if (parse.outcome == HeadParse::Incomplete)
        return;
    if (parse.outcome == HeadParse::Refused) {
        refuse(c, parse.status, parse.reason);
        return;
    }
    HttpRequest &request = parse.request;
    const std::size_t total = parse.headLength + request.contentLength;
    if (c.in.size() < total) {
        if (request.expectContinue && !c.continueSent) {
            c.continueSent = true;
            const std::string interim = "HTTP/1.1 100 Continue\r\n\r\n";
            if (send(c.fd, interim.data(), interim.size(), MSG_NOSIGNAL | MSG_DONTWAIT) !=
                static_cast<ssize_t>(interim.size()))
                closeConnection(c);
        }
        return;
    }
    request.body = c.in.substr(parse.headLength, request.contentLength);
    c.in.erase(0, total);
    c.continueSent = false;
    request.client = c.address;
    if (!limits_.trustedProxy.empty() && c.address == limits_.trustedProxy && !request.forwardedFor.empty())
        request.client = addressKey(request.forwardedFor).value_or(c.address);
    c.keepAlive = request.keepAlive;

    c.state = State::Handling;
    clearDeadline(c);
    watch(c, 0);
    const bool headOnly = request.method == "HEAD";
    pool_->submit([this, id = c.id, request = std::move(request), headOnly] {
        HttpResponse response;
        try {
            response = handler_(request);
        } catch (const std::exception &) {
            response = HttpResponse::text(500, "The server could not answer this request.\n");
        }
        {
            std::lock_guard lock(finishedMutex_);
            finished_.push_back({id, std::move(response), headOnly});
        }
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = write(wake_, &one, sizeof one);
    });
}

void HttpServer::refuse(Connection &c, int status, const std::string &reason)
{
    HttpResponse response = HttpResponse::text(status, reason + "\n");
    response.close = true;
    c.lingerAfterReply = true;
    startReply(c, std::move(response), false);
}

void HttpServer::takeFinished()
{
    std::vector<Finished> finished;
    {
        std::lock_guard lock(finishedMutex_);
        finished.swap(finished_);
    }
    for (Finished &f : finished) {
        auto it = connections_.find(f.id);
        if (it == connections_.end())
            continue;
        Connection &c = *it->second;
        if (c.peerGone) {
            closeConnection(c);
            continue;
        }
        startReply(c, std::move(f.response), f.headOnly);
    }
}

void HttpServer::startReply(Connection &c, HttpResponse response, bool headOnly)
{
    if (response.close || stopping_)
        c.keepAlive = false;
    const std::uint64_t length = response.file ? response.fileSize : response.body.size();
    c.out = responseHead(response, length, c.keepAlive);
    if (!headOnly) {
        c.out += response.body;
        c.file = std::move(response.file);
        c.fileSize = response.fileSize;
    }
    c.fileSent = 0;
    c.outSent = 0;
    c.state = State::Writing;
    setDeadline(c, stopping_ ? stopDeadline_ : Clock::now() + limits_.requestTimeout);
    watch(c, EPOLLOUT);
    writeSome(c);
}

void HttpServer::writeSome(Connection &c)
{
    bool progress = false;
    while (c.outSent < c.out.size()) {
        const ssize_t n = send(c.fd, c.out.data() + c.outSent, c.out.size() - c.outSent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            break;
        if (n <= 0) {
            closeConnection(c);
            return;
        }
        c.outSent += static_cast<std::size_t>(n);
        progress = true;
    }
    while (c.outSent == c.out.size() && c.file && c.fileSent < c.fileSize) {
        off_t offset = static_cast<off_t>(c.fileSent);
        const ssize_t n = sendfile(c.fd, c.file.get(), &offset, std::min<std::uint64_t>(kFileChunk, c.fileSize - c.fileSent));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            break;
        if (n <= 0) {  // the file shrank while it was sent, or the client left
            closeConnection(c);
            return;
        }
        c.fileSent += static_cast<std::uint64_t>(n);
        progress = true;
    }
    if (c.outSent == c.out.size() && (!c.file || c.fileSent == c.fileSize)) {
        finishReply(c);
        return;
    }
    if (progress && !stopping_)
        setDeadline(c, Clock::now() + limits_.requestTimeout);
}

void HttpServer::finishReply(Connection &c)
{
    c.out.clear();
    c.out.shrink_to_fit();
    c.file = UniqueFd();
    if (!c.keepAlive) {
        // Bytes the client sent past the request (or the rest of a refused one)
        // would turn a plain close into a reset that can destroy the reply.
        if (c.lingerAfterReply || !c.in.empty())
            linger(c);
        else
            closeConnection(c);
        return;
    }
    c.state = State::Reading;
    setDeadline(c, Clock::now() + limits_.requestTimeout);
    watch(c, EPOLLIN);
    if (!c.in.empty())
        processInput(c);  // a request that came right behind the last one
}

void HttpServer::linger(Connection &c)
{
    shutdown(c.fd, SHUT_WR);
    c.state = State::Lingering;
    c.in.clear();
    c.in.shrink_to_fit();
    c.discarded = 0;
    setDeadline(c, Clock::now() + kLingerTime);
    watch(c, EPOLLIN);
}

void HttpServer::expire(Clock::time_point now)
{
    while (!deadlines_.empty() && deadlines_.begin()->first <= now) {
        Connection &c = *connections_.at(deadlines_.begin()->second);
        // A client that began a request and did not finish it in time is told so.
        if (c.state == State::Reading && !c.in.empty())
            sendAndForget(c.fd, HttpResponse::text(408, "The request took too long to arrive.\n"));
        closeConnection(c);
    }
}

void HttpServer::beginStop()
{
    stopping_ = true;
    stopDeadline_ = Clock::now() + kStopGrace;
    if (listener_ >= 0) {
        close(listener_);
        listener_ = -1;
    }
    std::vector<Connection *> waiting;
    for (auto &[id, c] : connections_) {
        if (c->state == State::Reading || c->state == State::Lingering)
            waiting.push_back(c.get());
        else
            c->keepAlive = false;
    }
    for (Connection *c : waiting)
        closeConnection(*c);
    for (auto &[id, c] : connections_)
        if (c->state == State::Writing)
            setDeadline(*c, std::min(c->deadline, stopDeadline_));
}
