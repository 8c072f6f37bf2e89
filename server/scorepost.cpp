#include "server/scorepost.h"

#include <charconv>

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

struct RawFields {
    std::optional<std::string_view> name, date, score;
};

// The game puts the player's name into the query as typed, so a name such as
// "R&D" or "a=b" arrives with bare delimiters. The keys always come in the order
// name, date, score, and the date and score never hold "&date=" or "&score=",
// so anchoring on the last of those markers recovers the name whole.
std::optional<RawFields> splitInGameOrder(std::string_view query)
{
    constexpr std::string_view nameKey = "name=", dateKey = "&date=", scoreKey = "&score=";
    if (!query.starts_with(nameKey))
        return std::nullopt;
    const std::size_t scoreAt = query.rfind(scoreKey);
    if (scoreAt == std::string_view::npos || scoreAt < nameKey.size())
        return std::nullopt;
    const std::size_t dateAt = query.rfind(dateKey, scoreAt);
    if (dateAt == std::string_view::npos || dateAt < nameKey.size())
        return std::nullopt;
    RawFields fields;
    fields.name = query.substr(nameKey.size(), dateAt - nameKey.size());
    fields.date = query.substr(dateAt + dateKey.size(), scoreAt - dateAt - dateKey.size());
    fields.score = query.substr(scoreAt + scoreKey.size());
    return fields;
}

// Any other client: ordinary "key=value" pairs in any order, first one wins.
RawFields splitPairs(std::string_view query)
{
    RawFields fields;
    while (!query.empty()) {
        const std::size_t amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view{} : query.substr(amp + 1);
        const std::size_t eq = pair.find('=');
        const std::string key = decodeQueryValue(pair.substr(0, eq));
        const std::string_view value = eq == std::string_view::npos ? std::string_view{} : pair.substr(eq + 1);
        std::optional<std::string_view> *slot = key == "name"    ? &fields.name
                                               : key == "date"  ? &fields.date
                                               : key == "score" ? &fields.score
                                                                : nullptr;
        if (slot && !*slot)
            *slot = value;
    }
    return fields;
}

bool hasControlCharacter(std::string_view text)
{
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7f)
            return true;
    return false;
}

// Checks one text field; returns the reason it is refused, or an empty text.
std::string checkText(std::string_view label, const std::string &value, std::size_t maxChars)
{
    const std::string what = "The " + std::string(label);
    if (value.empty())
        return what + " is empty.";
    const std::optional<std::u32string> chars = decodeUtf8(value);
    if (!chars)
        return what + " is not valid UTF-8 text.";
    if (chars->size() > maxChars)
        return what + " is longer than " + std::to_string(maxChars) + " characters.";
    if (hasControlCharacter(value))
        return what + " contains control characters.";
    return {};
}

}  // namespace

std::string decodeQueryValue(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
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

std::optional<std::u32string> decodeUtf8(std::string_view text)
{
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t extra;
        char32_t cp;
        if (lead < 0x80) { extra = 0; cp = lead; }
        else if ((lead & 0xe0) == 0xc0) { extra = 1; cp = lead & 0x1f; }
        else if ((lead & 0xf0) == 0xe0) { extra = 2; cp = lead & 0x0f; }
        else if ((lead & 0xf8) == 0xf0) { extra = 3; cp = lead & 0x07; }
        else return std::nullopt;
        if (i + extra >= text.size())
            return std::nullopt;
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xc0) != 0x80)
                return std::nullopt;
            cp = (cp << 6) | (next & 0x3f);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        static constexpr char32_t minimum[] = {0, 0x80, 0x800, 0x10000};
        if (cp < minimum[extra] || (cp >= 0xd800 && cp <= 0xdfff) || cp > 0x10ffff)
            return std::nullopt;
        out += cp;
        i += extra + 1;
    }
    return out;
}

ScorePostParse parseScorePost(std::string_view query)
{
    const std::optional<RawFields> inOrder = splitInGameOrder(query);
    const RawFields raw = inOrder ? *inOrder : splitPairs(query);
    if (!raw.name)
        return {std::nullopt, "Missing name."};
    if (!raw.date)
        return {std::nullopt, "Missing date."};
    if (!raw.score)
        return {std::nullopt, "Missing score."};

    ScorePost post;
    post.name = decodeQueryValue(*raw.name);
    post.date = decodeQueryValue(*raw.date);
    if (std::string reason = checkText("name", post.name, kMaxNameChars); !reason.empty())
        return {std::nullopt, reason};
    if (std::string reason = checkText("date", post.date, kMaxDateChars); !reason.empty())
        return {std::nullopt, reason};

    const std::string score = decodeQueryValue(*raw.score);
    const char *first = score.data();
    const char *last = score.data() + score.size();
    const auto [end, error] = std::from_chars(first, last, post.score);
    if (score.empty() || error != std::errc{} || end != last)
        return {std::nullopt, "The score is not an integer."};
    return {std::move(post), {}};
}
