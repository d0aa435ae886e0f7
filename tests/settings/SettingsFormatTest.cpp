// The settings file: its name rule, the writer and the positional reader.
#include "settings/SettingsFormat.h"

#include "engine/NumberText.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cfloat>
#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace sorvane {
namespace {

// --- name rule ---------------------------------------------------------------------

struct NameCase {
    const char* name;
    const char* completed;
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << "\"" << c.name << "\" -> \"" << c.completed << "\"";
}

class CompleteNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(CompleteNameTest, CompletesTheName) {
    EXPECT_EQ(completeSettingsName(GetParam().name), GetParam().completed);
}

INSTANTIATE_TEST_SUITE_P(Cases, CompleteNameTest,
                         ::testing::Values(NameCase{"", "SorvaneTimer.ini"}, NameCase{"work", "work.ini"},
                                           NameCase{"work.cfg", "work.cfg"}, NameCase{"..\\work", "..\\work"},
                                           NameCase{"a b", "a b.ini"}, NameCase{"Work", "Work.ini"},
                                           NameCase{"WORK.INI", "WORK.INI"}, NameCase{"work.", "work."},
                                           NameCase{"dir.d/work", "dir.d/work"},
                                           NameCase{"/tmp/work", "/tmp/work.ini"}, NameCase{" ", " .ini"},
                                           NameCase{"SorvaneTimer.ini", "SorvaneTimer.ini"}));

TEST(CompleteName, DefaultNameConstant) {
    EXPECT_STREQ(kDefaultSettingsName, "SorvaneTimer.ini");
}

// --- writer ----------------------------------------------------------------------------

const std::string kDefaultFile = "118,\"Start_Key_Code\"\r\n"
                                 "65,\"Restart_Key_Code\"\r\n"
                                 "119,\"Stop_Key_Code\"\r\n"
                                 "100,\"Beep_Pitch\"\r\n"
                                 "25,\"Beep_Duration\"\r\n"
                                 "19,\"Cycle_Repetitions\"\r\n"
                                 "5,\"Warning_Beeps_per_Second\"\r\n"
                                 "0,\"Custom_Beeps_yes1_no0\"\r\n"
                                 "60,\"Cycle_Time\"\r\n"
                                 "1,\"Cycle_Units_sec1_min0\"\r\n"
                                 "1,\"Enable_Periodic_Warnings_During_Cycle\"\r\n"
                                 "10,\"Periodic_Warning_Time.\"\r\n"
                                 "1,\"Enable_Final_Countdown\"\r\n"
                                 "5,\"Final_Countdown_Time\"\r\n"
                                 "1,\"Final_Countdown_Beeps_Per_Second\"\r\n";

// The default file with one line (1-based) replaced.
std::string withLine(std::string text, int lineNo, const std::string& line) {
    std::size_t start = 0;
    for (int i = 1; i < lineNo; ++i)
        start = text.find("\r\n", start) + 2;
    const std::size_t end = text.find("\r\n", start);
    return text.replace(start, end - start, line);
}

// The default file with a line inserted after the given line (1-based).
std::string insertAfter(const std::string& text, int lineNo, const std::string& line) {
    std::size_t pos = 0;
    for (int i = 0; i < lineNo; ++i)
        pos = text.find("\r\n", pos) + 2;
    return text.substr(0, pos) + line + "\r\n" + text.substr(pos);
}

BeepTable tableOf(std::initializer_list<float> entries) {
    BeepTable t{};
    std::size_t i = 0;
    for (float e : entries)
        t[i++] = e;
    return t;
}

TEST(SettingsFileText, DefaultsGiveTheDefaultFile) {
    ASSERT_EQ(kDefaultFile.size(), 393u);
    const std::string text = settingsFileText(SettingsValues{}, BeepTable{});
    EXPECT_EQ(text.size(), 393u);
    EXPECT_EQ(text, kDefaultFile);
}

TEST(SettingsFileText, TableIsIgnoredWithoutCustomList) {
    const BeepTable t = tableOf({10.0f, 20.5f, 30.0f});
    EXPECT_EQ(settingsFileText(SettingsValues{}, t), kDefaultFile);
}

TEST(SettingsFileText, CustomListWrittenAfterTheRecords) {
    SettingsValues v;
    v.customList = 1;
    const std::string expected =
        withLine(kDefaultFile, 8, "1,\"Custom_Beeps_yes1_no0\"") + "10\r\n20.5\r\n30\r\n";
    EXPECT_EQ(settingsFileText(v, tableOf({10.0f, 20.5f, 30.0f})), expected);
}

TEST(SettingsFileText, GrayedCustomListWritesNoList) {
    SettingsValues v;
    v.customList = 2;
    EXPECT_EQ(settingsFileText(v, tableOf({10.0f, 20.5f, 30.0f})),
              withLine(kDefaultFile, 8, "2,\"Custom_Beeps_yes1_no0\""));
}

TEST(SettingsFileText, ListStopsAtTheFirstZeroAndKeepsNegatives) {
    SettingsValues v;
    v.customList = 1;
    const std::string records = withLine(kDefaultFile, 8, "1,\"Custom_Beeps_yes1_no0\"");
    EXPECT_EQ(settingsFileText(v, tableOf({5.0f, -0.5f, 0.25f, 0.0f, 7.0f})),
              records + "5\r\n-.5\r\n.25\r\n");
    EXPECT_EQ(settingsFileText(v, tableOf({})), records);
    EXPECT_EQ(settingsFileText(v, tableOf({55.2f, 1.9666667f, 1e7f})),
              records + "55.2\r\n1.966667\r\n1E+07\r\n");
}

TEST(SettingsFileText, FullListIs255Lines) {
    SettingsValues v;
    v.customList = 1;
    BeepTable t{};
    for (std::size_t i = 0; i < 255; ++i)
        t[i] = static_cast<float>(i + 1);
    const std::string text = settingsFileText(v, t);
    std::size_t lines = 0;
    for (char ch : text)
        lines += ch == '\n';
    EXPECT_EQ(lines, 15u + 255u);
    EXPECT_EQ(text.substr(text.size() - 5), "255\r\n");
}

TEST(SettingsFileText, MidiStoresPitchAndDurationZero) {
    SettingsValues v;
    v.beepPitch = 0;
    v.beepDuration = 0;
    EXPECT_EQ(settingsFileText(v, BeepTable{}),
              withLine(withLine(kDefaultFile, 4, "0,\"Beep_Pitch\""), 5, "0,\"Beep_Duration\""));
}

TEST(SettingsFileText, ValuesWrittenBare) {
    SettingsValues v;
    v.startKey = -5;
    v.stopKey = 0;
    v.cycleTime = 1.5;
    v.secondsUnit = false;
    v.warnInterval = 0.5;
    v.finalCountTime = 1.23456789;
    v.finalCountGap = -2;
    v.warnRate = 1.0 / 3.0;
    v.warnings = 0;
    v.finalCount = 2;
    std::string expected = kDefaultFile;
    expected = withLine(expected, 1, "-5,\"Start_Key_Code\"");
    expected = withLine(expected, 3, "0,\"Stop_Key_Code\"");
    expected = withLine(expected, 7, ".333333333333333,\"Warning_Beeps_per_Second\"");
    expected = withLine(expected, 9, "1.5,\"Cycle_Time\"");
    expected = withLine(expected, 10, "0,\"Cycle_Units_sec1_min0\"");
    expected = withLine(expected, 11, "0,\"Enable_Periodic_Warnings_During_Cycle\"");
    expected = withLine(expected, 12, ".5,\"Periodic_Warning_Time.\"");
    expected = withLine(expected, 13, "2,\"Enable_Final_Countdown\"");
    expected = withLine(expected, 14, "1.23456789,\"Final_Countdown_Time\"");
    expected = withLine(expected, 15, "-2,\"Final_Countdown_Beeps_Per_Second\"");
    EXPECT_EQ(settingsFileText(v, BeepTable{}), expected);
}

// --- reader ----------------------------------------------------------------------------

const std::vector<float> kDefaultRecords = {118, 65, 119, 100, 25, 19, 5, 0, 60, 1, 1, 10, 1, 5, 1};

std::vector<float> valuesOf(const SettingsRead& r) {
    std::vector<float> v;
    for (const RecordValue& rec : r.records)
        v.push_back(rec.value_or(-9999.0f));
    return v;
}

TEST(ReadSettingsText, DefaultFile) {
    const SettingsRead r = readSettingsText(kDefaultFile);
    EXPECT_EQ(r.recordsRead(), 15u);
    EXPECT_EQ(valuesOf(r), kDefaultRecords);
    EXPECT_FALSE(r.listRead);
    EXPECT_EQ(r.listLength, 0u);
    EXPECT_FALSE(r.listCut);
}

TEST(ReadSettingsText, WrittenFileReadsBack) {
    SettingsValues v;
    v.customList = 1;
    v.cycleTime = 2.5;
    v.secondsUnit = false;
    const SettingsRead r = readSettingsText(settingsFileText(v, tableOf({10.0f, 20.5f, 30.0f})));
    std::vector<float> expected = kDefaultRecords;
    expected[7] = 1;
    expected[8] = 2.5f;
    expected[9] = 0;
    EXPECT_EQ(valuesOf(r), expected);
    EXPECT_TRUE(r.listRead);
    EXPECT_EQ(r.listLength, 3u);
    EXPECT_EQ(r.list[0], 10.0f);
    EXPECT_EQ(r.list[1], 20.5f);
    EXPECT_EQ(r.list[2], 30.0f);
    EXPECT_EQ(r.list[3], 0.0f);
}

const std::string kStartShift = "7,\"Start_Key_Shift1_Ctrl2_Alt4_Code\"";
const std::string kRestartShift = "6,\"Restart_Key_Shift1_Ctrl2_Alt4_Code\"";
const std::string kStopShift = "5,\"Stop_Key_Shift1_Ctrl2_Alt4_Code\"";

struct ShiftCase {
    const char* name;
    std::string text;
};

void PrintTo(const ShiftCase& c, std::ostream* os) {
    *os << c.name;
}

class ShiftRecordTest : public ::testing::TestWithParam<ShiftCase> {};

TEST_P(ShiftRecordTest, ShiftRecordsAreDropped) {
    const SettingsRead r = readSettingsText(GetParam().text);
    EXPECT_EQ(r.recordsRead(), 15u);
    EXPECT_EQ(valuesOf(r), kDefaultRecords);
    EXPECT_FALSE(r.listRead);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShiftRecordTest,
    ::testing::Values(ShiftCase{"StartOnly", insertAfter(kDefaultFile, 1, kStartShift)},
                      ShiftCase{"RestartOnly", insertAfter(kDefaultFile, 2, kRestartShift)},
                      ShiftCase{"StopOnly", insertAfter(kDefaultFile, 3, kStopShift)},
                      ShiftCase{"StartAndStop",
                                insertAfter(insertAfter(kDefaultFile, 3, kStopShift), 1, kStartShift)},
                      ShiftCase{"AllThree", insertAfter(insertAfter(insertAfter(kDefaultFile, 3, kStopShift),
                                                                    2, kRestartShift),
                                                        1, kStartShift)}),
    [](const ::testing::TestParamInfo<ShiftCase>& info) { return std::string(info.param.name); });

TEST(ReadSettingsText, ShiftRecordsWithAListStillReadTheList) {
    std::string text = withLine(kDefaultFile, 8, "1,\"Custom_Beeps_yes1_no0\"") + "4\r\n8\r\n";
    text = insertAfter(insertAfter(insertAfter(text, 3, kStopShift), 2, kRestartShift), 1, kStartShift);
    const SettingsRead r = readSettingsText(text);
    std::vector<float> expected = kDefaultRecords;
    expected[7] = 1;
    EXPECT_EQ(valuesOf(r), expected);
    EXPECT_TRUE(r.listRead);
    EXPECT_EQ(r.listLength, 2u);
    EXPECT_EQ(r.list[0], 4.0f);
    EXPECT_EQ(r.list[1], 8.0f);
    EXPECT_EQ(r.list[2], 0.0f);
}

TEST(ReadSettingsText, ShiftLabelInTheWrongPlaceIsAnOrdinaryRecord) {
    // A Restart shift label right after record 1 is not the Start shift
    // record: it is taken as record 2 and everything moves up by one.
    const SettingsRead r = readSettingsText(insertAfter(kDefaultFile, 1, kRestartShift));
    EXPECT_EQ(r.records[0], 118.0f);
    EXPECT_EQ(r.records[1], 6.0f);
    EXPECT_EQ(r.records[2], 65.0f);
    EXPECT_EQ(r.records[3], 119.0f);
    EXPECT_EQ(r.records[14], 5.0f);
}

TEST(ReadSettingsText, ShiftLabelIsComparedWithItsCase) {
    const SettingsRead r =
        readSettingsText(insertAfter(kDefaultFile, 1, "7,\"start_key_shift1_ctrl2_alt4_code\""));
    EXPECT_EQ(r.records[1], 7.0f);
    EXPECT_EQ(r.records[2], 65.0f);
}

TEST(ReadSettingsText, SecondShiftRecordIsNotDropped) {
    const SettingsRead r =
        readSettingsText(insertAfter(insertAfter(kDefaultFile, 1, kStartShift), 1, kStartShift));
    EXPECT_EQ(r.records[0], 118.0f);
    EXPECT_EQ(r.records[1], 7.0f);
    EXPECT_EQ(r.records[2], 65.0f);
}

TEST(ReadSettingsText, SwappedRecordsSwapValues) {
    std::string text = withLine(kDefaultFile, 4, "25,\"Beep_Duration\"");
    text = withLine(text, 5, "100,\"Beep_Pitch\"");
    const SettingsRead r = readSettingsText(text);
    EXPECT_EQ(r.records[3], 25.0f);
    EXPECT_EQ(r.records[4], 100.0f);
}

TEST(ReadSettingsText, LabelsAreNotConsulted) {
    const SettingsRead r = readSettingsText(withLine(kDefaultFile, 9, "45,\"Anything at all\""));
    EXPECT_EQ(r.records[8], 45.0f);
    EXPECT_EQ(r.records[9], 1.0f);
}

TEST(ReadSettingsText, CustomListWithoutValuesIsEmpty) {
    const SettingsRead r = readSettingsText(withLine(kDefaultFile, 8, "1,\"Custom_Beeps_yes1_no0\""));
    EXPECT_EQ(r.recordsRead(), 15u);
    EXPECT_TRUE(r.listRead);
    EXPECT_EQ(r.listLength, 0u);
    EXPECT_EQ(r.list[0], 0.0f);
}

TEST(ReadSettingsText, ValuesAfterAZeroAreReadToo) {
    const SettingsRead r =
        readSettingsText(withLine(kDefaultFile, 8, "1,\"Custom_Beeps_yes1_no0\"") + "5\r\n0\r\n7\r\n");
    EXPECT_EQ(r.listLength, 3u);
    EXPECT_EQ(r.list[0], 5.0f);
    EXPECT_EQ(r.list[1], 0.0f);
    EXPECT_EQ(r.list[2], 7.0f);
    EXPECT_EQ(r.list[3], 0.0f);
}

TEST(ReadSettingsText, ListIsReadFieldByField) {
    const SettingsRead r =
        readSettingsText(withLine(kDefaultFile, 8, "1,\"Custom_Beeps_yes1_no0\"") + "10,20\r\n 30\r\n");
    EXPECT_EQ(r.listLength, 3u);
    EXPECT_EQ(r.list[0], 10.0f);
    EXPECT_EQ(r.list[1], 20.0f);
    EXPECT_EQ(r.list[2], 30.0f);
    EXPECT_EQ(r.list[3], 0.0f);
}

TEST(ReadSettingsText, ListWithoutFinalLineBreak) {
    const SettingsRead r =
        readSettingsText(withLine(kDefaultFile, 8, "1,\"Custom_Beeps_yes1_no0\"") + "10\r\n12.5");
    EXPECT_EQ(r.listLength, 2u);
    EXPECT_EQ(r.list[1], 12.5f);
    EXPECT_EQ(r.list[2], 0.0f);
}

TEST(ReadSettingsText, LinesAfterTheRecordsIgnoredWithoutCustomList) {
    for (const char* state : {"0", "2", "-1"}) {
        const SettingsRead r = readSettingsText(
            withLine(kDefaultFile, 8, std::string(state) + ",\"Custom_Beeps_yes1_no0\"") + "10\r\n20\r\n");
        EXPECT_FALSE(r.listRead) << state;
        EXPECT_EQ(r.listLength, 0u) << state;
        EXPECT_EQ(r.list[0], 0.0f) << state;
        EXPECT_EQ(r.records[7], static_cast<float>(std::stoi(state)));
        EXPECT_EQ(r.records[14], 1.0f) << state;
    }
}

TEST(ReadSettingsText, ValuesPassThroughSinglePrecision) {
    const SettingsRead r = readSettingsText(withLine(kDefaultFile, 9, "1.23456789,\"Cycle_Time\""));
    ASSERT_TRUE(r.records[8].has_value());
    EXPECT_EQ(*r.records[8], 1.2345679f);
    EXPECT_EQ(textFromSingle(*r.records[8]), " 1.234568");
}

TEST(ReadSettingsText, UnitRecordKeepsItsValue) {
    for (float unit : {2.0f, -1.0f, 0.0f}) {
        const SettingsRead r = readSettingsText(
            withLine(kDefaultFile, 10, bareTextFromSingle(unit) + ",\"Cycle_Units_sec1_min0\""));
        EXPECT_EQ(r.records[9], unit);
    }
}

std::string lfOnly(const std::string& text) {
    std::string s;
    for (char c : text)
        if (c != '\r')
            s += c;
    return s;
}

TEST(ReadSettingsText, LineFeedOnlyLineEnds) {
    const SettingsRead r = readSettingsText(lfOnly(kDefaultFile));
    EXPECT_EQ(r.recordsRead(), 15u);
    EXPECT_EQ(valuesOf(r), kDefaultRecords);

    const SettingsRead l =
        readSettingsText(lfOnly(withLine(kDefaultFile, 8, "1,\"Custom_Beeps_yes1_no0\"") + "3\r\n4.5\r\n"));
    EXPECT_EQ(l.listLength, 2u);
    EXPECT_EQ(l.list[0], 3.0f);
    EXPECT_EQ(l.list[1], 4.5f);
    EXPECT_EQ(l.list[2], 0.0f);
}

TEST(ReadSettingsText, BlanksBeforeFieldsAndCommasInsideLabels) {
    std::string text = withLine(kDefaultFile, 1, "  118,\"Start,Key\"");
    text = withLine(text, 2, "65, \"Restart_Key_Code\"");
    const SettingsRead r = readSettingsText(text);
    EXPECT_EQ(valuesOf(r), kDefaultRecords);
}

TEST(ReadSettingsText, AFileThatEndsEarlyReadsWhatItHas) {
    std::size_t pos = 0;
    for (std::size_t lines = 0; lines <= 15; ++lines) {
        const SettingsRead r = readSettingsText(kDefaultFile.substr(0, pos));
        EXPECT_EQ(r.recordsRead(), lines);
        for (std::size_t i = 0; i < 15; ++i) {
            if (i < lines)
                EXPECT_EQ(r.records[i], kDefaultRecords[i]) << "lines " << lines << " record " << i;
            else
                EXPECT_FALSE(r.records[i].has_value()) << "lines " << lines << " record " << i;
        }
        EXPECT_FALSE(r.listRead);
        if (lines < 15)
            pos = kDefaultFile.find("\r\n", pos) + 2;
    }
}

TEST(ReadSettingsText, AFileEndingBeforeTheListReadsAnEmptyList) {
    // Record 8 says 1 but the file ends at record 12.
    std::string text = withLine(kDefaultFile, 8, "1,\"Custom_Beeps_yes1_no0\"");
    std::size_t pos = 0;
    for (int i = 0; i < 12; ++i)
        pos = text.find("\r\n", pos) + 2;
    const SettingsRead r = readSettingsText(text.substr(0, pos));
    EXPECT_EQ(r.recordsRead(), 12u);
    EXPECT_EQ(r.listLength, 0u);
    EXPECT_EQ(r.list[0], 0.0f);
}

TEST(ReadSettingsText, EmptyText) {
    const SettingsRead r = readSettingsText("");
    EXPECT_EQ(r.recordsRead(), 0u);
    for (const RecordValue& rec : r.records)
        EXPECT_FALSE(rec.has_value());
    EXPECT_FALSE(r.listRead);
}

TEST(ReadSettingsText, FieldThatIsNotANumberReadsZero) {
    const SettingsRead r = readSettingsText(withLine(kDefaultFile, 4, "abc,\"Beep_Pitch\""));
    EXPECT_EQ(r.records[3], 0.0f);
    EXPECT_EQ(r.records[4], 25.0f);
    EXPECT_EQ(r.recordsRead(), 15u);
}

TEST(ReadSettingsText, MidiPitchReadsZero) {
    const SettingsRead r = readSettingsText(withLine(kDefaultFile, 4, "0,\"Beep_Pitch\""));
    EXPECT_EQ(r.records[3], 0.0f);
}

TEST(ReadSettingsText, HugeValuesStayFinite) {
    const SettingsRead r = readSettingsText(withLine(kDefaultFile, 9, "1e300,\"Cycle_Time\""));
    ASSERT_TRUE(r.records[8].has_value());
    EXPECT_EQ(*r.records[8], FLT_MAX);
}

std::string customFileWith(int values) {
    std::string text = withLine(kDefaultFile, 8, "1,\"Custom_Beeps_yes1_no0\"");
    for (int i = 1; i <= values; ++i)
        text += std::to_string(i) + "\r\n";
    return text;
}

TEST(ReadSettingsText, MoreThan255ListValuesAreCut) {
    const SettingsRead r = readSettingsText(customFileWith(300));
    EXPECT_TRUE(r.listRead);
    EXPECT_TRUE(r.listCut);
    EXPECT_EQ(r.listLength, 255u);
    EXPECT_EQ(r.list[0], 1.0f);
    EXPECT_EQ(r.list[254], 255.0f);
    EXPECT_EQ(r.list[255], 0.0f);
}

TEST(ReadSettingsText, Exactly255ListValuesFit) {
    const SettingsRead r = readSettingsText(customFileWith(255));
    EXPECT_FALSE(r.listCut);
    EXPECT_EQ(r.listLength, 255u);
    EXPECT_EQ(r.list[254], 255.0f);
    EXPECT_EQ(r.list[255], 0.0f);
}

TEST(ReadSettingsText, Value256IsCut) {
    const SettingsRead r = readSettingsText(customFileWith(256));
    EXPECT_TRUE(r.listCut);
    EXPECT_EQ(r.listLength, 255u);
    EXPECT_EQ(r.list[255], 0.0f);
}

// A value left out is a loss only when it would have been played: one
// behind a 0 value, or a 0 value itself, is not.
TEST(ReadSettingsText, CutOnlyWhenAPlayedValueIsLost) {
    EXPECT_FALSE(readSettingsText(customFileWith(255) + "\r\n").listCut);
    EXPECT_FALSE(readSettingsText(customFileWith(255) + "0\r\n7\r\n").listCut);
    std::string zeroFirst = customFileWith(0) + "5\r\n0\r\n";
    for (int i = 1; i <= 300; ++i)
        zeroFirst += "9\r\n";
    const SettingsRead r = readSettingsText(zeroFirst);
    EXPECT_FALSE(r.listCut);
    EXPECT_EQ(r.listLength, 255u);
    EXPECT_TRUE(readSettingsText(customFileWith(255) + "0.5\r\n").listCut);
}

void expectSane(const SettingsRead& r) {
    ASSERT_LE(r.recordsRead(), 15u);
    ASSERT_LE(r.listLength, 255u);
    EXPECT_EQ(r.list[r.listLength], 0.0f);
    for (const RecordValue& rec : r.records) {
        if (rec) {
            EXPECT_TRUE(std::isfinite(*rec));
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
        std::string text = customFileWith(0);
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

void PrintTo(const OddFileCase& c, std::ostream* os) {
    *os << c.name;
}

class OddFileTest : public ::testing::TestWithParam<OddFileCase> {};

TEST_P(OddFileTest, ReadsWithoutCrashing) {
    expectSane(readSettingsText(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OddFileTest,
    ::testing::Values(OddFileCase{"NulBytes", std::string(500, '\0')},
                      OddFileCase{"NulInsideRecords", std::string("118\0,\"Start\0Key\"\r\n65", 20)},
                      OddFileCase{"UnclosedQuote", "118,\"Start_Key_Code\r\n65,\"Restart\r\n"},
                      OddFileCase{"OnlyQuotes", std::string(301, '"')},
                      OddFileCase{"OnlyCommas", std::string(1000, ',')},
                      OddFileCase{"OnlyLineBreaks", std::string(1000, '\n')},
                      OddFileCase{"OnlyCarriageReturns", std::string(1000, '\r')},
                      OddFileCase{"OneHugeLine", std::string(100000, '9')},
                      OddFileCase{"CommasAsList", customFileWith(0) + std::string(2000, ',')},
                      OddFileCase{"LinesAsList", customFileWith(0) + std::string(2000, '\n')}),
    [](const ::testing::TestParamInfo<OddFileCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace sorvane
