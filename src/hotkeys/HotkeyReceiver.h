#pragma once
// A global hotkey: one key code (a Windows virtual-key code), an enabled
// switch and a key-down event.  Backends watch the keys of their receivers
// and call press() when one goes down.
#include <cstdint>
#include <functional>
#include <string>

namespace sorvane {

class HotkeyReceiver {
public:
    HotkeyReceiver() = default;
    HotkeyReceiver(const HotkeyReceiver&) = delete;
    HotkeyReceiver& operator=(const HotkeyReceiver&) = delete;

    void setKeyCode(int32_t keyCode) {
        m_keyCode = keyCode;
        if (m_keyChanged)
            m_keyChanged();
    }
    int32_t keyCode() const { return m_keyCode; }

    void setEnabled(bool on) {
        if (m_enabled == on)
            return;
        m_enabled = on;
        if (m_enabledChanged)
            m_enabledChanged();
    }
    bool isEnabled() const { return m_enabled; }

    void setKeyDownHandler(std::function<void()> handler) { m_keyDown = std::move(handler); }
    // Backend hook: told whenever the key code changes, so the key watched
    // follows at once (also while the receiver is switched off).
    void setKeyChangedHook(std::function<void()> hook) { m_keyChanged = std::move(hook); }
    // Observer hook: told whenever the enabled switch changes, for anything
    // that shows whether the hotkey is on (a menu entry grayed out).
    void setEnabledChangedHook(std::function<void()> hook) { m_enabledChanged = std::move(hook); }

    // One press of the key: raises the key-down event if the receiver is on.
    void press() {
        if (m_enabled && m_keyDown)
            m_keyDown();
    }

private:
    int32_t m_keyCode = 0;
    bool m_enabled = true; // receivers start switched on
    std::function<void()> m_keyDown;
    std::function<void()> m_keyChanged;
    std::function<void()> m_enabledChanged;
};

// Watches the keys of attached receivers system-wide.
class HotkeyBackend {
public:
    virtual ~HotkeyBackend() = default;
    // The receiver must outlive the backend or be attached for its life.
    virtual void attach(HotkeyReceiver& receiver) = 0;
    // Whether global keys are really watched, and what watches them and
    // which keys, for the user (the About window, the log).
    virtual bool isAvailable() const = 0;
    virtual std::string name() const = 0;
    // Why no keys are watched, when isAvailable() is false.
    virtual std::string failure() const { return isAvailable() ? std::string() : name(); }

    // Told when isAvailable() or name() change after the backend was made:
    // a desktop that answers late, binds other keys or fails.
    void setChangedHook(std::function<void()> hook) { m_changed = std::move(hook); }

protected:
    void changed() {
        if (m_changed)
            m_changed();
    }

private:
    std::function<void()> m_changed;
};

// Watches nothing: the program works from its window alone.
class NullHotkeyBackend final : public HotkeyBackend {
public:
    void attach(HotkeyReceiver&) override {}
    bool isAvailable() const override { return false; }
    std::string name() const override { return "none"; }
};

} // namespace sorvane
