#include "tally/lzh.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <new>

namespace {

constexpr int kRingSize = 4096;
constexpr int kLookAhead = 60;  // also the longest match
constexpr int kThreshold = 2;   // matches this short or shorter go as literals
constexpr int kNil = kRingSize; // no node in the match trees
constexpr int kSymbols = 256 - kThreshold + kLookAhead; // 256 literals, lengths 3..60
constexpr int kNodes = 2 * kSymbols - 1;
constexpr int kRoot = kNodes - 1;
constexpr unsigned kMaxFreq = 0x8000;
constexpr int kFirstPosition = kRingSize - kLookAhead;

// The fixed prefix code of a match position's upper six bits: canonical, by length.
struct PositionCode {
    std::uint8_t length[64];
    std::uint8_t code[64]; // left-aligned in eight bits
    std::uint8_t upperOf[256]; // decoding: the first eight bits read give the upper bits
    std::uint8_t lengthOf[256]; // ... and the code's length
};

constexpr PositionCode makePositionCode()
{
    PositionCode t{};
    unsigned code = 0;
    int previous = 3;
    for (int u = 0; u < 64; ++u) {
        const int len = u < 1 ? 3 : u < 4 ? 4 : u < 12 ? 5 : u < 24 ? 6 : u < 48 ? 7 : 8;
        code <<= (len - previous);
        previous = len;
        t.length[u] = std::uint8_t(len);
        t.code[u] = std::uint8_t(code << (8 - len));
        for (int rest = 0; rest < (1 << (8 - len)); ++rest) {
            t.upperOf[t.code[u] | rest] = std::uint8_t(u);
            t.lengthOf[t.code[u] | rest] = std::uint8_t(len);
        }
        ++code;
    }
    return t;
}

constexpr PositionCode kPosition = makePositionCode();
static_assert(kPosition.code[1] == 0x20 && kPosition.code[4] == 0x50 && kPosition.code[63] == 0xFF);

// Adaptive Huffman model. Nodes come in sibling pairs (2i, 2i + 1); son[] of a node is
// its first child, or symbol + kNodes for a leaf; prnt[kNodes + symbol] is a leaf's node.
struct Huffman {
    unsigned freq[kNodes + 1];
    int prnt[kNodes + kSymbols];
    int son[kNodes];

    void start()
    {
        for (int i = 0; i < kSymbols; ++i) {
            freq[i] = 1;
            son[i] = i + kNodes;
            prnt[i + kNodes] = i;
        }
        for (int i = 0, j = kSymbols; j <= kRoot; i += 2, ++j) {
            freq[j] = freq[i] + freq[i + 1];
            son[j] = i;
            prnt[i] = prnt[i + 1] = j;
        }
        freq[kNodes] = 0xFFFF; // sentinel that stops the reordering scan
        prnt[kRoot] = 0;
    }

    void rebuild()
    {
        int j = 0;
        for (int i = 0; i < kNodes; ++i) {
            if (son[i] >= kNodes) {
                freq[j] = (freq[i] + 1) / 2;
                son[j] = son[i];
                ++j;
            }
        }
        for (int i = 0, n = kSymbols; n < kNodes; i += 2, ++n) {
            const unsigned f = freq[i] + freq[i + 1];
            int k = n - 1;
            while (f < freq[k])
                --k;
            ++k;
            std::memmove(&freq[k + 1], &freq[k], sizeof freq[0] * std::size_t(n - k));
            std::memmove(&son[k + 1], &son[k], sizeof son[0] * std::size_t(n - k));
            freq[k] = f;
            son[k] = i;
        }
        for (int i = 0; i < kNodes; ++i) {
            const int k = son[i];
            if (k >= kNodes)
                prnt[k] = i;
            else
                prnt[k] = prnt[k + 1] = i;
        }
    }

    void update(int symbol)
    {
        if (freq[kRoot] == kMaxFreq)
            rebuild();
        int c = prnt[symbol + kNodes];
        do {
            const unsigned k = ++freq[c];
            // Keep frequencies in order: move the node past every node it now outweighs.
            int l = c + 1;
            if (k > freq[l]) {
                while (k > freq[++l]) {
                }
                --l;
                freq[c] = freq[l];
                freq[l] = k;

                const int i = son[c];
                prnt[i] = l;
                if (i < kNodes)
                    prnt[i + 1] = l;

                const int j = son[l];
                son[l] = i;
                prnt[j] = c;
                if (j < kNodes)
                    prnt[j + 1] = c;
                son[c] = j;

                c = l;
            }
            c = prnt[c];
        } while (c != 0);
    }
};

class ByteSource {
public:
    ByteSource(std::span<std::uint8_t> buf, const TLZH::ReadFn &read)
        : buf_(buf), read_(read)
    {
    }

    // The next byte, or -1 at the end of the input.
    int get()
    {
        if (pos_ == end_ && !refill())
            return -1;
        return buf_[pos_++];
    }

private:
    bool refill()
    {
        if (ended_)
            return false;
        end_ = std::min(read_(buf_), buf_.size());
        pos_ = 0;
        ended_ = end_ == 0;
        return !ended_;
    }

    std::span<std::uint8_t> buf_;
    const TLZH::ReadFn &read_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool ended_ = false;
};

class ByteSink {
public:
    ByteSink(std::span<std::uint8_t> buf, const TLZH::WriteFn &write)
        : buf_(buf), write_(write)
    {
    }

    void put(std::uint8_t b)
    {
        if (n_ == buf_.size())
            flush();
        buf_[n_++] = b;
    }

    void flush()
    {
        if (n_ == 0)
            return;
        write_(buf_.first(n_));
        total_ += std::int64_t(n_);
        n_ = 0;
    }

    std::int64_t total() const { return total_; }

private:
    std::span<std::uint8_t> buf_;
    const TLZH::WriteFn &write_;
    std::size_t n_ = 0;
    std::int64_t total_ = 0;
};

// Bits are packed most significant first.
class BitWriter {
public:
    explicit BitWriter(ByteSink &sink)
        : sink_(sink)
    {
    }

    // Sends the low len (at most 32) bits of code.
    void put(std::uint32_t code, int len)
    {
        acc_ = (acc_ << len) | code;
        count_ += len;
        while (count_ >= 8) {
            count_ -= 8;
            sink_.put(std::uint8_t(acc_ >> count_));
        }
    }

    void put64(std::uint64_t code, int len)
    {
        if (len > 32) {
            put(std::uint32_t(code >> 32), len - 32);
            len = 32;
        }
        put(std::uint32_t(code) & std::uint32_t((std::uint64_t(1) << len) - 1), len);
    }

    // Pending bits go out in the high bits of one last byte.
    void finish()
    {
        if (count_ > 0)
            sink_.put(std::uint8_t(acc_ << (8 - count_)));
        count_ = 0;
    }

private:
    ByteSink &sink_;
    std::uint64_t acc_ = 0;
    int count_ = 0;
};

// Keeps at least nine bits buffered; bytes fetched past the end of the input count as 0.
class BitReader {
public:
    explicit BitReader(ByteSource &src)
        : src_(src)
    {
    }

    unsigned bit()
    {
        fill();
        const unsigned b = buf_ >> 31;
        buf_ <<= 1;
        --count_;
        return b;
    }

    unsigned byte()
    {
        fill();
        const unsigned b = buf_ >> 24;
        buf_ <<= 8;
        count_ -= 8;
        return b;
    }

    // How many bytes were made up past the end of the input.
    int overrun() const { return overrun_; }

private:
    void fill()
    {
        while (count_ <= 8) {
            int c = src_.get();
            if (c < 0) {
                c = 0;
                ++overrun_;
            }
            buf_ |= std::uint32_t(c) << (24 - count_);
            count_ += 8;
        }
    }

    ByteSource &src_;
    std::uint32_t buf_ = 0;
    int count_ = 0;
    int overrun_ = 0;
};

// A valid body never needs more than this many bytes past its end.
constexpr int kMaxOverrun = 2;

struct Encoder {
    // Ring plus a copy of its first kLookAhead - 1 bytes, so that comparisons need no wrap.
    std::uint8_t text[kRingSize + kLookAhead - 1];
    int lson[kRingSize + 1];
    int rson[kRingSize + 257]; // the last 256 are the roots, one per first byte
    int dad[kRingSize + 1];
    int matchPosition;
    int matchLength;
    Huffman huff;

    void initTree()
    {
        for (int i = kRingSize + 1; i <= kRingSize + 256; ++i)
            rson[i] = kNil;
        for (int i = 0; i < kRingSize; ++i)
            dad[i] = kNil;
    }

    void insertNode(int r)
    {
        const std::uint8_t *key = &text[r];
        int p = kRingSize + 1 + key[0];
        int cmp = 1;
        rson[r] = lson[r] = kNil;
        matchLength = 0;
        for (;;) {
            if (cmp >= 0) {
                if (rson[p] == kNil) {
                    rson[p] = r;
                    dad[r] = p;
                    return;
                }
                p = rson[p];
            } else {
                if (lson[p] == kNil) {
                    lson[p] = r;
                    dad[r] = p;
                    return;
                }
                p = lson[p];
            }
            const int i = firstDifference(key, &text[p]);
            cmp = i < kLookAhead ? int(key[i]) - int(text[p + i]) : 0;
            if (i > kThreshold) {
                const int position = ((r - p) & (kRingSize - 1)) - 1;
                if (i > matchLength) {
                    matchPosition = position;
                    matchLength = i;
                    if (matchLength >= kLookAhead)
                        break;
                } else if (i == matchLength && position < matchPosition) {
                    matchPosition = position;
                }
            }
        }
        // A full-length match: the new string takes the old one's place in the tree.
        dad[r] = dad[p];
        lson[r] = lson[p];
        rson[r] = rson[p];
        dad[lson[p]] = r;
        dad[rson[p]] = r;
        if (rson[dad[p]] == p)
            rson[dad[p]] = r;
        else
            lson[dad[p]] = r;
        dad[p] = kNil;
    }

    void deleteNode(int p)
    {
        if (dad[p] == kNil)
            return;
        int q;
        if (rson[p] == kNil) {
            q = lson[p];
        } else if (lson[p] == kNil) {
            q = rson[p];
        } else {
            q = lson[p];
            if (rson[q] != kNil) {
                do {
                    q = rson[q];
                } while (rson[q] != kNil);
                rson[dad[q]] = lson[q];
                dad[lson[q]] = dad[q];
                lson[q] = lson[p];
                dad[lson[p]] = q;
            }
            rson[q] = rson[p];
            dad[rson[p]] = q;
        }
        dad[q] = dad[p];
        if (rson[dad[p]] == p)
            rson[dad[p]] = q;
        else
            lson[dad[p]] = q;
        dad[p] = kNil;
    }

    // Index of the first byte (from 1) where a and b differ, or kLookAhead.
    static int firstDifference(const std::uint8_t *a, const std::uint8_t *b)
    {
        int i = 1;
        if constexpr (std::endian::native == std::endian::little) {
            for (; i + 8 <= kLookAhead; i += 8) {
                std::uint64_t x;
                std::uint64_t y;
                std::memcpy(&x, a + i, 8);
                std::memcpy(&y, b + i, 8);
                if (x != y)
                    return i + (std::countr_zero(x ^ y) >> 3);
            }
        }
        while (i < kLookAhead && a[i] == b[i])
            ++i;
        return i;
    }

    // The code of a node is its whole path from the root, however long.
    void putPath(BitWriter &bits, int node)
    {
        std::uint64_t code = 0;
        int len = 0;
        while (node != kRoot && len < 64) {
            code |= std::uint64_t(node & 1) << len;
            ++len;
            node = huff.prnt[node];
        }
        if (node != kRoot)
            putPath(bits, node);
        bits.put64(code, len);
    }

    void encodeChar(BitWriter &bits, int symbol)
    {
        putPath(bits, huff.prnt[symbol + kNodes]);
        huff.update(symbol);
    }

    static void encodePosition(BitWriter &bits, int position)
    {
        const int u = position >> 6;
        const int len = kPosition.length[u];
        bits.put(unsigned(kPosition.code[u]) >> (8 - len), len);
        bits.put(unsigned(position) & 0x3F, 6);
    }

    void run(ByteSource &in, BitWriter &bits)
    {
        huff.start();
        initTree();
        std::memset(text, ' ', kFirstPosition);
        int s = 0;
        int r = kFirstPosition;
        int len = 0;
        for (int c; len < kLookAhead && (c = in.get()) >= 0; ++len)
            text[r + len] = std::uint8_t(c);
        for (int i = 1; i <= kLookAhead; ++i)
            insertNode(r - i);
        insertNode(r);
        do {
            if (matchLength > len)
                matchLength = len;
            if (matchLength <= kThreshold) {
                matchLength = 1;
                encodeChar(bits, text[r]);
            } else {
                encodeChar(bits, 255 - kThreshold + matchLength);
                encodePosition(bits, matchPosition);
            }
            const int last = matchLength;
            int i = 0;
            for (int c; i < last && (c = in.get()) >= 0; ++i) {
                deleteNode(s);
                text[s] = std::uint8_t(c);
                if (s < kLookAhead - 1)
                    text[s + kRingSize] = std::uint8_t(c);
                s = (s + 1) & (kRingSize - 1);
                r = (r + 1) & (kRingSize - 1);
                insertNode(r);
            }
            while (i++ < last) {
                deleteNode(s);
                s = (s + 1) & (kRingSize - 1);
                r = (r + 1) & (kRingSize - 1);
                if (--len != 0)
                    insertNode(r);
            }
        } while (len > 0);
        bits.finish();
    }
};

struct Decoder {
    std::uint8_t text[kRingSize];
    Huffman huff;

    int decodeChar(BitReader &bits)
    {
        int c = huff.son[kRoot];
        while (c < kNodes)
            c = huff.son[c + int(bits.bit())];
        c -= kNodes;
        huff.update(c);
        return c;
    }

    static int decodePosition(BitReader &bits)
    {
        unsigned i = bits.byte();
        const unsigned upper = kPosition.upperOf[i];
        for (int j = kPosition.lengthOf[i] - 2; j > 0; --j)
            i = (i << 1) | bits.bit();
        return int(upper << 6 | (i & 0x3F));
    }

    std::int64_t run(std::int64_t size, BitReader &bits, ByteSink &out)
    {
        huff.start();
        std::memset(text, ' ', kFirstPosition);
        int r = kFirstPosition;
        std::int64_t produced = 0;
        while (produced < size) {
            const int c = decodeChar(bits);
            if (c < 256) {
                if (bits.overrun() > kMaxOverrun)
                    break;
                out.put(std::uint8_t(c));
                text[r] = std::uint8_t(c);
                r = (r + 1) & (kRingSize - 1);
                ++produced;
            } else {
                const int from = r - decodePosition(bits) - 1;
                if (bits.overrun() > kMaxOverrun)
                    break;
                const int count = c - 255 + kThreshold;
                for (int k = 0; k < count; ++k) {
                    const std::uint8_t b = text[(from + k) & (kRingSize - 1)];
                    out.put(b);
                    text[r] = b;
                    r = (r + 1) & (kRingSize - 1);
                }
                produced += count;
            }
        }
        return produced;
    }
};

template <typename T>
std::unique_ptr<T> allocateTables()
{
    // Value-initialised: ring bytes not yet written read as 0.
    std::unique_ptr<T> t(new (std::nothrow) T{});
    if (!t)
        throw ElzhException(lzhmsg::kNoTableMemory);
    return t;
}

} // namespace

std::int64_t TLZH::Encode(std::span<std::uint8_t> inBuf, std::span<std::uint8_t> outBuf,
                          const ReadFn &read, const WriteFn &write)
{
    auto tables = allocateTables<Encoder>();
    ByteSource in(inBuf, read);
    ByteSink out(outBuf, write);
    BitWriter bits(out);
    tables->run(in, bits);
    out.flush();
    return out.total();
}

std::int64_t TLZH::Decode(std::int64_t size, std::span<std::uint8_t> inBuf,
                          std::span<std::uint8_t> outBuf, const ReadFn &read,
                          const WriteFn &write)
{
    auto tables = allocateTables<Decoder>();
    ByteSource in(inBuf, read);
    ByteSink out(outBuf, write);
    BitReader bits(in);
    const std::int64_t produced = tables->run(size, bits, out);
    out.flush();
    return produced;
}
