// The compression component: container bytes, modes, captions and every failure message,
// with no output file left behind after an error.
#include "tally/lzrw1.h"

#include "compress_test_data.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

using namespace compresstest;
namespace fs = std::filesystem;

namespace {

void writeFile(const fs::path &path, const Bytes &data)
{
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char *>(data.data()), std::streamsize(data.size()));
}

Bytes readFile(const fs::path &path)
{
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
}

std::string str(const Bytes &b)
{
    return std::string(b.begin(), b.end());
}

Bytes header(std::uint32_t id, std::uint32_t size)
{
    Bytes h;
    for (std::uint32_t v : {id, size})
        for (int i = 0; i < 4; ++i)
            h.push_back(std::uint8_t(v >> (8 * i)));
    return h;
}

using Kind = ELzrw1Exception::Kind;

// The run fails with exactly this kind and message.
void expectFailure(const std::function<void()> &run, Kind kind, const std::string &message)
{
    try {
        run();
        ADD_FAILURE() << "no error, expected: " << message;
    } catch (const ELzrw1Exception &e) {
        EXPECT_EQ(std::string(e.what()), message);
        EXPECT_EQ(e.kind(), kind) << message;
    }
}

// Stream mode in memory.
Bytes compressStream(const Bytes &input, TCompressMode mode, Tlzrw1 *with = nullptr)
{
    Tlzrw1 own;
    Tlzrw1 &c = with ? *with : own;
    std::istringstream in(str(input));
    std::ostringstream out;
    c.UseStream = true;
    c.InputStream = &in;
    c.OutputStream = &out;
    c.CompressMode = mode;
    const std::int64_t written = c.Compress();
    EXPECT_EQ(written, std::int64_t(out.str().size()));
    return bytes(out.str());
}

Bytes decompressStream(const Bytes &container, Tlzrw1 *with = nullptr)
{
    Tlzrw1 own;
    Tlzrw1 &c = with ? *with : own;
    std::istringstream in(str(container));
    std::ostringstream out;
    c.UseStream = true;
    c.InputStream = &in;
    c.OutputStream = &out;
    const std::int64_t produced = c.Decompress();
    EXPECT_EQ(produced, std::int64_t(out.str().size()));
    return bytes(out.str());
}

// A stream buffer over a byte string that fails reading after `failAt` bytes, or claims
// `extra` more bytes than it has (a file that shrank after its size was taken).
class FaultyBuf : public std::streambuf {
public:
    FaultyBuf(const Bytes &data, std::size_t failAt, std::size_t extra = 0)
        : data_(str(data)), failAt_(failAt), extra_(extra)
    {
    }

protected:
    int_type underflow() override
    {
        if (pos_ >= failAt_)
            throw std::runtime_error("device error");
        if (pos_ >= data_.size())
            return traits_type::eof();
        return traits_type::to_int_type(data_[pos_]);
    }
    int_type uflow() override
    {
        const int_type c = underflow();
        if (c != traits_type::eof())
            ++pos_;
        return c;
    }
    pos_type seekoff(off_type off, std::ios::seekdir dir, std::ios::openmode) override
    {
        const off_type base = dir == std::ios::beg ? 0
                              : dir == std::ios::cur ? off_type(pos_)
                                                     : off_type(data_.size() + extra_);
        pos_ = std::size_t(base + off);
        return pos_type(off_type(pos_));
    }
    pos_type seekpos(pos_type pos, std::ios::openmode which) override
    {
        return seekoff(off_type(pos), std::ios::beg, which);
    }

private:
    std::string data_;
    std::size_t failAt_;
    std::size_t extra_;
    std::size_t pos_ = 0;
};

// An output that refuses to write.
class FullBuf : public std::streambuf {
protected:
    int_type overflow(int_type) override { return traits_type::eof(); }
    pos_type seekoff(off_type, std::ios::seekdir, std::ios::openmode) override { return 0; }
};

class Lzrw1Files : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path()
              / ("lzrw1-test-" + std::to_string(::getpid()) + "-"
                 + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        in = (dir / "in.txt").string();
        out = (dir / "out.lz").string();
        c.InputFile = in;
        c.OutputFile = out;
    }
    void TearDown() override { fs::remove_all(dir); }

    // Decompressing `container` fails with `message` and leaves no output.
    void expectDecompressFailure(const Bytes &container, Kind kind, const std::string &message)
    {
        writeFile(in, container);
        writeFile(out, bytes("previous"));
        expectFailure([&] { c.Decompress(); }, kind, message);
        EXPECT_FALSE(fs::exists(out));
    }

    fs::path dir;
    std::string in;
    std::string out;
    Tlzrw1 c;
};

const std::string kSizeLzrw1kh =
    "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !";
const std::string kSizeLzh = "Lzrw1 (LZH decompression) : Original and compressed sizes do not match !";

} // namespace

TEST(Lzrw1Container, EmptyInputInFastModeIsElevenBytes)
{
    EXPECT_EQ(compressStream({}, TCompressMode::Fast),
              bytes({0x57, 0x52, 0x5A, 0x4C, 0, 0, 0, 0, 0x01, 0x00, 0x80}));
    EXPECT_TRUE(decompressStream(bytes({0x57, 0x52, 0x5A, 0x4C, 0, 0, 0, 0, 0x01, 0x00, 0x80})).empty());
}

TEST(Lzrw1Container, FullChunkIsFollowedByAnEmptyRecord)
{
    const Bytes input = mixed(32768);
    const Bytes container = compressStream(input, TCompressMode::Fast);
    EXPECT_EQ(Bytes(container.begin(), container.begin() + 8), header(0x4C5A5257, 32768));
    const std::size_t first = container[8] | container[9] << 8;
    ASSERT_EQ(container.size(), 8 + 2 + first + 3);
    EXPECT_EQ(Bytes(container.end() - 3, container.end()), bytes({0x01, 0x00, 0x80}));

    // One byte more: the second record holds it, stored.
    const Bytes more = compressStream(mixed(32769), TCompressMode::Fast);
    EXPECT_EQ(Bytes(more.end() - 4, more.end() - 1), bytes({0x02, 0x00, 0x80}));
}

TEST(Lzrw1Container, TallyTextIsOneRecord)
{
    std::string text = "9\r\n12\r\n0\r\n";
    for (int i = 0; i < 107; ++i)
        text += i >= 12 && i < 22 ? "-1000\r\n" : "\r\n";
    const Bytes container = compressStream(bytes(text), TCompressMode::Fast);
    EXPECT_EQ(Bytes(container.begin(), container.begin() + 8),
              header(0x4C5A5257, std::uint32_t(text.size())));
    EXPECT_EQ(std::size_t(container[8] | container[9] << 8), container.size() - 10);
    EXPECT_EQ(container[10], 0x40);
    EXPECT_EQ(str(decompressStream(container)), text);
}

TEST(Lzrw1Container, LzhContainerCarriesTheCodersBody)
{
    EXPECT_EQ(compressStream(bytes("A"), TCompressMode::Good),
              concat({header(0x4C5A4821, 1), bytes({0xE6, 0x80})}));
    EXPECT_EQ(compressStream({}, TCompressMode::Good),
              concat({header(0x4C5A4821, 0), bytes({0xC6, 0x00})}));
}

TEST(Lzrw1Container, RoundTripsAtBoundarySizesInBothCoders)
{
    for (std::size_t n : {0, 1, 2, 3, 59, 60, 61, 4095, 4096, 32767, 32768, 32769, 65536, 98304,
                          1000003}) {
        const Bytes input = n > 100000 ? mixed(n) : concat({mixed(n / 2), noise(n - n / 2)});
        for (TCompressMode mode : {TCompressMode::Fast, TCompressMode::Good})
            EXPECT_EQ(decompressStream(compressStream(input, mode)), input)
                << "size " << n << " mode " << int(mode);
    }
}

TEST(Lzrw1Container, StreamsStartAtTheirCurrentPosition)
{
    Tlzrw1 c;
    c.UseStream = true;
    c.CompressMode = TCompressMode::Fast;
    std::istringstream in("skipped" + std::string(40000, 'q'));
    in.seekg(7);
    std::ostringstream out;
    out << "prefix";
    c.InputStream = &in;
    c.OutputStream = &out;
    c.Compress();
    const std::string container = out.str().substr(6);
    EXPECT_EQ(Bytes(container.begin(), container.begin() + 8), header(0x4C5A5257, 40000));
    EXPECT_EQ(str(decompressStream(bytes(container))), std::string(40000, 'q'));
}

TEST_F(Lzrw1Files, FileRoundTripAndCaptions)
{
    const Bytes input = mixed(70000);
    writeFile(in, input);
    std::vector<std::string> progress;
    std::string result;
    int events = 0;
    c.OnProgress = [&](const std::string &s) { progress.push_back(s); };
    c.OnResult = [&](const std::string &s) { result = s; };
    c.OnProcessEvents = [&] { ++events; };
    c.CompressMode = TCompressMode::Fast;
    const std::int64_t written = c.Compress();
    EXPECT_EQ(written, std::int64_t(fs::file_size(out)));
    ASSERT_EQ(progress.size(), 3u); // 32768 + 32768 + 4464
    EXPECT_EQ(progress[0].rfind("(LZRW1/KH) Bytes in : 32768 Bytes out : ", 0), 0u);
    EXPECT_EQ(progress[2], "(LZRW1/KH) Bytes in : 70000 Bytes out : " + std::to_string(written));
    EXPECT_EQ(events, 6); // after each block read and each block write
    EXPECT_EQ(result, in + " : Lzrw1 : successfully compressed at "
                          + std::to_string(written * 100 / 70000) + "%");

    c.InputFile = out;
    c.OutputFile = (dir / "back.txt").string();
    c.CompressMode = TCompressMode::Good; // the container decides the coder
    EXPECT_EQ(c.Decompress(), 70000);
    EXPECT_EQ(readFile(dir / "back.txt"), input);
    EXPECT_EQ(result, out + " : Lzrw1 : successfully decompressed at "
                          + std::to_string(70000 * 100 / written) + "%");
}

TEST(Lzrw1Captions, StreamModeAndLzh)
{
    Tlzrw1 c;
    std::string result;
    std::string lastProgress;
    c.OnResult = [&](const std::string &s) { result = s; };
    c.OnProgress = [&](const std::string &s) { lastProgress = s; };
    const Bytes container = compressStream(Bytes(1000, 'x'), TCompressMode::Good, &c);
    EXPECT_EQ(result, "Lzrw1 : inputstream successfully compressed at "
                          + std::to_string(container.size() * 100 / 1000) + "%");
    EXPECT_EQ(lastProgress, "(LZH) Bytes in : 1000 Bytes out : " + std::to_string(container.size()));
    decompressStream(container, &c);
    EXPECT_EQ(result, "LZrw1 : inputstream successfully decompressed at "
                          + std::to_string(1000 * 100 / container.size()) + "%");
}

TEST_F(Lzrw1Files, AdviseBelowThreeChunksAnswersGoodAndKeepsIt)
{
    writeFile(in, Bytes(98303, 0));
    std::string result;
    c.OnResult = [&](const std::string &s) { result = s; };
    c.CompressMode = TCompressMode::Fast;
    EXPECT_EQ(c.Advise(), TCompressMode::Good);
    EXPECT_EQ(c.CompressMode, TCompressMode::Good);
    EXPECT_EQ(result, "Lzrw1 recommends GOOD compression :  small file !!");
}

TEST_F(Lzrw1Files, AdviseSamplesTheSecondAndThirdChunks)
{
    // 98304 bytes: samples at 32768 and 65536. Noise elsewhere would make it Good.
    writeFile(in, concat({noise(32768), Bytes(65536, 0)}));
    std::string result;
    c.OnResult = [&](const std::string &s) { result = s; };
    c.CompressMode = TCompressMode::Auto;
    EXPECT_EQ(c.Advise(), TCompressMode::Fast);
    EXPECT_EQ(result, "Lzrw1 recommends FAST compression : 0%.");
    EXPECT_EQ(c.CompressMode, TCompressMode::Auto);

    writeFile(in, concat({Bytes(32768, 0), noise(65536)}));
    EXPECT_EQ(c.Advise(), TCompressMode::Good);
    EXPECT_EQ(result, "Lzrw1 recommends GOOD compression : 100%.");

    // Auto compresses with the advice.
    writeFile(in, concat({noise(32768), Bytes(65536, 0)}));
    c.Compress();
    EXPECT_EQ(readFile(out)[0], 0x57);
    c.Threshold = 0;
    c.Compress();
    EXPECT_EQ(readFile(out)[0], 0x21);
}

TEST(Lzrw1Advise, StreamPositionIsRestored)
{
    Tlzrw1 c;
    std::istringstream in("head" + std::string(100000, 'z'));
    in.seekg(4);
    c.UseStream = true;
    c.InputStream = &in;
    std::string progress;
    c.OnProgress = [&](const std::string &s) { progress = s; };
    EXPECT_EQ(c.Advise(), TCompressMode::Fast);
    EXPECT_EQ(progress, "Guessing the best compression mode for the inputstream");
    EXPECT_EQ(in.tellg(), 4);
}

TEST_F(Lzrw1Files, DamagedContainersFailAndLeaveNoOutput)
{
    expectDecompressFailure(bytes("LZIPxxxxxxxx"), Kind::NoHeader,
                            in + " : Lzrw1 decompression : this file has no valid header !");
    // Blocks that decode to fewer bytes than the header says, or more.
    const auto sizeMismatch = [&](const Bytes &container, const std::string &message) {
        expectDecompressFailure(container, Kind::SizeMismatch, message);
    };
    sizeMismatch(concat({header(0x4C5A5257, 100), bytes({0x01, 0x00, 0x80})}), kSizeLzrw1kh);
    sizeMismatch(concat({header(0x4C5A5257, 2), bytes({0x04, 0x00, 0x80, 1, 2, 3})}), kSizeLzrw1kh);
    sizeMismatch(concat({header(0x4C5A4821, 1000), bytes({0xE6, 0x80})}), kSizeLzh);
    // A 2 GB claim over a short body fails at once.
    sizeMismatch(concat({header(0x4C5A5257, 0x7FFFFFFF), bytes({0x01, 0x00, 0x80})}), kSizeLzrw1kh);
    sizeMismatch(concat({header(0x4C5A4821, 0x7FFFFFFF), bytes({0xE6, 0x80})}), kSizeLzh);
    sizeMismatch(concat({header(0x4C5A5257, 0xFFFFFFFF), bytes({0x01, 0x00, 0x80})}), kSizeLzrw1kh);
    // A damaged block, and a record longer than any block.
    sizeMismatch(concat({header(0x4C5A5257, 3), bytes({0x05, 0x00, 0x40, 0x80, 0x00, 0x00, 0x10})}), kSizeLzrw1kh);
    sizeMismatch(concat({header(0x4C5A5257, 3), bytes({0xFF, 0xFF}), Bytes(65535, 0x80)}), kSizeLzrw1kh);
    // Fixed-size reads that come up short.
    const std::string readError = "Lzrw1 : Error reading from input file : " + in;
    expectDecompressFailure({}, Kind::ReadError, readError);
    expectDecompressFailure(bytes({0x57, 0x52}), Kind::ReadError, readError);
    expectDecompressFailure(bytes({0x57, 0x52, 0x5A, 0x4C, 0x03}), Kind::ReadError, readError);
    expectDecompressFailure(concat({header(0x4C5A5257, 3), bytes({0x04, 0x00, 0x80, 1})}), Kind::ReadError,
                            readError);
    Bytes cut = compressStream(mixed(40000), TCompressMode::Fast);
    cut.resize(cut.size() - 10);
    expectDecompressFailure(cut, Kind::ReadError, readError);
    // A truncated LZH body.
    cut = compressStream(mixed(40000), TCompressMode::Good);
    cut.resize(cut.size() / 2);
    expectDecompressFailure(cut, Kind::SizeMismatch, kSizeLzh);
}

TEST_F(Lzrw1Files, ErrorsBeforeTheOutputIsOpenedLeaveItAlone)
{
    writeFile(out, bytes("keep me"));
    expectFailure([&] { c.Compress(); }, Kind::ReadError, "Lzrw1 compression : Failed to obtain the size of : " + in);
    expectFailure([&] { c.Decompress(); }, Kind::ReadError,
                  "Lzrw1 (de)compression : Failed to open input file : " + in);
    expectFailure([&] { c.Advise(); }, Kind::ReadError, "Lzrw1 advise : can not get the size of : " + in);
    EXPECT_EQ(readFile(out), bytes("keep me"));

    // Compressing a file onto itself would destroy it.
    writeFile(in, bytes("the input"));
    c.OutputFile = in;
    expectFailure([&] { c.Compress(); }, Kind::WriteError,
                  "Lzrw1 (de)compression : Failed to open output file : " + in);
    EXPECT_EQ(readFile(in), bytes("the input"));

    c.OutputFile = (dir / "no-such-dir" / "out.lz").string();
    expectFailure([&] { c.Compress(); }, Kind::WriteError,
                  "Lzrw1 (de)compression : Failed to open output file : " + c.OutputFile);
}

TEST(Lzrw1Streams, FailureMessages)
{
    Tlzrw1 c;
    c.UseStream = true;
    c.CompressMode = TCompressMode::Fast;
    std::ostringstream out;
    c.OutputStream = &out;
    expectFailure([&] { c.Compress(); }, Kind::ReadError,
                  "Lzrw1 compression : Failed to obtain the size of the input stream !");
    expectFailure([&] { c.Decompress(); }, Kind::ReadError,
                  "Lzrw1 (de)compression : Failed to initialize input stream !");
    expectFailure([&] { c.Advise(); }, Kind::ReadError, "Lzrw1 advise : can not get size of inputstream !");

    std::istringstream in("data");
    c.InputStream = &in;
    c.OutputStream = nullptr;
    expectFailure([&] { c.Compress(); }, Kind::WriteError,
                  "Lzrw1 (de)compression : Failed to initialize output stream !");

    FullBuf full;
    std::ostream fullOut(&full);
    c.OutputStream = &fullOut;
    expectFailure([&] { c.Compress(); }, Kind::WriteError, "Lzrw1 : Error writing to output stream !");

    in.str("NOPE1234");
    c.OutputStream = &out;
    expectFailure([&] { c.Decompress(); }, Kind::NoHeader,
                  "Lzrw1 decompression : input stream contains no valid header !");
    in.clear();
    in.str("WRZ");
    expectFailure([&] { c.Decompress(); }, Kind::ReadError, "Lzrw1 : Error reading from input stream !");

    const Bytes data = mixed(100000);
    for (TCompressMode mode : {TCompressMode::Fast, TCompressMode::Good}) {
        const std::string suffix = mode == TCompressMode::Fast ? " (LZRW1/KH)" : " (LZH)";
        c.CompressMode = mode;
        FaultyBuf broken(data, 50000);
        std::istream brokenIn(&broken);
        c.InputStream = &brokenIn;
        expectFailure([&] { c.Compress(); }, Kind::ReadError, "Lzrw1 : Error reading from input stream !" + suffix);
        // An input shorter than the size taken at the start.
        FaultyBuf shrunk(data, data.size() + 1, 10);
        std::istream shrunkIn(&shrunk);
        c.InputStream = &shrunkIn;
        expectFailure([&] { c.Compress(); }, Kind::ReadError, "Lzrw1 : Error reading from input stream !" + suffix);
    }

    const Bytes lzh = compressStream(data, TCompressMode::Good);
    FaultyBuf brokenLzh(lzh, lzh.size() / 2);
    std::istream brokenLzhIn(&brokenLzh);
    c.InputStream = &brokenLzhIn;
    expectFailure([&] { c.Decompress(); }, Kind::ReadError, "Lzrw1 : Error reading from input stream ! (LZH)");

    FaultyBuf brokenAdvise(data, 40000);
    std::istream brokenAdviseIn(&brokenAdvise);
    c.InputStream = &brokenAdviseIn;
    expectFailure([&] { c.Advise(); }, Kind::ReadError, "Lzrw1 advise : input stream read error !");
}
