// DecompressBlock on any block a record can hold: a chunk of at most 32768 bytes, or the
// size error.
#include "tally/lzrw1kh.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Exactly the block's bytes, so a read past its end is caught.
    const std::vector<std::uint8_t> block(data, data + std::min<std::size_t>(size, 0xFFFF));
    std::vector<std::uint8_t> chunk(TLZR::kBufferSize);
    TLZR lzr;
    try {
        const int n = lzr.DecompressBlock(block.data(), int(block.size()), chunk.data());
        if (n < 0 || n > TLZR::kChunkSize)
            std::abort();
    } catch (const ELzrw1Exception &) {
    }
    return 0;
}
