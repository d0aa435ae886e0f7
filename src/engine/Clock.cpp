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

int64_t MonotonicTickClock::nanosecondsAt(uint32_t tick) {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const int64_t nowMs = static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
    // Signed distance on the 32-bit counter.
    const auto ahead = static_cast<int32_t>(tick - static_cast<uint32_t>(nowMs));
    return (nowMs + ahead) * 1'000'000;
}

} // namespace sorvane
