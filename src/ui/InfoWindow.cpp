#include "ui/InfoWindow.h"

#include "ui/CaptionFit.h"
#include "ui/HyperLink.h"
#include "ui/Twips.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace sorvane::ui {

namespace {

constexpr QChar kCarriageReturn(13);

} // namespace

QString withLineFeeds(QString text) {
    return text.replace(kCarriageReturn, QChar(u'\n'));
}

InfoWindow::InfoWindow(const QString& name, const QString& caption, std::function<void()> playBeep,
                       QWidget* parent, const std::function<void(const QString&)>& notify)
    : QWidget(parent, Qt::Window), Command1(new QPushButton(QStringLiteral("Close"), this)),
      Label6(new QLabel(this)), Label7(new QLabel(QStringLiteral("Email:"), this)),
      HLink1(new HyperLink(QStringLiteral("Report a problem"), problemReportUrl(), this)),
      Label8(new QLabel(QStringLiteral("Homepage: "), this)),
      HLink2(new HyperLink(QStringLiteral("Sorvane Timer README"), readmeUrl(), this)),
      m_playBeep(std::move(playBeep)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(name);
    setWindowTitle(caption);
    Command1->setObjectName(QStringLiteral("Command1"));
    Label6->setObjectName(QStringLiteral("Label6"));
    Label7->setObjectName(QStringLiteral("Label7"));
    HLink1->setObjectName(QStringLiteral("HLink1"));
    Label8->setObjectName(QStringLiteral("Label8"));
    HLink2->setObjectName(QStringLiteral("HLink2"));

    Label6->setTextFormat(Qt::PlainText);
    Label6->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    if (notify) {
        for (HyperLink* link : {HLink1, HLink2})
            connect(link, &HyperLink::openFailed, this,
                    [notify](const QString& message) { notify(message); });
    }

    setTabOrder(Command1, HLink1);
    setTabOrder(HLink1, HLink2);
    Command1->setAutoDefault(true);
    Command1->setFocus(Qt::OtherFocusReason);
    connect(Command1, &QPushButton::clicked, this, &InfoWindow::Command1_Click);
}

QString InfoWindow::titleText(const QString& programVersion) {
    return QStringLiteral("Sorvane Timer") + QStringLiteral(" ") + programVersion + kCarriageReturn +
           QStringLiteral("\u00a9 2026 the Sorvane Timer developers");
}

void InfoWindow::setSizeInTwips(int width, int height) {
    const double dpi = logicalDpiOf(this);
    setFixedSize(twipsToPixels(width, dpi), twipsToPixels(height, dpi));
}

void InfoWindow::placeInTwips(QWidget* control, int left, int top, int width, int height) {
    control->setGeometry(twipsRect(left, top, width, height, logicalDpiOf(this)));
}

void InfoWindow::showTitle(const QString& programVersion) {
    m_label6Text = titleText(programVersion);
    Label6->setText(withLineFeeds(m_label6Text));
    fitWindowCaptions({Label6, Label7, Label8, HLink1, HLink2}, {Command1});
    HLink1->fitToCaption();
    HLink2->fitToCaption();
}

void InfoWindow::Command1_Click() {
    close();
}

// Close button, Esc and close box alike: one beep, then the window goes.
void InfoWindow::closeEvent(QCloseEvent* event) {
    if (m_playBeep)
        m_playBeep();
    event->accept();
}

void InfoWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        close();
    else
        QWidget::keyPressEvent(event);
}

} // namespace sorvane::ui
