#pragma once
// What the Help and About windows share: the title label with the program's
// name and version, the two links with their captions, and the Close button.
// Close, Esc and the close box all close the window with one beep; Close
// holds the focus when the window opens, and Tab goes on through the links.
#include "ui/HyperLink.h"

#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <functional>

class QCloseEvent;
class QKeyEvent;

namespace sorvane::ui {

class InfoWindow : public QWidget {
    Q_OBJECT
public:
    // Title label text: "Sorvane Timer", a blank, the version, a carriage
    // return and the copyright line.
    static QString titleText(const QString& programVersion);

    // The exact text of Label6, carriage return included; the label shows it
    // as two lines.
    QString label6Text() const { return m_label6Text; }

    QPushButton* const Command1;
    QLabel* const Label6;
    QLabel* const Label7;
    HyperLink* const HLink1;
    QLabel* const Label8;
    HyperLink* const HLink2;

protected:
    // A window of its own above parent.  notify tells the user what could
    // not be done, such as a link that could not be opened.
    InfoWindow(const QString& name, const QString& caption, std::function<void()> playBeep, QWidget* parent,
               const std::function<void(const QString&)>& notify);

    // The window's fixed size and a control's place, in twips.
    void setSizeInTwips(int width, int height);
    void placeInTwips(QWidget* control, int left, int top, int width, int height);
    // Shows the title for the version and fits the captions to the window.
    void showTitle(const QString& programVersion);

    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Command1_Click();

    std::function<void()> m_playBeep;
    QString m_label6Text;
};

// Labels break lines at line feeds only; a carriage return would show as a
// blank.
QString withLineFeeds(QString text);

} // namespace sorvane::ui
