// Stand-in for builds without the X11 libraries: no X11 raw key events.
#include "hotkeys/HotkeyBackendChooser.h"

namespace sorvane {

std::unique_ptr<HotkeyBackend> createX11HotkeyBackend(std::string& whyNot) {
    whyNot = "this build has no X11 support";
    return nullptr;
}

} // namespace sorvane
