#pragma once
// The ways of watching global keys that createHotkeyBackend (engine/Platform.h)
// chooses from.  Each one stands in its own file; a build without the
// libraries of one links a stand-in that always gives up.  Each returns
// nullptr, with a short reason in whyNot, when it cannot work here.
#include "engine/Platform.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QObject;

namespace sorvane {

// XInput2 raw key events of the X server named by DISPLAY.
std::unique_ptr<HotkeyBackend> createX11HotkeyBackend(std::string& whyNot);

// The desktop's GlobalShortcuts portal on the session bus.  Gives up at once
// only when the portal is not there at all; whether the desktop binds the
// keys is known later, through the backend's changed hook.
std::unique_ptr<HotkeyBackend> createPortalHotkeyBackend(Notify notify, std::string& whyNot);

// The keyboards under /dev/input, when the user may read them.
std::unique_ptr<HotkeyBackend> createEvdevHotkeyBackend(std::string& whyNot);

// The text that tells the user that no way of watching keys works, and
// what does.
std::string noHotkeysNotice(const std::string& reasons);

// Tries ways of watching keys in order and uses the first that works.  One
// that stops working later (a desktop portal that refuses the shortcuts or
// binds none of them) is replaced by the next; when none is left the user
// is told once what works instead.  Every change of the way used, and of
// the keys it watches, is written to the log.
class HotkeyBackendChain final : public HotkeyBackend {
public:
    using Factory = std::function<std::unique_ptr<HotkeyBackend>(std::string& whyNot)>;
    using Log = std::function<void(const std::string&)>;

    HotkeyBackendChain(std::vector<Factory> factories, Notify notify, Log log);
    ~HotkeyBackendChain() override;
    HotkeyBackendChain(const HotkeyBackendChain&) = delete;
    HotkeyBackendChain& operator=(const HotkeyBackendChain&) = delete;

    void attach(HotkeyReceiver& receiver) override;
    bool isAvailable() const override { return m_current->isAvailable(); }
    std::string name() const override { return m_current->name(); }

private:
    // Makes the next backend that works the current one.
    void useNext();
    void use(std::unique_ptr<HotkeyBackend> backend);
    void onCurrentChanged();
    void note(const std::string& why);

    std::vector<Factory> m_factories;
    size_t m_next = 0;
    bool m_exhausted = false; // none works: the user has been told
    Notify m_notify;
    Log m_log;
    std::unique_ptr<HotkeyBackend> m_current;
    std::vector<HotkeyReceiver*> m_receivers;
    std::string m_reasons;
    std::string m_logged;
    std::unique_ptr<QObject> m_context; // for replacing a backend from the event loop
};

// What the choice of a way of watching keys looks at: the session's
// environment and the ways it can try.  createHotkeyBackend passes this
// machine's; a test passes its own.
struct HotkeyProbes {
    // The value of a variable of the session's environment, empty when unset.
    std::function<std::string(const char* name)> environment;
    HotkeyBackendChain::Factory x11;    // raw key events of the X server
    HotkeyBackendChain::Factory portal; // the desktop's shortcuts portal
    HotkeyBackendChain::Factory evdev;  // the keyboards under /dev/input
    HotkeyBackendChain::Log log;
};

// The chain for the session the environment describes: X11 raw key events
// on an X11 session, the portal on a Wayland session, the input devices
// after either, and alone where neither is there.
std::unique_ptr<HotkeyBackend> chooseHotkeyBackend(HotkeyProbes probes, Notify notify);

} // namespace sorvane
