// Any bytes after the LZRW1/KH identifier: the size field and the records.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzzsupport::decompressAnything(std::string("\x57\x52\x5A\x4C", 4)
                                    + std::string(reinterpret_cast<const char *>(data), size));
    return 0;
}
