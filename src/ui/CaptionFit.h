#pragma once
// Fitting captions into the fixed-size controls of the windows.  The
// layouts place every control at a fixed position; the user's font and
// screen decide how wide a caption is.  A caption fits when all of its
// text lies where the user can see it: inside its control's caption area,
// inside the window, and clear of every other control.
#include <QFont>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

class QWidget;

namespace sorvane::ui {

// Where the control draws the caption in the given font, in its parent's
// coordinates: a label's text as aligned in its contents, a check box's or
// option button's text beside its mark, a push button's text centred on its
// face.  Other widgets have no caption: an empty rectangle.
QRect captionRect(const QWidget* control, const QFont& font, const QString& caption);

// Whether the caption, drawn in the given font, is whole to the eye: inside
// the control's caption area, and a pixel (at 96 dpi) away from the
// window's edge and from every other control.
bool captionFits(const QWidget* control, const QFont& font, const QString& caption);

// A control and every caption it can show.
struct CaptionStates {
    QWidget* control;
    QStringList captions;
};

// Gives every control of the group the same font: the control's own
// family at the largest size, in quarter points from maxPointSize down to
// minPointSize, at which every caption of every control fits.  Returns that
// size.
double fitCaptionGroup(const QList<CaptionStates>& group, double maxPointSize, double minPointSize = 5.0);

// The captions of a small window as they are now: its labels (links
// included) share one size, its buttons another, each the largest up to
// the window's own font size at which all of them fit.
void fitWindowCaptions(const QList<QWidget*>& labels, const QList<QWidget*>& buttons);

} // namespace sorvane::ui
