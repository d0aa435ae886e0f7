#pragma once
// The Help window: title, version, the getting-started text and two links.
// It opens beside the main window and leaves it alone; closing it beeps.
#include <QString>
#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;
class QCloseEvent;
class QKeyEvent;
class QScrollArea;

namespace sorvane::ui {
class HyperLink;
}

class frmHelp : public QWidget {
    Q_OBJECT
public:
    // hotkeyInfo says how global hotkeys are watched (shown below the help
    // text when given); notify tells the user what could not be done, such
    // as a link that could not be opened.
    frmHelp(const QString& programVersion, std::function<void()> playBeep, QWidget* parent = nullptr,
            const QString& hotkeyInfo = {}, const std::function<void(const QString&)>& notify = {});

    // Title label text: "Sorvane Timer", a blank, the version, a carriage
    // return and the copyright line.
    static QString titleText(const QString& programVersion);
    // The help text: fourteen lines separated by carriage returns.
    static QString helpText();

    // The exact texts of Label6 and Label1, carriage returns included.  The
    // labels themselves show each carriage return as a line break.
    QString label6Text() const { return m_label6Text; }
    QString label1Text() const { return m_label1Text; }

    QPushButton* const Command1;
    QLabel* const Label6;
    QLabel* const Label1;
    QLabel* const Label7;
    sorvane::ui::HyperLink* const HLink1;
    QLabel* const Label8;
    sorvane::ui::HyperLink* const HLink2;

    // The scrolled area that holds the help text (Label1) and, below it, the
    // hotkey line.  Up, Down, Page Up, Page Down, Home and End scroll it.
    QScrollArea* textArea() const { return m_textArea; }
    // "Global hotkeys: ..."; hidden when no hotkey information was given.
    QLabel* hotkeyLabel() const { return m_hotkeyLabel; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load(const QString& programVersion);
    void Command1_Click();

    std::function<void()> m_playBeep;
    QString m_label6Text;
    QString m_label1Text;
    QScrollArea* m_textArea;
    QLabel* m_hotkeyLabel;
};
