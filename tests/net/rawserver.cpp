#include "rawserver.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace {

sockaddr_in loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

int boundSocket()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(0);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
        throw std::runtime_error("cannot bind a test socket");
    return fd;
}

int portOf(int fd)
{
    sockaddr_in address{};
    socklen_t size = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &size);
    return ntohs(address.sin_port);
}

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

} // namespace

bool RawServer::Connection::send(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        bytes.remove_prefix(size_t(sent));
    }
    return true;
}

void RawServer::Connection::waitReleased()
{
    std::unique_lock lock(server.mutex_);
    server.releasedChanged_.wait(lock, [this] { return server.released_ || server.stopping_; });
}

RawServer::RawServer(Handler handler, bool readRequest)
    : handler_(std::move(handler)), readRequest_(readRequest)
{
    listenFd_ = boundSocket();
    port_ = portOf(listenFd_);
    if (::listen(listenFd_, 8) != 0 || ::pipe2(wakeFds_, O_CLOEXEC) != 0)
        throw std::runtime_error("cannot listen on a test socket");
    thread_ = std::thread([this] { serve(); });
}

RawServer::~RawServer()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    releasedChanged_.notify_all();
    (void)!::write(wakeFds_[1], "x", 1);
    thread_.join();
    ::close(listenFd_);
    ::close(wakeFds_[0]);
    ::close(wakeFds_[1]);
}

QString RawServer::url(std::string_view path) const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(port_) + QString::fromUtf8(path.data(), qsizetype(path.size()));
}

std::vector<std::string> RawServer::requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

int RawServer::requestCount() const
{
    std::lock_guard lock(mutex_);
    return int(requests_.size());
}

void RawServer::release()
{
    {
        std::lock_guard lock(mutex_);
        released_ = true;
    }
    releasedChanged_.notify_all();
}

std::string RawServer::reply(std::string_view status, std::string_view body, bool withLength,
                             std::string_view headers)
{
    std::string text = "HTTP/1.0 " + std::string(status) + "\r\n";
    if (withLength)
        text += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    text += std::string(headers) + "\r\n" + std::string(body);
    return text;
}

int RawServer::closedPort()
{
    const int fd = boundSocket();
    const int port = portOf(fd);
    ::close(fd);
    return port;
}

void RawServer::serve()
{
    std::vector<std::thread> connections;
    for (;;) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wakeFds_[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 || (fds[1].revents & POLLIN))
            break;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0)
            connections.emplace_back([this, fd] { answer(fd); });
    }
    for (std::thread &connection : connections)
        connection.join();
}

void RawServer::answer(int fd)
{
    Connection connection{*this, fd, readRequest_ ? readRequest(fd) : std::string()};
    if (readRequest_) {
        std::lock_guard lock(mutex_);
        requests_.push_back(connection.request);
    }
    handler_(connection);
    ::shutdown(fd, SHUT_WR);
    ::close(fd);
}

// Reads the header block and as much body as Content-Length announces.
std::string RawServer::readRequest(int fd)
{
    timeval timeout{2, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::string request;
    size_t wanted = std::string::npos;
    char buffer[4096];
    while (request.size() < wanted) {
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        request.append(buffer, size_t(got));
        const size_t end = request.find("\r\n\r\n");
        if (wanted == std::string::npos && end != std::string::npos) {
            const std::string head = lower(request.substr(0, end));
            const size_t at = head.find("\r\ncontent-length:");
            wanted = end + 4 + (at == std::string::npos ? 0 : std::stoul(head.substr(at + 17)));
        }
    }
    return request;
}
