#include "server/httpmessage.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>

namespace {

constexpr std::size_t kMaxHeaderLines = 100;

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool isTokenChar(char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool isToken(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), isTokenChar);
}

bool equalsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x >= 'A' && x <= 'Z' ? x + 32 : x) == (y >= 'A' && y <= 'Z' ? y + 32 : y);
           });
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// Whether a comma-separated header value lists the token.
bool listsToken(std::string_view value, std::string_view token)
{
    while (!value.empty()) {
        const std::size_t comma = value.find(',');
        if (equalsNoCase(trimmed(value.substr(0, comma)), token))
            return true;
        value = comma == std::string_view::npos ? std::string_view{} : value.substr(comma + 1);
    }
    return false;
}

HeadParse refused(int status, std::string reason)
{
    HeadParse parse;
    parse.outcome = HeadParse::Refused;
    parse.status = status;
    parse.reason = std::move(reason);
    return parse;
}

// The end of the head: just past the first empty line, or npos.
std::size_t headEnd(std::string_view text, std::size_t from)
{
    for (std::size_t nl = text.find('\n', from); nl != std::string_view::npos; nl = text.find('\n', nl + 1)) {
        if (nl + 1 < text.size() && text[nl + 1] == '\n')
            return nl + 2;
        if (nl + 2 < text.size() && text[nl + 1] == '\r' && text[nl + 2] == '\n')
            return nl + 3;
    }
    return std::string_view::npos;
}

bool parseRequestLine(std::string_view line, HttpRequest &request, int &status)
{
    status = 400;
    const std::size_t sp1 = line.find(' ');
    const std::size_t sp2 = sp1 == std::string_view::npos ? sp1 : line.find(' ', sp1 + 1);
    if (sp2 == std::string_view::npos || line.find(' ', sp2 + 1) != std::string_view::npos)
        return false;
    const std::string_view method = line.substr(0, sp1);
    std::string_view target = line.substr(sp1 + 1, sp2 - sp1 - 1);
    const std::string_view version = line.substr(sp2 + 1);
    if (!isToken(method) || method.size() > 16 || target.empty())
        return false;
    for (char c : target)
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7f)
            return false;
    if (version.size() != 8 || !version.starts_with("HTTP/") || version[6] != '.' ||
        version[5] < '0' || version[5] > '9' || version[7] < '0' || version[7] > '9')
        return false;
    if (version[5] != '1') {
        status = 505;
        return false;
    }
    request.method = method;
    request.target = target;
    request.minorVersion = version[7] - '0';
    request.keepAlive = request.minorVersion >= 1;
    // A proxy may send the absolute form; only the path and query matter here.
    for (std::string_view scheme : {"http://", "https://"}) {
        if (target.size() > scheme.size() && equalsNoCase(target.substr(0, scheme.size()), scheme)) {
            const std::size_t slash = target.find('/', scheme.size());
            target = slash == std::string_view::npos ? std::string_view("/") : target.substr(slash);
        }
    }
    if (target.front() != '/')
        return false;
    const std::size_t mark = target.find('?');
    request.path = percentDecode(target.substr(0, mark), false);
    if (mark != std::string_view::npos)
        request.query = target.substr(mark + 1);
    return true;
}

}  // namespace

UniqueFd &UniqueFd::operator=(UniqueFd &&other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

UniqueFd::~UniqueFd()
{
    if (fd_ >= 0)
        ::close(fd_);
}

HttpResponse HttpResponse::text(int status, std::string body)
{
    HttpResponse response;
    response.status = status;
    response.contentType = "text/plain; charset=utf-8";
    response.body = std::move(body);
    return response;
}

std::string percentDecode(std::string_view text, bool plusIsSpace)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+' && plusIsSpace) {
            out += ' ';
        } else if (c == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

HeadParse parseRequestHead(std::string_view received, std::size_t maxHead, std::size_t maxBody)
{
    // Empty lines before a request are allowed, and some clients send one after a body.
    std::size_t start = 0;
    while (start < received.size() && (received[start] == '\r' || received[start] == '\n'))
        ++start;
    const std::size_t end = headEnd(received, start);
    if ((end == std::string_view::npos && received.size() > maxHead) ||
        (end != std::string_view::npos && end > maxHead))
        return refused(431, "The request head is too large.");
    if (end == std::string_view::npos)
        return {};

    HeadParse parse;
    HttpRequest &request = parse.request;
    std::string_view head = received.substr(start, end - start);
    std::size_t lines = 0;
    bool first = true, haveLength = false;
    while (!head.empty()) {
        const std::size_t nl = head.find('\n');
        std::string_view line = head.substr(0, nl);
        head.remove_prefix(nl + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            break;
        if (first) {
            int status = 400;
            if (!parseRequestLine(line, request, status))
                return refused(status, status == 505 ? "Only HTTP/1.0 and HTTP/1.1 are understood."
                                                     : "The request line is malformed.");
            first = false;
            continue;
        }
        if (++lines > kMaxHeaderLines)
            return refused(431, "The request has too many header lines.");
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || !isToken(line.substr(0, colon)))
            return refused(400, "A header line is malformed.");
        const std::string_view name = line.substr(0, colon);
        const std::string_view value = trimmed(line.substr(colon + 1));
        if (equalsNoCase(name, "Content-Length")) {
            std::size_t length = 0;
            const auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), length);
            if (value.empty() || value.size() > 18 || ec != std::errc{} || ptr != value.data() + value.size() ||
                (haveLength && length != request.contentLength))
                return refused(400, "The Content-Length header is malformed.");
            request.contentLength = length;
            haveLength = true;
        } else if (equalsNoCase(name, "Transfer-Encoding")) {
            return refused(501, "Transfer encodings are not supported; send a Content-Length.");
        } else if (equalsNoCase(name, "Connection")) {
            if (listsToken(value, "close"))
                request.keepAlive = false;
        } else if (equalsNoCase(name, "Expect")) {
            if (!equalsNoCase(value, "100-continue"))
                return refused(417, "Only 100-continue can be expected.");
            request.expectContinue = true;
        } else if (equalsNoCase(name, "X-Forwarded-For")) {
            const std::size_t comma = value.rfind(',');
            request.forwardedFor = trimmed(comma == std::string_view::npos ? value : value.substr(comma + 1));
        }
    }
    if (request.contentLength > maxBody)
        return refused(413, "The request body is too large.");
    parse.outcome = HeadParse::Complete;
    parse.headLength = end;
    return parse;
}

const char *statusText(int status)
{
    switch (status) {
    case 100: return "Continue";
    case 200: return "OK";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 409: return "Conflict";
    case 410: return "Gone";
    case 413: return "Content Too Large";
    case 417: return "Expectation Failed";
    case 429: return "Too Many Requests";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 503: return "Service Unavailable";
    case 505: return "HTTP Version Not Supported";
    default: return "Unknown";
    }
}

std::string responseHead(const HttpResponse &response, std::uint64_t bodyLength, bool keepAlive)
{
    std::string head = "HTTP/1.1 " + std::to_string(response.status) + " " + statusText(response.status) + "\r\n";
    if (!response.contentType.empty())
        head += "Content-Type: " + response.contentType + "\r\n";
    head += "Content-Length: " + std::to_string(bodyLength) + "\r\n";
    for (const auto &[name, value] : response.headers)
        head += name + ": " + value + "\r\n";
    head += keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
    return head;
}
