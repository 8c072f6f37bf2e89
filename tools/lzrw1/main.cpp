// lzrw1: compresses a file into the program's container, or restores one.
#include "platform/files.h"
#include "tally/lzrw1.h"

#include <sys/stat.h>
#include <unistd.h>

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

// text with every temp replaced by output, so messages name the path the user gave.
std::string naming(std::string text, const std::string &temp, const std::string &output)
{
    for (std::size_t at = text.find(temp); at != std::string::npos; at = text.find(temp, at + output.size()))
        text.replace(at, temp.size(), output);
    return text;
}

// The run writes a new file beside the output and renames it over the output
// only when it succeeded: a failure leaves whatever was at the output path as it
// was. Only a plain file is replaced; a link, a device, a FIFO or a folder there
// is refused before anything is read or written.
int run(Tlzrw1 &lzrw1, bool compress)
{
    const std::string output = lzrw1.OutputFile;
    struct stat st {};
    if (::lstat(output.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        std::fprintf(stderr, "lzrw1: %s is not a regular file; it is left as it is\n", output.c_str());
        return 1;
    }
    std::string temp;
    try {
        temp = platform::createFileBeside(output).string();
        lzrw1.OutputFile = temp;
        if (compress)
            lzrw1.Compress();
        else
            lzrw1.Decompress();
        platform::moveFileOver(temp, output);
    } catch (const std::exception &e) {
        if (!temp.empty())
            ::unlink(temp.c_str());
        std::fprintf(stderr, "%s\n", temp.empty() ? e.what() : naming(e.what(), temp, output).c_str());
        return 1;
    }
    return 0;
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

    return run(lzrw1, compress);
}
