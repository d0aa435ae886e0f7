#pragma once
#include <cstdint>

namespace sorvane {

// A millisecond tick counter that wraps at 2^32, like the system's uptime
// counter.  The cycle runner only ever takes differences of two readings.
class TickClock {
public:
    virtual ~TickClock() = default;
    virtual uint32_t ticks() = 0;
};

// The tick counter of this machine: CLOCK_MONOTONIC in milliseconds, cut to
// 32 bits.
class MonotonicTickClock final : public TickClock {
public:
    uint32_t ticks() override;
    // The instant at which the counter reaches `tick` (the one nearest to
    // now), in nanoseconds of CLOCK_MONOTONIC.
    static int64_t nanosecondsAt(uint32_t tick);
};

// Hands control to the program's event loop: every pending event is handled
// (handlers may run inside), then it returns.  When nothing is pending it
// may wait up to maxWaitMs for the next event before returning, which is how
// a running cycle sleeps until its next moment is due instead of spinning.
class EventPump {
public:
    virtual ~EventPump() = default;
    virtual void yield(uint32_t maxWaitMs) = 0;
};

} // namespace sorvane
