// Fast mode: the container restores the input, and every block has exactly the bytes the
// coding rules give.
#include "fuzz_support.h"
#include "tests/compress/lzrw1kh_reference.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzzsupport::roundTrip(data, size, TCompressMode::Fast);

    TLZR lzr;
    std::vector<std::uint8_t> block(TLZR::kBufferSize);
    for (std::size_t at = 0; at < size; at += TLZR::kChunkSize) {
        const std::size_t n = std::min<std::size_t>(TLZR::kChunkSize, size - at);
        const std::vector<std::uint8_t> chunk(data + at, data + at + n);
        block.resize(TLZR::kBufferSize);
        block.resize(std::size_t(lzr.CompressBlock(chunk.data(), int(n), block.data())));
        if (block != compresstest::referenceCompressBlock(chunk)) {
            std::fprintf(stderr, "block differs from the rules\n");
            std::abort();
        }
    }
    return 0;
}
