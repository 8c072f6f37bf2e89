// lzrw1: compresses a file into the program's container, or restores one.
#include "tally/lzrw1.h"

#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char *kUsage =
    "Usage: lzrw1 c [-m fast|good|auto] IN OUT   compress IN into OUT (default mode: good)\n"
    "       lzrw1 d IN OUT                       decompress IN into OUT\n"
    "       lzrw1 --help                         show this text\n";

int usageError()
{
    std::fputs(kUsage, stderr);
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (args.empty() || (args[0] != "c" && args[0] != "d"))
        return usageError();

    Tlzrw1 lzrw1;
    const bool compress = args[0] == "c";
    std::size_t next = 1;
    if (compress && args.size() > next && args[next] == "-m") {
        if (args.size() <= next + 1)
            return usageError();
        const std::string_view mode = args[next + 1];
        if (mode == "fast")
            lzrw1.CompressMode = TCompressMode::Fast;
        else if (mode == "good")
            lzrw1.CompressMode = TCompressMode::Good;
        else if (mode == "auto")
            lzrw1.CompressMode = TCompressMode::Auto;
        else
            return usageError();
        next += 2;
    }
    if (args.size() != next + 2)
        return usageError();
    lzrw1.InputFile = args[next];
    lzrw1.OutputFile = args[next + 1];

    try {
        if (compress)
            lzrw1.Compress();
        else
            lzrw1.Decompress();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
