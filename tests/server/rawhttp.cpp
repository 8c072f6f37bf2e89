#include "rawhttp.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

int connectFrom(int port, const std::string &from, bool nonBlocking)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | (nonBlocking ? SOCK_NONBLOCK : 0), 0);
    if (fd < 0)
        return -1;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    inet_pton(AF_INET, from.c_str(), &local.sin_addr);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(static_cast<uint16_t>(port));
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int yes = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    // The port is picked at connect, so many connections from one address can
    // share ports toward different servers, as without the bind.
    setsockopt(fd, IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &yes, sizeof yes);
    if (bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0 ||
        (connect(fd, reinterpret_cast<sockaddr *>(&server), sizeof server) != 0 && errno != EINPROGRESS)) {
        close(fd);
        return -1;
    }
    return fd;
}

RawConnection::RawConnection(int port, const std::string &from)
    : fd_(connectFrom(port, from, false)), connected_(fd_ >= 0)
{
}

RawConnection::~RawConnection()
{
    if (fd_ >= 0)
        close(fd_);
}

bool RawConnection::send(std::string_view bytes)
{
    std::size_t sent = 0;
    while (connected_ && sent < bytes.size()) {
        const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return connected_;
}

std::string RawConnection::readUntilClosed(std::chrono::milliseconds wait)
{
    std::string answer;
    const Clock::time_point end = Clock::now() + wait;
    while (connected_ && !closed_) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        pollfd p{fd_, POLLIN, 0};
        if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0)
            break;
        char buffer[16384];
        const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
        if (n <= 0)
            closed_ = true;
        else
            answer.append(buffer, static_cast<std::size_t>(n));
    }
    return answer;
}

bool RawConnection::closedWithin(std::chrono::milliseconds wait)
{
    readUntilClosed(wait);
    return closed_;
}

RawReply parseReply(const std::string &answer)
{
    RawReply reply;
    const std::size_t lineEnd = answer.find("\r\n");
    const std::size_t headEnd = answer.find("\r\n\r\n");
    if (lineEnd == std::string::npos || headEnd == std::string::npos || answer.compare(0, 5, "HTTP/") != 0)
        return reply;
    const std::size_t space = answer.find(' ');
    reply.status = std::atoi(answer.c_str() + space + 1);
    reply.headers = answer.substr(lineEnd + 2, headEnd - lineEnd);
    reply.body = answer.substr(headEnd + 4);
    return reply;
}

RawReply rawRequest(int port, const std::string &request, const std::string &from)
{
    RawConnection connection(port, from);
    if (!connection.send(request))
        return {};
    return parseReply(connection.readUntilClosed(std::chrono::seconds(30)));
}

RawReply rawGet(int port, const std::string &target, const std::string &from)
{
    return rawRequest(port, "GET " + target + " HTTP/1.0\r\n"
                            "Host: 127.0.0.1:" + std::to_string(port) + "\r\n"
                            "User-Agent: Quenvale HTTPGet\r\n\r\n", from);
}

RawReply postJson(int port, const std::string &path, const std::string &body, const std::string &from)
{
    return rawRequest(port, "POST " + path + " HTTP/1.0\r\nContent-Type: application/json\r\nContent-Length: " +
                                std::to_string(body.size()) + "\r\n\r\n" + body, from);
}

std::string jsonField(const std::string &json, const std::string &key)
{
    const std::string marker = "\"" + key + "\": ";
    const std::size_t at = json.find(marker);
    if (at == std::string::npos)
        return {};
    const std::size_t start = at + marker.size();
    if (json[start] == '"') {
        std::size_t end = start + 1;
        while (end < json.size() && json[end] != '"')
            end += json[end] == '\\' ? 2 : 1;
        return json.substr(start + 1, end - start - 1);
    }
    const std::size_t end = json[start] == '[' ? json.find(']', start) + 1 : json.find_first_of(",}", start);
    return json.substr(start, end - start);
}
