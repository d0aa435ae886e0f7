#pragma once
#include "engine/Clock.h"

#include <QTimer>

namespace sorvane::ui {

// Yield of a running cycle: handles every pending event; when none is
// pending, sleeps in the event loop until one arrives or maxWaitMs pass.
class QtEventPump final : public EventPump {
public:
    QtEventPump();
    void yield(uint32_t maxWaitMs) override;

private:
    QTimer m_wake; // its expiry is the event that ends a wait
};

} // namespace sorvane::ui
