#include "rawhttp.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

RawConnection::RawConnection(int port, const std::string &from)
{
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        return;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    inet_pton(AF_INET, from.c_str(), &local.sin_addr);
    if (from != "127.0.0.1" && bind(fd_, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0)
        return;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = connect(fd_, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0;
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
