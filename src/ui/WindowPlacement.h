#pragma once
// Where the Help and About windows open, from the main window's frame (its
// place on the screen, the window system's frame included) and the part of
// the screen that windows may use.
#include <QPoint>
#include <QRect>
#include <QSize>

namespace sorvane::ui {

// The top left corner that puts a frame inside the area, or as much of it as
// fits, its top left corner first.  An empty area leaves the frame where it is.
inline QPoint keptInside(QRect frame, const QRect& area) {
    if (area.isEmpty())
        return frame.topLeft();
    if (frame.right() > area.right())
        frame.moveRight(area.right());
    if (frame.bottom() > area.bottom())
        frame.moveBottom(area.bottom());
    if (frame.left() < area.left())
        frame.moveLeft(area.left());
    if (frame.top() < area.top())
        frame.moveTop(area.top());
    return frame.topLeft();
}

// Beside the main window, top edges level and a gap between them: to its
// right where the area has room, else to its left where it has room there,
// else as near to the right as the area allows.
inline QPoint besideWindow(const QRect& mainFrame, const QSize& frame, const QRect& area, int gap) {
    QRect right(QPoint(mainFrame.right() + 1 + gap, mainFrame.top()), frame);
    if (area.isEmpty() || right.right() <= area.right())
        return keptInside(right, area);
    QRect left(QPoint(mainFrame.left() - gap - frame.width(), mainFrame.top()), frame);
    if (left.left() >= area.left())
        return keptInside(left, area);
    return keptInside(right, area);
}

// In the main window's place: centred on it, kept inside the area.
inline QPoint inPlaceOf(const QRect& mainFrame, const QSize& frame, const QRect& area) {
    const QRect centred(mainFrame.center() - QPoint((frame.width() - 1) / 2, (frame.height() - 1) / 2),
                        frame);
    return keptInside(centred, area);
}

} // namespace sorvane::ui
