// Global hotkeys for builds without the X11 libraries: none, and the user
// is told so once.
#include "engine/Platform.h"

namespace sorvane {

std::unique_ptr<HotkeyBackend> createHotkeyBackend(Notify notify)
{
    notify("Global hotkeys are unavailable: this build has no X11 support. "
           "The timer still works from its window.");
    return std::make_unique<NullHotkeyBackend>();
}

} // namespace sorvane
