// Deterministic inputs for the coder tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace compresstest {

using Bytes = std::vector<std::uint8_t>;

inline Bytes bytes(std::initializer_list<int> values)
{
    Bytes b;
    for (int v : values)
        b.push_back(std::uint8_t(v));
    return b;
}

inline Bytes bytes(const std::string &text)
{
    return Bytes(text.begin(), text.end());
}

inline Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes &p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

// Incompressible bytes.
inline Bytes noise(std::size_t n, std::uint32_t seed = 1)
{
    Bytes b(n);
    std::uint32_t x = seed * 2654435761u + 1;
    for (auto &v : b) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        v = std::uint8_t(x >> 24);
    }
    return b;
}

// A mix of words, runs and noise: every kind of item in both coders.
inline Bytes mixed(std::size_t n, std::uint32_t seed = 7)
{
    static const char *const words[] = {"tally ", "score ", "round ", "cleared ", "\r\n", "-1000",
                                        "Guest ", "quenvale ", "0", "9", "12 "};
    Bytes b;
    b.reserve(n + 64);
    const Bytes rnd = noise(n + 64, seed);
    std::size_t i = 0;
    while (b.size() < n) {
        const unsigned pick = rnd[i++ % rnd.size()];
        if (pick < 200) {
            const std::string w = words[pick % 11];
            b.insert(b.end(), w.begin(), w.end());
        } else if (pick < 215) {
            b.insert(b.end(), 10 + pick % 40, std::uint8_t(pick));
        } else {
            for (int k = 0; k < 8; ++k)
                b.push_back(rnd[(i * 31 + std::size_t(k)) % rnd.size()]);
        }
    }
    b.resize(n);
    return b;
}

} // namespace compresstest
