// Good mode: the LZH container restores the input.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzzsupport::roundTrip(data, size, TCompressMode::Good);
    return 0;
}
