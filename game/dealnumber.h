#pragma once
// A deal's number: the generator state its shuffle starts from, 0 to 4294967295.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

// A deal number as it is typed or stored: decimal digits only, with blanks
// around them allowed. Nothing for anything else; problem, when given, then
// holds the line that tells the player what is wrong.
std::optional<std::uint32_t> parseDealNumber(std::string_view text, std::string *problem = nullptr);

} // namespace qv
