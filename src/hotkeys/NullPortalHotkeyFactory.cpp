// Stand-in for builds without Qt D-Bus: no desktop portal.
#include "hotkeys/HotkeyBackendChooser.h"

namespace sorvane {

std::unique_ptr<HotkeyBackend> createPortalHotkeyBackend(Notify, std::string& whyNot) {
    whyNot = "this build has no D-Bus support for the desktop portal";
    return nullptr;
}

} // namespace sorvane
