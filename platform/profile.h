#pragma once

// Private-profile (INI) files: "[section]" headers and "key=value" lines.
// Section and key names match without regard to ASCII case; the first match
// wins. Files are UTF-8 (an optional byte-order mark is kept); "\n" and "\r\n"
// line ends are both read, and a write keeps the file's own style.

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

// Longest value returned by readProfileString, in characters.
inline constexpr std::size_t kProfileValueMax = 2047;

// The value of key in section, with surrounding blanks removed and cut to
// kProfileValueMax characters; def when the file, section or key is missing or
// the file cannot be read.
std::string readProfileString(const std::filesystem::path &file, std::string_view section,
                              std::string_view key, std::string_view def);

// Sets key in section to value. An existing key is replaced where it stands, a
// new key goes after the last line of its section, a missing section is added
// at the end, a missing file is created; all other lines stay byte for byte.
// Line breaks inside value are written as spaces so a value stays one line.
// The file is replaced in one step (written beside it, then renamed), so a
// failure leaves it as it was. Returns false when the file or its folder is
// read-only or the write fails, or when section or key cannot be written as a
// name (empty, a line break, "]" in a section, "=" in a key).
bool writeProfileString(const std::filesystem::path &file, std::string_view section,
                        std::string_view key, std::string_view value);

} // namespace platform
