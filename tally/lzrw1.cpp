#include "tally/lzrw1.h"

#include <cstdio>
#include <filesystem>
#include <istream>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <ostream>
#include <sstream>
#include <string_view>

namespace {

constexpr int kChunk = TLZR::kChunkSize;

std::uint32_t getLe32(const std::uint8_t *p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16
           | std::uint32_t(p[3]) << 24;
}

void putLe32(std::uint8_t *p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = std::uint8_t(v >> (8 * i));
}

// Bytes out as a whole percentage of bytes in; an empty input has nothing to divide by.
std::int64_t percent(std::int64_t out, std::int64_t in)
{
    return in > 0 ? out * 100 / in : 100;
}

// The run's input: a file it opens itself, or the caller's stream from its current position.
class Input {
public:
    Input() = default;
    Input(const Input &) = delete;
    Input &operator=(const Input &) = delete;
    ~Input()
    {
        if (file_)
            std::fclose(file_);
    }

    bool openFile(const std::string &path)
    {
        file_ = std::fopen(path.c_str(), "rb");
        return file_ != nullptr;
    }

    bool attach(std::istream *stream)
    {
        if (!stream)
            return false;
        try {
            const std::istream::pos_type pos = stream->tellg();
            if (pos == std::istream::pos_type(-1))
                return false;
            stream_ = stream;
            origin_ = pos;
            return true;
        } catch (const std::ios_base::failure &) {
            return false;
        }
    }

    // Reads up to n bytes, fewer only at the end of the input; -1 on a read error.
    std::int64_t read(std::uint8_t *buf, std::size_t n)
    {
        if (file_) {
            const std::size_t got = std::fread(buf, 1, n, file_);
            return got < n && std::ferror(file_) ? -1 : std::int64_t(got);
        }
        try {
            stream_->read(reinterpret_cast<char *>(buf), std::streamsize(n));
            const std::streamsize got = stream_->gcount();
            if (stream_->bad())
                return -1;
            if (std::size_t(got) < n)
                stream_->clear(); // the end is not an error: keep the stream usable
            return got;
        } catch (const std::ios_base::failure &) {
            return -1;
        }
    }

    // Moves to offset bytes past where the run started.
    bool seek(std::int64_t offset)
    {
        if (file_)
            return fseeko(file_, off_t(offset), SEEK_SET) == 0;
        try {
            stream_->clear();
            stream_->seekg(origin_ + std::streamoff(offset));
            return !stream_->fail();
        } catch (const std::ios_base::failure &) {
            return false;
        }
    }

    // Puts a stream back where the run found it.
    void rewind()
    {
        if (stream_)
            seek(0);
    }

private:
    std::FILE *file_ = nullptr;
    std::istream *stream_ = nullptr;
    std::istream::pos_type origin_ = 0;
};

// The run's output: a file it creates (and removes again after an error), or the caller's
// stream at its current position.
class Output {
public:
    Output() = default;
    Output(const Output &) = delete;
    Output &operator=(const Output &) = delete;
    ~Output() { discard(); }

    bool createFile(const std::string &path)
    {
        file_ = std::fopen(path.c_str(), "wb");
        if (file_)
            path_ = path;
        return file_ != nullptr;
    }

    bool attach(std::ostream *stream)
    {
        if (!stream)
            return false;
        try {
            if (stream->tellp() == std::ostream::pos_type(-1))
                return false;
        } catch (const std::ios_base::failure &) {
            return false;
        }
        stream_ = stream;
        return true;
    }

    bool write(const std::uint8_t *buf, std::size_t n)
    {
        if (file_)
            return std::fwrite(buf, 1, n, file_) == n;
        try {
            stream_->write(reinterpret_cast<const char *>(buf), std::streamsize(n));
            return !stream_->fail();
        } catch (const std::ios_base::failure &) {
            return false;
        }
    }

    // Completes the output; a file is closed and kept.
    bool close()
    {
        if (file_) {
            const bool ok = std::fclose(file_) == 0;
            file_ = nullptr;
            if (ok)
                path_.clear();
            return ok;
        }
        try {
            return !stream_->flush().fail();
        } catch (const std::ios_base::failure &) {
            return false;
        }
    }

    // After an error: a file this run created is closed and deleted.
    void discard()
    {
        if (file_) {
            std::fclose(file_);
            file_ = nullptr;
        }
        if (!path_.empty()) {
            std::error_code ec;
            std::filesystem::remove(path_, ec);
            path_.clear();
        }
    }

private:
    std::FILE *file_ = nullptr;
    std::ostream *stream_ = nullptr;
    std::string path_; // a file not yet completed
};

// The two I/O buffers of a run: a chunk each, plus the coder's spare bytes.
struct Buffers {
    std::unique_ptr<std::uint8_t[]> in;
    std::unique_ptr<std::uint8_t[]> out;

    bool allocate()
    {
        in.reset(new (std::nothrow) std::uint8_t[TLZR::kBufferSize]);
        out.reset(new (std::nothrow) std::uint8_t[TLZR::kBufferSize]);
        return in && out;
    }
};

std::optional<std::int64_t> fileSize(const std::string &path)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec)
        return std::nullopt;
    return std::int64_t(size);
}

// What is left of a stream from its current position.
std::optional<std::int64_t> streamSize(std::istream *stream)
{
    if (!stream)
        return std::nullopt;
    try {
        const std::istream::pos_type pos = stream->tellg();
        if (pos == std::istream::pos_type(-1))
            return std::nullopt;
        stream->seekg(0, std::ios::end);
        const std::istream::pos_type end = stream->tellg();
        stream->seekg(pos);
        if (end == std::istream::pos_type(-1) || stream->fail())
            return std::nullopt;
        return std::int64_t(end - pos);
    } catch (const std::ios_base::failure &) {
        return std::nullopt;
    }
}

using Kind = ELzrw1Exception::Kind;

[[noreturn]] void fail(Kind kind, const std::string &message)
{
    throw ELzrw1Exception(kind, message);
}

} // namespace

// One Compress, Decompress or Advise: the properties as they were when it started, its
// buffers, input and output. Everything is released when the run ends, also on failure.
class Lzrw1Run {
public:
    explicit Lzrw1Run(Tlzrw1 &owner)
        : owner_(owner)
        , stream_(owner.UseStream)
        , inName_(owner.InputFile)
        , outName_(owner.OutputFile)
    {
    }

    std::int64_t compress();
    std::int64_t decompress();
    TCompressMode advise();

private:
    // Messages that name the file, or the stream in stream mode.
    std::string named(std::string_view fileText, std::string_view name,
                      std::string_view streamText) const
    {
        return stream_ ? std::string(streamText) : std::string(fileText) + std::string(name);
    }
    std::string readError(std::string_view coder = {}) const
    {
        if (stream_)
            return "Lzrw1 : Error reading from input stream !" + std::string(coder);
        return "Lzrw1 : Error reading from input file : " + inName_ + std::string(coder);
    }

    void openInput();
    void openOutput();
    void write(const std::uint8_t *buf, std::size_t n);
    [[noreturn]] void failWrite() const;
    void readExact(std::uint8_t *buf, std::size_t n);

    void compressLzrw1kh(std::int64_t size);
    void compressLzh(std::int64_t size);
    void decompressLzrw1kh(std::int64_t size);
    void decompressLzh(std::int64_t size);

    void progress(std::string_view coder)
    {
        if (owner_.OnProgress)
            owner_.OnProgress(std::string(coder) + " Bytes in : " + std::to_string(bytesIn_)
                              + " Bytes out : " + std::to_string(bytesOut_));
    }
    void events()
    {
        if (owner_.OnProcessEvents)
            owner_.OnProcessEvents();
    }

    Tlzrw1 &owner_;
    const bool stream_;
    const std::string inName_;
    const std::string outName_;
    Buffers buf_;
    Input in_;
    Output out_;
    std::int64_t bytesIn_ = 0;
    std::int64_t bytesOut_ = 0;
};

void Lzrw1Run::openInput()
{
    if (stream_ ? !in_.attach(owner_.InputStream) : !in_.openFile(inName_))
        fail(Kind::ReadError, named("Lzrw1 (de)compression : Failed to open input file : ", inName_,
                   "Lzrw1 (de)compression : Failed to initialize input stream !"));
}

void Lzrw1Run::openOutput()
{
    const std::string message =
        named("Lzrw1 (de)compression : Failed to open output file : ", outName_,
              "Lzrw1 (de)compression : Failed to initialize output stream !");
    if (stream_) {
        if (!out_.attach(owner_.OutputStream))
            fail(Kind::WriteError, message);
        return;
    }
    // Creating the output would truncate an input that is the same file.
    std::error_code ec;
    if (std::filesystem::equivalent(inName_, outName_, ec))
        fail(Kind::WriteError, message);
    if (!out_.createFile(outName_))
        fail(Kind::WriteError, message);
}

void Lzrw1Run::write(const std::uint8_t *buf, std::size_t n)
{
    if (!out_.write(buf, n))
        failWrite();
}

void Lzrw1Run::failWrite() const
{
    fail(Kind::WriteError, named("Lzrw1 : Error writing to output file : ", outName_,
               "Lzrw1 : Error writing to output stream !"));
}

void Lzrw1Run::readExact(std::uint8_t *buf, std::size_t n)
{
    if (in_.read(buf, n) != std::int64_t(n))
        fail(Kind::ReadError, readError());
    bytesIn_ += std::int64_t(n);
}

std::int64_t Lzrw1Run::compress()
{
    TCompressMode mode = owner_.CompressMode;
    if (mode == TCompressMode::Auto)
        mode = owner_.Advise();

    if (!buf_.allocate())
        fail(Kind::NoMemory, "Lzrw1 (de)compression : Failed to get memory for I/O buffers !");

    const std::optional<std::int64_t> size =
        stream_ ? streamSize(owner_.InputStream) : fileSize(inName_);
    // The header records the size in 32 bits.
    if (!size || *size > std::numeric_limits<std::int32_t>::max())
        fail(Kind::ReadError, named("Lzrw1 compression : Failed to obtain the size of : ", inName_,
                   "Lzrw1 compression : Failed to obtain the size of the input stream !"));

    // From here on an error removes the output file (Output's destructor).
    openInput();
    openOutput();
    std::uint8_t header[Tlzrw1::kHeaderSize];
    putLe32(header, mode == TCompressMode::Fast ? Tlzrw1::kIdLzrw1kh : Tlzrw1::kIdLzh);
    putLe32(header + 4, std::uint32_t(*size));
    write(header, sizeof header);
    bytesOut_ = Tlzrw1::kHeaderSize;

    if (mode == TCompressMode::Fast)
        compressLzrw1kh(*size);
    else
        compressLzh(*size);
    if (!out_.close())
        failWrite();

    if (owner_.OnResult) {
        const std::string pct = std::to_string(percent(bytesOut_, bytesIn_));
        owner_.OnResult(stream_ ? "Lzrw1 : inputstream successfully compressed at " + pct + "%"
                                : inName_ + " : Lzrw1 : successfully compressed at " + pct + "%");
    }
    return bytesOut_;
}

void Lzrw1Run::compressLzrw1kh(std::int64_t size)
{
    // Only the bytes the header counts are coded, so the container stays whole even if
    // the file grows meanwhile; one that shrinks fails as a read error.
    std::int64_t remaining = size;
    for (;;) {
        const auto want = std::size_t(std::min<std::int64_t>(kChunk, remaining));
        const std::int64_t got = in_.read(buf_.in.get(), want);
        if (got != std::int64_t(want))
            fail(Kind::ReadError, readError(" (LZRW1/KH)"));
        remaining -= got;
        bytesIn_ += got;
        events();

        const int len = owner_.lzr_.CompressBlock(buf_.in.get(), int(got), buf_.out.get());
        const std::uint8_t record[2] = {std::uint8_t(len), std::uint8_t(len >> 8)};
        write(record, sizeof record);
        write(buf_.out.get(), std::size_t(len));
        bytesOut_ += 2 + len;
        progress("(LZRW1/KH)");
        events();

        // A full chunk is always followed by another record, an empty one at the end.
        if (got < kChunk)
            break;
    }
}

void Lzrw1Run::compressLzh(std::int64_t size)
{
    std::int64_t remaining = size;
    const auto read = [&](std::span<std::uint8_t> buf) -> std::size_t {
        const auto want = std::size_t(std::min<std::int64_t>(std::int64_t(buf.size()), remaining));
        if (want == 0)
            return 0;
        const std::int64_t got = in_.read(buf.data(), want);
        if (got != std::int64_t(want))
            fail(Kind::ReadError, readError(" (LZH)"));
        remaining -= got;
        bytesIn_ += got;
        progress("(LZH)");
        events();
        return want;
    };
    const auto writeOut = [&](std::span<const std::uint8_t> bytes) {
        write(bytes.data(), bytes.size());
        bytesOut_ += std::int64_t(bytes.size());
        progress("(LZH)");
        events();
    };
    owner_.lzh_.Encode({buf_.in.get(), std::size_t(kChunk)}, {buf_.out.get(), std::size_t(kChunk)},
                       read, writeOut);
}

std::int64_t Lzrw1Run::decompress()
{
    if (!buf_.allocate())
        fail(Kind::NoMemory, "Lzrw1 (de)compression : Failed to get memory for I/O buffers !");
    // From here on an error removes the output file (Output's destructor).
    openInput();
    openOutput();
    std::uint8_t header[Tlzrw1::kHeaderSize];
    readExact(header, 4);
    const std::uint32_t id = getLe32(header);
    if (id != Tlzrw1::kIdLzrw1kh && id != Tlzrw1::kIdLzh)
        fail(Kind::NoHeader, named(inName_, " : Lzrw1 decompression : this file has no valid header !",
                   "Lzrw1 decompression : input stream contains no valid header !"));
    readExact(header + 4, 4);
    const auto size = std::int64_t(std::int32_t(getLe32(header + 4)));

    if (id == Tlzrw1::kIdLzrw1kh)
        decompressLzrw1kh(size);
    else
        decompressLzh(size);
    if (!out_.close())
        failWrite();

    if (owner_.OnResult) {
        const std::string pct = std::to_string(percent(bytesOut_, bytesIn_));
        owner_.OnResult(stream_ ? "LZrw1 : inputstream successfully decompressed at " + pct + "%"
                                : inName_ + " : Lzrw1 : successfully decompressed at " + pct + "%");
    }
    return bytesOut_;
}

void Lzrw1Run::decompressLzrw1kh(std::int64_t size)
{
    for (;;) {
        std::uint8_t record[2];
        readExact(record, sizeof record);
        const int len = record[0] | record[1] << 8;
        // A block longer than a stored chunk cannot be one of ours.
        if (len > TLZR::kMaxBlockSize)
            fail(Kind::SizeMismatch, lzrw1msg::kSizeMismatchLzrw1kh);
        readExact(buf_.in.get(), std::size_t(len));
        events();

        const int n = owner_.lzr_.DecompressBlock(buf_.in.get(), len, buf_.out.get());
        // Nothing beyond the stated size is ever written.
        if (bytesOut_ + n > size)
            fail(Kind::SizeMismatch, lzrw1msg::kSizeMismatchLzrw1kh);
        write(buf_.out.get(), std::size_t(n));
        bytesOut_ += n;
        progress("(LZRW1/KH)");
        events();
        if (n != kChunk)
            break;
    }
    if (bytesOut_ != size)
        fail(Kind::SizeMismatch, lzrw1msg::kSizeMismatchLzrw1kh);
}

void Lzrw1Run::decompressLzh(std::int64_t size)
{
    const auto read = [&](std::span<std::uint8_t> buf) -> std::size_t {
        const std::int64_t got = in_.read(buf.data(), buf.size());
        if (got < 0)
            fail(Kind::ReadError, readError(" (LZH)"));
        bytesIn_ += got;
        progress("(LZH)");
        events();
        return std::size_t(got);
    };
    const auto writeOut = [&](std::span<const std::uint8_t> bytes) {
        write(bytes.data(), bytes.size());
        bytesOut_ += std::int64_t(bytes.size());
        progress("(LZH)");
        events();
    };
    owner_.lzh_.Decode(size, {buf_.in.get(), std::size_t(kChunk)},
                       {buf_.out.get(), std::size_t(kChunk)}, read, writeOut);
    if (bytesOut_ != size)
        fail(Kind::SizeMismatch, "Lzrw1 (LZH decompression) : Original and compressed sizes do not match !");
}

TCompressMode Lzrw1Run::advise()
{
    if (owner_.OnProgress)
        owner_.OnProgress(stream_ ? std::string("Guessing the best compression mode for the inputstream")
                                  : "Guessing the best compression mode for : " + inName_);
    if (!buf_.allocate())
        fail(Kind::NoMemory, "Lzrw1 advise : Error getting I/O buffers");

    const std::optional<std::int64_t> size =
        stream_ ? streamSize(owner_.InputStream) : fileSize(inName_);
    if (!size)
        fail(Kind::ReadError, named("Lzrw1 advise : can not get the size of : ", inName_,
                   "Lzrw1 advise : can not get size of inputstream !"));
    if (*size < Tlzrw1::kAdviseMinSize) {
        owner_.CompressMode = TCompressMode::Good;
        if (owner_.OnResult)
            owner_.OnResult("Lzrw1 recommends GOOD compression :  small file !!");
        return TCompressMode::Good;
    }

    if (stream_ ? !in_.attach(owner_.InputStream) : !in_.openFile(inName_))
        fail(Kind::ReadError, named("Lzrw1 advise : can open input file : ", inName_,
                   "Lzrw1 edvise : can not initialize the input stream!"));
    const std::string readFailure = named("Lzrw1 advise : read error on input file : ", inName_,
                                          "Lzrw1 advise : input stream read error !");
    struct Rewind {
        Input &in;
        ~Rewind() { in.rewind(); }
    } rewind{in_};

    std::int64_t sampled = 0;
    std::int64_t coded = 0;
    for (const std::int64_t at : {*size / 3, *size * 2 / 3}) {
        if (!in_.seek(at / kChunk * kChunk))
            fail(Kind::ReadError, readFailure);
        const std::int64_t got = in_.read(buf_.in.get(), kChunk);
        if (got < 0)
            fail(Kind::ReadError, readFailure);
        sampled += got;
        coded += owner_.lzr_.CompressBlock(buf_.in.get(), int(got), buf_.out.get());
        events();
    }
    if (sampled == 0) // the input shrank below its size
        fail(Kind::ReadError, readFailure);

    const std::string pct = std::to_string(coded * 100 / sampled);
    const bool fast = coded < sampled * owner_.Threshold / 100;
    if (owner_.OnResult)
        owner_.OnResult(fast ? "Lzrw1 recommends FAST compression : " + pct + "%."
                             : "Lzrw1 recommends GOOD compression : " + pct + "%.");
    return fast ? TCompressMode::Fast : TCompressMode::Good;
}

std::int64_t Tlzrw1::Compress()
{
    return Lzrw1Run(*this).compress();
}

std::int64_t Tlzrw1::Decompress()
{
    return Lzrw1Run(*this).decompress();
}

TCompressMode Tlzrw1::Advise()
{
    return Lzrw1Run(*this).advise();
}

namespace {
std::string runInMemory(const std::string &input, TCompressMode mode, bool compress)
{
    std::istringstream in(input);
    std::ostringstream out;
    Tlzrw1 coder;
    coder.UseStream = true;
    coder.InputStream = &in;
    coder.OutputStream = &out;
    coder.CompressMode = mode;
    if (compress)
        coder.Compress();
    else
        coder.Decompress();
    return out.str();
}
} // namespace

std::string compressString(const std::string &data, TCompressMode mode)
{
    return runInMemory(data, mode, true);
}

std::string decompressString(const std::string &container)
{
    return runInMemory(container, TCompressMode::Good, false);
}
