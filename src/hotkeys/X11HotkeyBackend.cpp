#include "hotkeys/X11HotkeyBackend.h"

#include "hotkeys/HotkeyBackendChooser.h"
#include "hotkeys/PressQueue.h"
#include "hotkeys/VirtualKeys.h"

#include <QMetaObject>
#include <QSocketNotifier>

#include <algorithm>
#include <cstring>

// Xlib's macros (None, Bool, KeyPress, ...) clash with Qt names, so the X
// headers come after every Qt header.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace sorvane {

X11HotkeyBackend::X11HotkeyBackend(_XDisplay* display, int xiOpcode)
    : m_display(display), m_xiOpcode(xiOpcode) {
    // Raw key events of every keyboard, whatever window has the focus and
    // whoever holds a grab; nothing is taken away from other clients.
    unsigned char maskBits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(maskBits, XI_RawKeyPress);
    XISetMask(maskBits, XI_RawKeyRelease);
    XIEventMask mask;
    mask.deviceid = XIAllMasterDevices;
    mask.mask_len = sizeof(maskBits);
    mask.mask = maskBits;
    XISelectEvents(m_display, DefaultRootWindow(m_display), &mask, 1);

    // Keyboard map changes (layout switches, remapped keys) move the keys.
    int xkbOpcode = 0;
    int xkbEventBase = 0;
    int xkbErrorBase = 0;
    int xkbMajor = XkbMajorVersion;
    int xkbMinor = XkbMinorVersion;
    if (XkbQueryExtension(m_display, &xkbOpcode, &xkbEventBase, &xkbErrorBase, &xkbMajor, &xkbMinor)) {
        m_xkbEventBase = xkbEventBase;
        const unsigned int xkbMask = XkbNewKeyboardNotifyMask | XkbMapNotifyMask;
        XkbSelectEvents(m_display, XkbUseCoreKbd, xkbMask, xkbMask);
    }
    readKeyboardMap();
    // Once this returns the server has taken the selection: a key pressed
    // from now on is seen.
    XSync(m_display, False);

    m_notifier = std::make_unique<QSocketNotifier>(ConnectionNumber(m_display), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { onReadable(); });
    handleQueuedSoon();
}

X11HotkeyBackend::~X11HotkeyBackend() {
    for (Watch& watch : m_watches)
        watch.receiver->setKeyChangedHook({});
    m_notifier.reset();
    if (m_keyboardMap != nullptr)
        XkbFreeKeyboard(m_keyboardMap, XkbAllComponentsMask, True);
    XCloseDisplay(m_display);
}

void X11HotkeyBackend::attach(HotkeyReceiver& receiver) {
    m_watches.push_back(Watch{&receiver, {}});
    remap(m_watches.back());
    HotkeyReceiver* target = &receiver;
    receiver.setKeyChangedHook([this, target] {
        for (Watch& watch : m_watches) {
            if (watch.receiver == target)
                remap(watch);
        }
        handleQueuedSoon();
    });
    handleQueuedSoon();
}

void X11HotkeyBackend::readKeyboardMap() {
    if (m_keyboardMap != nullptr)
        XkbFreeKeyboard(m_keyboardMap, XkbAllComponentsMask, True);
    m_keyboardMap = nullptr;
    if (m_xkbEventBase < 0)
        return;
    m_keyboardMap = XkbGetMap(m_display, XkbKeySymsMask, XkbUseCoreKbd);
    if (m_keyboardMap != nullptr && XkbGetNames(m_display, XkbKeyNamesMask, m_keyboardMap) != Success) {
        XkbFreeKeyboard(m_keyboardMap, XkbAllComponentsMask, True);
        m_keyboardMap = nullptr;
    }
}

void X11HotkeyBackend::remap(Watch& watch) {
    watch.keycodes.clear();
    const KeyRow* row = keyRow(watch.receiver->keyCode());
    if (row == nullptr)
        return;
    auto isRowKeysym = [row](KeySym keysym) {
        return keysym != NoSymbol &&
               std::find(std::begin(row->keysyms), std::end(row->keysyms), keysym) != std::end(row->keysyms);
    };
    if (m_keyboardMap == nullptr) {
        // Without XKB only the first key of each keysym is found.
        for (uint32_t keysym : row->keysyms) {
            const int keycode = keysym == 0 ? 0 : XKeysymToKeycode(m_display, keysym);
            if (keycode != 0 &&
                std::find(watch.keycodes.begin(), watch.keycodes.end(), keycode) == watch.keycodes.end())
                watch.keycodes.push_back(keycode);
        }
        return;
    }
    XkbDescPtr map = m_keyboardMap;
    for (int keycode = map->min_key_code; keycode <= map->max_key_code; ++keycode) {
        const KeySym* keysyms = XkbKeySymsPtr(map, keycode);
        const int count = XkbKeyNumSyms(map, keycode);
        bool watched = std::any_of(keysyms, keysyms + count, isRowKeysym);
        if (!watched && row->xkbKeyName != nullptr && map->names != nullptr && map->names->keys != nullptr)
            watched = std::strncmp(map->names->keys[keycode].name, row->xkbKeyName, XkbKeyNameLength) == 0;
        if (watched)
            watch.keycodes.push_back(keycode);
    }
}

void X11HotkeyBackend::remapAll() {
    readKeyboardMap();
    for (Watch& watch : m_watches)
        remap(watch);
}

void X11HotkeyBackend::handleQueuedSoon() {
    if (XQLength(m_display) > 0)
        QMetaObject::invokeMethod(
            m_notifier.get(), [this] { onReadable(); }, Qt::QueuedConnection);
}

void X11HotkeyBackend::onReadable() {
    m_presses.add(takeEvents());
}

std::vector<HotkeyReceiver*> X11HotkeyBackend::takeEvents() {
    std::vector<HotkeyReceiver*> pressed;
    while (XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);

        if (event.type == MappingNotify) {
            XRefreshKeyboardMapping(&event.xmapping);
            remapAll();
            continue;
        }
        if (m_xkbEventBase >= 0 && event.type == m_xkbEventBase) {
            auto* xkbEvent = reinterpret_cast<XkbEvent*>(&event);
            if (xkbEvent->any.xkb_type == XkbMapNotify)
                XkbRefreshKeyboardMapping(&xkbEvent->map);
            remapAll();
            continue;
        }
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != m_xiOpcode ||
            !XGetEventData(m_display, cookie))
            continue;

        const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
        const int keycode = raw->detail;
        if (cookie->evtype == XI_RawKeyPress) {
            // One physical press is one event: auto-repeats of a held key,
            // and presses of a key we already saw go down, are not counted.
            const bool repeat = (raw->flags & XIKeyRepeat) != 0;
            if (!repeat && m_keysDown.insert(keycode).second) {
                for (const Watch& watch : m_watches) {
                    if (std::find(watch.keycodes.begin(), watch.keycodes.end(), keycode) !=
                        watch.keycodes.end())
                        pressed.push_back(watch.receiver);
                }
            }
        } else if (cookie->evtype == XI_RawKeyRelease) {
            m_keysDown.erase(keycode);
        }
        XFreeEventData(m_display, cookie);
    }
    return pressed;
}

std::unique_ptr<HotkeyBackend> createX11HotkeyBackend(std::string& whyNot) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        whyNot = "no X11 display";
        return nullptr;
    }
    int xiOpcode = 0;
    int xiEvent = 0;
    int xiError = 0;
    int major = 2;
    int minor = 2; // 2.1 and later deliver raw events also while a key is grabbed
    if (!XQueryExtension(display, "XInputExtension", &xiOpcode, &xiEvent, &xiError) ||
        XIQueryVersion(display, &major, &minor) != Success || major < 2) {
        XCloseDisplay(display);
        whyNot = "the X server has no XInput2 extension";
        return nullptr;
    }
    return std::make_unique<X11HotkeyBackend>(display, xiOpcode);
}

} // namespace sorvane
