#pragma once
// Global hotkeys through the desktop's GlobalShortcuts portal
// (org.freedesktop.portal.GlobalShortcuts on the session bus), the way a
// program gets system-wide keys on a Wayland desktop.  The program asks for
// its shortcuts with the assigned keys as preferred triggers; the desktop
// decides which keys really trigger them (it may ask the user) and reports
// each activation.
#include "engine/Platform.h"
#include "hotkeys/HotkeyReceiver.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QList>
#include <QMap>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <cstdint>
#include <string>
#include <vector>

class QDBusMessage;

namespace sorvane {

// One shortcut as the portal passes it: an id and its properties
// ("description", "preferred_trigger" when asked for, "trigger_description"
// when reported back).
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};
using PortalShortcutList = QList<PortalShortcut>;

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut);
const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut);

// Makes the shortcut types known to Qt D-Bus; may be called any number of times.
void registerPortalShortcutTypes();

class PortalHotkeyBackend final : public QObject, public HotkeyBackend {
    Q_OBJECT

public:
    static const QString kService;
    static const QString kPath;
    static const QString kInterface;

    // Uses the portal on bus.  When the portal is missing, or the desktop
    // later refuses the shortcuts, notify tells the user once and the
    // backend is unavailable from then on.  Keys bound other than asked for
    // are told through notify too.
    PortalHotkeyBackend(const QDBusConnection& bus, Notify notify);
    ~PortalHotkeyBackend() override;
    PortalHotkeyBackend(const PortalHotkeyBackend&) = delete;
    PortalHotkeyBackend& operator=(const PortalHotkeyBackend&) = delete;

    // The receivers are given the shortcuts "start", "restart" and "stop" in
    // the order they are attached.
    void attach(HotkeyReceiver& receiver) override;
    bool isAvailable() const override { return m_state != State::Failed; }
    std::string name() const override;

    // The version of the GlobalShortcuts interface offered on bus, 0 when
    // there is none (no portal, or a portal without global shortcuts).
    static uint32_t portalVersion(const QDBusConnection& bus);

    // The key of virtual-key code vk in the trigger syntax of the shortcuts
    // portal ("F7", "a", "Page_Up"); empty for codes with no key.
    static QString triggerForVirtualKey(int32_t vk);

private slots:
    void onRequestResponse(const QDBusMessage& message);
    void onActivated(const QDBusMessage& message);
    void onShortcutsChanged(const QDBusMessage& message);

private:
    enum class State { Waiting, Bound, Failed };
    enum class Step { None, CreateSession, BindShortcuts };

    struct Watch {
        HotkeyReceiver* receiver;
        QString id;
        QString label;       // "Start"
        QString description; // what the desktop shows the user
    };

    void bindSoon();
    void bindNow();
    void createSession();
    void bindShortcuts();
    void closeSession();
    // Sends a request of the portal whose answer comes as a Response signal
    // of a request object named after token.
    void sendRequest(Step step, const QString& method, const QList<QVariant>& arguments,
                     const QString& token);
    void fail(const std::string& reason);
    void takeBoundShortcuts(const PortalShortcutList& shortcuts);
    void reportBoundKeys();
    QString boundKeysText(const QString& separator, const QString& equals) const;
    QStringList preferredTriggers() const;
    QString requestPath(const QString& token) const;
    QString nextToken();

    QDBusConnection m_bus;
    Notify m_notify;
    State m_state = State::Waiting;
    std::string m_failure;
    std::vector<Watch> m_watches;

    bool m_bindScheduled = false;
    bool m_bindAgain = false; // keys changed while a request was out
    bool m_asked = false;
    QStringList m_askedTriggers;

    Step m_step = Step::None;
    QString m_requestPath;
    QString m_session;
    QMap<QString, QString> m_boundTriggers; // shortcut id -> trigger description
    QString m_lastReport;
    int m_tokenCounter = 0;
};

} // namespace sorvane

Q_DECLARE_METATYPE(sorvane::PortalShortcut)
