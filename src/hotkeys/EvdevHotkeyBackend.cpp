#include "hotkeys/EvdevHotkeyBackend.h"

#include "hotkeys/HotkeyBackendChooser.h"
#include "hotkeys/PressQueue.h"
#include "hotkeys/VirtualKeys.h"

#include <QDir>
#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <QTimer>

#include <libevdev/libevdev.h>
#include <linux/input.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace sorvane {
namespace {

constexpr int kKeyPressed = 1; // 0 is a release, 2 an auto-repeat of a held key

// A keyboard node gets its group and access rights from udev a moment after
// it appears; a second look after this long finds it readable.
constexpr int kRescanDelayMs = 1500;

// Input devices report places on the keyboard, whatever the layout: the
// codes of the places of virtual key vk.
std::vector<uint16_t> placesOf(int32_t vk) {
    std::vector<uint16_t> codes;
    if (const KeyRow* row = keyRow(vk)) {
        for (uint16_t code : row->evdev) {
            if (code != 0)
                codes.push_back(code);
        }
    }
    return codes;
}

} // namespace

EvdevHotkeyBackend::EvdevHotkeyBackend(const QString& inputDir)
    : m_inputDir(inputDir), m_watcher(std::make_unique<QFileSystemWatcher>()) {
    if (m_watcher->addPath(m_inputDir)) {
        QFileSystemWatcher* watcher = m_watcher.get();
        QObject::connect(watcher, &QFileSystemWatcher::directoryChanged, watcher, [this, watcher] {
            scan();
            QTimer::singleShot(kRescanDelayMs, watcher, [this] { scan(); });
        });
    }
    scan();
}

EvdevHotkeyBackend::EvdevHotkeyBackend(const std::vector<int>& eventStreams) {
    for (int fd : eventStreams) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        addDevice(fd, {});
    }
}

EvdevHotkeyBackend::~EvdevHotkeyBackend() {
    for (Watch& watch : m_watches)
        watch.receiver->setKeyChangedHook({});
    for (auto& device : m_devices) {
        device->notifier.reset();
        ::close(device->fd);
    }
}

bool EvdevHotkeyBackend::isKeyboard(int fd) {
    libevdev* dev = nullptr;
    if (libevdev_new_from_fd(fd, &dev) < 0)
        return false;
    bool letters = libevdev_has_event_type(dev, EV_KEY);
    for (unsigned int code : {KEY_A, KEY_F, KEY_J, KEY_Z, KEY_SPACE})
        letters = letters && libevdev_has_event_code(dev, EV_KEY, code);
    libevdev_free(dev);
    return letters;
}

void EvdevHotkeyBackend::scan() {
    const QDir dir(m_inputDir);
    const QStringList names = dir.entryList({QStringLiteral("event*")}, QDir::System | QDir::Files);
    QStringList present;
    for (const QString& name : names)
        present << dir.filePath(name);

    // Devices that went away (unplugged keyboards) are dropped.
    std::vector<Device*> gone;
    for (auto& device : m_devices) {
        if (!device->path.isEmpty() && !present.contains(device->path))
            gone.push_back(device.get());
    }
    for (Device* device : gone)
        removeDevice(device);

    for (const QString& path : present) {
        const bool known = std::any_of(m_devices.begin(), m_devices.end(),
                                       [&](const auto& device) { return device->path == path; });
        if (known)
            continue;
        // Read only, and never grabbed: the keys still reach everyone else.
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue; // not readable by this user
        if (!isKeyboard(fd)) {
            ::close(fd);
            continue;
        }
        addDevice(fd, path);
    }
}

void EvdevHotkeyBackend::addDevice(int fd, const QString& path) {
    auto device = std::make_unique<Device>();
    device->fd = fd;
    device->path = path;
    device->notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    Device* target = device.get();
    QObject::connect(device->notifier.get(), &QSocketNotifier::activated, device->notifier.get(),
                     [this, target] { onReadable(target); });
    m_devices.push_back(std::move(device));
}

void EvdevHotkeyBackend::removeDevice(Device* device) {
    auto it = std::find_if(m_devices.begin(), m_devices.end(),
                           [device](const auto& d) { return d.get() == device; });
    if (it == m_devices.end())
        return;
    // The notifier may be the one whose signal is being handled right now,
    // so it goes when control is back in the event loop.
    (*it)->notifier->setEnabled(false);
    (*it)->notifier.release()->deleteLater();
    ::close((*it)->fd);
    m_devices.erase(it);
}

void EvdevHotkeyBackend::attach(HotkeyReceiver& receiver) {
    m_watches.push_back(Watch{&receiver, placesOf(receiver.keyCode())});
    HotkeyReceiver* target = &receiver;
    receiver.setKeyChangedHook([this, target] {
        for (Watch& watch : m_watches) {
            if (watch.receiver == target)
                watch.codes = placesOf(target->keyCode());
        }
    });
}

std::string EvdevHotkeyBackend::name() const {
    const size_t count = m_devices.size();
    return "Linux input devices (evdev, " + std::to_string(count) +
           (count == 1 ? " keyboard)" : " keyboards)");
}

void EvdevHotkeyBackend::collectPresses(const input_event& event, Device& device,
                                        std::vector<HotkeyReceiver*>& pressed) const {
    // After lost events the kernel reports a gap; what follows up to the
    // next report is a partial packet and is skipped.
    if (event.type == EV_SYN) {
        if (event.code == SYN_DROPPED)
            device.dropping = true;
        else if (event.code == SYN_REPORT)
            device.dropping = false;
        return;
    }
    if (device.dropping || event.type != EV_KEY || event.value != kKeyPressed)
        return;
    for (const Watch& watch : m_watches) {
        if (std::find(watch.codes.begin(), watch.codes.end(), event.code) != watch.codes.end())
            pressed.push_back(watch.receiver);
    }
}

void EvdevHotkeyBackend::onReadable(Device* device) {
    std::vector<HotkeyReceiver*> pressed;
    bool ended = false;
    char buffer[64 * sizeof(input_event)];
    for (;;) {
        const ssize_t got = ::read(device->fd, buffer, sizeof(buffer));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        if (got <= 0) { // end of the stream, or the device was unplugged
            ended = true;
            break;
        }
        std::vector<char>& data = device->partial;
        data.insert(data.end(), buffer, buffer + got);
        size_t offset = 0;
        while (data.size() - offset >= sizeof(input_event)) {
            input_event event;
            std::memcpy(&event, data.data() + offset, sizeof(event));
            offset += sizeof(event);
            collectPresses(event, *device, pressed);
        }
        data.erase(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(offset));
    }
    if (ended)
        removeDevice(device);
    m_presses.add(pressed);
}

std::unique_ptr<HotkeyBackend> createEvdevHotkeyBackend(std::string& whyNot) {
    auto backend = std::make_unique<EvdevHotkeyBackend>(QStringLiteral("/dev/input"));
    if (!backend->isAvailable()) {
        whyNot = "no keyboard under /dev/input is readable by this user";
        return nullptr;
    }
    return backend;
}

} // namespace sorvane
