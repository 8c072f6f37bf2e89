// Shared pieces of the compression fuzz targets: in-memory runs of the component.
#pragma once

#include "tally/lzrw1.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <streambuf>
#include <string>

namespace fuzzsupport {

// Counts what is written and keeps nothing: decoded output can be large.
class CountingBuf : public std::streambuf {
public:
    std::int64_t count = 0;

protected:
    std::streamsize xsputn(const char *, std::streamsize n) override
    {
        count += n;
        return n;
    }
    int_type overflow(int_type c) override
    {
        ++count;
        return traits_type::not_eof(c);
    }
    pos_type seekoff(off_type, std::ios::seekdir, std::ios::openmode) override
    {
        return pos_type(off_type(count));
    }
};

// Decompresses a container; it may be rejected, but only with the component's error.
inline void decompressAnything(const std::string &container)
{
    std::istringstream in(container);
    CountingBuf sink;
    std::ostream out(&sink);
    Tlzrw1 c;
    c.UseStream = true;
    c.InputStream = &in;
    c.OutputStream = &out;
    try {
        const std::int64_t produced = c.Decompress();
        if (produced != sink.count)
            std::abort();
    } catch (const ELzrw1Exception &) {
    }
}


// Compresses and decompresses in one mode; any difference is a finding.
inline void roundTrip(const std::uint8_t *data, std::size_t size, TCompressMode mode)
{
    const std::string input(reinterpret_cast<const char *>(data), size);
    const std::string container = compressString(input, mode);
    if (decompressString(container) != input) {
        std::fprintf(stderr, "round trip differs\n");
        std::abort();
    }
}

} // namespace fuzzsupport
