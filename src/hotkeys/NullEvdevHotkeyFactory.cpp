// Stand-in for builds without libevdev: no input devices are read.
#include "hotkeys/HotkeyBackendChooser.h"

namespace sorvane {

std::unique_ptr<HotkeyBackend> createEvdevHotkeyBackend(std::string& whyNot) {
    whyNot = "this build cannot read input devices (no libevdev)";
    return nullptr;
}

} // namespace sorvane
