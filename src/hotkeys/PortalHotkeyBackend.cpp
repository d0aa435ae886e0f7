#include "hotkeys/PortalHotkeyBackend.h"

#include "hotkeys/HotkeyBackendChooser.h"
#include "hotkeys/KeyNames.h"
#include "hotkeys/PressQueue.h"
#include "hotkeys/VirtualKeys.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QMetaObject>

#include <algorithm>

namespace sorvane {

const QString PortalHotkeyBackend::kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PortalHotkeyBackend::kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString PortalHotkeyBackend::kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString PortalHotkeyBackend::kRegistryInterface =
    QStringLiteral("org.freedesktop.host.portal.Registry");
const QString PortalHotkeyBackend::kSessionToken = QStringLiteral("sorvane_timer");
const QString PortalHotkeyBackend::kAppId = QStringLiteral("org.sorvane.Timer");

namespace {

const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString kSessionInterface = QStringLiteral("org.freedesktop.portal.Session");

// The probe of the portal runs once at start; a portal service that is
// started on demand gets this long to come up.
constexpr int kProbeTimeoutMs = 5000;

struct ShortcutRole {
    const char* label;
    const char* action;
};

constexpr ShortcutRole kRoles[] = {
    {"Start", "start"},
    {"Restart", "restart"},
    {"Stop", "stop"},
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

PortalHotkeyBackend::PortalHotkeyBackend(const QDBusConnection& bus, Notify notify, const QString& appId)
    : m_bus(bus), m_notify(std::move(notify)) {
    registerPortalShortcutTypes();
    if (!m_bus.isConnected()) {
        fail("there is no session bus");
        return;
    }
    registerAppId(appId);
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

// Portals that know the Registry want to hear the app id before any other
// call; older ones do not have it, and a sandboxed program may not use it.
// Either way the answer changes nothing here.
void PortalHotkeyBackend::registerAppId(const QString& appId) {
    if (appId.isEmpty())
        return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kRegistryInterface, QStringLiteral("Register"));
    call << appId << QVariantMap();
    m_bus.call(call, QDBus::Block, kProbeTimeoutMs);
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
    const KeyRow* row = keyRow(vk);
    return row == nullptr || row->trigger == nullptr ? QString() : QString::fromLatin1(row->trigger);
}

void PortalHotkeyBackend::attach(HotkeyReceiver& receiver) {
    const size_t index = m_watches.size();
    Watch watch{&receiver, {}, {}};
    if (index < std::size(kRoles)) {
        watch.label = QString::fromLatin1(kRoles[index].label);
        watch.description = QString::fromLatin1(kRoles[index].action);
    } else {
        watch.label = QStringLiteral("Hotkey %1").arg(index + 1);
        watch.description = watch.label.toLower();
    }
    m_watches.push_back(watch);
    receiver.setKeyChangedHook([this] { syncSoon(); });
    syncSoon();
}

// One shortcut per key, named after the key's trigger; receivers sharing a
// key share its shortcut, since a desktop binds a key to one shortcut only.
std::vector<PortalHotkeyBackend::Wanted> PortalHotkeyBackend::wantedShortcuts() const {
    std::vector<Wanted> wanted;
    for (const Watch& watch : m_watches) {
        const QString trigger = triggerForVirtualKey(watch.receiver->keyCode());
        if (trigger.isEmpty())
            continue;
        auto it =
            std::find_if(wanted.begin(), wanted.end(), [&](const Wanted& w) { return w.id == trigger; });
        if (it == wanted.end())
            wanted.push_back(Wanted{trigger, watch.description});
        else
            it->description += QStringLiteral(" / ") + watch.description;
    }
    for (Wanted& w : wanted) {
        w.description[0] = w.description[0].toUpper();
        w.description += QStringLiteral(" the timer");
    }
    return wanted;
}

PortalShortcutList PortalHotkeyBackend::shortcutList(const std::vector<Wanted>& wanted) const {
    PortalShortcutList shortcuts;
    for (const Wanted& w : wanted) {
        PortalShortcut shortcut{w.id, {}};
        shortcut.properties.insert(QStringLiteral("description"), w.description);
        shortcut.properties.insert(QStringLiteral("preferred_trigger"), w.id);
        shortcuts << shortcut;
    }
    return shortcuts;
}

// The receivers are attached, and their keys set, one after another; the
// portal is asked once for all of them when that is done.
void PortalHotkeyBackend::syncSoon() {
    if (m_syncScheduled || m_state == State::Failed)
        return;
    m_syncScheduled = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_syncScheduled = false;
            sync();
        },
        Qt::QueuedConnection);
}

void PortalHotkeyBackend::sync() {
    if (m_state == State::Failed)
        return;
    if (m_step != Step::None) {
        m_syncAgain = true; // once the desktop has answered
        return;
    }
    const std::vector<Wanted> wanted = wantedShortcuts();
    if (m_asked && wanted == m_asking)
        return;
    m_asked = true;
    m_asking = wanted;
    if (m_session.isEmpty())
        createSession();
    else if (m_createSessionBinds)
        closeSessionThenCreate();
    else
        bindShortcuts();
}

QString PortalHotkeyBackend::requestPath(const QString& token) const {
    return kPath + QStringLiteral("/request/") + senderPart(m_bus) + QLatin1Char('/') + token;
}

// The shortcuts go with the session as well: some desktops (Plasma 5.27 and
// 6.0) bind only those.
void PortalHotkeyBackend::createSession() {
    QVariantMap options;
    options.insert(QStringLiteral("session_handle_token"), kSessionToken);
    options.insert(QStringLiteral("shortcuts"), QVariant::fromValue(shortcutList(m_asking)));
    sendRequest(Step::CreateSession, QStringLiteral("CreateSession"), {}, options);
}

void PortalHotkeyBackend::bindShortcuts() {
    sendRequest(Step::BindShortcuts, QStringLiteral("BindShortcuts"),
                {QVariant::fromValue(QDBusObjectPath(m_session)), QVariant::fromValue(shortcutList(m_asking)),
                 QString()},
                {});
}

void PortalHotkeyBackend::listShortcuts() {
    sendRequest(Step::ListShortcuts, QStringLiteral("ListShortcuts"),
                {QVariant::fromValue(QDBusObjectPath(m_session))}, {});
}

// The old session must be gone before the new one takes its token.
void PortalHotkeyBackend::closeSessionThenCreate() {
    m_step = Step::CloseSession;
    listenToSession(false);
    QDBusMessage close =
        QDBusMessage::createMethodCall(kService, m_session, kSessionInterface, QStringLiteral("Close"));
    m_session.clear();
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(close), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (m_step != Step::CloseSession)
            return;
        m_step = Step::None;
        createSession();
    });
}

void PortalHotkeyBackend::closeSession() {
    if (m_session.isEmpty())
        return;
    listenToSession(false);
    QDBusMessage close =
        QDBusMessage::createMethodCall(kService, m_session, kSessionInterface, QStringLiteral("Close"));
    m_bus.send(close);
    m_session.clear();
}

void PortalHotkeyBackend::listenToSession(bool on) {
    if (m_session.isEmpty())
        return;
    if (on)
        m_bus.connect(kService, m_session, kSessionInterface, QStringLiteral("Closed"), this,
                      SLOT(onSessionClosed(QDBusMessage)));
    else
        m_bus.disconnect(kService, m_session, kSessionInterface, QStringLiteral("Closed"), this,
                         SLOT(onSessionClosed(QDBusMessage)));
}

void PortalHotkeyBackend::sendRequest(Step step, const QString& method, QList<QVariant> arguments,
                                      QVariantMap options) {
    const QString token = QStringLiteral("sorvane_timer_request%1").arg(++m_tokenCounter);
    options.insert(QStringLiteral("handle_token"), token);
    arguments << options;
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
            finishStep();
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

void PortalHotkeyBackend::finishStep() {
    m_bus.disconnect(kService, m_requestPath, kRequestInterface, QStringLiteral("Response"), this,
                     SLOT(onRequestResponse(QDBusMessage)));
    m_requestPath.clear();
    m_step = Step::None;
}

void PortalHotkeyBackend::onRequestResponse(const QDBusMessage& message) {
    if (m_requestPath.isEmpty() || message.path() != m_requestPath)
        return;
    const Step step = m_step;
    finishStep();

    const QList<QVariant> arguments = message.arguments();
    const uint code = arguments.value(0).toUInt();
    const QVariantMap results = qdbus_cast<QVariantMap>(arguments.value(1));
    // 0: done; 1: the user cancelled; 2: refused or failed otherwise.
    switch (step) {
    case Step::CreateSession:
        if (code != 0) {
            fail(code == 1 ? "the request for a global shortcuts session was cancelled"
                           : "the desktop refused a global shortcuts session");
            return;
        }
        m_session = pathText(results.value(QStringLiteral("session_handle")));
        if (m_session.isEmpty()) {
            fail("the desktop portal gave no shortcuts session");
            return;
        }
        listenToSession(true);
        if (results.contains(QStringLiteral("shortcuts"))) {
            m_createSessionBinds = true;
            takeBoundShortcuts(shortcutsFrom(results.value(QStringLiteral("shortcuts"))));
            bound();
        } else {
            bindShortcuts();
        }
        return;
    case Step::BindShortcuts:
        if (code != 0 && m_state != State::Bound) {
            fail(code == 1 ? "the request for global shortcuts was cancelled"
                           : "the desktop refused the global shortcuts");
            return;
        }
        // A new key refused later leaves the others as they are; the
        // desktop says which ones it has.
        if (code != 0 || !results.contains(QStringLiteral("shortcuts"))) {
            listShortcuts();
            return;
        }
        takeBoundShortcuts(shortcutsFrom(results.value(QStringLiteral("shortcuts"))));
        bound();
        return;
    case Step::ListShortcuts:
        if (code != 0) {
            fail("the desktop does not list the global shortcuts");
            return;
        }
        takeBoundShortcuts(shortcutsFrom(results.value(QStringLiteral("shortcuts"))));
        bound();
        return;
    case Step::None:
    case Step::CloseSession:
        return;
    }
}

void PortalHotkeyBackend::bound() {
    // A desktop that bound none of the keys asked for gives no hotkeys.
    if (!m_asking.empty() && !anyKeyBound()) {
        fail("the desktop bound none of the timer's keys");
        return;
    }
    m_state = State::Bound;
    reportBoundKeys();
    reportTakenKeys();
    changed();
    if (m_syncAgain) {
        m_syncAgain = false;
        syncSoon();
    }
}

void PortalHotkeyBackend::onShortcutsChanged(const QDBusMessage& message) {
    const QList<QVariant> arguments = message.arguments();
    if (m_session.isEmpty() || m_state == State::Failed || pathText(arguments.value(0)) != m_session)
        return;
    takeBoundShortcuts(shortcutsFrom(arguments.value(1)));
    if (m_state == State::Bound)
        bound();
}

void PortalHotkeyBackend::onSessionClosed(const QDBusMessage& message) {
    if (m_session.isEmpty() || message.path() != m_session)
        return;
    listenToSession(false);
    m_session.clear();
    fail("the desktop closed the global shortcuts session");
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
    std::vector<HotkeyReceiver*> pressed;
    for (const Watch& watch : m_watches) {
        if (triggerForVirtualKey(watch.receiver->keyCode()) == id)
            pressed.push_back(watch.receiver);
    }
    m_presses.add(pressed);
}

bool PortalHotkeyBackend::anyKeyBound() const {
    return std::any_of(m_boundTriggers.cbegin(), m_boundTriggers.cend(),
                       [](const QString& trigger) { return !trigger.trimmed().isEmpty(); });
}

bool PortalHotkeyBackend::isAvailable() const {
    return m_state != State::Failed;
}

std::string PortalHotkeyBackend::failure() const {
    return m_state == State::Failed ? m_failure : std::string();
}

QString PortalHotkeyBackend::boundKeysText(const QString& separator, const QString& equals) const {
    QStringList parts;
    for (const Watch& watch : m_watches) {
        const QString id = triggerForVirtualKey(watch.receiver->keyCode());
        QString trigger;
        if (id.isEmpty()) {
            trigger = QStringLiteral("no key");
        } else {
            trigger = m_boundTriggers.value(id).trimmed();
            if (trigger.isEmpty())
                trigger = QStringLiteral("not bound");
        }
        parts << watch.label + equals + trigger;
    }
    return parts.join(separator);
}

// The user is told which keys the desktop bound when they are not the keys
// asked for: the desktop may have let the user choose others, or left some
// shortcut without a key.
void PortalHotkeyBackend::reportBoundKeys() {
    if (!anyKeyBound())
        return; // nothing works through the portal: the fallback tells
    bool asAsked = true;
    for (const Watch& watch : m_watches) {
        const int32_t vk = watch.receiver->keyCode();
        const QString id = triggerForVirtualKey(vk);
        if (id.isEmpty())
            continue;
        const QString bound = m_boundTriggers.value(id).trimmed();
        const QString shown = QString::fromStdString(hotKeyText(static_cast<int16_t>(vk), 0));
        if (bound.compare(id, Qt::CaseInsensitive) != 0 && bound.compare(shown, Qt::CaseInsensitive) != 0)
            asAsked = false;
    }
    const QString text = boundKeysText(QStringLiteral(", "), QStringLiteral(" = "));
    if (asAsked || text == m_lastReport)
        return;
    m_lastReport = text;
    if (m_notify)
        m_notify(("Global hotkeys bound by the desktop: " + text + QLatin1Char('.')).toStdString());
}

// A key bound through the portal is taken from every other application.
// For a key used in typing the user is told once.
void PortalHotkeyBackend::reportTakenKeys() {
    QStringList taken;
    for (const Watch& watch : m_watches) {
        const int32_t vk = watch.receiver->keyCode();
        const KeyRow* row = keyRow(vk);
        if (row == nullptr || !row->has(kKeyTyping) || row->trigger == nullptr)
            continue;
        const QString id = QString::fromLatin1(row->trigger);
        if (m_boundTriggers.value(id).trimmed().isEmpty() || m_toldTaken.contains(id))
            continue;
        m_toldTaken.insert(id);
        taken << QString::fromStdString(hotKeyText(static_cast<int16_t>(vk), 0));
    }
    if (taken.isEmpty() || !m_notify)
        return;
    const QString keys = taken.join(QStringLiteral(", "));
    m_notify(("The desktop now takes the key " + keys +
              " from every other application while the timer runs: pressing it anywhere works "
              "the timer instead of typing. A function key (F1 to F12) as hotkey avoids this.")
                 .toStdString());
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

void PortalHotkeyBackend::fail(const std::string& reason) {
    if (m_state == State::Failed)
        return;
    m_state = State::Failed;
    m_failure = reason;
    closeSession();
    m_boundTriggers.clear();
    changed();
}

std::unique_ptr<HotkeyBackend> createPortalHotkeyBackend(Notify notify, std::string& whyNot) {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        whyNot = "there is no session bus for the desktop portal";
        return nullptr;
    }
    auto backend = std::make_unique<PortalHotkeyBackend>(bus, std::move(notify));
    if (!backend->isAvailable()) {
        whyNot = backend->failure();
        return nullptr;
    }
    return backend;
}

} // namespace sorvane
