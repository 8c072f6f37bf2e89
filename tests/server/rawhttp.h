#pragma once
// Sends exact request bytes to a local server and reads the whole answer, the
// way the game's HTTP/1.0 client talks: one request per connection, nothing
// normalised or escaped on the way. Connections may come from any loopback
// address (127.0.0.0/8), so tests can play many clients.

#include <chrono>
#include <string>
#include <string_view>

struct RawReply {
    int status = 0;        // 0 when no status line came back
    std::string headers;   // the header lines, without the status line
    std::string body;
};

// Splits a received answer into status, headers and body.
RawReply parseReply(const std::string &answer);

RawReply rawRequest(int port, const std::string &request, const std::string &from = "127.0.0.1");
// A GET with the given request target ("/path?query"), sent as the game sends it.
RawReply rawGet(int port, const std::string &target, const std::string &from = "127.0.0.1");

// A connection to the local server from the given loopback address: its
// socket, or -1. A non-blocking connection may still be on its way.
int connectFrom(int port, const std::string &from, bool nonBlocking);

// A POST of a JSON body, as a ranked game's client sends it.
RawReply postJson(int port, const std::string &path, const std::string &body, const std::string &from = "127.0.0.1");

// The value of a key in a JSON reply as written: a string without its quotes
// (escapes left as they are), a number, or an array with its brackets. Empty
// when the key is missing.
std::string jsonField(const std::string &json, const std::string &key);

// A connection the test holds open and feeds by hand.
class RawConnection {
public:
    RawConnection(int port, const std::string &from = "127.0.0.1");
    ~RawConnection();
    RawConnection(const RawConnection &) = delete;
    RawConnection &operator=(const RawConnection &) = delete;

    bool connected() const { return connected_; }
    // False once the server has closed the connection.
    bool send(std::string_view bytes);
    // Everything received until the server closes, or until the wait is over.
    std::string readUntilClosed(std::chrono::milliseconds wait);
    // Whether the server closed the connection within the wait (reading and
    // dropping whatever it sent before).
    bool closedWithin(std::chrono::milliseconds wait);

private:
    int fd_ = -1;
    bool connected_ = false;
    bool closed_ = false;
};
