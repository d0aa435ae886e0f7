#pragma once
// Start, Restart and Stop from outside the program (sorvane-timer-ctl).
// Which implementation stands behind it is chosen when the program is
// linked: DBusControl on the session bus, or a stand-in for builds without
// Qt D-Bus that reports outside control as off.
#include "hotkeys/TimerHotkeys.h"

#include <QObject>
#include <QString>

#include <memory>

namespace sorvane {

struct OutsideControl {
    // Answers outside calls for as long as it lives; null when there is none.
    std::unique_ptr<QObject> control;
    // Why outside control is off; empty when it works.
    QString problem;
};

// Offers the Start, Restart and Stop receivers to other programs.  The
// hotkeys must outlive the returned control.
OutsideControl publishOutsideControl(TimerHotkeys& hotkeys);

} // namespace sorvane
