#include "tally/tallyfile.h"

#include "tally/lzrw1.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

[[noreturn]] void failOn(const std::string &path, int error)
{
    throw std::runtime_error(std::string(std::strerror(error)) + " : " + path);
}

// The permissions a new file gets, or those of the file it replaces.
mode_t fileMode(const std::string &path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        return st.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

std::string readTallyFile(const std::string &path)
{
    // The component's header message, naming the file as file mode would.
    const std::string noHeader = path + " : Lzrw1 decompression : this file has no valid header !";
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        failOn(path, EISDIR);
    std::ifstream file(path, std::ios::binary);
    if (!file)
        failOn(path, errno);
    // A tally is a few kilobytes; anything far bigger is not one of ours.
    constexpr std::streamoff maxTallyFile = 16 << 20;
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    if (size < 0)
        failOn(path, EIO);
    if (size > maxTallyFile)
        throw ELzrw1Exception(ELzrw1Exception::Kind::NoHeader, noHeader);
    file.seekg(0);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (!file.read(bytes.data(), size))
        failOn(path, EIO);

    try {
        return decompressString(bytes);
    } catch (const ELzrw1Exception &e) {
        // Working from memory the component cannot name the file.
        if (e.kind() == ELzrw1Exception::Kind::NoHeader)
            throw ELzrw1Exception(e.kind(), noHeader);
        throw;
    }
}

void writeTallyFile(const std::string &path, const std::string &text)
{
    const std::string bytes = compressString(text, TCompressMode::Fast);
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        failOn(path, errno);
    int error = 0;
    if (::fchmod(fd, fileMode(path)) != 0)
        error = errno;
    for (std::size_t done = 0; !error && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno != EINTR)
            error = errno;
        else if (n > 0)
            done += static_cast<std::size_t>(n);
    }
    if (!error && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    if (!error && std::rename(temp.c_str(), path.c_str()) != 0)
        error = errno;
    if (error) {
        ::unlink(temp.c_str());
        failOn(path, error);
    }
}

void keepAsBackup(const std::string &path)
{
    const std::string backup = path + ".bak";
    std::remove(backup.c_str());
    if (std::rename(path.c_str(), backup.c_str()) != 0)
        throw std::runtime_error("Cannot keep " + path + " as " + backup);
}
