#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

// True when path (a file or a folder) may be written. Besides the access
// rights, a path whose write bits are all clear counts as read-only even for
// root, as a read-only file or folder does on other systems.
bool isWritable(const std::filesystem::path &path);

// Puts bytes in the file at path: a new file in the same folder, flushed to the
// disk and then renamed over the old one, so a crash or a full disk never leaves
// half a file. Throws std::runtime_error "<reason> : <path>".
void replaceFile(const std::filesystem::path &path, std::string_view bytes);

// The bytes of a small file. Throws std::runtime_error "<reason> : <path>" when
// it cannot be read or holds more than maxBytes (nothing more is read then).
std::string readSmallFile(const std::filesystem::path &path, std::size_t maxBytes);

} // namespace platform
