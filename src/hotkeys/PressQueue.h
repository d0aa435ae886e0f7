#pragma once
// How every backend hands key presses to their receivers.
#include "hotkeys/HotkeyReceiver.h"

#include <QTimer>

#include <deque>
#include <vector>

namespace sorvane {

// Presses go to their receivers one by one, in order, each from the event
// loop.  A handler may run a nested event loop for a long time (the Start
// key runs a whole timer cycle inside it); the presses after it, for
// another receiver of the same key or for the next key, are then delivered
// from that nested loop instead of after the handler returns.  Whether a
// receiver is switched on counts when its press is delivered, so a Stop key
// that the Start key's handler has just switched on reacts to the same
// press.
//
// A zero timer carries them rather than posted events: the event loop of
// the usual (glib) dispatcher does not deliver, inside the delivery of one
// posted event, the events that were posted before it.
class PressQueue {
public:
    PressQueue() {
        m_timer.setSingleShot(true);
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { deliverNext(); });
    }
    PressQueue(const PressQueue&) = delete;
    PressQueue& operator=(const PressQueue&) = delete;

    void add(const std::vector<HotkeyReceiver*>& receivers) {
        m_pending.insert(m_pending.end(), receivers.begin(), receivers.end());
        if (!m_pending.empty() && !m_timer.isActive())
            m_timer.start();
    }

    // Presses not yet delivered are dropped (their receiver is going).
    void clear() { m_pending.clear(); }

private:
    void deliverNext() {
        if (m_pending.empty())
            return;
        HotkeyReceiver* receiver = m_pending.front();
        m_pending.pop_front();
        if (!m_pending.empty())
            m_timer.start(); // the next one, also from inside this press
        receiver->press();
    }

    QTimer m_timer;
    std::deque<HotkeyReceiver*> m_pending;
};

} // namespace sorvane
