// Outside control over the session bus.
#include "hotkeys/DBusControl.h"
#include "hotkeys/OutsideControl.h"
#include "hotkeys/SessionBus.h"

#include <QDBusConnection>

namespace sorvane {

OutsideControl publishOutsideControl(TimerHotkeys& hotkeys) {
    // Said plainly: libdbus would only say it cannot parse the address that
    // stands for no bus.
    if (!sessionBusRunning())
        return {nullptr, QStringLiteral("no session bus; outside control (sorvane-timer-ctl) is off")};
    auto control = std::make_unique<DBusControl>(QDBusConnection::sessionBus(), hotkeys.startReceiver(),
                                                 hotkeys.restartReceiver(), hotkeys.stopReceiver());
    QString problem = control->publish();
    return {std::move(control), std::move(problem)};
}

} // namespace sorvane
