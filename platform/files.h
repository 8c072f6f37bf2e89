#pragma once
// Reading and writing the program's own files (the tally, the settings, the game
// in progress) so that a full disk, a failing device or something other than a
// plain file at the path never costs the old file and never hangs the program.
// Plain C++ on the system's own calls, no Qt: the tally and the lzrw1 tool use it too.

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace platform {

// True when path (a file or a folder) may be written. Besides the access
// rights, a path whose write bits are all clear counts as read-only even for
// root, as a read-only file or folder does on other systems.
bool isWritable(const std::filesystem::path &path);

// The system calls a write goes through after the new file is made. The
// program uses the real ones; tests hand in failing ones to play a full disk
// or a failing device at any one step.
struct WriteCalls {
    std::function<ssize_t(int fd, const void *data, std::size_t size)> write;
    std::function<int(int fd)> fsync;
    std::function<int(int fd)> close;
    std::function<int(const char *from, const char *to)> rename;

    static WriteCalls system();
};

// Puts bytes in the file at path: a new file in the same folder, every write
// checked for its full count, flushed to the disk, closed, renamed over the old
// one, and the folder flushed. Any failed step removes the new file and leaves
// the old one as it was. A symbolic link is written through to the file it
// names; the file keeps its permissions. Something at path that is not a plain
// file (a folder, a FIFO, a device) is refused. Throws std::runtime_error
// "<reason> : <path>".
void replaceFile(const std::filesystem::path &path, std::string_view bytes);
void replaceFile(const std::filesystem::path &path, std::string_view bytes, const WriteCalls &calls);

// For writers that fill a file by its name themselves: a new empty file in
// target's folder (hidden, named after target), and the step that flushes it
// and renames it over target, as replaceFile does. moveFileOver removes temp
// when it fails. Both throw std::runtime_error "<reason> : <path>".
std::filesystem::path createFileBeside(const std::filesystem::path &target);
void moveFileOver(const std::filesystem::path &temp, const std::filesystem::path &target);

// The bytes of a small file. Only a plain file is read (a FIFO or a device at
// the path is refused without waiting for it). Throws std::runtime_error
// "<reason> : <path>" when it cannot be read or holds more than maxBytes
// (nothing more is read then).
std::string readSmallFile(const std::filesystem::path &path, std::size_t maxBytes);

} // namespace platform
