// LZH coder: LZSS over a 4 KB ring with adaptive Huffman coding (the LZHUF scheme).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>

class ElzhException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace lzhmsg {
inline constexpr const char *kNoTableMemory = "LZH : Cannot get memory for dictionary tables";
inline constexpr const char *kFreeTableMemory = "LZH : Error freeing memory for dictionary tables";
}

// The coder sees byte streams; the caller moves them through its own I/O buffers.
// Its tables are allocated for each run and freed at the run's end.
class TLZH {
public:
    // Fills buf with up to buf.size() input bytes and returns how many; 0 once the input
    // has ended.
    using ReadFn = std::function<std::size_t(std::span<std::uint8_t> buf)>;
    // Takes output bytes.
    using WriteFn = std::function<void(std::span<const std::uint8_t> bytes)>;

    // Codes the whole input. Returns the number of bytes written.
    std::int64_t Encode(std::span<std::uint8_t> inBuf, std::span<std::uint8_t> outBuf,
                        const ReadFn &read, const WriteFn &write);

    // Decodes until size bytes are out and returns the number produced. A copy is always
    // completed, so a damaged body may give a few bytes more; a body that runs out (beyond
    // the look-ahead the bit reader may take past its end) stops the run short.
    std::int64_t Decode(std::int64_t size, std::span<std::uint8_t> inBuf,
                        std::span<std::uint8_t> outBuf, const ReadFn &read, const WriteFn &write);
};
