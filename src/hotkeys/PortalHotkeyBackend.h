#pragma once
// Global hotkeys through the desktop's GlobalShortcuts portal
// (org.freedesktop.portal.GlobalShortcuts on the session bus), the way a
// program gets system-wide keys on a Wayland desktop.  The program asks for
// one shortcut per key its receivers watch, with that key as preferred
// trigger; the desktop decides which keys really trigger them (it may ask
// the user, or the user may change them later in its settings) and reports
// each activation.  The desktop takes a bound key away from every other
// application.
//
// One session, under the same token for the life of the process and from
// one start of the program to the next, so that the desktop keeps the
// shortcuts in one place and keeps the keys the user chose there.  A
// shortcut is named after the key the program asked for ("F7"): a new key
// in a key box is a new shortcut, which gets that key, while the shortcuts
// of unchanged keys keep whatever the user made of them.
#include "engine/Platform.h"
#include "hotkeys/HotkeyReceiver.h"
#include "hotkeys/PressQueue.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QList>
#include <QMap>
#include <QMetaType>
#include <QObject>
#include <QSet>
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
    // Newer portals learn the app id of a program that is not sandboxed
    // through this interface, before any other portal call.
    static const QString kRegistryInterface;
    // The session's token: the desktop names the program's shortcuts after
    // it when it knows no app id.
    static const QString kSessionToken;
    // The program's app id, the name of its desktop entry.
    static const QString kAppId;

    // Uses the portal on bus.  Whether it works is known only once the
    // desktop has answered: isAvailable() and name() tell, and the changed
    // hook says when they change.  notify tells the user about keys bound
    // other than asked and about keys taken from typing.
    PortalHotkeyBackend(const QDBusConnection& bus, Notify notify, const QString& appId = kAppId);
    ~PortalHotkeyBackend() override;
    PortalHotkeyBackend(const PortalHotkeyBackend&) = delete;
    PortalHotkeyBackend& operator=(const PortalHotkeyBackend&) = delete;

    // The receivers are Start, Restart and Stop in the order attached.
    void attach(HotkeyReceiver& receiver) override;
    // False once the portal failed, or when the desktop bound none of the
    // keys asked for (then, or later in its settings).
    bool isAvailable() const override;
    std::string name() const override;
    std::string failure() const override;

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
    void onSessionClosed(const QDBusMessage& message);

private:
    enum class State { Waiting, Bound, Failed };
    enum class Step { None, CreateSession, BindShortcuts, ListShortcuts, CloseSession };

    struct Watch {
        HotkeyReceiver* receiver;
        QString label;       // "Start"
        QString description; // "start the timer"
    };
    // One shortcut asked for: a key and the receivers on it.
    struct Wanted {
        QString id;
        QString description;
        bool operator==(const Wanted&) const = default;
    };

    void syncSoon();
    void sync();
    std::vector<Wanted> wantedShortcuts() const;
    PortalShortcutList shortcutList(const std::vector<Wanted>& wanted) const;
    void registerAppId(const QString& appId);
    void createSession();
    void bindShortcuts();
    void listShortcuts();
    void closeSessionThenCreate();
    void closeSession();
    void listenToSession(bool on);
    // Sends a request of the portal whose answer comes as a Response signal
    // of a request object named after a fresh token.
    void sendRequest(Step step, const QString& method, QList<QVariant> arguments, QVariantMap options);
    void finishStep();
    void fail(const std::string& reason);
    void takeBoundShortcuts(const PortalShortcutList& shortcuts);
    void bound();
    void reportBoundKeys();
    void reportTakenKeys();
    bool anyKeyBound() const;
    QString boundKeysText(const QString& separator, const QString& equals) const;
    QString requestPath(const QString& token) const;

    QDBusConnection m_bus;
    Notify m_notify;
    State m_state = State::Waiting;
    std::string m_failure;
    std::vector<Watch> m_watches;

    bool m_syncScheduled = false;
    bool m_syncAgain = false; // keys changed while a request was out
    bool m_asked = false;
    std::vector<Wanted> m_asking; // what the request out or last answered asked for
    // Learnt from the first answer: the desktop binds the shortcuts given to
    // CreateSession, and its BindShortcuts binds nothing new (it opens the
    // desktop's settings instead).  New keys then need the session made
    // again under the same token.
    bool m_createSessionBinds = false;

    Step m_step = Step::None;
    QString m_requestPath;
    QString m_session;
    QMap<QString, QString> m_boundTriggers; // shortcut id -> trigger description
    QString m_lastReport;
    QSet<QString> m_toldTaken;
    int m_tokenCounter = 0;
    PressQueue m_presses;
};

} // namespace sorvane

Q_DECLARE_METATYPE(sorvane::PortalShortcut)
