// Asks the session bus's StatusNotifierWatcher whether a host (a panel's
// system tray) has registered with it, and asks again whenever a watcher
// appears or a host registers: a panel that starts after the program still
// gets its indicator.
#include "ui/TrayHostWatch.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QMetaObject>

namespace sorvane::ui {

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");

class DBusTrayHostWatch final : public TrayHostWatch {
    Q_OBJECT
public:
    DBusTrayHostWatch() : m_bus(QDBusConnection::sessionBus()) {}

    void start() override {
        if (!m_bus.isConnected()) {
            // No session bus: none can come later either.
            QMetaObject::invokeMethod(this, &TrayHostWatch::noHostYet, Qt::QueuedConnection);
            return;
        }
        m_watcher =
            new QDBusServiceWatcher(kWatcherService, m_bus, QDBusServiceWatcher::WatchForRegistration, this);
        connect(m_watcher, &QDBusServiceWatcher::serviceRegistered, this, &DBusTrayHostWatch::ask);
        m_bus.connect(kWatcherService, kWatcherPath, kWatcherService,
                      QStringLiteral("StatusNotifierHostRegistered"), this, SLOT(ask()));
        ask();
    }

private slots:
    void ask() {
        if (m_found)
            return;
        QDBusMessage get = QDBusMessage::createMethodCall(kWatcherService, kWatcherPath,
                                                          QStringLiteral("org.freedesktop.DBus.Properties"),
                                                          QStringLiteral("Get"));
        get << kWatcherService << QStringLiteral("IsStatusNotifierHostRegistered");
        auto* call = new QDBusPendingCallWatcher(m_bus.asyncCall(get), this);
        connect(call, &QDBusPendingCallWatcher::finished, this, [this, call] {
            call->deleteLater();
            const QDBusPendingReply<QDBusVariant> reply = *call;
            answer(reply.isValid() && reply.value().variant().toBool());
        });
    }

private:
    void answer(bool hostThere) {
        if (m_found)
            return;
        if (hostThere) {
            m_found = true;
            // Found once is enough: Qt's indicator follows the watcher from
            // here on (it registers again with a watcher that restarts).
            delete m_watcher;
            m_watcher = nullptr;
            m_bus.disconnect(kWatcherService, kWatcherPath, kWatcherService,
                             QStringLiteral("StatusNotifierHostRegistered"), this, SLOT(ask()));
            emit hostFound();
        } else if (!m_answered) {
            emit noHostYet();
        }
        m_answered = true;
    }

    QDBusConnection m_bus;
    QDBusServiceWatcher* m_watcher = nullptr;
    bool m_answered = false;
    bool m_found = false;
};

} // namespace

std::unique_ptr<TrayHostWatch> createTrayHostWatch() {
    return std::make_unique<DBusTrayHostWatch>();
}

} // namespace sorvane::ui

#include "DBusTrayHostWatch.moc"
