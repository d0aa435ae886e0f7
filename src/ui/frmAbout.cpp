#include "ui/frmAbout.h"

#include "ui/CaptionFit.h"
#include "ui/HyperLink.h"
#include "ui/Twips.h"
#include "ui/frmHelp.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

using sorvane::ui::HyperLink;

frmAbout::frmAbout(const QString& programVersion, std::function<void()> playBeep, QWidget* mainWindow,
                   const QString& hotkeyInfo, const std::function<void(const QString&)>& notify)
    : QWidget(mainWindow, Qt::Window), Command1(new QPushButton(QStringLiteral("Close"), this)),
      Label6(new QLabel(this)), Label7(new QLabel(QStringLiteral("Email:"), this)),
      HLink1(new HyperLink(QStringLiteral("Report a problem"), sorvane::ui::problemReportUrl(), this)),
      Label8(new QLabel(QStringLiteral("Homepage: "), this)),
      HLink2(new HyperLink(QStringLiteral("Sorvane Timer README"), sorvane::ui::readmeUrl(), this)),
      m_playBeep(std::move(playBeep)), m_mainWindow(mainWindow) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));
    Command1->setObjectName(QStringLiteral("Command1"));
    Label6->setObjectName(QStringLiteral("Label6"));
    Label7->setObjectName(QStringLiteral("Label7"));
    HLink1->setObjectName(QStringLiteral("HLink1"));
    Label8->setObjectName(QStringLiteral("Label8"));
    HLink2->setObjectName(QStringLiteral("HLink2"));

    const double dpi = sorvane::ui::logicalDpiOf(this);
    auto place = [dpi](QWidget* w, int left, int top, int width, int height) {
        w->setGeometry(sorvane::ui::twipsRect(left, top, width, height, dpi));
    };
    setFixedSize(sorvane::ui::twipsToPixels(4500, dpi), sorvane::ui::twipsToPixels(2010, dpi));
    place(Label6, 120, 90, 4260, 480);
    place(Label7, 120, 690, 1140, 285);
    place(HLink1, 1260, 690, 3120, 285);
    place(Label8, 120, 1020, 1140, 285);
    place(HLink2, 1260, 1020, 3120, 285);
    place(Command1, 3285, 1515, 1095, 375);

    Label6->setTextFormat(Qt::PlainText);
    Label6->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // The window keeps its size whatever the hotkey line says: the line is
    // the tool tip of the window (of every part without a tip of its own).
    if (!hotkeyInfo.isEmpty())
        setToolTip(QStringLiteral("Global hotkeys: ") + hotkeyInfo);

    if (notify) {
        for (HyperLink* link : {HLink1, HLink2})
            connect(link, &HyperLink::openFailed, this,
                    [notify](const QString& message) { notify(message); });
    }

    // Close holds the focus when the window opens; Tab goes on through the
    // two links.
    setTabOrder(Command1, HLink1);
    setTabOrder(HLink1, HLink2);
    Command1->setAutoDefault(true);
    Command1->setFocus(Qt::OtherFocusReason);
    connect(Command1, &QPushButton::clicked, this, &frmAbout::Command1_Click);

    Form_Load(programVersion);
}

void frmAbout::Form_Load(const QString& programVersion) {
    m_label6Text = frmHelp::titleText(programVersion);
    // Labels break lines at line feeds only; a carriage return would show as
    // a blank.
    Label6->setText(QString(m_label6Text).replace(QChar(13), QChar(u'\n')));
    sorvane::ui::fitWindowCaptions({Label6, Label7, Label8, HLink1, HLink2}, {Command1});
    HLink1->fitToCaption();
    HLink2->fitToCaption();
}

void frmAbout::Command1_Click() {
    close();
}

// Close button, Esc and close box alike: one beep, the main window comes
// back, then this window goes.
void frmAbout::closeEvent(QCloseEvent* event) {
    if (m_playBeep)
        m_playBeep();
    if (m_mainWindow)
        m_mainWindow->show();
    event->accept();
}

void frmAbout::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        close();
    else
        QWidget::keyPressEvent(event);
}
