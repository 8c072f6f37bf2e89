// The LZH coder: hand-derived bodies of the first symbols, round trips, and a decoder that
// stays inside its tables and stops when its body runs out.
#include "tally/lzh.h"

#include "compress_test_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace compresstest;

namespace {

constexpr std::size_t kBuf = 32768;

TLZH::ReadFn reader(const Bytes &data, std::size_t &pos, int *calls = nullptr)
{
    return [&data, &pos, calls](std::span<std::uint8_t> buf) {
        if (calls)
            ++*calls;
        const std::size_t n = std::min(buf.size(), data.size() - pos);
        if (n > 0)
            std::memcpy(buf.data(), data.data() + pos, n);
        pos += n;
        return n;
    };
}

TLZH::WriteFn writer(Bytes &out)
{
    return [&out](std::span<const std::uint8_t> b) { out.insert(out.end(), b.begin(), b.end()); };
}

Bytes encode(const Bytes &input)
{
    TLZH lzh;
    Bytes in(kBuf), out(kBuf), body;
    std::size_t pos = 0;
    const std::int64_t written = lzh.Encode(in, out, reader(input, pos), writer(body));
    EXPECT_EQ(written, std::int64_t(body.size()));
    return body;
}

Bytes decode(const Bytes &body, std::int64_t size, std::int64_t *produced = nullptr,
             int *reads = nullptr)
{
    TLZH lzh;
    Bytes in(kBuf), out(kBuf), result;
    std::size_t pos = 0;
    const std::int64_t n = lzh.Decode(size, in, out, reader(body, pos, reads), writer(result));
    EXPECT_EQ(n, std::int64_t(result.size()));
    if (produced)
        *produced = n;
    return result;
}

} // namespace

TEST(LzhEncode, FirstSymbolsFollowTheStartingTree)
{
    // Empty input: one literal, the zero at ring position 4036 (code 110001100).
    EXPECT_EQ(encode({}), bytes({0xC6, 0x00}));
    // 'A' as a literal: 111001101.
    EXPECT_EQ(encode(bytes("A")), bytes({0xE6, 0x80}));
    // One space is a literal too: the match with the initial spaces is cut to the input.
    EXPECT_EQ(encode(bytes(" ")), bytes({0xD6, 0x00}));
}

TEST(LzhEncode, ThreeSpacesMatchTheInitialRing)
{
    // Symbol 256 (length 3) is 10001100; position 0 is 000 and 000000.
    const Bytes body = encode(bytes("   X"));
    ASSERT_GE(body.size(), 3u);
    EXPECT_EQ(body[0], 0x8C);
    EXPECT_EQ(body[1], 0x00);
    EXPECT_EQ(body[2] & 0x80, 0);
    EXPECT_EQ(decode(body, 4), bytes("   X"));
}

TEST(LzhDecode, SizeZeroReadsNothing)
{
    int reads = 0;
    EXPECT_TRUE(decode(bytes({0xC6, 0x00}), 0, nullptr, &reads).empty());
    EXPECT_EQ(reads, 0);
}

TEST(LzhRoundTrip, BoundarySizes)
{
    for (std::size_t n : {0, 1, 2, 3, 59, 60, 61, 62, 4095, 4096, 4097, 32767, 32768, 32769, 98304}) {
        for (const Bytes &input : {mixed(n), noise(n), Bytes(n, 0x20), Bytes(n, 0)}) {
            EXPECT_EQ(decode(encode(input), std::int64_t(n)), input) << "size " << n;
        }
    }
}

TEST(LzhRoundTrip, AboutOneMegabyteRebuildsTheModelManyTimes)
{
    // Over a million symbols: the model is rebuilt dozens of times in both directions.
    const Bytes input = noise(1 << 20, 3);
    EXPECT_EQ(decode(encode(input), std::int64_t(input.size())), input);
    const Bytes text = mixed(1 << 20);
    const Bytes body = encode(text);
    EXPECT_LT(body.size(), text.size() / 2);
    EXPECT_EQ(decode(body, std::int64_t(text.size())), text);
}

TEST(LzhDecode, BodyThatRunsOutStopsShort)
{
    const Bytes input = mixed(5000);
    Bytes body = encode(input);
    body.resize(body.size() / 2);
    std::int64_t produced = 0;
    decode(body, std::int64_t(input.size()), &produced);
    EXPECT_LT(produced, std::int64_t(input.size()));

    // A claimed 2 GB over a two-byte body ends at once, not after 2 GB of zero bits.
    decode(bytes({0xE6, 0x80}), 0x7FFFFFFF, &produced);
    EXPECT_LT(produced, 100);
}

TEST(LzhDecode, LastByteMayBeFollowedByLookAheadOnly)
{
    // The reader fetches past the last byte while decoding the last symbol; that is fine.
    for (std::size_t n : {1, 2, 10, 100, 1000}) {
        const Bytes input = mixed(n, std::uint32_t(n));
        std::int64_t produced = 0;
        decode(encode(input), std::int64_t(n), &produced);
        EXPECT_EQ(produced, std::int64_t(n));
    }
}

TEST(LzhDecode, ArbitraryBodiesStayInBounds)
{
    // Garbage decodes to garbage, never outside the tables (the sanitizer build checks).
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        const Bytes body = noise(2000, seed);
        std::int64_t produced = 0;
        const Bytes out = decode(body, 100000, &produced);
        EXPECT_GT(produced, 0);
        EXPECT_LT(produced, 100000 + 60);
    }
}
