#pragma once
// A posted score as the game sends it: the query "name=...&date=...&score=..."
// of the score script, decoded and checked before anything is stored.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct ScorePost {
    std::string name;  // UTF-8, 1 to kMaxNameChars characters
    std::string date;  // the player's local date as the game formats it
    std::int64_t score = 0;
};

inline constexpr std::size_t kMaxNameChars = 32;
inline constexpr std::size_t kMaxDateChars = 16;
// Far above any real game's score, far below what breaks a page or a sum.
inline constexpr std::int64_t kMaxScore = 100000;

struct ScorePostParse {
    std::optional<ScorePost> post;
    std::string reason;  // why the post was refused, when there is no post
};

// Decodes and validates the raw (still percent-encoded) query text.
ScorePostParse parseScorePost(std::string_view query);

// Why a name or date shown on the pages is refused, or an empty text when it is
// taken: empty, not UTF-8, longer than maxChars characters, holding control,
// invisible or direction-changing characters or non-characters, or only spaces.
std::string textRefusal(std::string_view label, const std::string &value, std::size_t maxChars);

// Percent-decoding with '+' as a space; a '%' not followed by two hex digits
// stays as it is, since the game sends what the player typed unescaped.
std::string decodeQueryValue(std::string_view text);

// The characters of valid UTF-8 text, or nothing when it is not UTF-8.
std::optional<std::u32string> decodeUtf8(std::string_view text);
