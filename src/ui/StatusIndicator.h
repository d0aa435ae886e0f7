#pragma once
// The timer in the desktop's panel: a status indicator (StatusNotifierItem,
// or the older X11 tray where that is all there is) whose icon shows how
// far the run is through its cycle and whose tool tip says which
// repetition it is in and when the next beep sounds.  Its menu presses the
// same hotkey receivers as the global keys, shows the window and exits.
//
// While no run is going it does nothing at all: no timer, no redraw.
#include "engine/Clock.h"
#include "engine/RunProgress.h"
#include "hotkeys/HotkeyReceiver.h"
#include "ui/ProgressIcon.h"

#include <QIcon>
#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class QSystemTrayIcon;
class QWidget;

namespace sorvane::ui {

class TrayHostWatch;

class StatusIndicator final : public QObject {
    Q_OBJECT
public:
    // What the indicator acts on: the main window, its Start, Restart and
    // Stop receivers, and what its Exit button does.
    struct Targets {
        QWidget* window;
        std::array<HotkeyReceiver*, 3> receivers;
        std::function<void()> exit;
    };

    // The indicator appears as soon as a panel can show it (at once, or
    // when one starts later); until then it only follows the run.
    StatusIndicator(RunProgress& progress, TickClock& clock, Targets targets, QObject* parent = nullptr);
    ~StatusIndicator() override;
    StatusIndicator(const StatusIndicator&) = delete;
    StatusIndicator& operator=(const StatusIndicator&) = delete;

    // Brings the tool tip and the icon up to date with the run: what the
    // once-a-second timer does while a run is going.
    void refresh();

    QString toolTip() const { return m_toolTip; }
    // The icon's step of the cycle (ProgressIcon), -1 for the idle icon.
    int iconStep() const { return m_iconStep; }
    // Whether the panel's icon exists (a host was found).
    bool isShown() const { return m_tray != nullptr; }
    // Whether anything of the indicator is waiting to run: only while a run
    // is going.
    bool isTicking() const { return m_tick.isActive(); }

private:
    void createTray();
    void followRun();
    void updateToolTip();
    void updateActions();
    void showWindow();
    void press(int receiver);

    RunProgress& m_progress;
    TickClock& m_clock;
    Targets m_targets;
    ProgressIcon m_icons;
    QTimer m_tick;
    QString m_toolTip;
    QIcon m_icon;
    int m_iconStep = -1;
    std::unique_ptr<QMenu> m_menu;
    std::array<QAction*, 3> m_actions{};
    std::unique_ptr<TrayHostWatch> m_hosts;
    QSystemTrayIcon* m_tray = nullptr;
};

} // namespace sorvane::ui
