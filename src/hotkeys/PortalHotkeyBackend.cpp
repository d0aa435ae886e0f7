#include "hotkeys/PortalHotkeyBackend.h"

#include "hotkeys/HotkeyBackendChooser.h"
#include "hotkeys/KeyNames.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QMetaObject>

namespace sorvane {

const QString PortalHotkeyBackend::kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PortalHotkeyBackend::kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString PortalHotkeyBackend::kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

namespace {

const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString kSessionInterface = QStringLiteral("org.freedesktop.portal.Session");

// The probe of the portal runs once at start; a portal service that is
// started on demand gets this long to come up.
constexpr int kProbeTimeoutMs = 5000;

struct ShortcutRole {
    const char* id;
    const char* label;
    const char* description;
};

constexpr ShortcutRole kRoles[] = {
    {"start", "Start", "Start the timer"},
    {"restart", "Restart", "Restart the running timer from its first repetition"},
    {"stop", "Stop", "Stop the running timer"},
};

struct TriggerName {
    int32_t vk;
    const char* name;
};

// Key names as the keyboard symbol names of xkbcommon spell them.
constexpr TriggerName kTriggerNames[] = {
    {8, "BackSpace"},     {9, "Tab"},           {13, "Return"},     {16, "Shift_L"},
    {17, "Control_L"},    {18, "Alt_L"},        {19, "Pause"},      {20, "Caps_Lock"},
    {27, "Escape"},       {32, "space"},        {33, "Page_Up"},    {34, "Page_Down"},
    {35, "End"},          {36, "Home"},         {37, "Left"},       {38, "Up"},
    {39, "Right"},        {40, "Down"},         {42, "Print"},      {44, "Print"},
    {45, "Insert"},       {46, "Delete"},       {91, "Super_L"},    {92, "Super_R"},
    {106, "KP_Multiply"}, {107, "KP_Add"},      {108, "KP_Enter"},  {109, "KP_Subtract"},
    {110, "KP_Decimal"},  {111, "KP_Divide"},   {144, "Num_Lock"},  {145, "Scroll_Lock"},
    {160, "Shift_L"},     {161, "Shift_R"},     {162, "Control_L"}, {163, "Control_R"},
    {164, "Alt_L"},       {165, "Alt_R"},       {186, "semicolon"}, {187, "equal"},
    {188, "comma"},       {189, "minus"},       {190, "period"},    {191, "slash"},
    {192, "grave"},       {219, "bracketleft"}, {220, "backslash"}, {221, "bracketright"},
    {222, "apostrophe"},
};

QString senderPart(const QDBusConnection& bus) {
    // ":1.42" becomes "1_42", as the portal names request and session objects.
    QString name = bus.baseService();
    if (name.startsWith(QLatin1Char(':')))
        name.remove(0, 1);
    return name.replace(QLatin1Char('.'), QLatin1Char('_'));
}

QString pathText(const QVariant& value) {
    if (value.metaType() == QMetaType::fromType<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
}

PortalShortcutList shortcutsFrom(const QVariant& value) {
    if (value.metaType() == QMetaType::fromType<QDBusArgument>())
        return qdbus_cast<PortalShortcutList>(value.value<QDBusArgument>());
    return value.value<PortalShortcutList>();
}

} // namespace

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut) {
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut) {
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

void registerPortalShortcutTypes() {
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<PortalShortcutList>();
}

PortalHotkeyBackend::PortalHotkeyBackend(const QDBusConnection& bus, Notify notify)
    : m_bus(bus), m_notify(std::move(notify)) {
    registerPortalShortcutTypes();
    if (!m_bus.isConnected()) {
        fail("there is no session bus");
        return;
    }
    if (portalVersion(m_bus) == 0) {
        fail("the desktop offers no GlobalShortcuts portal");
        return;
    }
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("Activated"), this,
                  SLOT(onActivated(QDBusMessage)));
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("ShortcutsChanged"), this,
                  SLOT(onShortcutsChanged(QDBusMessage)));
}

PortalHotkeyBackend::~PortalHotkeyBackend() {
    for (Watch& watch : m_watches)
        watch.receiver->setKeyChangedHook({});
    closeSession();
}

uint32_t PortalHotkeyBackend::portalVersion(const QDBusConnection& bus) {
    if (!bus.isConnected())
        return 0;
    QDBusMessage get = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kInterface << QStringLiteral("version");
    const QDBusMessage reply = bus.call(get, QDBus::Block, kProbeTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return 0;
    const QVariant value = reply.arguments().constFirst().value<QDBusVariant>().variant();
    bool ok = false;
    const uint version = value.toUInt(&ok);
    return ok ? version : 0;
}

QString PortalHotkeyBackend::triggerForVirtualKey(int32_t vk) {
    if (vk >= 65 && vk <= 90) // A to Z: the lowercase symbol, the key itself
        return QString(QChar(u'a' + (vk - 65)));
    if (vk >= 48 && vk <= 57)
        return QString(QChar(u'0' + (vk - 48)));
    if (vk >= 96 && vk <= 105)
        return QStringLiteral("KP_") + QString::number(vk - 96);
    if (vk >= 112 && vk <= 127)
        return QStringLiteral("F") + QString::number(vk - 111);
    for (const TriggerName& name : kTriggerNames) {
        if (name.vk == vk)
            return QString::fromLatin1(name.name);
    }
    return {};
}

void PortalHotkeyBackend::attach(HotkeyReceiver& receiver) {
    const size_t index = m_watches.size();
    Watch watch{&receiver, {}, {}, {}};
    if (index < std::size(kRoles)) {
        watch.id = QString::fromLatin1(kRoles[index].id);
        watch.label = QString::fromLatin1(kRoles[index].label);
        watch.description = QString::fromLatin1(kRoles[index].description);
    } else {
        watch.id = QStringLiteral("hotkey%1").arg(index + 1);
        watch.label = QStringLiteral("Hotkey %1").arg(index + 1);
        watch.description = watch.label;
    }
    m_watches.push_back(watch);
    receiver.setKeyChangedHook([this] { bindSoon(); });
    bindSoon();
}

QStringList PortalHotkeyBackend::preferredTriggers() const {
    QStringList triggers;
    for (const Watch& watch : m_watches)
        triggers << triggerForVirtualKey(watch.receiver->keyCode());
    return triggers;
}

// The receivers are attached, and their keys set, one after another; the
// portal is asked once for all of them when that is done.
void PortalHotkeyBackend::bindSoon() {
    if (m_bindScheduled || m_state == State::Failed)
        return;
    m_bindScheduled = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_bindScheduled = false;
            bindNow();
        },
        Qt::QueuedConnection);
}

void PortalHotkeyBackend::bindNow() {
    if (m_state == State::Failed)
        return;
    if (m_step != Step::None) {
        m_bindAgain = true; // once the desktop has answered
        return;
    }
    const QStringList triggers = preferredTriggers();
    if (m_asked && triggers == m_askedTriggers)
        return;
    m_asked = true;
    m_askedTriggers = triggers;
    // A session binds its shortcuts once; new keys need a new session.
    closeSession();
    m_state = State::Waiting;
    createSession();
}

QString PortalHotkeyBackend::nextToken() {
    return QStringLiteral("sorvane_timer_%1").arg(++m_tokenCounter);
}

QString PortalHotkeyBackend::requestPath(const QString& token) const {
    return kPath + QStringLiteral("/request/") + senderPart(m_bus) + QLatin1Char('/') + token;
}

void PortalHotkeyBackend::createSession() {
    const QString token = nextToken();
    QVariantMap options;
    options.insert(QStringLiteral("handle_token"), token);
    options.insert(QStringLiteral("session_handle_token"), nextToken());
    sendRequest(Step::CreateSession, QStringLiteral("CreateSession"), {options}, token);
}

void PortalHotkeyBackend::bindShortcuts() {
    PortalShortcutList shortcuts;
    for (const Watch& watch : m_watches) {
        PortalShortcut shortcut{watch.id, {}};
        shortcut.properties.insert(QStringLiteral("description"), watch.description);
        const QString trigger = triggerForVirtualKey(watch.receiver->keyCode());
        if (!trigger.isEmpty())
            shortcut.properties.insert(QStringLiteral("preferred_trigger"), trigger);
        shortcuts << shortcut;
    }
    const QString token = nextToken();
    QVariantMap options;
    options.insert(QStringLiteral("handle_token"), token);
    sendRequest(
        Step::BindShortcuts, QStringLiteral("BindShortcuts"),
        {QVariant::fromValue(QDBusObjectPath(m_session)), QVariant::fromValue(shortcuts), QString(), options},
        token);
}

void PortalHotkeyBackend::sendRequest(Step step, const QString& method, const QList<QVariant>& arguments,
                                      const QString& token) {
    // The answer may come right after the call's reply, so the request
    // object's signal is listened to before the call goes out.
    m_step = step;
    m_requestPath = requestPath(token);
    m_bus.connect(kService, m_requestPath, kRequestInterface, QStringLiteral("Response"), this,
                  SLOT(onRequestResponse(QDBusMessage)));

    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    call.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    const QString expected = m_requestPath;
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, expected](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (m_requestPath != expected)
            return; // answered already, or given up
        const QDBusPendingReply<QDBusObjectPath> reply = *w;
        if (reply.isError()) {
            m_bus.disconnect(kService, m_requestPath, kRequestInterface, QStringLiteral("Response"), this,
                             SLOT(onRequestResponse(QDBusMessage)));
            m_requestPath.clear();
            m_step = Step::None;
            fail("the desktop portal answered: " + reply.error().message().toStdString());
            return;
        }
        // Portals older than the request tokens name the object themselves.
        const QString path = reply.value().path();
        if (path != m_requestPath) {
            m_bus.disconnect(kService, m_requestPath, kRequestInterface, QStringLiteral("Response"), this,
                             SLOT(onRequestResponse(QDBusMessage)));
            m_requestPath = path;
            m_bus.connect(kService, m_requestPath, kRequestInterface, QStringLiteral("Response"), this,
                          SLOT(onRequestResponse(QDBusMessage)));
        }
    });
}

void PortalHotkeyBackend::onRequestResponse(const QDBusMessage& message) {
    if (m_requestPath.isEmpty() || message.path() != m_requestPath)
        return;
    m_bus.disconnect(kService, m_requestPath, kRequestInterface, QStringLiteral("Response"), this,
                     SLOT(onRequestResponse(QDBusMessage)));
    m_requestPath.clear();
    const Step step = m_step;
    m_step = Step::None;

    const QList<QVariant> arguments = message.arguments();
    const uint code = arguments.value(0).toUInt();
    const QVariantMap results = qdbus_cast<QVariantMap>(arguments.value(1));
    // 0: done; 1: the user cancelled; 2: refused or failed otherwise.
    if (code != 0) {
        const std::string what =
            step == Step::CreateSession ? "a global shortcuts session" : "the global shortcuts";
        fail(code == 1 ? "the request for " + what + " was cancelled" : "the desktop refused " + what);
        return;
    }
    if (step == Step::CreateSession) {
        m_session = pathText(results.value(QStringLiteral("session_handle")));
        if (m_session.isEmpty()) {
            fail("the desktop portal gave no shortcuts session");
            return;
        }
        bindShortcuts();
        return;
    }
    takeBoundShortcuts(shortcutsFrom(results.value(QStringLiteral("shortcuts"))));
    m_state = State::Bound;
    reportBoundKeys();
    if (m_bindAgain) {
        m_bindAgain = false;
        bindSoon();
    }
}

void PortalHotkeyBackend::onShortcutsChanged(const QDBusMessage& message) {
    const QList<QVariant> arguments = message.arguments();
    if (m_session.isEmpty() || pathText(arguments.value(0)) != m_session)
        return;
    takeBoundShortcuts(shortcutsFrom(arguments.value(1)));
    reportBoundKeys();
}

void PortalHotkeyBackend::takeBoundShortcuts(const PortalShortcutList& shortcuts) {
    m_boundTriggers.clear();
    for (const PortalShortcut& shortcut : shortcuts)
        m_boundTriggers.insert(shortcut.id,
                               shortcut.properties.value(QStringLiteral("trigger_description")).toString());
}

void PortalHotkeyBackend::onActivated(const QDBusMessage& message) {
    const QList<QVariant> arguments = message.arguments();
    if (m_session.isEmpty() || m_state == State::Failed || pathText(arguments.value(0)) != m_session)
        return;
    const QString id = arguments.value(1).toString();
    for (const Watch& watch : m_watches) {
        if (watch.id != id)
            continue;
        // A press may run a nested event loop for a long time (the Start key
        // runs a whole timer cycle inside it); it runs from the event loop,
        // not inside the delivery of a bus message.
        HotkeyReceiver* receiver = watch.receiver;
        QMetaObject::invokeMethod(
            this, [receiver] { receiver->press(); }, Qt::QueuedConnection);
    }
}

QString PortalHotkeyBackend::boundKeysText(const QString& separator, const QString& equals) const {
    QStringList parts;
    for (const Watch& watch : m_watches) {
        const auto it = m_boundTriggers.constFind(watch.id);
        QString trigger = it == m_boundTriggers.constEnd() ? QStringLiteral("not bound") : *it;
        if (trigger.isEmpty())
            trigger = QStringLiteral("no key");
        parts << watch.label + equals + trigger;
    }
    return parts.join(separator);
}

// The user is told which keys the desktop bound when they are not the keys
// asked for: the desktop may have let the user choose others, or left some
// shortcut without a key.
void PortalHotkeyBackend::reportBoundKeys() {
    bool asAsked = true;
    for (const Watch& watch : m_watches) {
        const auto it = m_boundTriggers.constFind(watch.id);
        if (it == m_boundTriggers.constEnd()) {
            asAsked = false;
            break;
        }
        const int32_t vk = watch.receiver->keyCode();
        const QString preferred = triggerForVirtualKey(vk);
        const QString shown = QString::fromStdString(hotKeyText(static_cast<int16_t>(vk), 0));
        const QString bound = it->trimmed();
        if (bound.compare(preferred, Qt::CaseInsensitive) != 0 &&
            bound.compare(shown, Qt::CaseInsensitive) != 0) {
            asAsked = false;
            break;
        }
    }
    if (asAsked)
        return;
    const QString text = boundKeysText(QStringLiteral(", "), QStringLiteral(" = "));
    if (text == m_lastReport)
        return;
    m_lastReport = text;
    if (m_notify)
        m_notify(("Global hotkeys bound by the desktop: " + text + QLatin1Char('.')).toStdString());
}

std::string PortalHotkeyBackend::name() const {
    switch (m_state) {
    case State::Failed:
        return "Desktop portal (unavailable: " + m_failure + ")";
    case State::Waiting:
        return "Desktop portal (waiting for the desktop)";
    case State::Bound:
        break;
    }
    return ("Desktop portal (" + boundKeysText(QStringLiteral(", "), QStringLiteral(": ")) + QLatin1Char(')'))
        .toStdString();
}

void PortalHotkeyBackend::closeSession() {
    if (m_session.isEmpty())
        return;
    QDBusMessage close =
        QDBusMessage::createMethodCall(kService, m_session, kSessionInterface, QStringLiteral("Close"));
    m_bus.send(close);
    m_session.clear();
    m_boundTriggers.clear();
}

void PortalHotkeyBackend::fail(const std::string& reason) {
    if (m_state == State::Failed)
        return;
    m_state = State::Failed;
    m_failure = reason;
    closeSession();
    if (m_notify)
        m_notify("Global hotkeys are unavailable: " + reason +
                 ". The timer still works from its window; your desktop's own key bindings can "
                 "run 'sorvane-timer-ctl start', 'sorvane-timer-ctl restart' and "
                 "'sorvane-timer-ctl stop'.");
}

std::unique_ptr<HotkeyBackend> createPortalHotkeyBackend(Notify notify, std::string& whyNot) {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        whyNot = "there is no session bus for the desktop portal";
        return nullptr;
    }
    if (PortalHotkeyBackend::portalVersion(bus) == 0) {
        whyNot = "the desktop offers no GlobalShortcuts portal";
        return nullptr;
    }
    return std::make_unique<PortalHotkeyBackend>(bus, std::move(notify));
}

} // namespace sorvane
