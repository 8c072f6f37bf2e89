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
// A hash entry holds its position plus kReach in its top 16 bits (so an empty entry, 0,
// is out of every position's reach) and the six bytes there below.
constexpr int kReach = kMaxOffset + 1;
constexpr std::uint64_t kHeadMask = 0xFFFFFFFFFFFF;

// Word loads and their first differing byte assume little-endian order.
constexpr bool kWordLoads = std::endian::native == std::endian::little;

inline std::uint64_t load64(const std::uint8_t *p)
{
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline std::uint32_t hash(std::uint32_t b0, std::uint32_t b1, std::uint32_t b2)
{
    return (((b0 << 8 ^ b1 << 4 ^ b2) * 40543u) >> 4) & (kHashSize - 1);
}

// Length of the run of equal bytes at p, counted up to limit (at least 2); p[1] == p[0].
inline int runLength(const std::uint8_t *p, int limit)
{
    int run = 2;
    if constexpr (kWordLoads) {
        const std::uint64_t pattern = 0x0101010101010101u * p[0];
        for (; run + 8 <= limit; run += 8) {
            const std::uint64_t d = load64(p + run) ^ pattern;
            if (d != 0)
                return run + (std::countr_zero(d) >> 3);
        }
    }
    while (run < limit && p[run] == p[0])
        ++run;
    return run;
}

// Copies count (at most 18) bytes from offset back, byte by byte in effect: a copy may
// repeat what it produces. May write up to 16 bytes, into the block buffer's spare bytes.
inline void copyMatch(std::uint8_t *d, int offset, int count)
{
    const std::uint8_t *from = d - offset;
    if (offset >= 8) {
        // Whole words never overlap their source.
        std::memcpy(d, from, 8);
        std::memcpy(d + 8, from + 8, 8);
        if (count > 16) {
            d[16] = from[16];
            d[17] = from[17];
        }
    } else {
        for (int i = 0; i < count; ++i)
            d[i] = from[i];
    }
}

[[noreturn]] void damagedBlock()
{
    throw ELzrw1Exception(ELzrw1Exception::Kind::SizeMismatch, lzrw1msg::kSizeMismatchLzrw1kh);
}

} // namespace

TLZR::TLZR()
    : hashTable_(new (std::nothrow) std::uint64_t[kHashSize])
{
    if (!hashTable_)
        throw ELzrw1KHCompressor(lzrw1msg::kNoHashMemory);
}

int TLZR::CompressBlock(const std::uint8_t *src, int n, std::uint8_t *dst)
{
    std::uint64_t *const table = hashTable_.get();
    std::fill_n(table, kHashSize, std::uint64_t(0));

    dst[0] = kFlagCompressed;
    int x = 0;
    int y = 3;
    int z = 1;

    const auto codeRun = [&](std::uint8_t b, int run) {
        const int v = run - kMinRun;
        dst[y] = 0;
        dst[y + 1] = std::uint8_t(v >> 8);
        dst[y + 2] = std::uint8_t(v);
        dst[y + 3] = b;
        y += 4;
        x += run;
    };
    const auto codeCopy = [&](int offset, int length) {
        const int key = offset << 4 | (length - kMinMatch);
        dst[y] = std::uint8_t(key >> 8);
        dst[y + 1] = std::uint8_t(key);
        y += 2;
        x += length;
    };

    // Coding stops as soon as the block has grown past the chunk: it is stored instead.
    for (;;) {
        unsigned control = 0;
        int items = 0;

        // While the group cannot grow the block past the chunk (an item adds at most 4
        // bytes) and the chunk has 18 bytes left, items need no bounds checks. Both
        // conditions only ever turn false, so once the careful loop below has run, this
        // one never runs again.
        if (kWordLoads && y + kGroupItems * 4 <= n) {
            for (; items < kGroupItems && x + kMaxMatch <= n; ++items) {
                const std::uint64_t v = load64(src + x);
                const std::uint8_t b = std::uint8_t(v);
                control <<= 1;
                // A run of 16 starts with eight equal bytes; anything shorter goes to matching.
                if (std::uint8_t(v >> 8) == b) {
                    const int run = runLength(src + x, std::min(kMaxRun, n - x));
                    if (run >= kMinRun) {
                        codeRun(b, run);
                        control |= 1;
                        continue;
                    }
                }
                // Whether the candidate is in reach is unpredictable: no branch for it. The
                // entry holds the first six bytes at its position, so most matches are
                // judged and measured without reading the candidate.
                const std::uint32_t h = hash(b, std::uint32_t(v >> 8) & 0xFF, std::uint32_t(v >> 16) & 0xFF);
                const std::uint64_t entry = table[h];
                table[h] = std::uint64_t(x + kReach) << 48 | (v & kHeadMask);
                const int offset = x + kReach - int(entry >> 48);
                const std::uint64_t d = (entry ^ v) & kHeadMask;
                if (((d & 0xFFFFFF) | unsigned(offset > kMaxOffset)) == 0) {
                    int length;
                    if (d != 0) {
                        length = std::countr_zero(d) >> 3;
                    } else {
                        const std::uint8_t *cand = src + x - offset;
                        const std::uint64_t d2 = load64(src + x + 6) ^ load64(cand + 6);
                        const std::uint64_t d3 = load64(src + x + 10) ^ load64(cand + 10);
                        length = d2 != 0 ? 6 + (std::countr_zero(d2) >> 3)
                                         : d3 != 0 ? 10 + (std::countr_zero(d3) >> 3) : kMaxMatch;
                    }
                    codeCopy(offset, length);
                    control |= 1;
                } else {
                    dst[y++] = b;
                    ++x;
                }
            }
        }

        // The same rules byte by byte, near the end of the chunk or of the room in the
        // block; the entries' bytes are no longer needed. The last two positions cannot
        // start a match, so their hash (which would read past the chunk) is never taken.
        for (; items < kGroupItems && x < n && y <= n; ++items) {
            const std::uint8_t b = src[x];
            control <<= 1;
            if (x + 1 < n && src[x + 1] == b) {
                const int run = runLength(src + x, std::min(kMaxRun, n - x));
                if (run >= kMinRun) {
                    codeRun(b, run);
                    control |= 1;
                    continue;
                }
            }
            if (x + 2 < n) {
                const std::uint32_t h = hash(b, src[x + 1], src[x + 2]);
                const int c = int(table[h] >> 48) - kReach;
                table[h] = std::uint64_t(x + kReach) << 48;
                if (x - c <= kMaxOffset) {
                    const int limit = std::min(kMaxMatch, n - x);
                    int length = 0;
                    while (length < limit && src[x + length] == src[c + length])
                        ++length;
                    if (length >= kMinMatch) {
                        codeCopy(x - c, length);
                        control |= 1;
                        continue;
                    }
                }
            }
            dst[y++] = b;
            ++x;
        }

        control <<= kGroupItems - items;
        dst[z] = std::uint8_t(control >> 8);
        dst[z + 1] = std::uint8_t(control);
        if (items < kGroupItems || x >= n || y > n)
            break;
        z = y;
        y += 2;
    }

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
        }

        // A group of literals and copies that fits both the block and the chunk needs no
        // bounds checks but one: how far back a copy reaches. Runs take the careful path.
        if (bits == 16 && len - x >= 2 * kGroupItems && kChunkSize - out >= kGroupItems * kMaxMatch) {
            int items = 0;
            for (; items < kGroupItems; ++items, control <<= 1) {
                if ((control & 0x8000) == 0) {
                    dst[out++] = src[x++];
                    continue;
                }
                const int offset = src[x] << 4 | src[x + 1] >> 4;
                if (offset == 0)
                    break;
                if (offset > out)
                    damagedBlock();
                const int count = (src[x + 1] & 0x0F) + kMinMatch;
                copyMatch(dst + out, offset, count);
                out += count;
                x += 2;
            }
            bits -= items;
            if (bits == 0 || x == len)
                continue;
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
                copyMatch(dst + out, offset, count);
                out += count;
                x += 2;
            }
        }
        control <<= 1;
        --bits;
    }
    return out;
}
