#pragma once
// The program's icon showing a run's progress through its cycle: the
// stopwatch's interval grows from twelve o'clock with the time gone, its
// hand points at the moment reached, and a ring over the case fills to the
// same place.
#include <QByteArray>
#include <QIcon>

namespace sorvane::ui {

class ProgressIcon {
public:
    // The number of distinct pictures of one cycle: the icon changes in
    // steps of 6 degrees, like a watch's second hand.
    static constexpr int kSteps = 60;

    ProgressIcon();
    // The picture for `step` of kSteps (0 at the start of the cycle, kSteps
    // at its end), in the sizes panels ask for.
    QIcon icon(int step) const;
    // The step that shows `fraction` (0 to 1) of the cycle.
    static int stepOf(double fraction);

private:
    QByteArray svgFor(int step) const;

    QByteArray m_svg; // the program's own icon
};

} // namespace sorvane::ui
