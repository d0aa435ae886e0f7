#pragma once
#include "engine/Clock.h"

#include <memory>

class QSocketNotifier;

namespace sorvane::ui {

// Yield of a running cycle: handles every pending event; when none is
// pending, sleeps in the event loop until one arrives or maxWaitMs pass.
// The wait ends at an absolute moment of the monotonic clock (a timerfd),
// so a long wait is not stretched by the slack the kernel gives to long
// poll timeouts, and nothing wakes the loop while no wait is asked for.
class QtEventPump final : public EventPump {
public:
    QtEventPump();
    ~QtEventPump() override;
    QtEventPump(const QtEventPump&) = delete;
    QtEventPump& operator=(const QtEventPump&) = delete;
    void yield(uint32_t maxWaitMs) override;

private:
    int m_timerFd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier; // its activation ends a wait
};

} // namespace sorvane::ui
