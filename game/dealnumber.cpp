#include "game/dealnumber.h"

#include <algorithm>
#include <limits>

namespace qv {

std::optional<std::uint32_t> parseDealNumber(std::string_view text, std::string *problem)
{
    auto refuse = [problem](const char *line) -> std::optional<std::uint32_t> {
        if (problem)
            *problem = line;
        return std::nullopt;
    };
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    if (text.empty())
        return refuse("Type the number of a deal.");
    if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return refuse("A deal number has digits only.");
    // Leading zeros change nothing; more digits than that is out of range at once.
    text.remove_prefix(std::min(text.find_first_not_of('0'), text.size() - 1));
    std::uint64_t value = 0;
    for (char c : text) {
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > std::numeric_limits<std::uint32_t>::max())
            return refuse("Deal numbers go from 0 to 4294967295.");
    }
    return static_cast<std::uint32_t>(value);
}

} // namespace qv
