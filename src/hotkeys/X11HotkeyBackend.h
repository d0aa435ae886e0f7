#pragma once
// Global hotkeys on X11: the keys of the attached receivers are watched
// through XInput2 raw key events on the root window.  Nothing is grabbed, so
// the other applications still get every key.  A receiver's code stands for
// every key of the keyboard map that produces one of the code's keysyms at
// any level: the keypad's 7 is Home without NumLock and fires a Home
// hotkey, Ctrl+Alt+F9 is still F9.
#include "hotkeys/HotkeyReceiver.h"
#include "hotkeys/PressQueue.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

class QSocketNotifier;
struct _XDisplay;
struct _XkbDesc;

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
    // Reads the keyboard map again and works out the keycodes of every
    // receiver from it.
    void remapAll();
    void remap(Watch& watch);
    void readKeyboardMap();
    // Reads the queued events; returns the receivers whose key went down.
    std::vector<HotkeyReceiver*> takeEvents();
    // Xlib may have read events off the socket during a request of ours;
    // those would not wake the socket notifier, so they are handled soon.
    void handleQueuedSoon();

    _XDisplay* m_display;
    int m_xiOpcode;
    int m_xkbEventBase = -1;
    _XkbDesc* m_keyboardMap = nullptr; // keysyms and key names, when the server has XKB
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::vector<Watch> m_watches;
    std::set<int> m_keysDown;
    PressQueue m_presses;
};

} // namespace sorvane
