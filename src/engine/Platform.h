#pragma once
// Factories of the platform backends.  Which implementation stands behind
// them is chosen when the program is linked; every one has a null stand-in.
#include "engine/BeepOutput.h"
#include "hotkeys/HotkeyReceiver.h"

#include <functional>
#include <memory>
#include <string>

namespace sorvane {

// Tells the user something once, without blocking (a running cycle must go on).
using Notify = std::function<void(const std::string&)>;

std::unique_ptr<HotkeyBackend> createHotkeyBackend(Notify notify);

struct SoundDevices {
    std::unique_ptr<PortOutput> port;
    std::unique_ptr<MidiPlayer> midi;
};
SoundDevices createSoundDevices(Notify notify);

} // namespace sorvane
