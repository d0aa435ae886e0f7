#include "ui/VbControls.h"

#include <QLineEdit>

#include <algorithm>

namespace sorvane::ui {

VbCheckBox::VbCheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent) {
    connect(this, &QCheckBox::stateChanged, this, [this] { emit Click(); });
}

int VbCheckBox::value() const {
    switch (checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    case Qt::Unchecked:
        break;
    }
    return 0;
}

void VbCheckBox::setValue(int value) {
    value = std::clamp(value, 0, 2);
    if (value == 2)
        setTristate(true);
    setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

void VbCheckBox::nextCheckState() {
    setCheckState(checkState() == Qt::Unchecked ? Qt::Checked : Qt::Unchecked);
    setTristate(false);
}

VbOptionButton::VbOptionButton(const QString& caption, QWidget* parent) : QRadioButton(caption, parent) {
    // The window keeps the two unit options exclusive itself, so that a
    // settings file can leave both deselected for a moment as it loads.
    setAutoExclusive(false);
    connect(this, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            emit Click();
    });
}

void VbOptionButton::nextCheckState() {
    setChecked(true);
}

void assignText(QLineEdit* box, const QString& text) {
    if (box->text() != text)
        box->setText(text);
}

} // namespace sorvane::ui
