// Stand-in for builds without Qt D-Bus: no outside control.
#include "hotkeys/OutsideControl.h"

namespace sorvane {

OutsideControl publishOutsideControl(TimerHotkeys&) {
    return {nullptr,
            QStringLiteral("this build has no D-Bus support, outside control (sorvane-timer-ctl) is off")};
}

} // namespace sorvane
