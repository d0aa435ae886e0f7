#include "ui/frmAbout.h"

#include "ui/HyperLink.h"
#include "ui/Twips.h"
#include "ui/frmHelp.h"

#include <QCloseEvent>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QRect>

using sorvane::ui::HyperLink;

namespace {} // namespace

frmAbout::frmAbout(const QString& programVersion, std::function<void()> playBeep, QWidget* mainWindow,
                   const QString& hotkeyInfo)
    : QWidget(nullptr, Qt::Window), Command1(new QPushButton(QStringLiteral("Close"), this)),
      Label6(new QLabel(this)), Label7(new QLabel(QStringLiteral("Email:"), this)),
      HLink1(new HyperLink(QStringLiteral("Report a problem"), sorvane::ui::problemReportUrl(), this)),
      Label8(new QLabel(QStringLiteral("Homepage: "), this)),
      HLink2(new HyperLink(QStringLiteral("Sorvane Timer README"), sorvane::ui::readmeUrl(), this)),
      m_playBeep(std::move(playBeep)), m_mainWindow(mainWindow), m_hotkeyLabel(new QLabel(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));
    Command1->setObjectName(QStringLiteral("Command1"));
    Label6->setObjectName(QStringLiteral("Label6"));
    Label7->setObjectName(QStringLiteral("Label7"));
    HLink1->setObjectName(QStringLiteral("HLink1"));
    Label8->setObjectName(QStringLiteral("Label8"));
    HLink2->setObjectName(QStringLiteral("HLink2"));
    m_hotkeyLabel->setObjectName(QStringLiteral("hotkeyInfo"));

    const double dpi = sorvane::ui::logicalDpiOf(this);
    auto place = [dpi](QWidget* w, int left, int top, int width, int height) {
        w->setGeometry(sorvane::ui::twipsRect(left, top, width, height, dpi));
    };
    setFixedSize(sorvane::ui::twipsToPixels(4500, dpi), sorvane::ui::twipsToPixels(2010, dpi));
    place(Label6, 120, 120, 4260, 495);
    place(Label7, 120, 780, 1215, 255);
    place(HLink1, 1380, 780, 3000, 255);
    place(Label8, 120, 1080, 1215, 255);
    place(HLink2, 1380, 1080, 3000, 255);
    place(Command1, 3285, 1515, 1095, 375);

    Label6->setTextFormat(Qt::PlainText);
    Label6->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    sorvane::ui::shrinkFontToFit(Label7, Label7->text());
    sorvane::ui::shrinkFontToFit(Label8, Label8->text());
    sorvane::ui::shrinkFontToFit(HLink1, HLink1->caption());
    sorvane::ui::shrinkFontToFit(HLink2, HLink2->caption());

    // The hotkey line, when there is one, goes below everything else in a
    // strip that makes the window that much taller; a long backend name
    // wraps onto a second line.
    m_hotkeyLabel->setTextFormat(Qt::PlainText);
    m_hotkeyLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_hotkeyLabel->setWordWrap(true);
    if (hotkeyInfo.isEmpty()) {
        m_hotkeyLabel->hide();
    } else {
        QFont small = m_hotkeyLabel->font();
        if (small.pointSizeF() > 0)
            small.setPointSizeF(small.pointSizeF() * 0.85);
        m_hotkeyLabel->setFont(small);
        m_hotkeyLabel->setText(QStringLiteral("Global hotkeys: ") + hotkeyInfo);
        const QRect strip = sorvane::ui::twipsRect(120, 1995, 4260, 0, dpi);
        const int height = m_hotkeyLabel->heightForWidth(strip.width());
        m_hotkeyLabel->setGeometry(strip.x(), strip.y(), strip.width(), height);
        setFixedSize(width(), strip.y() + height + sorvane::ui::twipsToPixels(120, dpi));
    }

    setTabOrder(Command1, HLink1);
    setTabOrder(HLink1, HLink2);
    connect(Command1, &QPushButton::clicked, this, &frmAbout::Command1_Click);

    Form_Load(programVersion);
}

void frmAbout::Form_Load(const QString& programVersion) {
    m_label6Text = frmHelp::titleText(programVersion);
    // Labels break lines at line feeds only; a carriage return would show as
    // a blank.
    Label6->setText(QString(m_label6Text).replace(QChar(13), QChar(u'\n')));
    sorvane::ui::shrinkFontToFit(Label6, Label6->text());
}

void frmAbout::Command1_Click() {
    close();
}

// Close button and close box alike: one beep, the main window comes back,
// then this window goes.
void frmAbout::closeEvent(QCloseEvent* event) {
    if (m_playBeep)
        m_playBeep();
    if (m_mainWindow)
        m_mainWindow->show();
    event->accept();
}
