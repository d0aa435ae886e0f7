#pragma once
// The timer's three global hotkeys, Start, Restart and Stop: their
// receivers, the key each one is assigned, and the rules that switch the
// receivers on and off as runs begin and end and as the key boxes take and
// give up the focus.
#include "hotkeys/HotkeyReceiver.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace sorvane {

// A key and the modifiers held with it (Shift 1, Ctrl 2, Alt 4, added
// together).  Only the key code is stored in settings files and given to a
// receiver; the mask only decides how the key box names code 0.
struct HotkeyAssignment {
    int16_t keyCode = 0;
    int16_t shift = 0;
};

// The moments at which the program switches the receivers.
enum class HotkeyMoment {
    StartPressed,  // before the run: Start off, Restart and Stop on
    RunEnded,      // completed or stopped: Start on, Restart and Stop off
    KeyBoxFocused, // a key box captures keys: all three off
    KeyBoxLeft,    // Start on; Restart and Stop stay as they are
};

// Switches the receivers (Start, Restart, Stop) for the moment, in that order.
void switchReceivers(HotkeyMoment moment, const std::array<HotkeyReceiver*, 3>& receivers);

class TimerHotkeys {
public:
    // Index of each hotkey: the order of the key boxes, the settings file
    // and the receivers.
    static constexpr std::size_t kStart = 0;
    static constexpr std::size_t kRestart = 1;
    static constexpr std::size_t kStop = 2;
    static constexpr std::size_t kCount = 3;

    HotkeyReceiver& receiver(std::size_t index) { return m_receivers.at(index); }
    HotkeyReceiver& startReceiver() { return m_receivers[kStart]; }
    HotkeyReceiver& restartReceiver() { return m_receivers[kRestart]; }
    HotkeyReceiver& stopReceiver() { return m_receivers[kStop]; }
    // Start, Restart, Stop.
    std::array<HotkeyReceiver*, 3> receivers();

    const HotkeyAssignment& assignment(std::size_t index) const { return m_assignments.at(index); }
    // The assignment's key code, where loading settings puts a stored one.
    // The receivers keep watching their old keys until watchAssignedKeys().
    int16_t* keyCodeSlot(std::size_t index) { return &m_assignments.at(index).keyCode; }

    // A key pressed in a key box: it becomes the hotkey's assignment, and
    // its receiver watches the key code alone, at once (also while off).
    void assign(std::size_t index, int16_t keyCode, int16_t shift);
    // Gives the receivers the key codes of their assignments, Start,
    // Restart and Stop in that order.
    void watchAssignedKeys();

    void switchFor(HotkeyMoment moment) { switchReceivers(moment, receivers()); }

private:
    // All three are on until the first moment switches them.
    std::array<HotkeyReceiver, kCount> m_receivers;
    std::array<HotkeyAssignment, kCount> m_assignments{};
};

} // namespace sorvane
