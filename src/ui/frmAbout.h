#pragma once
// The About window: title, version and two links.  It stands in for the
// main window while it is open; closing it beeps and brings the main window
// back.  How global hotkeys are watched, when the caller says, is the
// window's tool tip.
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;
class QCloseEvent;
class QKeyEvent;

namespace sorvane::ui {
class HyperLink;
}

class frmAbout : public QWidget {
    Q_OBJECT
public:
    // The window belongs to mainWindow (it stays above it and goes with it)
    // and shows it again when it closes.  notify tells the user what could
    // not be done, such as a link that could not be opened.
    frmAbout(const QString& programVersion, std::function<void()> playBeep, QWidget* mainWindow,
             const QString& hotkeyInfo = {}, const std::function<void(const QString&)>& notify = {});

    // The exact text of Label6, carriage return included; the label shows it
    // as two lines.
    QString label6Text() const { return m_label6Text; }

    QPushButton* const Command1;
    QLabel* const Label6;
    QLabel* const Label7;
    sorvane::ui::HyperLink* const HLink1;
    QLabel* const Label8;
    sorvane::ui::HyperLink* const HLink2;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load(const QString& programVersion);
    void Command1_Click();

    std::function<void()> m_playBeep;
    QPointer<QWidget> m_mainWindow;
    QString m_label6Text;
};
