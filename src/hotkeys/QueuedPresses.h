#pragma once
// How every backend hands key presses to their receivers.
#include "hotkeys/HotkeyReceiver.h"

#include <QMetaObject>
#include <QObject>

#include <vector>

namespace sorvane {

// Each press goes to the event loop on its own, in order.  A handler may run
// a nested event loop for a long time (the Start key runs a whole timer
// cycle inside it); the presses after it, for another receiver of the same
// key or for the next key, are then delivered from that nested loop instead
// of after the handler returns.  Whether a receiver is switched on counts
// when its press is delivered, so a Stop key that the Start key's handler
// has just switched on reacts to the same press.  Presses still queued when
// context is destroyed are dropped.
inline void queuePresses(QObject* context, const std::vector<HotkeyReceiver*>& receivers) {
    for (HotkeyReceiver* receiver : receivers)
        QMetaObject::invokeMethod(
            context, [receiver] { receiver->press(); }, Qt::QueuedConnection);
}

} // namespace sorvane
