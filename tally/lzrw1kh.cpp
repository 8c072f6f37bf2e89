#include "tally/lzrw1kh.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

namespace {

constexpr int kHashSize = 4096;
constexpr int kMaxOffset = 4095;
constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 18;
constexpr int kMinRun = 16;
constexpr int kMaxRun = 4095;
constexpr int kGroupItems = 16;

inline std::uint64_t load64(const std::uint8_t *p)
{
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Common prefix of a and b, counted up to limit (at most kMaxMatch) bytes.
inline int commonPrefix(const std::uint8_t *a, const std::uint8_t *b, int limit)
{
    if constexpr (std::endian::native == std::endian::little) {
        if (limit == kMaxMatch) {
            std::uint64_t d = load64(a) ^ load64(b);
            if (d != 0)
                return std::countr_zero(d) >> 3;
            d = load64(a + 8) ^ load64(b + 8);
            if (d != 0)
                return 8 + (std::countr_zero(d) >> 3);
            if (a[16] != b[16])
                return 16;
            return a[17] != b[17] ? 17 : 18;
        }
    }
    int i = 0;
    while (i < limit && a[i] == b[i])
        ++i;
    return i;
}

[[noreturn]] void damagedBlock()
{
    throw ELzrw1Exception(lzrw1msg::kSizeMismatchLzrw1kh);
}

} // namespace

TLZR::TLZR()
    : hashTable_(new (std::nothrow) std::int16_t[kHashSize])
{
    if (!hashTable_)
        throw ELzrw1KHCompressor(lzrw1msg::kNoHashMemory);
}

int TLZR::CompressBlock(const std::uint8_t *src, int n, std::uint8_t *dst)
{
    std::int16_t *table = hashTable_.get();
    std::fill_n(table, kHashSize, std::int16_t(-1));

    dst[0] = kFlagCompressed;
    int x = 0;
    int y = 3;
    int z = 1;
    int items = 0;
    unsigned control = 0; // older groups' bits shift out above bit 15

    // Stop as soon as the block has grown past the chunk: it will be stored instead.
    while (x < n && y <= n) {
        if (items == kGroupItems) {
            dst[z] = std::uint8_t(control >> 8);
            dst[z + 1] = std::uint8_t(control);
            z = y;
            y += 2;
            items = 0;
        }

        const std::uint8_t b = src[x];
        const int runLimit = std::min(kMaxRun, n - x);
        int run = 1;
        while (run < runLimit && src[x + run] == b)
            ++run;

        if (run >= kMinRun) {
            const int v = run - kMinRun;
            dst[y] = 0;
            dst[y + 1] = std::uint8_t(v >> 8);
            dst[y + 2] = std::uint8_t(v);
            dst[y + 3] = b;
            y += 4;
            x += run;
            control = (control << 1) | 1;
        } else {
            int length = 0;
            int offset = 0;
            // The last two positions cannot start a match, so their hash (which would read
            // past the chunk) is never needed: later positions are no closer to a match.
            if (x + 2 < n) {
                std::uint32_t h = ((std::uint32_t(b) << 4 ^ src[x + 1]) << 4) ^ src[x + 2];
                h = ((h * 40543u) >> 4) & (kHashSize - 1);
                const int c = table[h];
                table[h] = std::int16_t(x);
                if (c >= 0 && x - c <= kMaxOffset) {
                    length = commonPrefix(src + x, src + c, std::min(kMaxMatch, n - x));
                    offset = x - c;
                }
            }
            if (length >= kMinMatch) {
                const int key = offset << 4 | (length - kMinMatch);
                dst[y] = std::uint8_t(key >> 8);
                dst[y + 1] = std::uint8_t(key);
                y += 2;
                x += length;
                control = (control << 1) | 1;
            } else {
                dst[y++] = b;
                ++x;
                control <<= 1;
            }
        }
        ++items;
    }

    control <<= (kGroupItems - items);
    dst[z] = std::uint8_t(control >> 8);
    dst[z + 1] = std::uint8_t(control);

    if (y > n) {
        dst[0] = kFlagStored;
        if (n > 0)
            std::memcpy(dst + 1, src, std::size_t(n));
        return n + 1;
    }
    return y;
}

int TLZR::DecompressBlock(const std::uint8_t *src, int len, std::uint8_t *dst) const
{
    if (len < 2)
        return 0;
    if (src[0] == kFlagStored) {
        const int n = len - 1;
        if (n > kChunkSize)
            damagedBlock();
        std::memcpy(dst, src + 1, std::size_t(n));
        return n;
    }
    if (len < 3)
        return 0; // half a control word and no items

    unsigned control = unsigned(src[1]) << 8 | src[2];
    int bits = 16;
    int x = 3;
    int out = 0;
    while (x < len) {
        if (bits == 0) {
            // A control word is always followed by at least one item.
            if (len - x < 3)
                damagedBlock();
            control = unsigned(src[x]) << 8 | src[x + 1];
            x += 2;
            bits = 16;
            // Sixteen literals in a row: one copy.
            if (control == 0 && len - x >= kGroupItems && kChunkSize - out >= kGroupItems) {
                std::memcpy(dst + out, src + x, kGroupItems);
                out += kGroupItems;
                x += kGroupItems;
                bits = 0;
                continue;
            }
        }

        if ((control & 0x8000) == 0) {
            if (out == kChunkSize)
                damagedBlock();
            dst[out++] = src[x++];
        } else {
            if (len - x < 2)
                damagedBlock();
            const int offset = src[x] << 4 | src[x + 1] >> 4;
            if (offset == 0) {
                if (len - x < 4)
                    damagedBlock();
                const int count = (src[x + 1] << 8 | src[x + 2]) + kMinRun;
                if (count > kChunkSize - out)
                    damagedBlock();
                std::memset(dst + out, src[x + 3], std::size_t(count));
                out += count;
                x += 4;
            } else {
                const int count = (src[x + 1] & 0x0F) + kMinMatch;
                if (offset > out || count > kChunkSize - out)
                    damagedBlock();
                std::uint8_t *d = dst + out;
                const std::uint8_t *s = d - offset;
                if (offset >= 8) {
                    // Whole words never overlap their source; the spare bytes take the excess.
                    std::memcpy(d, s, 8);
                    std::memcpy(d + 8, s + 8, 8);
                    if (count > 16) {
                        d[16] = s[16];
                        d[17] = s[17];
                    }
                } else {
                    for (int i = 0; i < count; ++i)
                        d[i] = s[i];
                }
                out += count;
                x += 2;
            }
        }
        control <<= 1;
        --bits;
    }
    return out;
}
