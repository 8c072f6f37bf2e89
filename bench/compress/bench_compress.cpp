// Speed and ratio of both coders against zlib (levels 1 and 6) and LZ4, on one
// deterministic 8 MB corpus: text, source code, binary records, runs and noise.
// The coders run through the component in stream mode, as a caller would use them.
#include "tally/lzrw1.h"

#include <benchmark/benchmark.h>
#include <lz4.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <istream>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

class Rng {
public:
    explicit Rng(std::uint64_t seed)
        : s_(seed)
    {
    }
    std::uint32_t next()
    {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 7;
        s_ ^= s_ << 17;
        return std::uint32_t(s_ >> 16);
    }
    std::uint32_t below(std::uint32_t n) { return next() % n; }

private:
    std::uint64_t s_;
};

void append(Bytes &b, const std::string &s)
{
    b.insert(b.end(), s.begin(), s.end());
}

// Words drawn with a skewed distribution, sentences and paragraphs.
Bytes makeText(std::size_t n, Rng &rng)
{
    static const char *const words[] = {
        "the", "of", "and", "a", "to", "in", "is", "you", "that", "it", "he", "was", "for", "on",
        "are", "as", "with", "his", "they", "at", "be", "this", "have", "from", "or", "one",
        "had", "by", "word", "but", "not", "what", "all", "were", "we", "when", "your", "can",
        "said", "there", "use", "an", "each", "which", "she", "do", "how", "their", "if", "will",
        "up", "other", "about", "out", "many", "then", "them", "these", "so", "some", "her",
        "would", "make", "like", "him", "into", "time", "has", "look", "two", "more", "write",
        "go", "see", "number", "no", "way", "could", "people", "my", "than", "first", "water",
        "been", "call", "who", "oil", "its", "now", "find", "long", "down", "day", "did", "get",
        "come", "made", "may", "part", "card", "deck", "round", "score", "player", "starter",
        "fifteen", "flush", "cribbage", "column", "row", "board", "tally", "cleared", "points"};
    constexpr std::uint32_t count = sizeof words / sizeof words[0];
    Bytes b;
    bool capital = true;
    while (b.size() < n) {
        // Square of a uniform pick: common words come up far more often.
        const std::uint32_t r = rng.below(count);
        std::string w = words[r * r / count];
        if (capital)
            w[0] = char(w[0] - 'a' + 'A');
        capital = false;
        append(b, w);
        const std::uint32_t p = rng.below(100);
        if (p < 8) {
            append(b, ".");
            capital = true;
            if (p < 2)
                append(b, "\n\n");
            else
                append(b, " ");
        } else if (p < 14) {
            append(b, ", ");
        } else {
            append(b, rng.below(12) == 0 ? "\n" : " ");
        }
    }
    b.resize(n);
    return b;
}

Bytes makeSource(std::size_t n, Rng &rng)
{
    static const char *const names[] = {"card", "board", "line", "score", "total", "deck",
                                        "count", "index", "value", "result", "hand", "suit"};
    static const char *const types[] = {"int", "bool", "std::size_t", "const Card &", "double"};
    Bytes b;
    auto name = [&] {
        return std::string(names[rng.below(12)]) + (rng.below(3) == 0 ? "s" : "")
               + (rng.below(4) == 0 ? std::to_string(rng.below(10)) : "");
    };
    while (b.size() < n) {
        append(b, "// Returns the " + name() + " of the " + name() + ".\n");
        append(b, std::string(types[rng.below(5)]) + " " + name() + "(" + types[rng.below(5)]
                      + " " + name() + ", " + types[rng.below(5)] + " " + name() + ")\n{\n");
        const std::uint32_t lines = 2 + rng.below(10);
        for (std::uint32_t i = 0; i < lines; ++i) {
            switch (rng.below(4)) {
            case 0:
                append(b, "    for (int " + name() + " = 0; " + name() + " < " + std::to_string(rng.below(64))
                              + "; ++" + name() + ")\n        " + name() + " += " + name() + ";\n");
                break;
            case 1:
                append(b, "    if (" + name() + " == " + name() + ")\n        return "
                              + std::to_string(rng.below(1000)) + ";\n");
                break;
            case 2:
                append(b, "    const auto " + name() + " = " + name() + "(" + name() + ", "
                              + std::to_string(rng.below(100)) + ");\n");
                break;
            default:
                append(b, "    " + name() + "[" + name() + "] = " + name() + " * " + name() + ";\n");
            }
        }
        append(b, "    return " + name() + ";\n}\n\n");
    }
    b.resize(n);
    return b;
}

// Fixed-size records: ascending ids, small integers, floats, padding.
Bytes makeBinary(std::size_t n, Rng &rng)
{
    Bytes b;
    std::uint32_t id = 1000;
    while (b.size() < n) {
        std::uint8_t rec[32] = {};
        id += 1 + rng.below(3);
        std::memcpy(rec, &id, 4);
        rec[4] = std::uint8_t(rng.below(53));
        rec[5] = std::uint8_t(rng.below(5));
        const std::uint16_t points = std::uint16_t(rng.below(120));
        std::memcpy(rec + 8, &points, 2);
        const float ratio = float(rng.below(10000)) / 100.0f;
        std::memcpy(rec + 12, &ratio, 4);
        if (rng.below(4) == 0)
            std::memcpy(rec + 16, "Guest\0\0\0", 8);
        b.insert(b.end(), rec, rec + sizeof rec);
    }
    b.resize(n);
    return b;
}

// Runs of one byte, as in simple bitmaps.
Bytes makeRuns(std::size_t n, Rng &rng)
{
    Bytes b;
    while (b.size() < n) {
        const std::uint32_t len = rng.below(4) == 0 ? 1 + rng.below(8) : 8 + rng.below(300);
        b.insert(b.end(), len, std::uint8_t(rng.below(6) * 40));
    }
    b.resize(n);
    return b;
}

Bytes makeNoise(std::size_t n, Rng &rng)
{
    Bytes b(n);
    for (auto &v : b)
        v = std::uint8_t(rng.next());
    return b;
}

const Bytes &corpus()
{
    static const Bytes all = [] {
        constexpr std::size_t MB = 1 << 20;
        Rng rng(20240917);
        Bytes c;
        for (const Bytes &part : {makeText(5 * MB / 2, rng), makeSource(2 * MB, rng), makeBinary(3 * MB / 2, rng),
                                  makeRuns(MB, rng), makeNoise(MB, rng)})
            c.insert(c.end(), part.begin(), part.end());
        return c;
    }();
    return all;
}

// Memory streams over fixed buffers: no allocation or growth in the timed loop.
class InBuf : public std::streambuf {
public:
    InBuf(const std::uint8_t *data, std::size_t n)
    {
        char *p = const_cast<char *>(reinterpret_cast<const char *>(data));
        setg(p, p, p + n);
    }

protected:
    pos_type seekoff(off_type off, std::ios::seekdir dir, std::ios::openmode) override
    {
        char *target = (dir == std::ios::beg ? eback() : dir == std::ios::cur ? gptr() : egptr()) + off;
        if (target < eback() || target > egptr())
            return pos_type(off_type(-1));
        setg(eback(), target, egptr());
        return pos_type(off_type(target - eback()));
    }
    pos_type seekpos(pos_type pos, std::ios::openmode which) override
    {
        return seekoff(off_type(pos), std::ios::beg, which);
    }
};

class OutBuf : public std::streambuf {
public:
    explicit OutBuf(Bytes &buf)
    {
        char *p = reinterpret_cast<char *>(buf.data());
        setp(p, p + buf.size());
    }
    std::size_t size() const { return std::size_t(pptr() - pbase()); }

protected:
    pos_type seekoff(off_type, std::ios::seekdir, std::ios::openmode) override
    {
        return pos_type(off_type(size()));
    }
};

// Each coder writes into a buffer sized once, outside the timed loop, and returns the
// length of its output.
std::size_t runComponent(const std::uint8_t *data, std::size_t n, Bytes &output, bool compress,
                         TCompressMode mode)
{
    InBuf inBuf(data, n);
    OutBuf outBuf(output);
    std::istream in(&inBuf);
    std::ostream out(&outBuf);
    Tlzrw1 c;
    c.UseStream = true;
    c.InputStream = &in;
    c.OutputStream = &out;
    c.CompressMode = mode;
    if (compress)
        c.Compress();
    else
        c.Decompress();
    return outBuf.size();
}

struct Coder {
    const char *name;
    std::size_t (*compress)(const Bytes &in, Bytes &out);
    std::size_t (*decompress)(const std::uint8_t *in, std::size_t n, Bytes &out);
};

std::size_t zlibCompress(const Bytes &in, Bytes &out, int level)
{
    uLongf len = uLongf(out.size());
    compress2(out.data(), &len, in.data(), uLong(in.size()), level);
    return len;
}

std::size_t zlibDecompress(const std::uint8_t *in, std::size_t n, Bytes &out)
{
    uLongf len = uLongf(out.size());
    uncompress(out.data(), &len, in, uLong(n));
    return len;
}

const Coder kCoders[] = {
    {"LZRW1/KH",
     [](const Bytes &in, Bytes &out) { return runComponent(in.data(), in.size(), out, true, TCompressMode::Fast); },
     [](const std::uint8_t *in, std::size_t n, Bytes &out) { return runComponent(in, n, out, false, TCompressMode::Fast); }},
    {"LZH",
     [](const Bytes &in, Bytes &out) { return runComponent(in.data(), in.size(), out, true, TCompressMode::Good); },
     [](const std::uint8_t *in, std::size_t n, Bytes &out) { return runComponent(in, n, out, false, TCompressMode::Good); }},
    {"zlib-1", [](const Bytes &in, Bytes &out) { return zlibCompress(in, out, 1); }, zlibDecompress},
    {"zlib-6", [](const Bytes &in, Bytes &out) { return zlibCompress(in, out, 6); }, zlibDecompress},
    {"LZ4",
     [](const Bytes &in, Bytes &out) {
         return std::size_t(LZ4_compress_default(reinterpret_cast<const char *>(in.data()),
                                                 reinterpret_cast<char *>(out.data()), int(in.size()),
                                                 int(out.size())));
     },
     [](const std::uint8_t *in, std::size_t n, Bytes &out) {
         return std::size_t(LZ4_decompress_safe(reinterpret_cast<const char *>(in),
                                                reinterpret_cast<char *>(out.data()), int(n),
                                                int(out.size())));
     }},
};

// Room for any coder's output, incompressible input included.
Bytes outputBuffer()
{
    return Bytes(corpus().size() + corpus().size() / 4 + 4096);
}

struct Figures {
    double compressMBs = 0;
    double decompressMBs = 0;
    double sizePercent = 0;
};
std::map<std::string, Figures> &figures()
{
    static std::map<std::string, Figures> f;
    return f;
}

void Compress(benchmark::State &state, const Coder &coder)
{
    const Bytes &input = corpus();
    Bytes out = outputBuffer();
    std::size_t packed = 0;
    for (auto _ : state) {
        packed = coder.compress(input, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * input.size()));
    state.counters["size%"] = 100.0 * double(packed) / double(input.size());
}

void Decompress(benchmark::State &state, const Coder &coder)
{
    const Bytes &input = corpus();
    Bytes packed = outputBuffer();
    packed.resize(coder.compress(input, packed));
    Bytes out = outputBuffer();
    if (coder.decompress(packed.data(), packed.size(), out) != input.size()
        || !std::equal(input.begin(), input.end(), out.begin())) {
        state.SkipWithError("round trip differs");
        return;
    }
    for (auto _ : state) {
        coder.decompress(packed.data(), packed.size(), out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * input.size()));
}

// Prints the usual table, and keeps each coder's figures for the comparison at the end.
class Collector : public benchmark::ConsoleReporter {
public:
    Collector()
        : ConsoleReporter(OO_Tabular)
    {
    }

    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs) {
            if (r.error_occurred || r.run_type != Run::RT_Iteration)
                continue;
            const std::string name = r.benchmark_name();
            const auto slash = name.find('/');
            Figures &f = figures()[name.substr(slash + 1)];
            const double mbs = r.counters.at("bytes_per_second").value / 1e6;
            if (name.rfind("Compress/", 0) == 0) {
                f.compressMBs = mbs;
                f.sizePercent = r.counters.at("size%").value;
            } else {
                f.decompressMBs = mbs;
            }
        }
    }
};

void printSummary()
{
    auto &f = figures();
    for (const Coder &c : kCoders) {
        const Figures &x = f[c.name];
        if (x.compressMBs <= 0 || x.decompressMBs <= 0)
            return; // a filtered run: nothing to compare
    }
    std::printf("\nCorpus: %zu bytes (text, source code, binary records, runs, noise); MB = 10^6 bytes; "
                "compressed size as a share of the input.\n\n",
                corpus().size());
    std::printf("| Coder | Compress MB/s | Decompress MB/s | Compressed size |\n|---|---:|---:|---:|\n");
    for (const Coder &c : kCoders) {
        const Figures &x = f[c.name];
        std::printf("| %s | %.1f | %.1f | %.1f%% |\n", c.name, x.compressMBs, x.decompressMBs, x.sizePercent);
    }
    std::printf("\n| Ours / peer | Compress speed | Decompress speed | Compressed size |\n|---|---:|---:|---:|\n");
    for (const char *ours : {"LZRW1/KH", "LZH"}) {
        for (const char *peer : {"zlib-1", "zlib-6", "LZ4"}) {
            const Figures &a = f[ours];
            const Figures &b = f[peer];
            std::printf("| %s / %s | %.2fx | %.2fx | %.2fx |\n", ours, peer, a.compressMBs / b.compressMBs,
                        a.decompressMBs / b.decompressMBs, a.sizePercent / b.sizePercent);
        }
    }
    // zlib's decompression: the faster of its two levels' outputs.
    const double zlibDecompress = std::max(f["zlib-1"].decompressMBs, f["zlib-6"].decompressMBs);
    const auto goal = [](const char *what, double ratio, double wanted) {
        std::printf("%-44s %6.2fx  (goal >= %.2fx) %s\n", what, ratio, wanted, ratio >= wanted ? "met" : "MISSED");
    };
    std::printf("\n");
    goal("LZRW1/KH compression / zlib-1 compression", f["LZRW1/KH"].compressMBs / f["zlib-1"].compressMBs, 4.0);
    goal("LZRW1/KH decompression / zlib decompression", f["LZRW1/KH"].decompressMBs / zlibDecompress, 2.5);
    goal("LZH compression / zlib-6 compression", f["LZH"].compressMBs / f["zlib-6"].compressMBs, 0.5);
    goal("LZH decompression / zlib decompression", f["LZH"].decompressMBs / zlibDecompress, 0.1);
}

} // namespace

int main(int argc, char **argv)
{
    for (const Coder &c : kCoders) {
        benchmark::RegisterBenchmark((std::string("Compress/") + c.name).c_str(), Compress, c)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("Decompress/") + c.name).c_str(), Decompress, c)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();
    printSummary();
    return 0;
}
