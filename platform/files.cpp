#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace fs = std::filesystem;

namespace platform {

namespace {

[[noreturn]] void failOn(const fs::path &path, const std::string &reason)
{
    throw std::runtime_error(reason + " : " + path.string());
}

[[noreturn]] void failOn(const fs::path &path, int error) { failOn(path, std::strerror(error)); }

const char *const kNotAFile = "Not a regular file";

fs::path folderOf(const fs::path &file) { return file.has_parent_path() ? file.parent_path() : fs::path("."); }

// The file a write lands in: path itself, or the file a symbolic link there names.
fs::path writeTarget(const fs::path &path)
{
    std::error_code ec;
    if (!fs::is_symlink(path, ec))
        return path;
    fs::path target = fs::weakly_canonical(path, ec);
    if (ec)
        failOn(path, ec.value());
    return target;
}

// The rights of the file being replaced, or the usual ones less the user's umask
// for a new file. Anything but a plain file at target is refused.
mode_t modeFor(const fs::path &target, const fs::path &shown)
{
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            failOn(shown, S_ISDIR(st.st_mode) ? std::strerror(EISDIR) : kNotAFile);
        return st.st_mode & 07777;
    }
    if (errno != ENOENT)
        failOn(shown, errno);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// A new, empty file beside target, open for writing, with target's rights.
int createBeside(const fs::path &target, const fs::path &shown, fs::path &temp)
{
    const mode_t mode = modeFor(target, shown);
    std::string name = (folderOf(target) / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        failOn(shown, errno);
    temp = name;
    if (::fchmod(fd, mode) != 0) {
        const int error = errno;
        ::close(fd);
        ::unlink(name.c_str());
        failOn(shown, error);
    }
    return fd;
}

// Every byte, or the reason why not. A write that makes no progress is a full disk.
int writeAll(int fd, std::string_view bytes, const WriteCalls &calls)
{
    while (!bytes.empty()) {
        const ssize_t n = calls.write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return ENOSPC;
        if (static_cast<std::size_t>(n) > bytes.size())
            return EIO;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

// Flushes the folder so that the rename itself survives a power cut. A file
// system that cannot flush a folder (EINVAL) is taken as it is.
int syncFolder(const fs::path &target, const WriteCalls &calls)
{
    const int fd = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int error = calls.fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return error == EINVAL ? 0 : error;
}

// The steps after the bytes: flush, close (always), rename, folder. The first
// failure wins; before the rename it also removes temp.
int finish(int fd, const fs::path &temp, const fs::path &target, int error, const WriteCalls &calls)
{
    if (!error && calls.fsync(fd) != 0)
        error = errno;
    if (calls.close(fd) != 0 && !error)
        error = errno;
    if (!error && calls.rename(temp.c_str(), target.c_str()) != 0)
        error = errno;
    if (error) {
        ::unlink(temp.c_str());
        return error;
    }
    return syncFolder(target, calls);
}

} // namespace

WriteCalls WriteCalls::system()
{
    return {::write, ::fsync, ::close, ::rename};
}

bool isWritable(const fs::path &path)
{
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (ec || !fs::exists(st))
        return false;
    constexpr fs::perms anyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((st.permissions() & anyWrite) == fs::perms::none)
        return false;
    return ::access(path.c_str(), W_OK) == 0;
}

void replaceFile(const fs::path &path, std::string_view bytes)
{
    replaceFile(path, bytes, WriteCalls::system());
}

void replaceFile(const fs::path &path, std::string_view bytes, const WriteCalls &calls)
{
    const fs::path target = writeTarget(path);
    fs::path temp;
    const int fd = createBeside(target, path, temp);
    const int error = finish(fd, temp, target, writeAll(fd, bytes, calls), calls);
    if (error)
        failOn(path, error);
}

fs::path createFileBeside(const fs::path &target)
{
    fs::path temp;
    ::close(createBeside(target, target, temp));
    return temp;
}

void moveFileOver(const fs::path &temp, const fs::path &target)
{
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        failOn(target, error);
    }
    const int error = finish(fd, temp, target, 0, WriteCalls::system());
    if (error)
        failOn(target, error);
}

std::string readSmallFile(const fs::path &path, std::size_t maxBytes)
{
    // Looked at before it is opened: opening a FIFO would wait for a writer.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        failOn(path, errno);
    if (S_ISDIR(st.st_mode))
        failOn(path, EISDIR);
    if (!S_ISREG(st.st_mode))
        failOn(path, kNotAFile);
    // Non-blocking as well, and looked at again once open, in case it was swapped meanwhile.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        failOn(path, errno);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    if (::fstat(fd, &st) != 0)
        failOn(path, errno);
    if (!S_ISREG(st.st_mode))
        failOn(path, kNotAFile);
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes)
        failOn(path, "File too large");

    // One byte more than allowed tells a file that grew too big, without reading it all.
    std::string bytes(static_cast<std::size_t>(st.st_size) + 1, '\0');
    std::size_t done = 0;
    for (;;) {
        if (done == bytes.size()) {
            if (done > maxBytes)
                failOn(path, "File too large");
            bytes.resize(std::min(maxBytes + 1, done * 2 + 1));
        }
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            failOn(path, errno);
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
    return bytes;
}

} // namespace platform
