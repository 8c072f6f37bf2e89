#include "tally/tallyfile.h"

#include "platform/files.h"
#include "tally/lzrw1.h"

#include <cstdint>
#include <cstdio>
#include <stdexcept>

namespace {

// A tally text is about a kilobyte; a container declaring more than this is not
// a tally and is refused before anything is decoded.
constexpr std::uint32_t maxTallyText = 1 << 20;
// The container of such a text, with room for a coder that made it larger.
constexpr std::size_t maxTallyFile = 2 * maxTallyText;

// The little-endian 32-bit number at bytes[at].
std::uint32_t number(const std::string &bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (std::size_t i = at + 4; i-- > at;)
        value = value << 8 | static_cast<unsigned char>(bytes[i]);
    return value;
}

// The text size a container's header declares; 0 for what is not a container.
std::uint32_t declaredSize(const std::string &bytes)
{
    if (bytes.size() < Tlzrw1::kHeaderSize)
        return 0;
    const std::uint32_t id = number(bytes, 0);
    return id == Tlzrw1::kIdLzrw1kh || id == Tlzrw1::kIdLzh ? number(bytes, 4) : 0;
}

} // namespace

std::string readTallyFile(const std::string &path)
{
    // Only a plain file is read: a FIFO at the path must not hold up the start.
    const std::string bytes = platform::readSmallFile(path, maxTallyFile);
    if (declaredSize(bytes) > maxTallyText)
        throw std::runtime_error(path + " : this file declares " + std::to_string(declaredSize(bytes)) +
                                 " bytes, far more than a tally holds");
    try {
        return decompressString(bytes);
    } catch (const ELzrw1Exception &e) {
        // Working from memory the component cannot name the file; file mode would.
        if (e.kind() == ELzrw1Exception::Kind::NoHeader)
            throw ELzrw1Exception(e.kind(), path + " : Lzrw1 decompression : this file has no valid header !");
        throw;
    }
}

void writeTallyFile(const std::string &path, const std::string &text)
{
    platform::replaceFile(path, compressString(text, TCompressMode::Fast));
}

void keepAsBackup(const std::string &path)
{
    const std::string backup = path + ".bak";
    std::remove(backup.c_str());
    if (std::rename(path.c_str(), backup.c_str()) != 0)
        throw std::runtime_error("Cannot keep " + path + " as " + backup);
}
