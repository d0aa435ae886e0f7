// Reading numbers from control texts and file fields, writing them back as
// display text, and the integer conversions with halves to even.
#include "engine/NumberText.h"

#include "support/TableTests.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

namespace sorvane {
namespace {

using testing_support::PrintTo;

// Rows of one rule: texts and the numbers they read as.
struct ReadRow {
    std::string text;
    double expected;
};
struct ReadRule {
    const char* name;
    std::vector<ReadRow> rows;
};

// Long texts whose written exponent points the other way from their real
// magnitude: 1e390, -1e390, 1e-401, and 0.1 and 1e300 written the long way.
const std::string kZeros400 = std::string(400, '0');

class NumberFromTextTest : public ::testing::TestWithParam<ReadRule> {};

TEST_P(NumberFromTextTest, ReadsLeniently) {
    for (const ReadRow& r : GetParam().rows)
        EXPECT_EQ(numberFromText(r.text), r.expected) << "text: \"" << r.text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Rules, NumberFromTextTest,
    ::testing::Values(
        ReadRule{"PlainNumbers",
                 {{"0", 0.0},
                  {"42", 42.0},
                  {"118", 118.0},
                  {"19.8", 19.8},
                  {"0.1", 0.1},
                  {"12.25", 12.25},
                  {"1.23456789", 1.23456789},
                  {"123456789012", 123456789012.0},
                  {"0.000001", 0.000001}}},
        // blanks, tabs and line feeds are skipped wherever they stand
        ReadRule{"BlanksAnywhere",
                 {{"1 2", 12.0},
                  {"   42", 42.0},
                  {"\t4\n2", 42.0},
                  {" 1 . 5", 1.5},
                  {"\n\n7", 7.0},
                  {"1 e 2", 100.0}}},
        ReadRule{"Sign",
                 {{"-5", -5.0}, {"- 5", -5.0}, {"+5", 5.0}, {" -  .5", -0.5}, {"--5", 0.0}, {"5-3", 5.0}}},
        // no digit in front needed, only one point
        ReadRule{"DecimalPoint", {{".5", 0.5}, {"-.5", -0.5}, {"1.2.3", 1.2}, {"5.", 5.0}, {"1,5", 1.0}}},
        // E or D, either case, optional sign
        ReadRule{"Exponent",
                 {{"1e3", 1000.0},
                  {"1E3", 1000.0},
                  {"1d3", 1000.0},
                  {"1D3", 1000.0},
                  {"2e+2", 200.0},
                  {"1.5E-2", 0.015},
                  {"1.5E+07", 1.5e7},
                  {"-2.5D-1", -0.25},
                  {"1e", 1.0},
                  {"1e-", 1.0},
                  {"1ex", 1.0},
                  {"3.4E+38", 3.4e38},
                  {" 1E+07", 1e7},
                  {"-2.5E-08", -2.5e-8}}},
        ReadRule{"HexadecimalAndOctal",
                 {{"&H1F", 31.0},
                  {"&h1f", 31.0},
                  {"&HfF", 255.0},
                  {"&H 1F", 31.0},
                  {"&O17", 15.0},
                  {"&o17", 15.0},
                  {"&O18", 1.0},
                  {"&H1G", 1.0},
                  {"&h", 0.0},
                  {"&o", 0.0},
                  {"&", 0.0},
                  {"&X12", 0.0}}},
        // text behind the number is ignored; no number gives 0
        ReadRule{"TextBehindOrNoNumber",
                 {{"12abc", 12.0},
                  {"3 apples", 3.0},
                  {"7.5 sec", 7.5},
                  {"abc", 0.0},
                  {"", 0.0},
                  {"none", 0.0},
                  {"midi", 0.0},
                  {"   ", 0.0},
                  {"-", 0.0},
                  {".", 0.0},
                  {"abc5", 0.0},
                  {"\"Beep_Pitch\"", 0.0},
                  {std::string("12\0"
                               "34",
                               5),
                   12.0}}},
        // beyond the double range by the value's real magnitude, not by the
        // sign of its written exponent: the largest finite value
        ReadRule{"HugeSaturates",
                 {{"1" + kZeros400 + "e-10", DBL_MAX},
                  {"-1" + kZeros400 + "D-10", -DBL_MAX},
                  {"1e400", DBL_MAX},
                  {"1E99999", DBL_MAX},
                  {"9.9D+9999", DBL_MAX},
                  {"1e2147483648", DBL_MAX},
                  {"-1e400", -DBL_MAX},
                  {"-1E99999", -DBL_MAX},
                  {std::string(400, '9'), DBL_MAX}}},
        // below the double range: 0; subnormals stay
        ReadRule{"Tiny", {{"0." + kZeros400 + "1", 0.0}, {"1e-310", 1e-310}}},
        ReadRule{
            "LongWayRound",
            {{"0." + std::string(300, '0') + "1e300", 0.1}, {"1" + std::string(320, '0') + "e-20", 1e300}}}),
    testing_support::ByName());

// Whatever the implementation makes of numbers beyond the double range,
// they stay finite, and tiny ones stay tiny.
TEST(NumberFromText, OutOfRangeStaysFinite) {
    EXPECT_TRUE(std::isfinite(numberFromText("&H" + std::string(300, 'F'))));
    for (const char* text : {"1e-400", "1E-99999", "5e-324"}) {
        const double v = numberFromText(text);
        EXPECT_GE(v, 0.0) << text;
        EXPECT_LT(v, 1e-300) << text;
    }
}

// Switches the process to a locale with a decimal comma for the life of the
// object, and back again.  When no such locale is installed, one is built
// with localedef into a temporary folder and found through LOCPATH.
class CommaLocale {
public:
    CommaLocale() : m_saved(std::setlocale(LC_ALL, nullptr)) {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
            if (std::setlocale(LC_ALL, name) != nullptr) {
                m_active = true;
                return;
            }
        }
        // A locale of its own, with nothing in it but a decimal comma: built
        // in milliseconds, where a whole de_DE takes seconds.
        char pattern[] = "/tmp/sorvane-locale-XXXXXX";
        if (::mkdtemp(pattern) == nullptr)
            return;
        m_dir = pattern;
        {
            std::ofstream source(m_dir + "/comma.src");
            source << "LC_CTYPE\ncopy \"POSIX\"\nEND LC_CTYPE\n"
                      "LC_NUMERIC\ndecimal_point \"<U002C>\"\nthousands_sep \"<U002E>\"\ngrouping 3;3\n"
                      "END LC_NUMERIC\n";
        }
        // -c: the categories left out are no reason to stop.
        const std::string command = "localedef -c -i '" + m_dir + "/comma.src' -f ANSI_X3.4-1968 '" + m_dir +
                                    "/comma' >/dev/null 2>&1";
        if (std::system(command.c_str()) == -1)
            return;
        if (const char* old = std::getenv("LOCPATH"))
            m_oldLocPath = old;
        ::setenv("LOCPATH", m_dir.c_str(), 1);
        m_active = std::setlocale(LC_ALL, "comma") != nullptr;
    }
    ~CommaLocale() {
        std::setlocale(LC_ALL, m_saved.c_str());
        if (!m_dir.empty()) {
            if (m_oldLocPath)
                ::setenv("LOCPATH", m_oldLocPath->c_str(), 1);
            else
                ::unsetenv("LOCPATH");
            std::error_code ec;
            std::filesystem::remove_all(m_dir, ec);
        }
    }
    bool active() const { return m_active; }

private:
    std::string m_saved;
    std::string m_dir;
    std::optional<std::string> m_oldLocPath;
    bool m_active = false;
};

TEST(NumberFromText, IgnoresRegionalSettings) {
    CommaLocale locale;
    if (!locale.active())
        GTEST_SKIP() << "no locale with a decimal comma could be set";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    EXPECT_EQ(numberFromText("1.5"), 1.5);
    EXPECT_EQ(numberFromText("1,5"), 1.0);
    EXPECT_EQ(numberFromText("1.5E+07"), 1.5e7);
    EXPECT_EQ(textFromSingle(19.8f), " 19.8");
    EXPECT_EQ(textFromSingle(1.5e7f), " 1.5E+07");
    EXPECT_EQ(textFromDouble(1.25), " 1.25");
    EXPECT_EQ(bareTextFromDouble(0.5), ".5");
    EXPECT_EQ(bareTextFromSingle(-0.25f), "-.25");
}

// --- display text -----------------------------------------------------------

// Rows of one rule: a value and its display text.  The bare form of a text
// is the same text without its leading blank.
template <typename T> struct TextRow {
    T value;
    const char* text;
};
template <typename T> struct TextRule {
    const char* name;
    std::vector<TextRow<T>> rows;
};

template <typename T> void expectTexts(const TextRule<T>& rule) {
    for (const TextRow<T>& r : rule.rows) {
        const std::string bare = r.text[0] == ' ' ? std::string(r.text + 1) : std::string(r.text);
        if constexpr (std::is_same_v<T, float>) {
            EXPECT_EQ(textFromSingle(r.value), r.text) << "value " << r.value;
            EXPECT_EQ(bareTextFromSingle(r.value), bare) << "value " << r.value;
        } else {
            EXPECT_EQ(textFromDouble(r.value), r.text) << "value " << r.value;
            EXPECT_EQ(bareTextFromDouble(r.value), bare) << "value " << r.value;
        }
    }
}

class TextFromSingleTest : public ::testing::TestWithParam<TextRule<float>> {};

TEST_P(TextFromSingleTest, WritesDisplayText) {
    expectTexts(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Rules, TextFromSingleTest,
                         ::testing::Values(TextRule<float>{"WholeNumbers",
                                                           {{10.0f, " 10"},
                                                            {0.0f, " 0"},
                                                            {-0.0f, " 0"},
                                                            {100.0f, " 100"},
                                                            {-3.0f, "-3"},
                                                            {65535.0f, " 65535"},
                                                            {1234567.0f, " 1234567"},
                                                            {9999999.0f, " 9999999"}}},
                                           // no 0 in front of the point, trailing zeros dropped
                                           TextRule<float>{"Fractions",
                                                           {{19.8f, " 19.8"},
                                                            {0.5f, " .5"},
                                                            {-0.5f, "-.5"},
                                                            {1.95f, " 1.95"},
                                                            {55.2f, " 55.2"},
                                                            {0.1f, " .1"},
                                                            {12.25f, " 12.25"},
                                                            {-49.2f, "-49.2"},
                                                            {0.0625f, " .0625"},
                                                            {0.001f, " .001"}}},
                                           // at most seven significant digits, the last one rounded
                                           TextRule<float>{"SevenDigits",
                                                           {{1.9666667f, " 1.966667"},
                                                            {1.9833333f, " 1.983333"},
                                                            {1.23456789f, " 1.234568"},
                                                            {123.456789f, " 123.4568"},
                                                            {1.0f / 3.0f, " .3333333"},
                                                            {2.0f / 3.0f, " .6666667"}}},
                                           // magnitudes the plain form cannot hold in seven digits
                                           TextRule<float>{"Exponent",
                                                           {{1e7f, " 1E+07"},
                                                            {1.5e7f, " 1.5E+07"},
                                                            {-1e7f, "-1E+07"},
                                                            {1e-7f, " 1E-07"},
                                                            {-2.5e-8f, "-2.5E-08"},
                                                            {1e20f, " 1E+20"},
                                                            {FLT_MAX, " 3.402823E+38"}}}),
                         testing_support::ByName());

class TextFromDoubleTest : public ::testing::TestWithParam<TextRule<double>> {};

TEST_P(TextFromDoubleTest, WritesDisplayText) {
    expectTexts(GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Rules, TextFromDoubleTest,
    ::testing::Values(TextRule<double>{"WholeNumbers",
                                       {{10.0, " 10"},
                                        {0.0, " 0"},
                                        {-118.0, "-118"},
                                        {60.0, " 60"},
                                        {123456789012345.0, " 123456789012345"}}},
                      TextRule<double>{"Fractions",
                                       {{19.8, " 19.8"}, {0.5, " .5"}, {-0.5, "-.5"}, {0.1, " .1"}}},
                      // at most fifteen significant digits, the last one rounded; a
                      // single-precision value widened to double shows its binary tail
                      TextRule<double>{"FifteenDigits",
                                       {{1.23456789, " 1.23456789"},
                                        {123.456789, " 123.456789"},
                                        {1.0 / 3.0, " .333333333333333"},
                                        {2.0 / 3.0, " .666666666666667"},
                                        {static_cast<double>(19.8f), " 19.7999992370605"}}},
                      TextRule<double>{"Exponent", {{1e15, " 1E+15"}, {-2.5e16, "-2.5E+16"}}}),
    testing_support::ByName());

TEST(TextFromNumber, HugeDoubleExponentsStillReadBack) {
    for (double v : {1e100, -1e100, 1e-100, DBL_MAX, 4.9e-324}) {
        const std::string text = textFromDouble(v);
        EXPECT_NE(text.find('E'), std::string::npos) << text;
        const double back = numberFromText(text);
        EXPECT_EQ(textFromDouble(back), text) << text;
    }
}

TEST(TextFromNumber, ExponentTextsReadBack) {
    for (float f : {1e7f, 1.5e7f, -1e7f, 1e-7f, 3.3e-9f, 1e20f, -7.25e30f, 1e-38f}) {
        const std::string text = textFromSingle(f);
        const float back = toSingle(numberFromText(text));
        EXPECT_EQ(back, f) << text;
    }
}

// Writing a single-precision value, reading the text back and writing the
// result again must give the same text: a value loaded from a settings file
// and saved again stays as it was.
TEST(TextFromNumber, SingleTextIsStableThroughReading) {
    std::mt19937 gen(12345);
    std::uniform_int_distribution<uint32_t> bits;
    int checked = 0;
    for (int i = 0; i < 20000; ++i) {
        const uint32_t b = bits(gen);
        float f;
        std::memcpy(&f, &b, sizeof f);
        if (!std::isfinite(f))
            continue;
        const std::string text = textFromSingle(f);
        const float back = toSingle(numberFromText(text));
        ASSERT_EQ(textFromSingle(back), text) << "value bits " << b;
        ++checked;
    }
    // values in the range the timer really uses
    std::uniform_real_distribution<float> moments(-1000.0f, 100000.0f);
    for (int i = 0; i < 20000; ++i) {
        const float f = moments(gen);
        const std::string text = textFromSingle(f);
        const float back = toSingle(numberFromText(text));
        ASSERT_EQ(textFromSingle(back), text) << "value " << f;
        // seven digits keep the value within one part in ten million
        ASSERT_NEAR(back, f, std::fabs(f) * 1e-6 + 1e-30) << text;
        ++checked;
    }
    EXPECT_GT(checked, 30000);
}

TEST(TextFromNumber, DoubleTextIsStableThroughReading) {
    std::mt19937_64 gen(777);
    std::uniform_int_distribution<uint64_t> bits;
    for (int i = 0; i < 20000; ++i) {
        const uint64_t b = bits(gen);
        double d;
        std::memcpy(&d, &b, sizeof d);
        if (!std::isfinite(d))
            continue;
        const std::string text = textFromDouble(d);
        ASSERT_EQ(textFromDouble(numberFromText(text)), text) << "value bits " << b;
    }
}

TEST(TextFromNumber, TextNeverHasALeadingZeroOrTrailingPoint) {
    std::mt19937 gen(99);
    std::uniform_real_distribution<float> small(-1.0f, 1.0f);
    for (int i = 0; i < 2000; ++i) {
        const float f = small(gen);
        const std::string text = textFromSingle(f);
        ASSERT_GE(text.size(), 2u);
        ASSERT_TRUE(text[0] == ' ' || text[0] == '-') << text;
        ASSERT_NE(text.substr(1, 2), "0.") << text;
        ASSERT_NE(text.back(), '.') << text;
        if (text.find('E') == std::string::npos && text.find('.') != std::string::npos) {
            ASSERT_NE(text.back(), '0') << text;
        }
    }
}

// --- integer conversion -------------------------------------------------------

template <typename T> struct RoundRow {
    double value;
    T expected;
};
template <typename T> struct RoundRule {
    const char* name;
    std::vector<RoundRow<T>> rows;
};

class RoundHalfEvenTest : public ::testing::TestWithParam<RoundRule<double>> {};

TEST_P(RoundHalfEvenTest, RoundsHalvesToEven) {
    for (const RoundRow<double>& r : GetParam().rows)
        EXPECT_EQ(roundHalfEven(r.value), r.expected) << r.value;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, RoundHalfEvenTest,
    ::testing::Values(
        RoundRule<double>{"Halves",
                          {{2.5, 2},
                           {3.5, 4},
                           {-2.5, -2},
                           {12.5, 12},
                           {13.5, 14},
                           {0.5, 0},
                           {-0.5, 0},
                           {1.5, 2},
                           {-1.5, -2},
                           {62.5, 62},
                           {187.5, 188}}},
        RoundRule<double>{
            "Others", {{2.4999, 2}, {2.5001, 3}, {-2.6, -3}, {7.0, 7}, {1e300, 1e300}, {-1e300, -1e300}}}),
    testing_support::ByName());

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Halves to even, then clamped to the 16-bit range; not a number gives 0.
class ToInt16Test : public ::testing::TestWithParam<RoundRule<int16_t>> {};

TEST_P(ToInt16Test, RoundsAndClamps) {
    for (const RoundRow<int16_t>& r : GetParam().rows)
        EXPECT_EQ(toInt16(r.value), r.expected) << r.value;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ToInt16Test,
    ::testing::Values(RoundRule<int16_t>{"Rounds", {{2.5, 2}, {3.5, 4}, {-3.5, -4}, {118.0, 118}}},
                      RoundRule<int16_t>{"Clamps",
                                         {{32767.0, 32767},
                                          {32767.4, 32767},
                                          {32767.5, 32767},
                                          {40000.0, 32767},
                                          {1e300, 32767},
                                          {DBL_MAX, 32767},
                                          {-32768.0, -32768},
                                          {-32768.5, -32768},
                                          {-40000.0, -32768},
                                          {-1e300, -32768}}},
                      RoundRule<int16_t>{"NotFinite", {{kInfinity, 32767}, {-kInfinity, -32768}, {kNaN, 0}}}),
    testing_support::ByName());

class ToInt32Test : public ::testing::TestWithParam<RoundRule<int32_t>> {};

TEST_P(ToInt32Test, RoundsAndClamps) {
    for (const RoundRow<int32_t>& r : GetParam().rows)
        EXPECT_EQ(toInt32(r.value), r.expected) << r.value;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ToInt32Test,
    ::testing::Values(RoundRule<int32_t>{"Rounds",
                                         {{62.5, 62}, {187.5, 188}, {-0.4, 0}, {2147483646.5, 2147483646}}},
                      RoundRule<int32_t>{"Clamps",
                                         {{2147483647.0, INT32_MAX},
                                          {2147483647.5, INT32_MAX},
                                          {3e9, INT32_MAX},
                                          {1e300, INT32_MAX},
                                          {-2147483648.0, INT32_MIN},
                                          {-3e9, INT32_MIN},
                                          {-1e300, INT32_MIN}}},
                      RoundRule<int32_t>{"NotFinite", {{kInfinity, INT32_MAX}, {kNaN, 0}}}),
    testing_support::ByName());

TEST(ToSingle, RoundsToNearestSingle) {
    EXPECT_EQ(toSingle(1.23456789), 1.2345679f);
    EXPECT_EQ(toSingle(19.8), 19.8f);
    EXPECT_EQ(toSingle(0.0), 0.0f);
    EXPECT_EQ(toSingle(-0.5), -0.5f);
    EXPECT_EQ(toSingle(FLT_MAX), FLT_MAX);
}

TEST(ToSingle, SaturatesInsteadOfOverflowing) {
    EXPECT_EQ(toSingle(1e300), FLT_MAX);
    EXPECT_EQ(toSingle(-1e300), -FLT_MAX);
    EXPECT_EQ(toSingle(DBL_MAX), FLT_MAX);
    EXPECT_EQ(toSingle(kInfinity), FLT_MAX);
    EXPECT_EQ(toSingle(-kInfinity), -FLT_MAX);
    EXPECT_EQ(toSingle(kNaN), 0.0f);
    // a huge text read into single precision stays finite
    EXPECT_EQ(toSingle(numberFromText("1e39")), FLT_MAX);
}

} // namespace
} // namespace sorvane
