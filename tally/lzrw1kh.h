// LZRW1/KH block coder: one chunk of up to 32768 bytes in, one self-contained block out.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

// Errors of the compression component (tally/lzrw1.h). Declared here because the block
// decoder raises it for a damaged block. The message is the program's text for the
// user; the kind is what callers decide by.
class ELzrw1Exception : public std::runtime_error {
public:
    enum class Kind {
        NoHeader,     // the input does not start with a container identifier
        SizeMismatch, // the body does not decode to the size the header states
        ReadError,    // the input cannot be opened, measured or read
        WriteError,   // the output cannot be created or written
        NoMemory,     // the I/O buffers cannot be allocated
    };

    ELzrw1Exception(Kind kind, const std::string &message) : std::runtime_error(message), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

class ELzrw1KHCompressor : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TLZR {
public:
    static constexpr int kChunkSize = 32768;
    // Every block buffer holds a chunk plus spare bytes: the coder works a few bytes ahead.
    static constexpr int kBufferSize = kChunkSize + 16;
    static constexpr int kMaxBlockSize = kChunkSize + 1;

    static constexpr std::uint8_t kFlagCompressed = 0x40;
    static constexpr std::uint8_t kFlagStored = 0x80;

    TLZR();

    // Codes n (0..32768) bytes of src into dst, which has room for kBufferSize bytes.
    // Returns the block length (at most n + 1).
    int CompressBlock(const std::uint8_t *src, int n, std::uint8_t *dst);

    // Decodes a block of len bytes into dst, which has room for kBufferSize bytes, and
    // returns the chunk length. A damaged block (a copy reaching before the block's first
    // byte, more than 32768 bytes out, an item cut off by the block's end) raises
    // ELzrw1Exception with the LZRW1/KH size message.
    int DecompressBlock(const std::uint8_t *src, int len, std::uint8_t *dst) const;

private:
    // One entry per hash of three bytes: the last position hashed there and its bytes.
    std::unique_ptr<std::uint64_t[]> hashTable_;
};

namespace lzrw1msg {
inline constexpr const char *kSizeMismatchLzrw1kh =
    "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !";
inline constexpr const char *kNoHashMemory = "LZRW1KH : no memory for HASH table";
}
