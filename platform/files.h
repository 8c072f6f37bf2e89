#pragma once

#include <filesystem>

namespace platform {

// True when path (a file or a folder) may be written. Besides the access
// rights, a path whose write bits are all clear counts as read-only even for
// root, as a read-only file or folder does on other systems.
bool isWritable(const std::filesystem::path &path);

} // namespace platform
