#include "random.h"

#include <chrono>

namespace qv {

void Random::seedFromClock()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const auto sinceMidnight = now - floor<days>(now);
    seed(static_cast<std::uint32_t>(duration_cast<milliseconds>(sinceMidnight).count()));
}

} // namespace qv
