#pragma once
// Start, Restart and Stop from outside the program, over the session bus.
// Each method presses the matching hotkey receiver, so it does exactly what
// the hotkey does and honours the receiver's enabled switch.  Presses are
// queued to the event loop: the Start handler runs a whole timer cycle, and
// the caller gets its reply at once rather than when the cycle is over.
#include "hotkeys/HotkeyReceiver.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace sorvane {

// The names the program answers on; sorvane-timer-ctl uses the same ones.
namespace dbus {
inline constexpr const char* kServiceName = "org.sorvane.Timer";
inline constexpr const char* kObjectPath = "/Timer";
inline constexpr const char* kInterfaceName = "org.sorvane.Timer1";
} // namespace dbus

class DBusControl : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.sorvane.Timer1")

public:
    // The receivers must outlive this object.
    DBusControl(QDBusConnection bus, HotkeyReceiver& start, HotkeyReceiver& restart, HotkeyReceiver& stop,
                QObject* parent = nullptr);
    ~DBusControl() override;

    // Puts the object on the bus and claims the service name.  Returns an
    // empty text on success, otherwise why the program cannot be reached
    // (no bus, or the name already held by another instance, which keeps it).
    QString publish();
    bool isPublished() const { return m_ownsName; }

public Q_SLOTS:
    // The D-Bus methods; named as they appear on the bus.
    Q_SCRIPTABLE void Start();
    Q_SCRIPTABLE void Restart();
    Q_SCRIPTABLE void Stop();

private:
    void queuePress(HotkeyReceiver& receiver);

    QDBusConnection m_bus;
    HotkeyReceiver& m_start;
    HotkeyReceiver& m_restart;
    HotkeyReceiver& m_stop;
    bool m_registered = false;
    bool m_ownsName = false;
};

} // namespace sorvane
