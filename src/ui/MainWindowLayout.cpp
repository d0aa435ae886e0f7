#include "ui/MainWindowLayout.h"

#include "ui/Twips.h"

#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace sorvane::ui {

namespace {

enum class ControlKind {
    Label,        // a caption
    FieldLabel,   // a caption in front of its box: right-aligned, it ends where the box begins
    TextBox,      // the caption is the box's text
    KeyBox,       // a read-only text box that captures keys
    BeepList,     // the multi-line beep list
    CheckBox,     // value: 0 clear, 1 checked
    OptionButton, // value: 1 selected
    FileList,     // the settings files of the working folder
    Button,       // Enter presses it when it has the focus, as Space does
};

struct ControlRow {
    const char* name;
    ControlKind kind;
    const char* caption;          // a box's initial text
    int left, top, width, height; // twips
    const char* tip;              // null: none
    int value;
};

// The client area, in twips.
constexpr int kMainWindowWidthTwips = 5475;
constexpr int kMainWindowHeightTwips = 4935;

using K = ControlKind;

// In the order the controls are made, which is their stacking order (the
// labels then go below the rest).
const ControlRow kControls[] = {
    // Key assignment, top right.
    {"Label1", K::FieldLabel, "Start Key:", 2280, 120, 735, 255, nullptr, 0},
    {"Text1", K::KeyBox, "118", 3120, 120, 2295, 285,
     "Starts the cycle timer.Restarts the cycle timer and number of repetitions.  Click here, press a key, "
     "then click apply to save the key assignment.",
     0},
    {"Label2", K::FieldLabel, "Restart Key:", 2040, 600, 975, 255, nullptr, 0},
    {"Text2", K::KeyBox, "20", 3120, 600, 2295, 285,
     "Restarts the cycle timer and number of repetitions.  Click here, press a key, then click apply to "
     "save the key assignment.",
     0},
    {"Label3", K::FieldLabel, "Stop Key:", 2280, 1080, 735, 255, nullptr, 0},
    {"Text3", K::KeyBox, "119", 3120, 1080, 2295, 285,
     "Stops the cycle timer and resets the number of repetitions.Restarts the cycle timer and number of "
     "repetitions.  Click here, press a key, then click apply to save the key assignment.",
     0},

    // Beep sound.
    {"Label5", K::FieldLabel, "Beep Pitch (100):", 2040, 1440, 1575, 255, nullptr, 0},
    {"Text4", K::TextBox, "10", 3720, 1440, 495, 285,
     "Keep the beep pitch value lower to reduce cpu load. A lower value gives a higher pitch.", 0},
    {"Label6", K::FieldLabel, "Beep Duration (25):", 2040, 1800, 1575, 255, nullptr, 0},
    {"Text5", K::TextBox, "10", 3720, 1800, 495, 285,
     "Keep the beep duration as low as possible to reduce cpu load.", 0},
    {"Check2", K::CheckBox, "Midi Beeps", 4320, 1680, 1215, 375,
     "Beeps are produced by your midi device if enabled. Beeps are produced by your built in pc speaker "
     "when disabled.",
     0},

    // Cycle parameters.
    {"Label12", K::FieldLabel, "Cycle time (60s):", 2280, 2160, 1215, 255, nullptr, 0},
    {"TxtCycleTime", K::TextBox, "60", 3600, 2160, 615, 285, "Total cycle time.", 0},
    {"OptCycleUnitsSec", K::OptionButton, "sec", 4320, 2400, 615, 255, nullptr, 1},
    {"OptcycleUnitsMin", K::OptionButton, "min", 4920, 2400, 615, 255, nullptr, 0},
    {"ChkWarn", K::CheckBox, "Warnings every", 2160, 2520, 1455, 255, "Enable warning beeps during cycle.",
     1},
    {"TxtCycleWarnTime", K::TextBox, "10", 3600, 2520, 615, 285,
     "Periodic warning interval. The number of beeps starts at 1 and increases by one with each warning.", 0},
    {"Label9", K::FieldLabel, "Warning Beeps per Sec (5):", 2160, 2880, 2175, 255, nullptr, 0},
    {"Text7", K::TextBox, "5", 4440, 2880, 495, 285, "Speed of  beeps in warnings.", 0},
    {"Label7", K::FieldLabel, "Repetitions (19):", 2760, 3240, 1575, 255, nullptr, 0},
    {"Text6", K::TextBox, "19", 4440, 3240, 495, 285, "Number of repetitions of the cycle to perform.", 0},
    {"ChkFinalCount", K::CheckBox, "Final Count of", 2280, 3720, 1335, 255,
     "Execute a final countdown before end of cycle.", 1},
    {"TxtFinalCountTime", K::TextBox, "5", 3600, 3720, 615, 285, "Final countdown time.", 0},
    {"Label14", K::Label, "sec", 4320, 3720, 375, 255, nullptr, 0},
    {"Label15", K::FieldLabel, "Warning beeps per Sec (1):", 2280, 4080, 2055, 255, nullptr, 0},
    {"TxtFinalCountBps", K::TextBox, "1", 4440, 4080, 495, 285, "Beeps per second during final countdown.",
     0},

    // Beep list, left side.
    {"Check1", K::CheckBox, "Custom Beep Cycle", 120, 2520, 1815, 255,
     "Check to enable custom beep cycles. Default is 60 seconds.", 0},
    {"Label11", K::Label, "Current Beep Cycle in sec:", 120, 2760, 2055, 255, nullptr, 0},
    {"Text8", K::BeepList, "none\r\n", 120, 3000, 2055, 1815, "List of current beep times in seconds.", 0},

    // Settings files, top left.
    {"Label10", K::Label, "Current ini File:", 120, 240, 1095, 255, nullptr, 0},
    {"Text9", K::TextBox, "Text9", 120, 480, 1815, 285, "Edit the file name to create a new file.", 0},
    {"Command4", K::Button, "Delete", 1200, 120, 615, 315, "Click to delete current ini file.", 0},
    {"Label8", K::Label, "Initialization Files:", 120, 840, 1335, 255, nullptr, 0},
    {"File1", K::FileList, "", 120, 1080, 2055, 1260, "Click a file to load the settings.", 0},

    // Buttons along the bottom edge, left to right.
    {"Command3", K::Button, "About", 2280, 4560, 615, 315, "About Sorvane Timer.", 0},
    {"Command5", K::Button, "Help", 3120, 4560, 615, 315, "Help for new users.", 0},
    {"Command2", K::Button, "Apply", 3960, 4560, 615, 315,
     "Apply changes to the current ini file and update the current beep cycle.", 0},
    {"Command1", K::Button, "Exit", 4800, 4560, 615, 315, nullptr, 0},
};

// The controls that take the focus, first to last: Exit first, then
// straight into the three key boxes.
const char* const kTabOrder[] = {
    "Command1",
    "Text1",
    "Text2",
    "Text3",
    "Command2",
    "Text4",
    "Text5",
    "Text6",
    "Text7",
    "Text8",
    "Check1",
    "File1",
    "Command4",
    "Text9",
    "TxtCycleTime",
    "OptCycleUnitsSec",
    "OptcycleUnitsMin",
    "TxtCycleWarnTime",
    "ChkFinalCount",
    "TxtFinalCountTime",
    "TxtFinalCountBps",
    "ChkWarn",
    "Command3",
    "Command5",
    "Check2",
};

QWidget* createControl(const ControlRow& row, QWidget& window) {
    const QString caption = QString::fromUtf8(row.caption);
    QWidget* control = nullptr;
    switch (row.kind) {
    case K::Label:
    case K::FieldLabel: {
        auto* label = new QLabel(caption, &window);
        if (row.kind == K::FieldLabel)
            label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        control = label;
        break;
    }
    case K::TextBox:
    case K::KeyBox: {
        auto* box = new QLineEdit(caption, &window);
        box->setReadOnly(row.kind == K::KeyBox);
        box->setTextMargins(0, 0, 0, 0);
        control = box;
        break;
    }
    case K::BeepList: {
        auto* list = new BeepListBox(&window);
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setTabChangesFocus(true);
        list->setRawText(caption);
        control = list;
        break;
    }
    case K::CheckBox: {
        auto* check = new VbCheckBox(caption, &window);
        check->setValue(row.value);
        control = check;
        break;
    }
    case K::OptionButton: {
        auto* option = new VbOptionButton(caption, &window);
        option->setChecked(row.value == 1);
        control = option;
        break;
    }
    case K::FileList:
        control = new SettingsFileList(&window);
        break;
    case K::Button: {
        auto* button = new QPushButton(caption, &window);
        button->setAutoDefault(true);
        control = button;
        break;
    }
    }
    control->setObjectName(QLatin1String(row.name));
    if (row.tip)
        control->setToolTip(QString::fromUtf8(row.tip));
    return control;
}

template <typename T> T* child(const QWidget& window, const char* name) {
    return window.findChild<T*>(QLatin1String(name), Qt::FindDirectChildrenOnly);
}

} // namespace

QString designCaption(std::string_view name) {
    for (const ControlRow& row : kControls) {
        if (row.name == name)
            return QString::fromUtf8(row.caption);
    }
    return {};
}

void createMainWindowControls(QWidget& window) {
    QFont small = window.font();
    small.setPointSizeF(8.0);
    window.setFont(small);
    const double dpi = logicalDpiOf(&window);
    for (const ControlRow& row : kControls)
        createControl(row, window)->setGeometry(twipsRect(row.left, row.top, row.width, row.height, dpi));
    window.setFixedSize(twipsToPixels(kMainWindowWidthTwips, dpi),
                        twipsToPixels(kMainWindowHeightTwips, dpi));
    // Labels lie below the other controls: where a label's box reaches over
    // the file list's edge, the list stays whole and takes its clicks.  The
    // captions themselves are fitted to stay clear of it.
    for (QLabel* label : window.findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        label->lower();
    for (std::size_t i = 0; i + 1 < std::size(kTabOrder); ++i)
        QWidget::setTabOrder(child<QWidget>(window, kTabOrder[i]), child<QWidget>(window, kTabOrder[i + 1]));
}

MainWindowControls controlsOf(const QWidget& window) {
    const QWidget& w = window;
    return {
        .Label1 = child<QLabel>(w, "Label1"),
        .Label2 = child<QLabel>(w, "Label2"),
        .Label3 = child<QLabel>(w, "Label3"),
        .Label5 = child<QLabel>(w, "Label5"),
        .Label6 = child<QLabel>(w, "Label6"),
        .Label7 = child<QLabel>(w, "Label7"),
        .Label8 = child<QLabel>(w, "Label8"),
        .Label9 = child<QLabel>(w, "Label9"),
        .Label10 = child<QLabel>(w, "Label10"),
        .Label11 = child<QLabel>(w, "Label11"),
        .Label12 = child<QLabel>(w, "Label12"),
        .Label14 = child<QLabel>(w, "Label14"),
        .Label15 = child<QLabel>(w, "Label15"),
        .Text1 = child<QLineEdit>(w, "Text1"),
        .Text2 = child<QLineEdit>(w, "Text2"),
        .Text3 = child<QLineEdit>(w, "Text3"),
        .Text4 = child<QLineEdit>(w, "Text4"),
        .Text5 = child<QLineEdit>(w, "Text5"),
        .Text6 = child<QLineEdit>(w, "Text6"),
        .Text7 = child<QLineEdit>(w, "Text7"),
        .Text8 = child<BeepListBox>(w, "Text8"),
        .Text9 = child<QLineEdit>(w, "Text9"),
        .TxtCycleTime = child<QLineEdit>(w, "TxtCycleTime"),
        .TxtCycleWarnTime = child<QLineEdit>(w, "TxtCycleWarnTime"),
        .TxtFinalCountTime = child<QLineEdit>(w, "TxtFinalCountTime"),
        .TxtFinalCountBps = child<QLineEdit>(w, "TxtFinalCountBps"),
        .Check1 = child<VbCheckBox>(w, "Check1"),
        .Check2 = child<VbCheckBox>(w, "Check2"),
        .ChkWarn = child<VbCheckBox>(w, "ChkWarn"),
        .ChkFinalCount = child<VbCheckBox>(w, "ChkFinalCount"),
        .OptCycleUnitsSec = child<VbOptionButton>(w, "OptCycleUnitsSec"),
        .OptcycleUnitsMin = child<VbOptionButton>(w, "OptcycleUnitsMin"),
        .File1 = child<SettingsFileList>(w, "File1"),
        .Command1 = child<QPushButton>(w, "Command1"),
        .Command2 = child<QPushButton>(w, "Command2"),
        .Command3 = child<QPushButton>(w, "Command3"),
        .Command4 = child<QPushButton>(w, "Command4"),
        .Command5 = child<QPushButton>(w, "Command5"),
    };
}

} // namespace sorvane::ui
