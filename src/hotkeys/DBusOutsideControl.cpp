// Outside control over the session bus.
#include "hotkeys/DBusControl.h"
#include "hotkeys/OutsideControl.h"

#include <QDBusConnection>

namespace sorvane {

OutsideControl publishOutsideControl(HotkeyReceiver& start, HotkeyReceiver& restart, HotkeyReceiver& stop) {
    auto control = std::make_unique<DBusControl>(QDBusConnection::sessionBus(), start, restart, stop);
    QString problem = control->publish();
    return {std::move(control), std::move(problem)};
}

} // namespace sorvane
