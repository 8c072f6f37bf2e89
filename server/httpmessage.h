#pragma once
// The HTTP messages the score server understands: a request head parsed from the
// bytes received so far, and a reply turned into the bytes to send. Only what the
// game and small JSON clients need: GET, HEAD and POST with a Content-Length body;
// every size is bounded before anything is kept.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// An open file descriptor, closed with its owner.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd &&other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd &operator=(UniqueFd &&other) noexcept;
    ~UniqueFd();
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

struct HttpRequest {
    std::string method;
    std::string target;          // as sent
    std::string path;            // the target's path, percent-decoded
    std::string query;           // the text after '?', still encoded
    int minorVersion = 0;        // HTTP/1.x
    bool keepAlive = false;      // HTTP/1.1 unless "Connection: close"
    bool expectContinue = false;
    std::size_t contentLength = 0;
    std::string forwardedFor;    // the last address of X-Forwarded-For, if any
    std::string body;
    std::string client;          // the address limits are counted against
};

struct HttpResponse {
    int status = 200;
    std::string contentType;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
    // When open, the reply's body is this whole file of fileSize bytes instead.
    UniqueFd file;
    std::uint64_t fileSize = 0;
    bool close = false;          // end the connection after this reply

    static HttpResponse text(int status, std::string body);
};

struct HeadParse {
    enum Outcome { Incomplete, Complete, Refused } outcome = Incomplete;
    std::size_t headLength = 0;  // bytes of the head, blank line included
    HttpRequest request;         // when Complete
    int status = 0;              // when Refused: the reply's status and text
    std::string reason;
};

// Parses the request head at the start of the bytes received so far. A head
// longer than maxHead, or a body announced longer than maxBody, is refused.
HeadParse parseRequestHead(std::string_view received, std::size_t maxHead, std::size_t maxBody);

// Percent-decoding; '+' becomes a space only in query values. A '%' not
// followed by two hex digits stays as it is.
std::string percentDecode(std::string_view text, bool plusIsSpace);

const char *statusText(int status);

// The status line and headers of a reply with a body of bodyLength bytes.
std::string responseHead(const HttpResponse &response, std::uint64_t bodyLength, bool keepAlive);
