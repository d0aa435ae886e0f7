#pragma once
// The Help window: title, version, the getting-started text and two links.
// It opens beside the main window and leaves it alone; closing it beeps.
#include <QString>
#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;
class QCloseEvent;

namespace sorvane::ui {
class HyperLink;
}

class frmHelp : public QWidget {
    Q_OBJECT
public:
    frmHelp(const QString& programVersion, std::function<void()> playBeep, QWidget* parent = nullptr);

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

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load(const QString& programVersion);
    void Command1_Click();

    std::function<void()> m_playBeep;
    QString m_label6Text;
    QString m_label1Text;
};
