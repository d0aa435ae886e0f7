#pragma once
// Global hotkeys from the kernel's input devices (/dev/input/event*): every
// keyboard the user may read is watched, on X11 and Wayland alike.  The
// devices are only read, never grabbed, so every other program still gets
// every key.  Keyboards plugged in later are picked up as they appear.
#include "hotkeys/HotkeyReceiver.h"
#include "hotkeys/PressQueue.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QFileSystemWatcher;
class QSocketNotifier;
struct input_event;

namespace sorvane {

class EvdevHotkeyBackend final : public HotkeyBackend {
public:
    // Watches the keyboards among the event devices of inputDir (normally
    // "/dev/input") and follows devices that come and go there.
    explicit EvdevHotkeyBackend(const QString& inputDir);
    // Reads input event records from descriptors that are already open (a
    // device, or a pipe carrying recorded events).  The descriptors are
    // taken over and closed when their stream ends or the backend goes.
    explicit EvdevHotkeyBackend(const std::vector<int>& eventStreams);
    ~EvdevHotkeyBackend() override;
    EvdevHotkeyBackend(const EvdevHotkeyBackend&) = delete;
    EvdevHotkeyBackend& operator=(const EvdevHotkeyBackend&) = delete;

    void attach(HotkeyReceiver& receiver) override;
    // True while at least one keyboard is watched.
    bool isAvailable() const override { return !m_devices.empty(); }
    std::string name() const override;

    // Whether the device open as fd reports letter keys: a keyboard, not a
    // mouse, a power button or a lid switch.
    static bool isKeyboard(int fd);

private:
    struct Device {
        int fd = -1;
        QString path; // empty for a stream given by its descriptor
        std::unique_ptr<QSocketNotifier> notifier;
        std::vector<char> partial; // the start of a record not yet read in full
        bool dropping = false;     // events were lost: skip to the next report
    };
    struct Watch {
        HotkeyReceiver* receiver;
        std::vector<uint16_t> codes;
    };

    void scan();
    void addDevice(int fd, const QString& path);
    void removeDevice(Device* device);
    void onReadable(Device* device);
    // The receivers whose key one input event presses.
    void collectPresses(const input_event& event, Device& device,
                        std::vector<HotkeyReceiver*>& pressed) const;

    QString m_inputDir;
    std::unique_ptr<QFileSystemWatcher> m_watcher;
    std::vector<std::unique_ptr<Device>> m_devices;
    std::vector<Watch> m_watches;
    PressQueue m_presses;
};

} // namespace sorvane
