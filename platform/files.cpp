#include "platform/files.h"

#include <unistd.h>

namespace platform {

bool isWritable(const std::filesystem::path &path)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (ec || !fs::exists(st))
        return false;
    constexpr fs::perms anyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((st.permissions() & anyWrite) == fs::perms::none)
        return false;
    return ::access(path.c_str(), W_OK) == 0;
}

} // namespace platform
