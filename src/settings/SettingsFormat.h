#pragma once
// The settings file: fifteen labelled records, one per line ended by CR LF,
// then, when the custom-list record is 1, the beep list.
#include "engine/BeepTable.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sorvane {

inline constexpr const char* kDefaultSettingsName = "SorvaneTimer.ini";

// Empty -> "SorvaneTimer.ini"; no '.' anywhere -> ".ini" appended; otherwise
// unchanged.
std::string completeSettingsName(const std::string& name);

// What the writer stores.  Text-box values are the readings of the boxes.
struct SettingsValues {
    int16_t startKey = 118;
    int16_t restartKey = 65;
    int16_t stopKey = 119;
    double beepPitch = 100;
    double beepDuration = 25;
    double repetitions = 19;
    double warnRate = 5;
    int16_t customList = 0; // check state 0, 1 or 2
    double cycleTime = 60;
    bool secondsUnit = true;
    int16_t warnings = 1; // check state
    double warnInterval = 10;
    int16_t finalCount = 1; // check state
    double finalCountTime = 5;
    double finalCountGap = 1;
};

// The whole file text.  The beep list is written only when customList is
// exactly 1: entries up to the first that equals 0.
std::string settingsFileText(const SettingsValues& values, const BeepTable& table);

// One record as read: its number, taken as a single-precision value.
using RecordValue = std::optional<float>;

// Records in file order, after optional shift records are dropped; a record
// the file ends before is empty.  The list is filled only when record 8
// reads as 1.
struct SettingsRead {
    std::array<RecordValue, 15> records{};
    bool listRead = false;
    BeepTable list{};
    std::size_t listLength = 0;
    bool listCut = false; // a value that would have been played did not fit
                          // into the 255 slots and was left out
    std::size_t recordsRead() const;
};

SettingsRead readSettingsText(std::string_view text);

} // namespace sorvane
