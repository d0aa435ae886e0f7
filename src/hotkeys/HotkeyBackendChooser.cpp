// The choice of the global hotkey backend at start: X11 raw key events on an
// X11 session, the desktop's portal on a Wayland session; failing those the
// input devices; failing all, a notice that says how to get global hotkeys.
#include "hotkeys/HotkeyBackendChooser.h"

#include <cstdlib>
#include <string_view>

namespace sorvane {
namespace {

std::string_view environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string_view{} : std::string_view{value};
}

bool isX11Session() {
    const std::string_view type = environment("XDG_SESSION_TYPE");
    if (type == "x11")
        return true;
    if (type == "wayland")
        return false;
    return !environment("DISPLAY").empty() && environment("WAYLAND_DISPLAY").empty();
}

bool isWaylandSession() {
    return environment("XDG_SESSION_TYPE") == "wayland" || !environment("WAYLAND_DISPLAY").empty();
}

std::string unavailableNotice(const std::string& reasons) {
    return "Global hotkeys are unavailable: " + reasons +
           ". The timer still works from its window. To get global hotkeys, use a desktop "
           "that offers the GlobalShortcuts portal (xdg-desktop-portal), or give your user "
           "read access to the keyboards under /dev/input (for example by joining the "
           "'input' group and logging in again). Your desktop's own key bindings can also "
           "run 'sorvane-timer-ctl start', 'sorvane-timer-ctl restart' and "
           "'sorvane-timer-ctl stop'.";
}

} // namespace

std::unique_ptr<HotkeyBackend> createHotkeyBackend(Notify notify) {
    std::string reasons;
    auto note = [&reasons](const std::string& why) {
        if (!why.empty())
            reasons += (reasons.empty() ? "" : "; ") + why;
    };

    std::string whyNot;
    if (isX11Session()) {
        if (auto x11 = createX11HotkeyBackend(whyNot))
            return x11;
        note(whyNot);
    } else if (isWaylandSession()) {
        if (auto portal = createPortalHotkeyBackend(notify, whyNot))
            return portal;
        note(whyNot);
    }
    whyNot.clear();
    if (auto evdev = createEvdevHotkeyBackend(whyNot))
        return evdev;
    note(whyNot);

    notify(unavailableNotice(reasons));
    return std::make_unique<NullHotkeyBackend>();
}

} // namespace sorvane
