#include "ui/CaptionFit.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>
#include <cmath>

namespace sorvane::ui {

namespace {

// The area the control keeps for its caption and how the caption is
// aligned in it, in the control's own coordinates.
struct CaptionArea {
    QRect rect;
    int alignment = 0;
};

CaptionArea captionArea(const QWidget* control, const QFont& font, const QString& caption) {
    if (auto* label = qobject_cast<const QLabel*>(control))
        return {label->contentsRect(), static_cast<int>(label->alignment())};

    auto* button = qobject_cast<const QAbstractButton*>(control);
    if (!button)
        return {};
    QStyleOptionButton option;
    option.initFrom(button);
    option.rect = button->rect();
    option.text = caption;
    option.fontMetrics = QFontMetrics(font);
    QStyle* style = button->style();
    if (auto* push = qobject_cast<const QPushButton*>(button)) {
        if (push->autoDefault())
            option.features |= QStyleOptionButton::AutoDefaultButton;
        if (push->isDefault())
            option.features |= QStyleOptionButton::DefaultButton;
        return {style->subElementRect(QStyle::SE_PushButtonContents, &option, button),
                Qt::AlignHCenter | Qt::AlignVCenter};
    }
    const auto element = qobject_cast<const QRadioButton*>(button) ? QStyle::SE_RadioButtonContents
                                                                   : QStyle::SE_CheckBoxContents;
    const QRect rect = style->subElementRect(element, &option, button);
    return {rect, static_cast<int>(
                      QStyle::visualAlignment(button->layoutDirection(), Qt::AlignLeft | Qt::AlignVCenter))};
}

} // namespace

QRect captionRect(const QWidget* control, const QFont& font, const QString& caption) {
    const CaptionArea area = captionArea(control, font, caption);
    if (area.rect.isEmpty())
        return {};
    const QRect text = QFontMetrics(font).boundingRect(area.rect, area.alignment, caption);
    return text.translated(control->pos());
}

bool captionFits(const QWidget* control, const QFont& font, const QString& caption) {
    const CaptionArea area = captionArea(control, font, caption);
    if (area.rect.isEmpty())
        return false;
    const QRect text = QFontMetrics(font).boundingRect(area.rect, area.alignment, caption);
    if (!area.rect.contains(text))
        return false;
    const QWidget* window = control->parentWidget();
    if (!window)
        return true;
    // A caption that touches the window's edge or another control looks cut
    // even when it is whole: it keeps a pixel's clearance (at 96 dpi).
    const int clearance = static_cast<int>(std::ceil(control->logicalDpiX() / 96.0));
    const QRect inParent =
        text.translated(control->pos()).adjusted(-clearance, -clearance, clearance, clearance);
    if (!window->rect().contains(inParent))
        return false;
    for (const QObject* child : window->children()) {
        auto* other = qobject_cast<const QWidget*>(child);
        if (!other || other == control || other->isWindow() || other->isHidden())
            continue;
        if (other->geometry().intersects(inParent))
            return false;
    }
    return true;
}

double fitCaptionGroup(const QList<CaptionStates>& group, double maxPointSize, double minPointSize) {
    auto allFit = [&group](double pointSize) {
        for (const CaptionStates& states : group) {
            QFont font = states.control->font();
            font.setPointSizeF(pointSize);
            for (const QString& caption : states.captions)
                if (!captionFits(states.control, font, caption))
                    return false;
        }
        return true;
    };
    double size = maxPointSize;
    while (size - 0.25 >= minPointSize && !allFit(size))
        size -= 0.25;
    for (const CaptionStates& states : group) {
        QFont font = states.control->font();
        font.setPointSizeF(size);
        states.control->setFont(font);
    }
    return size;
}

void fitWindowCaptions(const QList<QWidget*>& labels, const QList<QWidget*>& buttons) {
    for (const QList<QWidget*>* kind : {&labels, &buttons}) {
        if (kind->isEmpty())
            continue;
        QList<CaptionStates> group;
        for (QWidget* control : *kind) {
            if (auto* label = qobject_cast<QLabel*>(control))
                group.append({control, {label->text()}});
            else if (auto* button = qobject_cast<QAbstractButton*>(control))
                group.append({control, {button->text()}});
        }
        fitCaptionGroup(group, kind->first()->window()->font().pointSizeF());
    }
}

} // namespace sorvane::ui
