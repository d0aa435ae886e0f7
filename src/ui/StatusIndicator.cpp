#include "ui/StatusIndicator.h"

#include "ui/ProgramIcon.h"
#include "ui/TrayHostWatch.h"
#include "ui/frmAbout.h"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QMetaObject>
#include <QSystemTrayIcon>
#include <QToolTip>
#include <QWidget>

namespace sorvane::ui {

namespace {

const QString kProgramName = QStringLiteral("Sorvane Timer");
// How long a panel starting with the session has to register as a
// StatusNotifierItem host before the older X11 tray is used.
constexpr int kOlderTrayGraceMs = 5000;

} // namespace

StatusIndicator::StatusIndicator(RunProgress& progress, TickClock& clock, Targets targets, QObject* parent)
    : QObject(parent), m_progress(progress), m_clock(clock), m_targets(std::move(targets)),
      m_menu(std::make_unique<QMenu>()) {
    // Once a second while a run is going, never while idle.
    m_tick.setInterval(1000);
    m_tick.setTimerType(Qt::PreciseTimer);
    connect(&m_tick, &QTimer::timeout, this, &StatusIndicator::refresh);

    const char* names[] = {"Start", "Restart", "Stop"};
    for (int i = 0; i < 3; ++i) {
        m_actions[i] = m_menu->addAction(QString::fromLatin1(names[i]));
        connect(m_actions[i], &QAction::triggered, this, [this, i] { press(i); });
        if (HotkeyReceiver* receiver = m_targets.receivers[i])
            receiver->setEnabledChangedHook([this] { updateActions(); });
    }
    m_menu->addSeparator();
    connect(m_menu->addAction(QStringLiteral("Show the window")), &QAction::triggered, this,
            &StatusIndicator::showWindow);
    m_menu->addSeparator();
    // Exit ends the process: it runs from the event loop once the panel's
    // request has been answered, as a click on the Exit button would.
    connect(
        m_menu->addAction(QStringLiteral("Exit")), &QAction::triggered, this,
        [this] {
            if (m_targets.exit)
                m_targets.exit();
        },
        Qt::QueuedConnection);
    updateActions();

    m_progress.setRunningChangedHook([this] { followRun(); });
    // A beep that has come or a repetition that begins shows in the tool
    // tip at once; the icon keeps to its once-a-second steps.
    m_progress.setNextBeepChangedHook([this] { updateToolTip(); });
    refresh();

    m_hosts = createTrayHostWatch();
    connect(m_hosts.get(), &TrayHostWatch::hostFound, this, &StatusIndicator::createTray);
    connect(m_hosts.get(), &TrayHostWatch::noHostYet, this, [this] {
        // The X11 window system has its older tray besides, and Qt finds
        // that one also when it appears later.  A panel that starts with the
        // session is given a few seconds to offer the newer protocol first;
        // then the older tray is used.  Elsewhere the indicator waits for a
        // StatusNotifierItem host as long as it takes.
        if (QGuiApplication::platformName() == QLatin1String("xcb"))
            QTimer::singleShot(kOlderTrayGraceMs, this, &StatusIndicator::createTray);
    });
    m_hosts->start();
}

StatusIndicator::~StatusIndicator() {
    m_progress.setRunningChangedHook(nullptr);
    m_progress.setNextBeepChangedHook(nullptr);
    for (HotkeyReceiver* receiver : m_targets.receivers)
        if (receiver)
            receiver->setEnabledChangedHook(nullptr);
    delete m_tray;
}

void StatusIndicator::createTray() {
    if (m_tray)
        return;
    // Qt decides once per process whether the StatusNotifierItem protocol
    // is there, when its first tray icon is made: so the icon is made only
    // once a host is known (or on X11, for the older tray).
    m_tray = new QSystemTrayIcon(m_icon, this);
    m_tray->setToolTip(m_toolTip);
    m_tray->setContextMenu(m_menu.get());
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            showWindow();
    });
    m_tray->show();
    // The watch has done its work (this may run inside its own signal).
    m_hosts.release()->deleteLater();
}

void StatusIndicator::followRun() {
    if (m_progress.isRunning())
        m_tick.start();
    else
        m_tick.stop();
    refresh();
}

void StatusIndicator::refresh() {
    updateToolTip();
    const uint32_t now = m_clock.ticks();
    const int step = m_progress.isRunning() ? ProgressIcon::stepOf(m_progress.cycleFraction(now)) : -1;
    if (step != m_iconStep || m_icon.isNull()) {
        m_iconStep = step;
        m_icon = step < 0 ? programIcon() : m_icons.icon(step);
        if (m_tray)
            m_tray->setIcon(m_icon);
    }
}

void StatusIndicator::updateToolTip() {
    const QString text =
        kProgramName + QLatin1Char('\n') + QString::fromStdString(m_progress.statusText(m_clock.ticks()));
    if (text != m_toolTip) {
        // The older X11 tray shows the tool tip as a window of the program's
        // own, which keeps the text it opened with: a tip of ours that is
        // open is given the new text in place.
        const bool tipOpen = QToolTip::isVisible() && QToolTip::text() == m_toolTip;
        m_toolTip = text;
        if (m_tray)
            m_tray->setToolTip(m_toolTip);
        if (tipOpen)
            QToolTip::showText(QCursor::pos(), m_toolTip);
    }
}

void StatusIndicator::updateActions() {
    for (int i = 0; i < 3; ++i)
        m_actions[i]->setEnabled(m_targets.receivers[i] && m_targets.receivers[i]->isEnabled());
}

void StatusIndicator::press(int receiver) {
    // As a key press: from the event loop, after the panel's request has
    // been answered (Start runs the whole cycle inside its handler), and
    // raised only if the receiver is switched on at that moment.
    HotkeyReceiver* target = m_targets.receivers[receiver];
    if (target)
        QMetaObject::invokeMethod(
            this, [target] { target->press(); }, Qt::QueuedConnection);
}

void StatusIndicator::showWindow() {
    QWidget* window = m_targets.window;
    if (!window)
        return;
    // While the About window stands in for the main window, it is the one
    // brought forward; closing it brings the main window back.
    QWidget* target = window;
    if (!window->isVisible()) {
        for (frmAbout* about : window->findChildren<frmAbout*>())
            if (about->isVisible())
                target = about;
    }
    if (target->isMinimized())
        target->showNormal();
    else
        target->show();
    target->raise();
    target->activateWindow();
}

} // namespace sorvane::ui
