#pragma once
// The fifteen records of a settings file, in file order: for each its label,
// the setting it holds, the kind of number it is, and what a new file gets.
// The reader, the writer, the defaults and the window's binding of settings
// to controls all go by this one table.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

namespace sorvane {

// One complete set of settings.  Text-box settings are the numbers their
// boxes read as; a value read from a file is single precision, held exactly.
struct SettingsValues {
    int16_t startKey = 0; // key codes of the three hotkeys
    int16_t restartKey = 0;
    int16_t stopKey = 0;
    double beepPitch = 0;
    double beepDuration = 0;
    double repetitions = 0;
    double warnRate = 0;
    int16_t customList = 0; // check state 0, 1 or 2
    double cycleTime = 0;
    bool secondsUnit = false;
    int16_t warnings = 0; // check state
    double warnInterval = 0;
    int16_t finalCount = 0; // check state
    double finalCountTime = 0;
    double finalCountGap = 0;

    bool operator==(const SettingsValues&) const = default;
};

enum class RecordKind {
    KeyCode,    // a whole number: a hotkey's key code
    Number,     // the number a text box reads as
    CheckState, // a check box: 0 clear, 1 checked, 2 grayed
    UnitOption, // 1 when the cycle is counted in seconds, 0 in minutes
};

struct SettingsRecord {
    std::string_view label;
    RecordKind kind;
    // The setting the record holds: `whole` for key codes and check states,
    // `number` for text-box numbers, `option` for the unit.
    int16_t SettingsValues::*whole = nullptr;
    double SettingsValues::*number = nullptr;
    bool SettingsValues::*option = nullptr;
    double defaultValue = 0;
    // Files may hold a shift record after a key code; it is read and dropped.
    std::string_view shiftLabel = {};
};

namespace records {

constexpr SettingsRecord keyCode(std::string_view label, int16_t SettingsValues::*field, int16_t byDefault,
                                 std::string_view shiftLabel) {
    return {label, RecordKind::KeyCode, field, nullptr, nullptr, static_cast<double>(byDefault), shiftLabel};
}
constexpr SettingsRecord number(std::string_view label, double SettingsValues::*field, double byDefault) {
    return {label, RecordKind::Number, nullptr, field, nullptr, byDefault};
}
constexpr SettingsRecord checkState(std::string_view label, int16_t SettingsValues::*field,
                                    int16_t byDefault) {
    return {label, RecordKind::CheckState, field, nullptr, nullptr, static_cast<double>(byDefault)};
}
constexpr SettingsRecord unitOption(std::string_view label, bool SettingsValues::*field, bool byDefault) {
    return {label, RecordKind::UnitOption, nullptr, nullptr, field, byDefault ? 1.0 : 0.0};
}

} // namespace records

// The labels are spelled as the files have always had them: record 12 ends
// with a full stop, record 7 has "per" and record 15 "Per".
inline constexpr std::array<SettingsRecord, 15> kSettingsRecords = {{
    records::keyCode("Start_Key_Code", &SettingsValues::startKey, 118 /* F7 */,
                     "Start_Key_Shift1_Ctrl2_Alt4_Code"),
    records::keyCode("Restart_Key_Code", &SettingsValues::restartKey, 65 /* A */,
                     "Restart_Key_Shift1_Ctrl2_Alt4_Code"),
    records::keyCode("Stop_Key_Code", &SettingsValues::stopKey, 119 /* F8 */,
                     "Stop_Key_Shift1_Ctrl2_Alt4_Code"),
    records::number("Beep_Pitch", &SettingsValues::beepPitch, 100),
    records::number("Beep_Duration", &SettingsValues::beepDuration, 25),
    records::number("Cycle_Repetitions", &SettingsValues::repetitions, 19),
    records::number("Warning_Beeps_per_Second", &SettingsValues::warnRate, 5),
    records::checkState("Custom_Beeps_yes1_no0", &SettingsValues::customList, 0),
    records::number("Cycle_Time", &SettingsValues::cycleTime, 60),
    records::unitOption("Cycle_Units_sec1_min0", &SettingsValues::secondsUnit, true),
    records::checkState("Enable_Periodic_Warnings_During_Cycle", &SettingsValues::warnings, 1),
    records::number("Periodic_Warning_Time.", &SettingsValues::warnInterval, 10),
    records::checkState("Enable_Final_Countdown", &SettingsValues::finalCount, 1),
    records::number("Final_Countdown_Time", &SettingsValues::finalCountTime, 5),
    records::number("Final_Countdown_Beeps_Per_Second", &SettingsValues::finalCountGap, 1),
}};

inline constexpr std::size_t kSettingsRecordCount = kSettingsRecords.size();

// What a new file receives at start-up.
constexpr SettingsValues defaultSettings() {
    SettingsValues v;
    for (const SettingsRecord& r : kSettingsRecords) {
        switch (r.kind) {
        case RecordKind::KeyCode:
        case RecordKind::CheckState:
            v.*r.whole = static_cast<int16_t>(r.defaultValue);
            break;
        case RecordKind::Number:
            v.*r.number = r.defaultValue;
            break;
        case RecordKind::UnitOption:
            v.*r.option = r.defaultValue != 0;
            break;
        }
    }
    return v;
}

// The position in the file of the record that holds a setting.
template <typename T> constexpr std::size_t recordOf(T SettingsValues::*field) {
    for (std::size_t i = 0; i < kSettingsRecordCount; ++i) {
        const SettingsRecord& r = kSettingsRecords[i];
        if constexpr (std::is_same_v<T, int16_t>) {
            if (r.whole == field)
                return i;
        } else if constexpr (std::is_same_v<T, double>) {
            if (r.number == field)
                return i;
        } else {
            static_assert(std::is_same_v<T, bool>);
            if (r.option == field)
                return i;
        }
    }
    return kSettingsRecordCount;
}

} // namespace sorvane
