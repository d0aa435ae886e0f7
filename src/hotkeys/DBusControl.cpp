#include "hotkeys/DBusControl.h"

#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusReply>
#include <QMetaObject>

namespace sorvane {

DBusControl::DBusControl(QDBusConnection bus, HotkeyReceiver& start, HotkeyReceiver& restart,
                         HotkeyReceiver& stop, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)), m_start(start), m_restart(restart), m_stop(stop) {}

DBusControl::~DBusControl() {
    if (m_ownsName)
        m_bus.unregisterService(QLatin1String(dbus::kServiceName));
    if (m_registered)
        m_bus.unregisterObject(QLatin1String(dbus::kObjectPath));
}

QString DBusControl::publish() {
    if (!m_bus.isConnected()) {
        const QString why = m_bus.lastError().message();
        return QStringLiteral("no session bus; outside control (sorvane-timer-ctl) is off%1")
            .arg(why.isEmpty() ? QString() : QStringLiteral(": ") + why);
    }
    // The object goes up first, so that whoever sees the name can call it.
    if (!m_registered) {
        m_registered = m_bus.registerObject(QLatin1String(dbus::kObjectPath), this,
                                            QDBusConnection::ExportScriptableSlots);
        if (!m_registered)
            return QStringLiteral("cannot put %1 on the session bus, outside control is off")
                .arg(QLatin1String(dbus::kObjectPath));
    }
    QDBusConnectionInterface* busInterface = m_bus.interface();
    if (!busInterface)
        return QStringLiteral("the session bus does not answer, outside control is off");
    // Another instance holding the name keeps it: no queueing, no takeover.
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = busInterface->registerService(
        QLatin1String(dbus::kServiceName), QDBusConnectionInterface::DontQueueService,
        QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid())
        return QStringLiteral("cannot claim %1 on the session bus: %2")
            .arg(QLatin1String(dbus::kServiceName), reply.error().message());
    if (reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        m_bus.unregisterObject(QLatin1String(dbus::kObjectPath));
        m_registered = false;
        return QStringLiteral("%1 is held by another running timer; "
                              "sorvane-timer-ctl talks to that one, not to this one")
            .arg(QLatin1String(dbus::kServiceName));
    }
    m_ownsName = true;
    return QString();
}

void DBusControl::Start() {
    queuePress(m_start);
}
void DBusControl::Restart() {
    queuePress(m_restart);
}
void DBusControl::Stop() {
    queuePress(m_stop);
}

void DBusControl::queuePress(HotkeyReceiver& receiver) {
    // The press runs on a later turn of the event loop, after the reply has
    // gone out.  The enabled switch is honoured then, as for a key press.
    HotkeyReceiver* target = &receiver;
    QMetaObject::invokeMethod(
        this, [target] { target->press(); }, Qt::QueuedConnection);
}

} // namespace sorvane
