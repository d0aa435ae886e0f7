#pragma once
// Global hotkeys on X11: the keys of the attached receivers are watched
// through XInput2 raw key events on the root window.  Nothing is grabbed, so
// the other applications still get every key.
#include "hotkeys/HotkeyReceiver.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

class QSocketNotifier;
struct _XDisplay;

namespace sorvane {

class X11HotkeyBackend final : public HotkeyBackend {
public:
    // Takes over an open connection of its own on which XInput2 2.0 or later
    // has been found (xiOpcode is the extension's major opcode) and closes it
    // when destroyed.
    X11HotkeyBackend(_XDisplay* display, int xiOpcode);
    ~X11HotkeyBackend() override;
    X11HotkeyBackend(const X11HotkeyBackend&) = delete;
    X11HotkeyBackend& operator=(const X11HotkeyBackend&) = delete;

    void attach(HotkeyReceiver& receiver) override;
    bool isAvailable() const override { return true; }
    std::string name() const override { return "X11 (XInput2 raw keys)"; }

private:
    struct Watch {
        HotkeyReceiver* receiver;
        std::vector<int> keycodes;
    };

    void onReadable();
    // Works out the keycodes of every receiver from the current keyboard map.
    void remapAll();
    void remap(Watch& watch);
    // Reads the queued events; returns the receivers whose key went down.
    std::vector<HotkeyReceiver*> takeEvents();
    // Xlib may have read events off the socket during a request of ours;
    // those would not wake the socket notifier, so they are handled soon.
    void handleQueuedSoon();

    _XDisplay* m_display;
    int m_xiOpcode;
    int m_xkbEventBase = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::vector<Watch> m_watches;
    std::set<int> m_keysDown;
};

} // namespace sorvane
