#include "ui/ProgramIcon.h"

#include <QString>

namespace sorvane::ui {

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/org.sorvane.Timer-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace sorvane::ui
