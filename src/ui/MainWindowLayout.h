#pragma once
// What the main window shows.  Two tables in MainWindowLayout.cpp hold it:
// every control with its name, kind, caption, place and tip, and the order
// the Tab key walks them in.  The window is built from them; its handlers
// and the tests find the controls by their names.
#include "ui/BeepListBox.h"
#include "ui/SettingsFileList.h"
#include "ui/VbControls.h"

#include <QString>

#include <string_view>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace sorvane::ui {

// The controls of the main window, by name.
struct MainWindowControls {
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label9;
    QLabel* Label10;
    QLabel* Label11;
    QLabel* Label12;
    QLabel* Label14;
    QLabel* Label15;
    QLineEdit* Text1;
    QLineEdit* Text2;
    QLineEdit* Text3;
    QLineEdit* Text4;
    QLineEdit* Text5;
    QLineEdit* Text6;
    QLineEdit* Text7;
    BeepListBox* Text8;
    QLineEdit* Text9;
    QLineEdit* TxtCycleTime;
    QLineEdit* TxtCycleWarnTime;
    QLineEdit* TxtFinalCountTime;
    QLineEdit* TxtFinalCountBps;
    VbCheckBox* Check1;
    VbCheckBox* Check2;
    VbCheckBox* ChkWarn;
    VbCheckBox* ChkFinalCount;
    VbOptionButton* OptCycleUnitsSec;
    VbOptionButton* OptcycleUnitsMin;
    SettingsFileList* File1;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command3;
    QPushButton* Command4;
    QPushButton* Command5;
};

// The caption (or text) a control has when the window is made.
QString designCaption(std::string_view name);

// Makes the controls of the table in the window, in their initial state,
// and lays them out: the window's 8-point font, each control at its place
// for the screen's dpi, the window's fixed size, the Tab order.  Captions
// are not fitted here.
void createMainWindowControls(QWidget& window);

// The controls of a window made by createMainWindowControls.
MainWindowControls controlsOf(const QWidget& window);

} // namespace sorvane::ui
