#pragma once
// Which control of the window shows each setting, and how: a key code goes
// to its hotkey assignment, a number to its text box as TextFromNumber shows
// it, a check state to its check box, the unit to its option button.  Values
// go in by plain assignment, one record after the other in file order, so
// that each control's own change or click handling runs at that moment, with
// the controls of the later records still as they were.
#include "settings/SettingsRecords.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <variant>

class QLineEdit;

namespace sorvane {
struct SettingsRead;
}

namespace sorvane::ui {

class VbCheckBox;
class VbOptionButton;

// How a text box shows its default: as plain digits ("100", the way the beep
// and repetition boxes are typed at design time) or as TextFromNumber shows
// a number (" 60", a blank first).
enum class DefaultText { Plain, FromNumber };

class SettingsBinding {
public:
    void bind(int16_t SettingsValues::*keyCode, int16_t* assignment);
    void bind(double SettingsValues::*number, QLineEdit* box, DefaultText defaultText);
    void bind(int16_t SettingsValues::*checkState, VbCheckBox* box);
    void bind(bool SettingsValues::*secondsUnit, VbOptionButton* option);

    // The records a file held, as loading shows them: numbers as single
    // precision, through TextFromNumber.  Records the file lacks leave their
    // controls alone.
    void show(const SettingsRead& read) const;
    // What a new file receives, put into the controls.
    void showDefaults() const;
    // The settings the controls show, as the file stores them.
    SettingsValues values() const;

private:
    struct Box {
        QLineEdit* box;
        DefaultText defaultText;
    };
    using Target = std::variant<std::monostate, int16_t*, Box, VbCheckBox*, VbOptionButton*>;

    enum class Source { File, Defaults };
    // Puts the first `count` records of `values` into their controls.
    void put(const SettingsValues& values, std::size_t count, Source source) const;

    std::array<Target, kSettingsRecordCount> m_targets{};
};

} // namespace sorvane::ui
