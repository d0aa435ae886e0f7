#include "ui/frmHelp.h"

#include "ui/HyperLink.h"
#include "ui/Twips.h"

#include "ui/CaptionFit.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStringList>
#include <QVBoxLayout>

using sorvane::ui::HyperLink;

namespace {

constexpr QChar kCarriageReturn(13);

// Labels break lines at line feeds only; a carriage return would show as a
// blank.
QString shownText(QString text) {
    return text.replace(kCarriageReturn, QChar(u'\n'));
}

} // namespace

frmHelp::frmHelp(const QString& programVersion, std::function<void()> playBeep, QWidget* parent,
                 const QString& hotkeyInfo, const std::function<void(const QString&)>& notify)
    : QWidget(parent, Qt::Window), Command1(new QPushButton(QStringLiteral("Close"), this)),
      Label6(new QLabel(this)), Label1(new QLabel(this)), Label7(new QLabel(QStringLiteral("Email:"), this)),
      HLink1(new HyperLink(QStringLiteral("Report a problem"), sorvane::ui::problemReportUrl(), this)),
      Label8(new QLabel(QStringLiteral("Homepage: "), this)),
      HLink2(new HyperLink(QStringLiteral("Sorvane Timer README"), sorvane::ui::readmeUrl(), this)),
      m_playBeep(std::move(playBeep)), m_textArea(new QScrollArea(this)), m_hotkeyLabel(new QLabel(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Help"));
    Command1->setObjectName(QStringLiteral("Command1"));
    Label6->setObjectName(QStringLiteral("Label6"));
    Label1->setObjectName(QStringLiteral("Label1"));
    Label7->setObjectName(QStringLiteral("Label7"));
    HLink1->setObjectName(QStringLiteral("HLink1"));
    Label8->setObjectName(QStringLiteral("Label8"));
    HLink2->setObjectName(QStringLiteral("HLink2"));
    m_textArea->setObjectName(QStringLiteral("helpTextArea"));
    m_hotkeyLabel->setObjectName(QStringLiteral("hotkeyInfo"));

    const double dpi = sorvane::ui::logicalDpiOf(this);
    auto place = [dpi](QWidget* w, int left, int top, int width, int height) {
        w->setGeometry(sorvane::ui::twipsRect(left, top, width, height, dpi));
    };
    setFixedSize(sorvane::ui::twipsToPixels(6840, dpi), sorvane::ui::twipsToPixels(4065, dpi));
    place(Label6, 120, 90, 6600, 480);
    place(m_textArea, 120, 630, 6600, 2610);
    place(Label7, 120, 3360, 1140, 285);
    place(HLink1, 1260, 3360, 3600, 285);
    place(Label8, 120, 3690, 1140, 285);
    place(HLink2, 1260, 3690, 3600, 285);
    place(Command1, 5625, 3600, 1095, 375);

    // The help text is read at the user's own font size: it wraps at the
    // window's width and scrolls, the hotkey line below it.
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    const int margin = sorvane::ui::twipsToPixels(90, dpi);
    column->setContentsMargins(margin, margin, margin, margin);
    column->setSpacing(margin);
    column->addWidget(Label1);
    column->addWidget(m_hotkeyLabel);
    column->addStretch();
    m_textArea->setWidget(page);
    m_textArea->setWidgetResizable(true);
    m_textArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The text is no tab stop of its own: the scrolling keys move it from
    // wherever the focus is, ahead of the buttons' own use of the arrows.
    m_textArea->setFocusPolicy(Qt::NoFocus);
    const struct {
        QKeySequence key;
        QAbstractSlider::SliderAction action;
    } scrolling[] = {{Qt::Key_Up, QAbstractSlider::SliderSingleStepSub},
                     {Qt::Key_Down, QAbstractSlider::SliderSingleStepAdd},
                     {Qt::Key_PageUp, QAbstractSlider::SliderPageStepSub},
                     {Qt::Key_PageDown, QAbstractSlider::SliderPageStepAdd},
                     {Qt::Key_Home, QAbstractSlider::SliderToMinimum},
                     {Qt::Key_End, QAbstractSlider::SliderToMaximum}};
    for (const auto& scroll : scrolling) {
        auto* shortcut = new QShortcut(scroll.key, this);
        const auto action = scroll.action;
        connect(shortcut, &QShortcut::activated, this,
                [this, action] { m_textArea->verticalScrollBar()->triggerAction(action); });
    }
    m_textArea->viewport()->setBackgroundRole(QPalette::Base);
    m_textArea->viewport()->setAutoFillBackground(true);
    for (QLabel* label : {Label1, m_hotkeyLabel}) {
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(true);
        label->setForegroundRole(QPalette::Text);
    }
    if (hotkeyInfo.isEmpty())
        m_hotkeyLabel->hide();
    else
        m_hotkeyLabel->setText(QStringLiteral("Global hotkeys: ") + hotkeyInfo);

    Label6->setTextFormat(Qt::PlainText);
    Label6->setAlignment(Qt::AlignLeft | Qt::AlignTop);

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
    connect(Command1, &QPushButton::clicked, this, &frmHelp::Command1_Click);

    Form_Load(programVersion);
}

QString frmHelp::titleText(const QString& programVersion) {
    return QStringLiteral("Sorvane Timer") + QStringLiteral(" ") + programVersion + kCarriageReturn +
           QStringLiteral("\u00a9 2026 the Sorvane Timer developers");
}

QString frmHelp::helpText() {
    static const char* const lines[] = {
        "HELP: A description of each item can be seen by pointing the mouse at each option box.",
        "To get started:",
        "1) Press the start key 'F7' to start the timer. Listen for beeps at 10, 20, 30, ... seconds.",
        "2) Press the restart key 'A' to reset the timer. Listen for beeps again.",
        "3) Press the stop key 'F8' to stop the timer. Check that the beeps have stopped.",
        "4) Click the start/restart/stop key boxes and press desired keys to change the assignments.",
        "5) Edit beep pitch and duration, or choose 'Midi Beeps'. Click 'Apply' to test.",
        "6) Change the beep cycle parameters and see the effect on 'Current Beep Cycle'.",
        "7) Click 'Custom Beep Cycle' and edit the beep times directly.",
        "8) Click 'Apply' to save the current settings.",
        "9) To restore defaults: delete the current 'SorvaneTimer.ini' file.",
        "10) To make a new ini file, type a new name in the ini file box.",
        "11) To switch to a different ini file, click the name in the file list.",
        "12) A specific ini filename can be entered on the command line when you run Sorvane Timer.",
    };
    QStringList joined;
    for (const char* line : lines)
        joined << QString::fromLatin1(line);
    return joined.join(kCarriageReturn);
}

void frmHelp::Form_Load(const QString& programVersion) {
    m_label6Text = titleText(programVersion);
    m_label1Text = helpText();
    Label6->setText(shownText(m_label6Text));
    Label1->setText(shownText(m_label1Text));
    sorvane::ui::fitWindowCaptions({Label6, Label7, Label8, HLink1, HLink2}, {Command1});
    HLink1->fitToCaption();
    HLink2->fitToCaption();
}

void frmHelp::Command1_Click() {
    close();
}

// Close button, Esc and close box alike: one beep, then the window goes.
void frmHelp::closeEvent(QCloseEvent* event) {
    if (m_playBeep)
        m_playBeep();
    event->accept();
}

void frmHelp::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        close();
    else
        QWidget::keyPressEvent(event);
}
