#pragma once
// Small widget variants that behave the way the window's handlers expect:
// a check box with the three values 0 (clear), 1 (checked) and 2 (grayed)
// whose click event follows every change of value, programmatic ones too,
// and an option button that a click can only select, never deselect.
#include <QCheckBox>
#include <QRadioButton>

class QLineEdit;

namespace sorvane::ui {

class VbCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit VbCheckBox(const QString& caption, QWidget* parent = nullptr);

    int value() const;
    // Values outside 0..2 are brought into that range.
    void setValue(int value);

signals:
    // Raised whenever the value changes, by the user or by the program.
    void Click();

protected:
    // A click toggles between clear and checked; a grayed box becomes clear.
    void nextCheckState() override;
};

class VbOptionButton : public QRadioButton {
    Q_OBJECT
public:
    explicit VbOptionButton(const QString& caption, QWidget* parent = nullptr);

signals:
    // Raised when the option becomes selected, by the user or by the program.
    void Click();

protected:
    void nextCheckState() override;
};

// Assigns a text to a box the way the window's handlers expect: a different
// text raises the box's change handling, the same text is no change and
// raises nothing.
void assignText(QLineEdit* box, const QString& text);

} // namespace sorvane::ui
