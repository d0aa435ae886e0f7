#pragma once
// The About window: title, version and two links, and below them, when the
// caller gives it, a small line that says how global hotkeys are watched.  It
// stands in for the main window while it is open; closing it beeps and brings
// the main window back.
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;
class QCloseEvent;

namespace sorvane::ui {
class HyperLink;
}

class frmAbout : public QWidget {
    Q_OBJECT
public:
    frmAbout(const QString& programVersion, std::function<void()> playBeep, QWidget* mainWindow,
             const QString& hotkeyInfo = {});

    // The exact text of Label6, carriage return included; the label shows it
    // as two lines.
    QString label6Text() const { return m_label6Text; }
    // The line about global hotkeys ("Global hotkeys: ..."); hidden, and the
    // window its usual size, when no hotkey information was given.
    QLabel* hotkeyLabel() const { return m_hotkeyLabel; }

    QPushButton* const Command1;
    QLabel* const Label6;
    QLabel* const Label7;
    sorvane::ui::HyperLink* const HLink1;
    QLabel* const Label8;
    sorvane::ui::HyperLink* const HLink2;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load(const QString& programVersion);
    void Command1_Click();

    std::function<void()> m_playBeep;
    QPointer<QWidget> m_mainWindow;
    QString m_label6Text;
    QLabel* m_hotkeyLabel;
};
