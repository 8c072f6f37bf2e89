// The LZRW1/KH block encoder written as plainly as its rules read, step by step, to check
// the fast encoder against. Slow; for tests and fuzzing only.
#pragma once

#include <cstdint>
#include <vector>

namespace compresstest {

inline std::vector<std::uint8_t> referenceCompressBlock(const std::vector<std::uint8_t> &chunk)
{
    const int n = int(chunk.size());
    std::vector<std::uint8_t> in(chunk);
    in.resize(chunk.size() + 16, 0); // the hash may read two bytes past the chunk
    std::vector<std::uint8_t> out(chunk.size() + 16, 0);
    std::vector<int> table(4096, -1);

    out[0] = 0x40;
    int x = 0;
    int y = 3;
    int z = 1;
    int items = 0;
    unsigned control = 0;
    while (x < n && y <= n) {
        if (items == 16) {
            out[std::size_t(z)] = std::uint8_t((control >> 8) & 0xFF);
            out[std::size_t(z) + 1] = std::uint8_t(control & 0xFF);
            z = y;
            items = 0;
            y += 2;
        }
        int size = 1;
        while (size < 4095 && x + size < n && in[std::size_t(x + size)] == in[std::size_t(x)])
            ++size;
        if (size >= 16) {
            out[std::size_t(y)] = 0;
            out[std::size_t(y) + 1] = std::uint8_t((size - 16) >> 8);
            out[std::size_t(y) + 2] = std::uint8_t((size - 16) & 0xFF);
            out[std::size_t(y) + 3] = in[std::size_t(x)];
            y += 4;
            x += size;
            control = control * 2 + 1;
        } else {
            std::uint32_t h = ((std::uint32_t(in[std::size_t(x)]) << 4) ^ in[std::size_t(x) + 1]) << 4;
            h ^= in[std::size_t(x) + 2];
            h = ((h * 40543u) >> 4) & 0xFFF;
            const int c = table[h];
            table[h] = x;
            int length = 0;
            if (c != -1 && x - c < 4096) {
                while (length < 18 && x + length < n
                       && in[std::size_t(x + length)] == in[std::size_t(c + length)])
                    ++length;
            }
            if (length >= 3) {
                const int key = (x - c) * 16 + (length - 3);
                out[std::size_t(y)] = std::uint8_t(key >> 8);
                out[std::size_t(y) + 1] = std::uint8_t(key & 0xFF);
                y += 2;
                x += length;
                control = control * 2 + 1;
            } else {
                out[std::size_t(y)] = in[std::size_t(x)];
                y += 1;
                x += 1;
                control = control * 2;
            }
        }
        ++items;
    }
    control = (control << (16 - items)) & 0xFFFF;
    out[std::size_t(z)] = std::uint8_t(control >> 8);
    out[std::size_t(z) + 1] = std::uint8_t(control & 0xFF);
    if (y > n) {
        out[0] = 0x80;
        for (int i = 0; i < n; ++i)
            out[std::size_t(i) + 1] = chunk[std::size_t(i)];
        y = n + 1;
    }
    out.resize(std::size_t(y));
    return out;
}

} // namespace compresstest
