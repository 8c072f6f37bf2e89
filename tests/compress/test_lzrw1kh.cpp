// The LZRW1/KH block coder: exact block bytes, and the decoder's rejection of damaged blocks.
#include "tally/lzrw1kh.h"

#include "compress_test_data.h"
#include "lzrw1kh_reference.h"

#include <gtest/gtest.h>

using namespace compresstest;

namespace {

Bytes compressBlock(const Bytes &chunk)
{
    TLZR lzr;
    Bytes block(TLZR::kBufferSize);
    block.resize(std::size_t(lzr.CompressBlock(chunk.data(), int(chunk.size()), block.data())));
    return block;
}

Bytes decompressBlock(const Bytes &block)
{
    TLZR lzr;
    Bytes chunk(TLZR::kBufferSize);
    chunk.resize(std::size_t(lzr.DecompressBlock(block.data(), int(block.size()), chunk.data())));
    return chunk;
}

Bytes repeat(int n, int value)
{
    return Bytes(std::size_t(n), std::uint8_t(value));
}

void expectDamaged(const Bytes &block)
{
    try {
        decompressBlock(block);
        FAIL() << "block accepted";
    } catch (const ELzrw1Exception &e) {
        EXPECT_STREQ(e.what(), "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !");
    }
}

} // namespace

TEST(Lzrw1khCompressBlock, WorkedExamples)
{
    EXPECT_EQ(compressBlock(repeat(20, 'A')), bytes({0x40, 0x80, 0x00, 0x00, 0x00, 0x04, 0x41}));
    EXPECT_EQ(compressBlock(bytes("abcabcabcabc")),
              bytes({0x40, 0x10, 0x00, 0x61, 0x62, 0x63, 0x00, 0x36}));
    EXPECT_EQ(compressBlock(bytes("abc")), bytes({0x80, 0x61, 0x62, 0x63}));
    EXPECT_EQ(compressBlock({}), bytes({0x80}));
}

TEST(Lzrw1khCompressBlock, RunsStartAtSixteenBytes)
{
    EXPECT_EQ(compressBlock(repeat(16, 'A')), bytes({0x40, 0x80, 0x00, 0x00, 0x00, 0x00, 0x41}));
    // Fifteen: a literal, then a copy with offset 1 and length 14.
    EXPECT_EQ(compressBlock(repeat(15, 'A')), bytes({0x40, 0x40, 0x00, 0x41, 0x00, 0x1B}));
    // The longest run is 4095; the byte after it is a literal.
    EXPECT_EQ(compressBlock(repeat(4096, 'A')),
              bytes({0x40, 0x80, 0x00, 0x00, 0x0F, 0xEF, 0x41, 0x41}));
}

TEST(Lzrw1khCompressBlock, StoredWhenTheBlockWouldBeLonger)
{
    const Bytes chunk = noise(1000);
    const Bytes block = compressBlock(chunk);
    ASSERT_EQ(block.size(), 1001u);
    EXPECT_EQ(block[0], 0x80);
    EXPECT_TRUE(std::equal(chunk.begin(), chunk.end(), block.begin() + 1));
    // One byte shorter than the chunk would need is still too long.
    EXPECT_EQ(compressBlock(bytes("abcdeabcd")), concat({bytes({0x80}), bytes("abcdeabcd")}));
}

TEST(Lzrw1khCompressBlock, BlockAsLongAsTheChunkStaysCompressed)
{
    // Five literals and a copy of five: ten bytes in, ten bytes out.
    EXPECT_EQ(compressBlock(bytes("abcdeabcde")),
              bytes({0x40, 0x04, 0x00, 0x61, 0x62, 0x63, 0x64, 0x65, 0x00, 0x52}));
}

TEST(Lzrw1khCompressBlock, OffsetsReachBack4095Bytes)
{
    // Positions inside a run are never hashed, so XYZ at 0 is the only candidate.
    EXPECT_EQ(compressBlock(concat({bytes("XYZ"), repeat(4092, 0), bytes("XYZ")})),
              bytes({0x40, 0x18, 0x00, 0x58, 0x59, 0x5A, 0x00, 0x0F, 0xEC, 0x00, 0xFF, 0xF0}));
    EXPECT_EQ(compressBlock(concat({bytes("XYZ"), repeat(4093, 0), bytes("XYZ")})),
              bytes({0x40, 0x10, 0x00, 0x58, 0x59, 0x5A, 0x00, 0x0F, 0xED, 0x00, 0x58, 0x59, 0x5A}));
}

TEST(Lzrw1khCompressBlock, SeventeenthItemStartsANewControlWord)
{
    Bytes chunk;
    Bytes expected = bytes({0x40, 0xFF, 0xFF});
    for (int v = 1; v <= 17; ++v) {
        chunk.insert(chunk.end(), 16, std::uint8_t(v));
        if (v == 17)
            expected.insert(expected.end(), {0x80, 0x00});
        expected.insert(expected.end(), {0x00, 0x00, 0x00, std::uint8_t(v)});
    }
    EXPECT_EQ(compressBlock(chunk), expected);
}

TEST(Lzrw1khCompressBlock, SameBytesAsThePlainRules)
{
    // Periods around the reach of an offset, short repeats, runs near 16 and 4095.
    const auto periodic = [](std::size_t n, std::size_t period) {
        const Bytes unit = mixed(period, std::uint32_t(period));
        Bytes b;
        while (b.size() < n)
            b.insert(b.end(), unit.begin(), unit.end());
        b.resize(n);
        return b;
    };
    std::vector<Bytes> chunks;
    for (std::uint32_t seed = 1; seed <= 6; ++seed) {
        chunks.push_back(mixed(32768, seed));
        chunks.push_back(mixed(1000 + seed * 997, seed));
    }
    for (std::size_t period : {1, 2, 3, 7, 15, 16, 17, 4094, 4095, 4096, 4097})
        chunks.push_back(periodic(32768, period));
    for (int n : {0, 1, 2, 3, 4, 5, 17, 18, 19, 20, 21, 40, 4095, 4096, 32767, 32768})
        chunks.push_back(mixed(std::size_t(n), std::uint32_t(n)));
    Bytes runs;
    for (int len : {15, 16, 17, 4094, 4095, 4096, 4097, 8190, 1, 2, 31})
        runs.insert(runs.end(), std::size_t(len), std::uint8_t(len));
    chunks.push_back(runs);
    chunks.push_back(concat({noise(20000), Bytes(12768, 0)}));
    for (const Bytes &chunk : chunks)
        EXPECT_EQ(compressBlock(chunk), referenceCompressBlock(chunk)) << "size " << chunk.size();
}

TEST(Lzrw1khDecompressBlock, WorkedExamples)
{
    EXPECT_EQ(decompressBlock(bytes({0x40, 0x80, 0x00, 0x00, 0x00, 0x04, 0x41})), repeat(20, 'A'));
    EXPECT_EQ(decompressBlock(bytes({0x40, 0x10, 0x00, 0x61, 0x62, 0x63, 0x00, 0x36})),
              bytes("abcabcabcabc"));
    EXPECT_EQ(decompressBlock(bytes({0x80, 0x61, 0x62, 0x63})), bytes("abc"));
    EXPECT_EQ(decompressBlock(bytes({0x80})), Bytes{});
    EXPECT_EQ(decompressBlock({}), Bytes{});
    // Any flag but 0x80 means compressed.
    EXPECT_EQ(decompressBlock(bytes({0x00, 0x10, 0x00, 0x61, 0x62, 0x63, 0x00, 0x36})),
              bytes("abcabcabcabc"));
}

TEST(Lzrw1khDecompressBlock, FillsTheWholeChunk)
{
    // Eight runs of 4095 and eight literals: exactly 32768 bytes.
    Bytes block = bytes({0x40, 0xFF, 0x00});
    for (int i = 0; i < 8; ++i)
        block.insert(block.end(), {0x00, 0x0F, 0xEF, 0x33});
    block.insert(block.end(), 8, 0x33);
    EXPECT_EQ(decompressBlock(block), repeat(32768, 0x33));
}

TEST(Lzrw1khDecompressBlock, RejectsDamagedBlocks)
{
    // A copy before the block's first byte, and one reaching one byte too far back.
    expectDamaged(bytes({0x40, 0x80, 0x00, 0x00, 0x10}));
    expectDamaged(bytes({0x40, 0x40, 0x00, 0x41, 0x00, 0x20}));
    // Items cut off by the block's end: copy, run, control word, item after a control word.
    expectDamaged(bytes({0x40, 0x40, 0x00, 0x41, 0x00}));
    expectDamaged(bytes({0x40, 0x80, 0x00, 0x00, 0x00, 0x04}));
    expectDamaged(concat({bytes({0x40, 0x00, 0x00}), repeat(16, 'a'), bytes({0x00})}));
    expectDamaged(concat({bytes({0x40, 0x00, 0x00}), repeat(16, 'a'), bytes({0x00, 0x00})}));
    // More than 32768 bytes out: a run, a literal, a stored block.
    Bytes full = bytes({0x40, 0xFF, 0x80});
    for (int i = 0; i < 8; ++i)
        full.insert(full.end(), {0x00, 0x0F, 0xEF, 0x33});
    Bytes literal = full;
    full.insert(full.end(), {0x00, 0x00, 0x00, 0x33}); // 32760 + 16
    expectDamaged(full);
    literal[2] = 0x00;
    literal.insert(literal.end(), 8, 0x33); // 32768, then one more literal in the next group
    literal.insert(literal.end(), {0x00, 0x00, 0x33});
    expectDamaged(literal);
    expectDamaged(concat({bytes({0x80}), repeat(32769, 1)}));
    EXPECT_EQ(decompressBlock(concat({bytes({0x80}), repeat(32768, 1)})).size(), 32768u);
}

TEST(Lzrw1khRoundTrip, BoundarySizes)
{
    for (int n : {0, 1, 2, 3, 4, 15, 16, 17, 18, 19, 59, 60, 61, 4095, 4096, 4097, 32767, 32768}) {
        for (const Bytes &chunk : {mixed(std::size_t(n)), noise(std::size_t(n)), repeat(n, 7)}) {
            const Bytes block = compressBlock(chunk);
            EXPECT_LE(block.size(), chunk.size() + 1);
            EXPECT_EQ(decompressBlock(block), chunk) << "size " << n;
        }
    }
}
