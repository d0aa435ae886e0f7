#include "ui/frmHelp.h"

#include "ui/Twips.h"

#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStringList>
#include <QVBoxLayout>

frmHelp::frmHelp(const QString& programVersion, std::function<void()> playBeep, QWidget* parent,
                 const QString& hotkeyInfo, const std::function<void(const QString&)>& notify)
    : InfoWindow(QStringLiteral("frmHelp"), QStringLiteral("Help"), std::move(playBeep), parent, notify),
      Label1(new QLabel(this)), m_textArea(new QScrollArea(this)), m_hotkeyLabel(new QLabel(this)) {
    Label1->setObjectName(QStringLiteral("Label1"));
    m_textArea->setObjectName(QStringLiteral("helpTextArea"));
    m_hotkeyLabel->setObjectName(QStringLiteral("hotkeyInfo"));

    setSizeInTwips(6840, 4065);
    placeInTwips(Label6, 120, 90, 6600, 480);
    placeInTwips(m_textArea, 120, 630, 6600, 2610);
    placeInTwips(Label7, 120, 3360, 1140, 285);
    placeInTwips(HLink1, 1260, 3360, 3600, 285);
    placeInTwips(Label8, 120, 3690, 1140, 285);
    placeInTwips(HLink2, 1260, 3690, 3600, 285);
    placeInTwips(Command1, 5625, 3600, 1095, 375);

    // The help text is read at the user's own font size: it wraps at the
    // window's width and scrolls, the hotkey line below it.
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    const int margin = sorvane::ui::twipsToPixels(90, sorvane::ui::logicalDpiOf(this));
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

    Form_Load(programVersion);
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
    return joined.join(QChar(13));
}

void frmHelp::Form_Load(const QString& programVersion) {
    m_label1Text = helpText();
    Label1->setText(sorvane::ui::withLineFeeds(m_label1Text));
    showTitle(programVersion);
}
