#pragma once
// The little JSON the ranked games speak: requests are flat objects of strings
// and whole numbers, replies are written with the helpers below.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

using JsonValue = std::variant<std::string, std::int64_t>;
using JsonObject = std::map<std::string, JsonValue, std::less<>>;

struct JsonParse {
    std::optional<JsonObject> object;
    std::string error;  // when there is no object
};

// One object whose values are strings or whole numbers; anything else (nested
// values, fractions, true, false, null, a key given twice) is refused.
JsonParse parseFlatObject(std::string_view text);

// A JSON string literal, quotes included; text past ASCII is written as \u
// escapes, so a reply is plain ASCII whatever the names hold.
std::string jsonString(std::string_view utf8);
