#include "server/scorepost.h"

#include "server/httpmessage.h"

#include <algorithm>
#include <charconv>
#include <initializer_list>

namespace {

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

struct CodeRange {
    char32_t first, last;
};

bool inRanges(char32_t c, std::initializer_list<CodeRange> ranges)
{
    return std::any_of(ranges.begin(), ranges.end(), [c](CodeRange r) { return c >= r.first && c <= r.last; });
}

bool isControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) || c == 0x2028 || c == 0x2029;
}

// Characters that show nothing or turn the text around (Unicode's format
// characters, the Hangul fillers, joiners and variation selectors): with them
// one name can be made to look like another.
bool isInvisible(char32_t c)
{
    return inRanges(c, {{0x00ad, 0x00ad}, {0x034f, 0x034f}, {0x0600, 0x0605}, {0x061c, 0x061c},
                        {0x06dd, 0x06dd}, {0x070f, 0x070f}, {0x0890, 0x0891}, {0x08e2, 0x08e2},
                        {0x115f, 0x1160}, {0x17b4, 0x17b5}, {0x180b, 0x180f}, {0x200b, 0x200f},
                        {0x202a, 0x202e}, {0x2060, 0x206f}, {0x3164, 0x3164}, {0xfe00, 0xfe0f},
                        {0xfeff, 0xfeff}, {0xffa0, 0xffa0}, {0xfff9, 0xfffb}, {0x110bd, 0x110bd},
                        {0x110cd, 0x110cd}, {0x13430, 0x1343f}, {0x1bca0, 0x1bca3}, {0x1d173, 0x1d17a},
                        {0xe0000, 0xe0fff}});
}

bool isNonCharacter(char32_t c)
{
    return (c >= 0xfdd0 && c <= 0xfdef) || (c & 0xfffe) == 0xfffe;
}

bool isSpace(char32_t c)
{
    return inRanges(c, {{0x20, 0x20}, {0xa0, 0xa0}, {0x1680, 0x1680}, {0x2000, 0x200a}, {0x202f, 0x202f},
                        {0x205f, 0x205f}, {0x3000, 0x3000}});
}

}  // namespace

std::string textRefusal(std::string_view label, const std::string &value, std::size_t maxChars)
{
    const std::string what = "The " + std::string(label);
    if (value.empty())
        return what + " is empty.";
    const std::optional<std::u32string> chars = decodeUtf8(value);
    if (!chars)
        return what + " is not valid UTF-8 text.";
    if (chars->size() > maxChars)
        return what + " is longer than " + std::to_string(maxChars) + " characters.";
    if (std::any_of(chars->begin(), chars->end(), isControl))
        return what + " contains control characters.";
    if (std::any_of(chars->begin(), chars->end(), isInvisible))
        return what + " contains invisible or direction-changing characters.";
    if (std::any_of(chars->begin(), chars->end(), isNonCharacter))
        return what + " contains Unicode non-characters.";
    if (std::all_of(chars->begin(), chars->end(), isSpace))
        return what + " is only spaces.";
    return {};
}

std::string decodeQueryValue(std::string_view text)
{
    return percentDecode(text, true);
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
    if (std::string reason = textRefusal("name", post.name, kMaxNameChars); !reason.empty())
        return {std::nullopt, reason};
    if (std::string reason = textRefusal("date", post.date, kMaxDateChars); !reason.empty())
        return {std::nullopt, reason};

    const std::string score = decodeQueryValue(*raw.score);
    const char *first = score.data();
    const char *last = score.data() + score.size();
    const auto [end, error] = std::from_chars(first, last, post.score);
    if (score.empty() || error != std::errc{} || end != last)
        return {std::nullopt, "The score is not an integer."};
    if (post.score < 0 || post.score > kMaxScore)
        return {std::nullopt, "The score must be from 0 to " + std::to_string(kMaxScore) + "."};
    return {std::move(post), {}};
}
