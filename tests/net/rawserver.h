// A small HTTP test server on 127.0.0.1 built on plain sockets: it records the
// exact bytes of every request and lets each test write any reply it likes.
#pragma once

#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

class RawServer
{
public:
    struct Connection
    {
        RawServer &server;
        int fd;
        std::string request; // header block and body, as received

        // False once the client has gone away.
        bool send(std::string_view bytes);
        // Blocks until the test calls release() or the server shuts down.
        void waitReleased();
    };
    using Handler = std::function<void(Connection &)>;

    // Each connection is served on a thread of its own. With
    // readRequest false the handler runs as soon as a client connects.
    explicit RawServer(Handler handler, bool readRequest = true);
    ~RawServer();

    int port() const { return port_; }
    QString url(std::string_view path) const;
    std::vector<std::string> requests() const;
    int requestCount() const;
    void release();

    // "HTTP/1.0 <status>" with an optional Content-Length, extra header lines
    // (each ending in "\r\n") and the body.
    static std::string reply(std::string_view status, std::string_view body, bool withLength = true,
                             std::string_view headers = {});
    // A port on 127.0.0.1 where nothing listens.
    static int closedPort();

private:
    void serve();
    void answer(int fd);
    std::string readRequest(int fd);

    Handler handler_;
    bool readRequest_;
    int listenFd_ = -1;
    int wakeFds_[2] = {-1, -1};
    int port_ = 0;
    mutable std::mutex mutex_;
    std::condition_variable releasedChanged_;
    bool released_ = false;
    bool stopping_ = false;
    std::vector<std::string> requests_;
    std::thread thread_;
};
