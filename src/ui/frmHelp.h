#pragma once
// The Help window: title, version, the getting-started text and two links.
// It opens beside the main window and leaves it alone; closing it beeps.
#include "ui/InfoWindow.h"

#include <QString>
#include <functional>

class QLabel;
class QScrollArea;

class frmHelp : public sorvane::ui::InfoWindow {
    Q_OBJECT
public:
    // hotkeyInfo says how global hotkeys are watched (shown below the help
    // text when given); notify tells the user what could not be done, such
    // as a link that could not be opened.
    frmHelp(const QString& programVersion, std::function<void()> playBeep, QWidget* parent = nullptr,
            const QString& hotkeyInfo = {}, const std::function<void(const QString&)>& notify = {});

    // The help text: fourteen lines separated by carriage returns.
    static QString helpText();

    // The exact text of Label1, carriage returns included.  The label shows
    // each carriage return as a line break.
    QString label1Text() const { return m_label1Text; }

    QLabel* const Label1;

    // The scrolled area that holds the help text (Label1) and, below it, the
    // hotkey line.  Up, Down, Page Up, Page Down, Home and End scroll it.
    QScrollArea* textArea() const { return m_textArea; }
    // "Global hotkeys: ..."; hidden when no hotkey information was given.
    QLabel* hotkeyLabel() const { return m_hotkeyLabel; }

private:
    void Form_Load(const QString& programVersion);

    QString m_label1Text;
    QScrollArea* m_textArea;
    QLabel* m_hotkeyLabel;
};
