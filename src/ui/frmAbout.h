#pragma once
// The About window: title, version and two links.  It stands in for the
// main window while it is open; closing it beeps and brings the main window
// back.  How global hotkeys are watched, when the caller says, is the
// window's tool tip.
#include "ui/InfoWindow.h"

#include <QPointer>
#include <QString>
#include <functional>

class frmAbout : public sorvane::ui::InfoWindow {
    Q_OBJECT
public:
    // The window belongs to mainWindow (it stays above it and goes with it)
    // and shows it again when it closes.  notify tells the user what could
    // not be done, such as a link that could not be opened.
    frmAbout(const QString& programVersion, std::function<void()> playBeep, QWidget* mainWindow,
             const QString& hotkeyInfo = {}, const std::function<void(const QString&)>& notify = {});

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QPointer<QWidget> m_mainWindow;
};
