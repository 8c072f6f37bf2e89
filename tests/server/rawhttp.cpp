#include "rawhttp.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

RawReply rawRequest(int port, const std::string &request)
{
    RawReply reply;
    const int sock = socket(AF_INET, SOCK_STREAM, 0);
    if (sock < 0)
        return reply;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string answer;
    if (connect(sock, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0) {
        std::size_t sent = 0;
        while (sent < request.size()) {
            const ssize_t n = send(sock, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                break;
            sent += static_cast<std::size_t>(n);
        }
        char buffer[16384];
        ssize_t n;
        while ((n = recv(sock, buffer, sizeof buffer, 0)) > 0)
            answer.append(buffer, static_cast<std::size_t>(n));
    }
    close(sock);

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

RawReply rawGet(int port, const std::string &target)
{
    return rawRequest(port, "GET " + target + " HTTP/1.0\r\n"
                            "Host: 127.0.0.1:" + std::to_string(port) + "\r\n"
                            "User-Agent: Quenvale HTTPGet\r\n\r\n");
}
