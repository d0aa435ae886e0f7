#include "engine/Clock.h"

#include <ctime>

namespace sorvane {

uint32_t MonotonicTickClock::ticks() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const uint64_t ms =
        static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms); // wraps like a 32-bit uptime counter
}

} // namespace sorvane
