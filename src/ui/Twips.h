#pragma once
// Layout positions are given in twips (1/1440 inch): 15 twips to a pixel at
// 96 dpi, scaled with the screen's logical dpi.
#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace sorvane::ui {

// Logical dpi of the screen the widget is on (the primary screen before it
// is shown anywhere).
inline double logicalDpiOf(const QWidget* widget) {
    const QScreen* screen = widget->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInch() : 96.0;
}

inline int twipsToPixels(int twips, double logicalDpi = 96.0) {
    return static_cast<int>(std::lround(twips / 15.0 * logicalDpi / 96.0));
}

inline QRect twipsRect(int left, int top, int width, int height, double logicalDpi = 96.0) {
    return QRect(twipsToPixels(left, logicalDpi), twipsToPixels(top, logicalDpi),
                 twipsToPixels(width, logicalDpi), twipsToPixels(height, logicalDpi));
}

} // namespace sorvane::ui
