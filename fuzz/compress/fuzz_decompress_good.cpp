// Any bytes after the LZH identifier: the size field and the coded body.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzzsupport::decompressAnything(std::string("\x21\x48\x5A\x4C", 4)
                                    + std::string(reinterpret_cast<const char *>(data), size));
    return 0;
}
