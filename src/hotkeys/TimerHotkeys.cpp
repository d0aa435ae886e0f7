#include "hotkeys/TimerHotkeys.h"

namespace sorvane {

void switchReceivers(HotkeyMoment moment, const std::array<HotkeyReceiver*, 3>& receivers) {
    HotkeyReceiver& start = *receivers[TimerHotkeys::kStart];
    HotkeyReceiver& restart = *receivers[TimerHotkeys::kRestart];
    HotkeyReceiver& stop = *receivers[TimerHotkeys::kStop];
    switch (moment) {
    case HotkeyMoment::StartPressed:
        // Off first, so that the Start key cannot begin a run inside the run.
        start.setEnabled(false);
        restart.setEnabled(true);
        stop.setEnabled(true);
        break;
    case HotkeyMoment::RunEnded:
        start.setEnabled(true);
        restart.setEnabled(false);
        stop.setEnabled(false);
        break;
    case HotkeyMoment::KeyBoxFocused:
        start.setEnabled(false);
        restart.setEnabled(false);
        stop.setEnabled(false);
        break;
    case HotkeyMoment::KeyBoxLeft:
        // Restart and Stop come back with the next Start.
        start.setEnabled(true);
        break;
    }
}

std::array<HotkeyReceiver*, 3> TimerHotkeys::receivers() {
    return {&m_receivers[kStart], &m_receivers[kRestart], &m_receivers[kStop]};
}

void TimerHotkeys::assign(std::size_t index, int16_t keyCode, int16_t shift) {
    m_assignments.at(index) = {keyCode, shift};
    m_receivers.at(index).setKeyCode(keyCode);
}

void TimerHotkeys::watchAssignedKeys() {
    for (std::size_t i = 0; i < kCount; ++i)
        m_receivers[i].setKeyCode(m_assignments[i].keyCode);
}

} // namespace sorvane
