#include "server/json.h"

#include "server/scorepost.h"

#include <charconv>
#include <cstdio>

namespace {

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    void skipSpace()
    {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' || text_[pos_] == '\r'))
            ++pos_;
    }
    bool take(char c)
    {
        skipSpace();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    bool atEnd()
    {
        skipSpace();
        return pos_ == text_.size();
    }
    char peek()
    {
        skipSpace();
        return pos_ < text_.size() ? text_[pos_] : '\0';
    }

    std::optional<std::string> string()
    {
        if (!take('"'))
            return std::nullopt;
        std::string out;
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (c == '"')
                return decodeUtf8(out) ? std::optional(out) : std::nullopt;
            if (static_cast<unsigned char>(c) < 0x20)
                return std::nullopt;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= text_.size())
                return std::nullopt;
            const char e = text_[pos_++];
            switch (e) {
            case '"': case '\\': case '/': out += e; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                std::optional<char32_t> cp = hex4();
                if (!cp)
                    return std::nullopt;
                if (*cp >= 0xd800 && *cp <= 0xdbff) {
                    if (pos_ + 1 >= text_.size() || text_[pos_] != '\\' || text_[pos_ + 1] != 'u')
                        return std::nullopt;
                    pos_ += 2;
                    const std::optional<char32_t> low = hex4();
                    if (!low || *low < 0xdc00 || *low > 0xdfff)
                        return std::nullopt;
                    cp = 0x10000 + ((*cp - 0xd800) << 10) + (*low - 0xdc00);
                } else if (*cp >= 0xdc00 && *cp <= 0xdfff) {
                    return std::nullopt;
                }
                appendUtf8(out, *cp);
                break;
            }
            default:
                return std::nullopt;
            }
        }
        return std::nullopt;
    }

    std::optional<std::int64_t> number()
    {
        skipSpace();
        const char *first = text_.data() + pos_;
        const char *last = text_.data() + text_.size();
        std::int64_t value = 0;
        const auto [end, ec] = std::from_chars(first, last, value);
        if (ec != std::errc{} || end == first)
            return std::nullopt;
        // Leading zeros, fractions and exponents are not whole numbers as JSON writes them.
        const std::string_view digits(first, static_cast<std::size_t>(end - first));
        if (digits.size() > 1 && (digits.starts_with("0") || digits.starts_with("-0")))
            return std::nullopt;
        if (end < last && (*end == '.' || *end == 'e' || *end == 'E'))
            return std::nullopt;
        pos_ += digits.size();
        return value;
    }

private:
    std::optional<char32_t> hex4()
    {
        if (pos_ + 4 > text_.size())
            return std::nullopt;
        char32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[pos_++];
            const int digit = c >= '0' && c <= '9' ? c - '0'
                            : c >= 'a' && c <= 'f' ? c - 'a' + 10
                            : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                   : -1;
            if (digit < 0)
                return std::nullopt;
            value = value * 16 + static_cast<char32_t>(digit);
        }
        return value;
    }

    static void appendUtf8(std::string &out, char32_t cp)
    {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xc0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3f));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xe0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3f));
            out += static_cast<char>(0x80 | (cp & 0x3f));
        } else {
            out += static_cast<char>(0xf0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3f));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3f));
            out += static_cast<char>(0x80 | (cp & 0x3f));
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

JsonParse failure(std::string error)
{
    return {std::nullopt, std::move(error)};
}

}  // namespace

JsonParse parseFlatObject(std::string_view text)
{
    Reader in(text);
    if (!in.take('{'))
        return failure("The request is not a JSON object.");
    JsonObject object;
    if (!in.take('}')) {
        do {
            std::optional<std::string> key = in.string();
            if (!key || !in.take(':'))
                return failure("The request is not valid JSON.");
            JsonValue value;
            if (in.peek() == '"') {
                std::optional<std::string> s = in.string();
                if (!s)
                    return failure("The request is not valid JSON.");
                value = std::move(*s);
            } else if (std::optional<std::int64_t> n = in.number()) {
                value = *n;
            } else {
                return failure("\"" + *key + "\" must be a string or a whole number.");
            }
            if (!object.emplace(std::move(*key), std::move(value)).second)
                return failure("A key is given twice.");
        } while (in.take(','));
        if (!in.take('}'))
            return failure("The request is not valid JSON.");
    }
    if (!in.atEnd())
        return failure("The request holds more than one JSON object.");
    return {std::move(object), {}};
}

std::string jsonString(std::string_view utf8)
{
    const std::u32string chars = decodeUtf8(utf8).value_or(U"\uFFFD");
    std::string out = "\"";
    for (char32_t c : chars) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
        } else {
            char escape[16];
            if (c < 0x10000) {
                std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            } else {
                const char32_t v = c - 0x10000;
                std::snprintf(escape, sizeof escape, "\\u%04x\\u%04x", static_cast<unsigned>(0xd800 + (v >> 10)),
                              static_cast<unsigned>(0xdc00 + (v & 0x3ff)));
            }
            out += escape;
        }
    }
    return out + "\"";
}
