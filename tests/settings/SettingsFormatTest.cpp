// The settings file: its name rule, its record table, the writer and the
// positional reader.  The oracle is the default file of 393 bytes that a
// first start writes, and the table of what each record holds.
#include "settings/SettingsFormat.h"

#include "support/DefaultSettings.h"
#include "support/TableTests.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace sorvane {

// Failures show the settings as the file would hold them.
void PrintTo(const SettingsValues& v, std::ostream* os) {
    *os << "\n" << settingsFileText(v, BeepTable{});
}

namespace {

using testing_support::countingLines;
using testing_support::customListFile;
using testing_support::firstLines;
using testing_support::insertAfter;
using testing_support::kDefaultSettingsFile;
using testing_support::PrintTo;
using Values = testing_support::RecordValues;

std::string withValues(const Values& changes, const std::string& tail = {}) {
    return testing_support::defaultFileWith(changes, tail);
}

// --- name rule ---------------------------------------------------------------------

// Empty: the default name; no full stop anywhere: ".ini" appended;
// otherwise the name as given.
TEST(SettingsName, IsCompleted) {
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"", "SorvaneTimer.ini"}, {"work", "work.ini"},         {" ", " .ini"},
        {"a b", "a b.ini"},       {"Work", "Work.ini"},         {"/tmp/work", "/tmp/work.ini"},
        {"work.cfg", "work.cfg"}, {"WORK.INI", "WORK.INI"},     {"work.", "work."},
        {"..\\work", "..\\work"}, {"dir.d/work", "dir.d/work"}, {"SorvaneTimer.ini", "SorvaneTimer.ini"}};
    for (const auto& [name, completed] : rows)
        EXPECT_EQ(completeSettingsName(name), completed) << "\"" << name << "\"";
}

BeepTable tableOf(const std::vector<float>& entries) {
    BeepTable t{};
    std::copy(entries.begin(), entries.end(), t.begin());
    return t;
}

std::vector<float> counting(int n) {
    std::vector<float> v;
    for (int i = 1; i <= n; ++i)
        v.push_back(static_cast<float>(i));
    return v;
}

// --- the record table ----------------------------------------------------------------

TEST(SettingsRecords, DefaultsAreTheDefaultFile) {
    ASSERT_EQ(kDefaultSettingsFile.size(), 393u);
    EXPECT_EQ(settingsFileText(defaultSettings(), BeepTable{}), kDefaultSettingsFile);
    const SettingsRead read = readSettingsText(kDefaultSettingsFile);
    EXPECT_TRUE(read.complete());
    EXPECT_EQ(read.values, defaultSettings());
}

// Each record's kind, seen through a file read and saved again: key codes
// (records 1-3) and check states (8, 11, 13) are rounded, halves to even,
// and check states kept within 0 to 2; the unit (10) is 1 unless it reads
// as 0; text-box numbers (4-7, 9, 12, 14, 15) keep their fraction after
// passing through single precision.
struct ResaveCase {
    const char* name;
    std::string file;
    std::string saved;
};

Values everyRecord(const char* keys, const char* numbers, const char* checks, const char* unit) {
    return {{1, keys},    {2, keys},     {3, keys},    {4, numbers},  {5, numbers},
            {6, numbers}, {7, numbers},  {8, checks},  {9, numbers},  {10, unit},
            {11, checks}, {12, numbers}, {13, checks}, {14, numbers}, {15, numbers}};
}

const std::string kStartShift = "7,\"Start_Key_Shift1_Ctrl2_Alt4_Code\"";
const std::string kRestartShift = "6,\"Restart_Key_Shift1_Ctrl2_Alt4_Code\"";
const std::string kStopShift = "5,\"Stop_Key_Shift1_Ctrl2_Alt4_Code\"";

class ResaveTest : public ::testing::TestWithParam<ResaveCase> {};

TEST_P(ResaveTest, ReadAndSavedAgain) {
    const SettingsRead read = readSettingsText(GetParam().file);
    ASSERT_TRUE(read.complete());
    EXPECT_EQ(settingsFileText(read.values, read.list), GetParam().saved);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ResaveTest,
    ::testing::Values(ResaveCase{"HalvesToEven", withValues(everyRecord("2.5", "2.5", "2.5", "2.5")),
                                 withValues(everyRecord("2", "2.5", "2", "1"))},
                      ResaveCase{"NegativeHalves", withValues(everyRecord("-3.5", "-3.5", "-3.5", "-3.5")),
                                 withValues(everyRecord("-4", "-3.5", "0", "1"))},
                      ResaveCase{"AboveTheCheckStates", withValues(everyRecord("7.5", "7.5", "7.5", "0")),
                                 withValues(everyRecord("8", "7.5", "2", "0"))},
                      ResaveCase{"HugeValuesStayFinite", withValues({{9, "1e300"}}),
                                 withValues({{9, "3.40282346638529E+38"}})},
                      ResaveCase{"ShiftRecordsAreDropped",
                                 insertAfter(insertAfter(insertAfter(withValues({{1, "120"}}), 3, kStopShift),
                                                         2, kRestartShift),
                                             1, kStartShift),
                                 withValues({{1, "120"}})},
                      ResaveCase{"ListStopsAtTheFirstZero", customListFile("5\r\n0\r\n7\r\n"),
                                 customListFile("5\r\n")}),
    testing_support::ByName());

// --- writer ----------------------------------------------------------------------------

struct WriteCase {
    const char* name;
    std::function<void(SettingsValues&)> change;
    std::vector<float> table;
    std::string expected;
};

class WriteTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(WriteTest, WritesTheFile) {
    SettingsValues v = defaultSettings();
    GetParam().change(v);
    EXPECT_EQ(settingsFileText(v, tableOf(GetParam().table)), GetParam().expected);
}

void customList(SettingsValues& v) {
    v.customList = 1;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WriteTest,
    ::testing::Values(
        WriteCase{
            "TableIgnoredWithoutCustomList", [](SettingsValues&) {}, {10, 20.5f, 30}, kDefaultSettingsFile},
        // the worked example of a custom list
        WriteCase{
            "CustomListAfterTheRecords", customList, {10, 20.5f, 30}, customListFile("10\r\n20.5\r\n30\r\n")},
        WriteCase{"GrayedCustomListWritesNoList",
                  [](SettingsValues& v) { v.customList = 2; },
                  {10, 20.5f, 30},
                  withValues({{8, "2"}})},
        WriteCase{"ListStopsAtTheFirstZeroAndKeepsNegatives",
                  customList,
                  {5, -0.5f, 0.25f, 0, 7},
                  customListFile("5\r\n-.5\r\n.25\r\n")},
        WriteCase{"EmptyList", customList, {}, customListFile("")},
        WriteCase{"ListValuesWithSevenDigits",
                  customList,
                  {55.2f, 1.9666667f, 1e7f},
                  customListFile("55.2\r\n1.966667\r\n1E+07\r\n")},
        WriteCase{"FullListIs255Lines", customList, counting(255), customListFile(countingLines(255))},
        WriteCase{"MidiStoresPitchAndDurationZero",
                  [](SettingsValues& v) {
                      v.beepPitch = 0;
                      v.beepDuration = 0;
                  },
                  {},
                  withValues({{4, "0"}, {5, "0"}})},
        WriteCase{"ValuesWrittenBare",
                  [](SettingsValues& v) {
                      v.startKey = -5;
                      v.stopKey = 0;
                      v.warnRate = 1.0 / 3.0;
                      v.cycleTime = 1.5;
                      v.secondsUnit = false;
                      v.warnings = 0;
                      v.warnInterval = 0.5;
                      v.finalCount = 2;
                      v.finalCountTime = 1.23456789;
                      v.finalCountGap = -2;
                  },
                  {},
                  withValues({{1, "-5"},
                              {3, "0"},
                              {7, ".333333333333333"},
                              {9, "1.5"},
                              {10, "0"},
                              {11, "0"},
                              {12, ".5"},
                              {13, "2"},
                              {14, "1.23456789"},
                              {15, "-2"}})}),
    testing_support::ByName());

TEST(SettingsFileText, WrittenSettingsReadBack) {
    SettingsValues v = defaultSettings();
    v.startKey = 120;
    v.beepPitch = 40;
    v.customList = 1;
    v.cycleTime = 2.5;
    v.secondsUnit = false;
    v.finalCount = 0;
    const SettingsRead r = readSettingsText(settingsFileText(v, tableOf({10, 20.5f, 30})));
    EXPECT_EQ(r.values, v);
    EXPECT_TRUE(r.listRead);
    EXPECT_EQ(r.listLength, 3u);
    EXPECT_EQ(std::vector<float>(r.list.begin(), r.list.begin() + 4), (std::vector<float>{10, 20.5f, 30, 0}));
}

// --- reader: the fifteen records --------------------------------------------------------

struct ReadCase {
    const char* name;
    std::string text;
    std::function<void(SettingsValues&)> change; // from the defaults
};

class ReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadTest, ReadsByPosition) {
    const SettingsRead r = readSettingsText(GetParam().text);
    SettingsValues expected = defaultSettings();
    GetParam().change(expected);
    EXPECT_TRUE(r.complete());
    EXPECT_EQ(r.values, expected);
    EXPECT_FALSE(r.listRead);
    EXPECT_EQ(r.listLength, 0u);
    EXPECT_EQ(r.list[0], 0.0f);
}

void noChange(SettingsValues&) {}

// A record that is not where it belongs moves every record after it by one.
std::function<void(SettingsValues&)> movedUpAfterStartKey(int16_t restartKey) {
    return [restartKey](SettingsValues& v) {
        v = {118, restartKey, 65, 119, 100, 25, 19, 2 /* 5 */, 0, true /* 60 */, 1, 1, 2 /* 10 */, 1, 5};
    };
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ReadTest,
    ::testing::Values(
        ReadCase{"StartShift", insertAfter(kDefaultSettingsFile, 1, kStartShift), noChange},
        ReadCase{"RestartShift", insertAfter(kDefaultSettingsFile, 2, kRestartShift), noChange},
        ReadCase{"StopShift", insertAfter(kDefaultSettingsFile, 3, kStopShift), noChange},
        ReadCase{"StartAndStopShift",
                 insertAfter(insertAfter(kDefaultSettingsFile, 3, kStopShift), 1, kStartShift), noChange},
        ReadCase{"AllThreeShifts",
                 insertAfter(insertAfter(insertAfter(kDefaultSettingsFile, 3, kStopShift), 2, kRestartShift),
                             1, kStartShift),
                 noChange},
        // A Restart shift label right after record 1 is not the Start shift
        // record: it is read as record 2.
        ReadCase{"ShiftLabelInTheWrongPlace", insertAfter(kDefaultSettingsFile, 1, kRestartShift),
                 movedUpAfterStartKey(6)},
        ReadCase{"ShiftLabelComparedWithItsCase",
                 insertAfter(kDefaultSettingsFile, 1, "7,\"start_key_shift1_ctrl2_alt4_code\""),
                 movedUpAfterStartKey(7)},
        ReadCase{"SecondShiftRecordIsARecord",
                 insertAfter(insertAfter(kDefaultSettingsFile, 1, kStartShift), 1, kStartShift),
                 movedUpAfterStartKey(7)},
        ReadCase{"SwappedRecordsSwapValues", withValues({{4, "25"}, {5, "100"}}),
                 [](SettingsValues& v) {
                     v.beepPitch = 25;
                     v.beepDuration = 100;
                 }},
        ReadCase{"LabelsAreNotConsulted",
                 firstLines(kDefaultSettingsFile, 8) + "45,\"Anything at all\"\r\n" +
                     kDefaultSettingsFile.substr(firstLines(kDefaultSettingsFile, 9).size()),
                 [](SettingsValues& v) { v.cycleTime = 45; }},
        ReadCase{"NotANumberReadsZero", withValues({{4, "abc"}}), [](SettingsValues& v) { v.beepPitch = 0; }},
        ReadCase{"MidiPitchZero", withValues({{4, "0"}}), [](SettingsValues& v) { v.beepPitch = 0; }},
        ReadCase{"SinglePrecision", withValues({{9, "1.23456789"}}),
                 [](SettingsValues& v) { v.cycleTime = 1.23456789f; }},
        ReadCase{"HugeValueSaturates", withValues({{9, "1e300"}}),
                 [](SettingsValues& v) { v.cycleTime = FLT_MAX; }},
        ReadCase{"UnitTwoIsSeconds", withValues({{10, "2"}}), noChange},
        ReadCase{"UnitMinusOneIsSeconds", withValues({{10, "-1"}}), noChange},
        ReadCase{"UnitZeroIsMinutes", withValues({{10, "0"}}),
                 [](SettingsValues& v) { v.secondsUnit = false; }},
        ReadCase{"LineFeedOnlyLineEnds", testing_support::lineFeedsOnly(kDefaultSettingsFile), noChange},
        ReadCase{"BlanksBeforeFieldsAndCommasInsideLabels",
                 "  118,\"Start,Key\"\r\n65, \"Restart_Key_Code\"\r\n" +
                     kDefaultSettingsFile.substr(firstLines(kDefaultSettingsFile, 2).size()),
                 noChange},
        // Lines after record 15 are a list only when record 8 is 1.
        ReadCase{"LinesIgnoredWithCustomListOff", withValues({{8, "0"}}, "10\r\n20\r\n"), noChange},
        ReadCase{"LinesIgnoredWithCustomListGrayed", withValues({{8, "2"}}, "10\r\n20\r\n"),
                 [](SettingsValues& v) { v.customList = 2; }},
        ReadCase{"LinesIgnoredWithCustomListMinusOne", withValues({{8, "-1"}}, "10\r\n20\r\n"), noChange}),
    testing_support::ByName());

// A file that ends early has the records before its end; the others keep
// the defaults in the values read.
TEST(ReadSettingsText, AFileThatEndsEarlyReadsWhatItHas) {
    const std::string full = withValues(everyRecord("2", "2.5", "2", "0"));
    for (std::size_t lines = 0; lines <= 15; ++lines) {
        const SettingsRead r = readSettingsText(firstLines(full, lines));
        EXPECT_EQ(r.recordCount, lines);
        EXPECT_EQ(r.complete(), lines == 15);
        for (std::size_t i = 0; i < 15; ++i)
            EXPECT_EQ(r.present(i), i < lines) << lines << " lines, record " << i + 1;
        EXPECT_EQ(r.present(&SettingsValues::customList), lines >= 8) << lines;
        EXPECT_EQ(settingsFileText(r.values, BeepTable{}),
                  firstLines(full, lines) +
                      kDefaultSettingsFile.substr(firstLines(kDefaultSettingsFile, lines).size()))
            << lines;
        EXPECT_FALSE(r.listRead);
    }
    // a file that ends right after a shift record
    EXPECT_EQ(readSettingsText(firstLines(insertAfter(kDefaultSettingsFile, 1, kStartShift), 2)).recordCount,
              1u);
}

// --- reader: the custom list ------------------------------------------------------------

struct ListCase {
    const char* name;
    std::string text;
    bool listRead;
    std::vector<float> list;
    bool cut;
};

class ListTest : public ::testing::TestWithParam<ListCase> {};

TEST_P(ListTest, ReadsTheList) {
    const ListCase& c = GetParam();
    const SettingsRead r = readSettingsText(c.text);
    EXPECT_EQ(r.listRead, c.listRead);
    EXPECT_EQ(std::vector<float>(r.list.begin(), r.list.begin() + static_cast<std::ptrdiff_t>(r.listLength)),
              c.list);
    EXPECT_EQ(r.list[r.listLength], 0.0f);
    EXPECT_EQ(r.listCut, c.cut);
    if (c.listRead) {
        SettingsValues records = defaultSettings();
        records.customList = 1;
        EXPECT_EQ(r.values, records);
    }
}

// A value left out is a loss only when it would have been played: one behind
// a 0 value, or a 0 value itself, is not.
std::string zeroThenMany() {
    std::string text = customListFile("5\r\n0\r\n");
    for (int i = 1; i <= 300; ++i)
        text += "9\r\n";
    return text;
}
std::vector<float> zeroThenNines() {
    std::vector<float> v{5, 0};
    v.resize(255, 9);
    return v;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ListTest,
    ::testing::Values(
        ListCase{"WorkedExample", customListFile("10\r\n20.5\r\n30\r\n"), true, {10, 20.5f, 30}, false},
        ListCase{"NoValues", customListFile(""), true, {}, false},
        ListCase{"ValuesAfterAZeroAreReadToo", customListFile("5\r\n0\r\n7\r\n"), true, {5, 0, 7}, false},
        ListCase{"ReadFieldByField", customListFile("10,20\r\n 30\r\n"), true, {10, 20, 30}, false},
        ListCase{"NoFinalLineBreak", customListFile("10\r\n12.5"), true, {10, 12.5f}, false},
        ListCase{"LineFeedsOnly",
                 testing_support::lineFeedsOnly(customListFile("3\r\n4.5\r\n")),
                 true,
                 {3, 4.5f},
                 false},
        ListCase{"AfterShiftRecords",
                 insertAfter(insertAfter(insertAfter(customListFile("4\r\n8\r\n"), 3, kStopShift), 2,
                                         kRestartShift),
                             1, kStartShift),
                 true,
                 {4, 8},
                 false},
        ListCase{"FileEndsBeforeTheList", firstLines(customListFile(""), 12), false, {}, false},
        ListCase{"Exactly255Fit", customListFile(countingLines(255)), true, counting(255), false},
        ListCase{"Value256IsCut", customListFile(countingLines(256)), true, counting(255), true},
        ListCase{"300ValuesAreCut", customListFile(countingLines(300)), true, counting(255), true},
        ListCase{"EmptyLineBehind255", customListFile(countingLines(255) + "\r\n"), true, counting(255),
                 false},
        ListCase{"ZeroBehind255", customListFile(countingLines(255) + "0\r\n7\r\n"), true, counting(255),
                 false},
        ListCase{"ValuesBehindAnEarlierZero", zeroThenMany(), true, zeroThenNines(), false},
        ListCase{"FractionBehind255", customListFile(countingLines(255) + "0.5\r\n"), true, counting(255),
                 true}),
    testing_support::ByName());

// --- reader: anything at all --------------------------------------------------------------

void expectSane(const SettingsRead& r) {
    ASSERT_LE(r.recordCount, 15u);
    ASSERT_LE(r.listLength, 255u);
    EXPECT_EQ(r.list[r.listLength], 0.0f);
    for (const SettingsRecord& rec : kSettingsRecords) {
        if (rec.kind == RecordKind::Number) {
            EXPECT_TRUE(std::isfinite(r.values.*rec.number)) << rec.label;
        } else if (rec.kind == RecordKind::CheckState) {
            EXPECT_TRUE(r.values.*rec.whole >= 0 && r.values.*rec.whole <= 2) << rec.label;
        }
    }
}

TEST(ReadSettingsText, GarbageDoesNotCrash) {
    std::mt19937 gen(2024);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 4000);
    for (int i = 0; i < 300; ++i) {
        std::string text(static_cast<std::size_t>(length(gen)), '\0');
        for (char& c : text)
            c = static_cast<char>(byte(gen));
        expectSane(readSettingsText(text));
    }
    // garbage behind a custom-list header
    for (int i = 0; i < 100; ++i) {
        std::string text = customListFile("");
        const int n = length(gen);
        for (int k = 0; k < n; ++k)
            text += static_cast<char>(byte(gen));
        expectSane(readSettingsText(text));
    }
}

struct OddFileCase {
    const char* name;
    std::string text;
};

class OddFileTest : public ::testing::TestWithParam<OddFileCase> {};

TEST_P(OddFileTest, ReadsWithoutCrashing) {
    expectSane(readSettingsText(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, OddFileTest,
    ::testing::Values(OddFileCase{"NulBytes", std::string(500, '\0')},
                      OddFileCase{"NulInsideRecords", std::string("118\0,\"Start\0Key\"\r\n65", 20)},
                      OddFileCase{"UnclosedQuote", "118,\"Start_Key_Code\r\n65,\"Restart\r\n"},
                      OddFileCase{"OnlyQuotes", std::string(301, '"')},
                      OddFileCase{"OnlyCommas", std::string(1000, ',')},
                      OddFileCase{"OnlyLineBreaks", std::string(1000, '\n')},
                      OddFileCase{"OnlyCarriageReturns", std::string(1000, '\r')},
                      OddFileCase{"OneHugeLine", std::string(100000, '9')},
                      OddFileCase{"CommasAsList", customListFile("") + std::string(2000, ',')},
                      OddFileCase{"LinesAsList", customListFile("") + std::string(2000, '\n')}),
    testing_support::ByName());

} // namespace
} // namespace sorvane
