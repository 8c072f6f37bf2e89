#pragma once
// Sends exact request bytes to a local server and reads the whole answer, the
// way the game's HTTP/1.0 client talks: one request per connection, nothing
// normalised or escaped on the way.

#include <string>

struct RawReply {
    int status = 0;        // 0 when no status line came back
    std::string headers;   // the header lines, without the status line
    std::string body;
};

RawReply rawRequest(int port, const std::string &request);
// A GET with the given request target ("/path?query"), sent as the game sends it.
RawReply rawGet(int port, const std::string &target);
