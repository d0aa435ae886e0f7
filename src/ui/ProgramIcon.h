#pragma once
#include <QIcon>

namespace sorvane::ui {

// The program's icon (a stopwatch with a marked interval) in every size
// the desktop asks for, built into the program so that its windows carry it
// whatever icon theme is installed.
QIcon programIcon();

} // namespace sorvane::ui
