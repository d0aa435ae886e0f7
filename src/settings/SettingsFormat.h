#pragma once
// The settings file: fifteen labelled records, one per line ended by CR LF,
// then, when the custom-list record is 1, the beep list.
#include "engine/BeepTable.h"
#include "settings/SettingsRecords.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace sorvane {

inline constexpr const char* kDefaultSettingsName = "SorvaneTimer.ini";

// Empty -> "SorvaneTimer.ini"; no '.' anywhere -> ".ini" appended; otherwise
// unchanged.
std::string completeSettingsName(const std::string& name);

// The whole file text.  The beep list is written only when customList is
// exactly 1: entries up to the first that equals 0.
std::string settingsFileText(const SettingsValues& values, const BeepTable& table);

// What a file holds, read strictly by position: the records in file order
// (optional shift records dropped), then the list when record 8 reads as 1.
struct SettingsRead {
    // Records the file ends before keep their defaults here.
    SettingsValues values = defaultSettings();
    // Records are read in file order: the first recordCount are present.
    std::size_t recordCount = 0;
    bool complete() const { return recordCount == kSettingsRecordCount; }
    bool present(std::size_t record) const { return record < recordCount; }
    template <typename T> bool present(T SettingsValues::*field) const { return present(recordOf(field)); }

    bool listRead = false;
    BeepTable list{};
    std::size_t listLength = 0;
    bool listCut = false; // a value that would have been played did not fit
                          // into the 255 slots and was left out
};

// Key codes and check states are rounded (halves to even), check states kept
// within 0 to 2; numbers pass through single precision; the unit is seconds
// unless its record reads as 0.
SettingsRead readSettingsText(std::string_view text);

} // namespace sorvane
