#include "ui/frmAbout.h"

#include <QCloseEvent>

frmAbout::frmAbout(const QString& programVersion, std::function<void()> playBeep, QWidget* mainWindow,
                   const QString& hotkeyInfo, const std::function<void(const QString&)>& notify)
    : InfoWindow(QStringLiteral("frmAbout"), QStringLiteral("About"), std::move(playBeep), mainWindow,
                 notify),
      m_mainWindow(mainWindow) {
    setSizeInTwips(4500, 2010);
    placeInTwips(Label6, 120, 90, 4260, 480);
    placeInTwips(Label7, 120, 690, 1140, 285);
    placeInTwips(HLink1, 1260, 690, 3120, 285);
    placeInTwips(Label8, 120, 1020, 1140, 285);
    placeInTwips(HLink2, 1260, 1020, 3120, 285);
    placeInTwips(Command1, 3285, 1515, 1095, 375);

    // The window keeps its size whatever the hotkey line says: the line is
    // the tool tip of the window (of every part without a tip of its own).
    if (!hotkeyInfo.isEmpty())
        setToolTip(QStringLiteral("Global hotkeys: ") + hotkeyInfo);

    showTitle(programVersion);
}

// Close button, Esc and close box alike: one beep, the main window comes
// back, then this window goes.
void frmAbout::closeEvent(QCloseEvent* event) {
    InfoWindow::closeEvent(event);
    if (m_mainWindow)
        m_mainWindow->show();
}
