// The choice of the global hotkey backend at start: X11 raw key events on an
// X11 session, the desktop's portal on a Wayland session; failing those the
// input devices; failing all, a notice that says what works instead.
#include "hotkeys/HotkeyBackendChooser.h"

#include <QMetaObject>
#include <QObject>

#include <cstdio>
#include <cstdlib>

namespace sorvane {
namespace {

using Environment = std::function<std::string(const char*)>;

bool isX11Session(const Environment& environment) {
    const std::string type = environment("XDG_SESSION_TYPE");
    if (type == "x11")
        return true;
    if (type == "wayland")
        return false;
    return !environment("DISPLAY").empty() && environment("WAYLAND_DISPLAY").empty();
}

bool isWaylandSession(const Environment& environment) {
    return environment("XDG_SESSION_TYPE") == "wayland" || !environment("WAYLAND_DISPLAY").empty();
}

} // namespace

std::string noHotkeysNotice(const std::string& reasons) {
    return "Global hotkeys are unavailable: " + reasons +
           ". The timer still works from its window. To start, restart and stop it from any "
           "application, bind the commands 'sorvane-timer-ctl start', 'sorvane-timer-ctl restart' "
           "and 'sorvane-timer-ctl stop' to keys in your desktop's keyboard settings.";
}

HotkeyBackendChain::HotkeyBackendChain(std::vector<Factory> factories, Notify notify, Log log)
    : m_factories(std::move(factories)), m_notify(std::move(notify)), m_log(std::move(log)),
      m_context(std::make_unique<QObject>()) {
    useNext();
}

HotkeyBackendChain::~HotkeyBackendChain() {
    m_context.reset(); // no replacement runs any more
    m_current.reset();
}

void HotkeyBackendChain::attach(HotkeyReceiver& receiver) {
    m_receivers.push_back(&receiver);
    m_current->attach(receiver);
}

void HotkeyBackendChain::note(const std::string& why) {
    if (!why.empty())
        m_reasons += (m_reasons.empty() ? "" : "; ") + why;
}

void HotkeyBackendChain::useNext() {
    while (m_next < m_factories.size()) {
        std::string whyNot;
        std::unique_ptr<HotkeyBackend> backend = m_factories[m_next++](whyNot);
        if (backend && backend->isAvailable()) {
            use(std::move(backend));
            return;
        }
        note(backend ? backend->failure() : whyNot);
    }
    if (m_notify)
        m_notify(noHotkeysNotice(m_reasons.empty() ? "nothing here can watch keys" : m_reasons));
    m_exhausted = true;
    use(std::make_unique<NullHotkeyBackend>());
}

void HotkeyBackendChain::use(std::unique_ptr<HotkeyBackend> backend) {
    // The old backend lets go of the receivers before the new one takes them.
    m_current.reset();
    m_current = std::move(backend);
    m_current->setChangedHook([this] { onCurrentChanged(); });
    for (HotkeyReceiver* receiver : m_receivers)
        m_current->attach(*receiver);
    onCurrentChanged();
}

void HotkeyBackendChain::onCurrentChanged() {
    const std::string name = m_current->name();
    if (name != m_logged && m_log) {
        m_logged = name;
        m_log("global hotkeys: " + name);
    }
    if (m_current->isAvailable() || m_exhausted) {
        changed();
        return;
    }
    // The backend telling this may be deep in its own work (a bus message
    // being handled): it is replaced from the event loop.
    QMetaObject::invokeMethod(
        m_context.get(),
        [this] {
            if (m_current->isAvailable())
                return;
            note(m_current->failure());
            useNext();
            changed();
        },
        Qt::QueuedConnection);
}

std::unique_ptr<HotkeyBackend> chooseHotkeyBackend(HotkeyProbes probes, Notify notify) {
    std::vector<HotkeyBackendChain::Factory> factories;
    if (isX11Session(probes.environment))
        factories.push_back(std::move(probes.x11));
    else if (isWaylandSession(probes.environment))
        factories.push_back(std::move(probes.portal));
    factories.push_back(std::move(probes.evdev));
    return std::make_unique<HotkeyBackendChain>(std::move(factories), std::move(notify),
                                                std::move(probes.log));
}

std::unique_ptr<HotkeyBackend> createHotkeyBackend(Notify notify) {
    HotkeyProbes machine{
        [](const char* name) {
            const char* value = std::getenv(name);
            return std::string(value == nullptr ? "" : value);
        },
        [](std::string& whyNot) { return createX11HotkeyBackend(whyNot); },
        [notify](std::string& whyNot) { return createPortalHotkeyBackend(notify, whyNot); },
        [](std::string& whyNot) { return createEvdevHotkeyBackend(whyNot); },
        [](const std::string& line) { std::fprintf(stderr, "sorvane-timer: %s\n", line.c_str()); }};
    return chooseHotkeyBackend(std::move(machine), std::move(notify));
}

} // namespace sorvane
