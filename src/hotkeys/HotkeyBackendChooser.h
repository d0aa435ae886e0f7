#pragma once
// The ways of watching global keys that createHotkeyBackend (engine/Platform.h)
// chooses from.  Each one stands in its own file; a build without the
// libraries of one links a stand-in that always gives up.  Each returns
// nullptr, with a short reason in whyNot, when it cannot work here.
#include "engine/Platform.h"

#include <memory>
#include <string>

namespace sorvane {

// XInput2 raw key events of the X server named by DISPLAY.
std::unique_ptr<HotkeyBackend> createX11HotkeyBackend(std::string& whyNot);

// The desktop's GlobalShortcuts portal on the session bus.  Gives up only
// when the portal is not there at all; what happens later (the desktop
// refuses, or binds other keys) is told through notify.
std::unique_ptr<HotkeyBackend> createPortalHotkeyBackend(Notify notify, std::string& whyNot);

// The keyboards under /dev/input, when the user may read them.
std::unique_ptr<HotkeyBackend> createEvdevHotkeyBackend(std::string& whyNot);

} // namespace sorvane
