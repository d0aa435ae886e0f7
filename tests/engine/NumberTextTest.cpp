// Reading numbers from control texts and file fields, writing them back as
// display text, and the integer conversions with halves to even.
#include "engine/NumberText.h"

#include <gtest/gtest.h>

#include <ostream>

#include <stdlib.h>
#include <unistd.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>
#include <random>
#include <string>

namespace sorvane {
namespace {

struct ReadCase {
    const char* text;
    double expected;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << "\"" << c.text << "\" -> " << c.expected;
}

// Long texts whose written exponent points the other way from their real
// magnitude: 1e390, -1e390, 1e-401, and 0.1 and 1e300 written the long way.
const std::string kZeros400 = std::string(400, '0');
const std::string kHugeTinyExponent = "1" + kZeros400 + "e-10";
const std::string kMinusHugeTinyExponent = "-1" + kZeros400 + "D-10";
const std::string kTinyNoExponent = "0." + kZeros400 + "1";
const std::string kTenthLongWay = "0." + std::string(300, '0') + "1e300";
const std::string kLargeLongWay = "1" + std::string(320, '0') + "e-20";

class NumberFromTextTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(NumberFromTextTest, ReadsLeniently) {
    const ReadCase& c = GetParam();
    EXPECT_EQ(numberFromText(c.text), c.expected) << "text: \"" << c.text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NumberFromTextTest,
    ::testing::Values(
        // plain numbers
        ReadCase{"0", 0.0}, ReadCase{"42", 42.0}, ReadCase{"118", 118.0}, ReadCase{"19.8", 19.8},
        ReadCase{"0.1", 0.1}, ReadCase{"12.25", 12.25}, ReadCase{"1.23456789", 1.23456789},
        ReadCase{"123456789012", 123456789012.0},
        // blanks, tabs and line feeds are skipped wherever they stand
        ReadCase{"1 2", 12.0}, ReadCase{"   42", 42.0}, ReadCase{"\t4\n2", 42.0}, ReadCase{" 1 . 5", 1.5},
        ReadCase{"\n\n7", 7.0}, ReadCase{"1 e 2", 100.0},
        // sign
        ReadCase{"-5", -5.0}, ReadCase{"- 5", -5.0}, ReadCase{"+5", 5.0}, ReadCase{" -  .5", -0.5},
        ReadCase{"--5", 0.0}, ReadCase{"5-3", 5.0},
        // decimal point: no digit in front needed, only one point
        ReadCase{".5", 0.5}, ReadCase{"-.5", -0.5}, ReadCase{"1.2.3", 1.2}, ReadCase{"5.", 5.0},
        ReadCase{"1,5", 1.0},
        // exponent: E or D, either case, optional sign
        ReadCase{"1e3", 1000.0}, ReadCase{"1E3", 1000.0}, ReadCase{"1d3", 1000.0}, ReadCase{"1D3", 1000.0},
        ReadCase{"2e+2", 200.0}, ReadCase{"1.5E-2", 0.015}, ReadCase{"1.5E+07", 1.5e7},
        ReadCase{"-2.5D-1", -0.25}, ReadCase{"1e", 1.0}, ReadCase{"1e-", 1.0}, ReadCase{"1ex", 1.0},
        ReadCase{"3.4E+38", 3.4e38},
        // hexadecimal and octal
        ReadCase{"&H1F", 31.0}, ReadCase{"&h1f", 31.0}, ReadCase{"&HfF", 255.0}, ReadCase{"&H 1F", 31.0},
        ReadCase{"&O17", 15.0}, ReadCase{"&o17", 15.0}, ReadCase{"&O18", 1.0}, ReadCase{"&H1G", 1.0},
        ReadCase{"&h", 0.0}, ReadCase{"&o", 0.0}, ReadCase{"&", 0.0}, ReadCase{"&X12", 0.0},
        // text behind the number is ignored; no number gives 0
        ReadCase{"12abc", 12.0}, ReadCase{"3 apples", 3.0}, ReadCase{"7.5 sec", 7.5}, ReadCase{"abc", 0.0},
        ReadCase{"", 0.0}, ReadCase{"none", 0.0}, ReadCase{"midi", 0.0}, ReadCase{"   ", 0.0},
        ReadCase{"-", 0.0}, ReadCase{".", 0.0}, ReadCase{"abc5", 0.0}, ReadCase{"\"Beep_Pitch\"", 0.0},
        // beyond the double range by the value's real magnitude, not
        // by the sign of its written exponent; subnormals stay
        ReadCase{kHugeTinyExponent.c_str(), DBL_MAX}, ReadCase{kMinusHugeTinyExponent.c_str(), -DBL_MAX},
        ReadCase{kTinyNoExponent.c_str(), 0.0}, ReadCase{kTenthLongWay.c_str(), 0.1},
        ReadCase{kLargeLongWay.c_str(), 1e300}, ReadCase{"1e-310", 1e-310}));

TEST(NumberFromText, StopsAtEmbeddedNul) {
    const std::string text("12\0"
                           "34",
                           5);
    EXPECT_EQ(numberFromText(text), 12.0);
}

TEST(NumberFromText, HugeExponentsSaturateToFiniteValues) {
    for (const char* text : {"1e400", "1E99999", "9.9D+9999", "1e2147483648"}) {
        const double v = numberFromText(text);
        EXPECT_TRUE(std::isfinite(v)) << text;
        EXPECT_EQ(v, DBL_MAX) << text;
    }
    for (const char* text : {"-1e400", "-1E99999"}) {
        const double v = numberFromText(text);
        EXPECT_TRUE(std::isfinite(v)) << text;
        EXPECT_EQ(v, -DBL_MAX) << text;
    }
    const std::string manyDigits(400, '9');
    EXPECT_EQ(numberFromText(manyDigits), DBL_MAX);
    EXPECT_TRUE(std::isfinite(numberFromText("&H" + std::string(300, 'F'))));
}

TEST(NumberFromText, TinyExponentsGiveSmallFiniteValues) {
    for (const char* text : {"1e-400", "1E-99999", "5e-324"}) {
        const double v = numberFromText(text);
        EXPECT_TRUE(std::isfinite(v)) << text;
        EXPECT_GE(v, 0.0) << text;
        EXPECT_LT(v, 1e-300) << text;
    }
    EXPECT_EQ(numberFromText("0.000001"), 0.000001);
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
        char pattern[] = "/tmp/sorvane-locale-XXXXXX";
        if (::mkdtemp(pattern) == nullptr)
            return;
        m_dir = pattern;
        const std::string command = "localedef -i de_DE -f UTF-8 '" + m_dir + "/de_DE.UTF-8' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0)
            return;
        if (const char* old = std::getenv("LOCPATH"))
            m_oldLocPath = old;
        ::setenv("LOCPATH", m_dir.c_str(), 1);
        m_active = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
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

struct SingleTextCase {
    float value;
    const char* text;
};

void PrintTo(const SingleTextCase& c, std::ostream* os) {
    *os << c.value << " -> \"" << c.text << "\"";
}

class TextFromSingleTest : public ::testing::TestWithParam<SingleTextCase> {};

TEST_P(TextFromSingleTest, WritesDisplayText) {
    const SingleTextCase& c = GetParam();
    EXPECT_EQ(textFromSingle(c.value), c.text) << "value " << c.value;
    // The bare form is the same text without the leading blank.
    const std::string expectedBare = c.text[0] == ' ' ? std::string(c.text + 1) : std::string(c.text);
    EXPECT_EQ(bareTextFromSingle(c.value), expectedBare) << "value " << c.value;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextFromSingleTest,
    ::testing::Values(SingleTextCase{10.0f, " 10"}, SingleTextCase{19.8f, " 19.8"},
                      SingleTextCase{0.5f, " .5"}, SingleTextCase{-0.5f, "-.5"},
                      SingleTextCase{1.9666667f, " 1.966667"}, SingleTextCase{1.9833333f, " 1.983333"},
                      SingleTextCase{1.95f, " 1.95"}, SingleTextCase{0.0f, " 0"}, SingleTextCase{-0.0f, " 0"},
                      SingleTextCase{100.0f, " 100"}, SingleTextCase{-3.0f, "-3"},
                      SingleTextCase{55.2f, " 55.2"}, SingleTextCase{0.1f, " .1"},
                      SingleTextCase{12.25f, " 12.25"}, SingleTextCase{1.23456789f, " 1.234568"},
                      SingleTextCase{1234567.0f, " 1234567"}, SingleTextCase{9999999.0f, " 9999999"},
                      SingleTextCase{1.0f / 3.0f, " .3333333"}, SingleTextCase{2.0f / 3.0f, " .6666667"},
                      SingleTextCase{-49.2f, "-49.2"}, SingleTextCase{0.0625f, " .0625"},
                      SingleTextCase{65535.0f, " 65535"}, SingleTextCase{0.001f, " .001"},
                      // exponent form for magnitudes the plain form cannot hold in 7 digits
                      SingleTextCase{1e7f, " 1E+07"}, SingleTextCase{1.5e7f, " 1.5E+07"},
                      SingleTextCase{-1e7f, "-1E+07"}, SingleTextCase{1e-7f, " 1E-07"},
                      SingleTextCase{-2.5e-8f, "-2.5E-08"}, SingleTextCase{1e20f, " 1E+20"},
                      SingleTextCase{FLT_MAX, " 3.402823E+38"}));

struct DoubleTextCase {
    double value;
    const char* text;
};

void PrintTo(const DoubleTextCase& c, std::ostream* os) {
    *os << c.value << " -> \"" << c.text << "\"";
}

class TextFromDoubleTest : public ::testing::TestWithParam<DoubleTextCase> {};

TEST_P(TextFromDoubleTest, WritesDisplayText) {
    const DoubleTextCase& c = GetParam();
    EXPECT_EQ(textFromDouble(c.value), c.text) << "value " << c.value;
    const std::string expectedBare = c.text[0] == ' ' ? std::string(c.text + 1) : std::string(c.text);
    EXPECT_EQ(bareTextFromDouble(c.value), expectedBare) << "value " << c.value;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextFromDoubleTest,
    ::testing::Values(DoubleTextCase{10.0, " 10"}, DoubleTextCase{0.0, " 0"}, DoubleTextCase{19.8, " 19.8"},
                      DoubleTextCase{0.5, " .5"}, DoubleTextCase{-0.5, "-.5"}, DoubleTextCase{0.1, " .1"},
                      DoubleTextCase{1.23456789, " 1.23456789"},
                      DoubleTextCase{1.0 / 3.0, " .333333333333333"},
                      DoubleTextCase{2.0 / 3.0, " .666666666666667"}, DoubleTextCase{-118.0, "-118"},
                      DoubleTextCase{123456789012345.0, " 123456789012345"}, DoubleTextCase{60.0, " 60"},
                      // a single-precision value widened to double shows its binary tail
                      DoubleTextCase{static_cast<double>(19.8f), " 19.7999992370605"},
                      DoubleTextCase{1e15, " 1E+15"}, DoubleTextCase{-2.5e16, "-2.5E+16"}));

TEST(TextFromNumber, SevenAgainstFifteenDigits) {
    EXPECT_EQ(textFromSingle(1.23456789f), " 1.234568");
    EXPECT_EQ(textFromDouble(1.23456789), " 1.23456789");
    EXPECT_EQ(textFromSingle(123.456789f), " 123.4568");
    EXPECT_EQ(textFromDouble(123.456789), " 123.456789");
}

TEST(TextFromNumber, HugeDoubleExponentsStillReadBack) {
    for (double v : {1e100, -1e100, 1e-100, DBL_MAX, 4.9e-324}) {
        const std::string text = textFromDouble(v);
        EXPECT_NE(text.find('E'), std::string::npos) << text;
        const double back = numberFromText(text);
        EXPECT_EQ(textFromDouble(back), text) << text;
    }
}

TEST(TextFromNumber, ExponentTextsReadBack) {
    EXPECT_EQ(numberFromText(" 1E+07"), 1e7);
    EXPECT_EQ(numberFromText(" 1.5E+07"), 1.5e7);
    EXPECT_EQ(numberFromText("-2.5E-08"), -2.5e-8);
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

struct RoundCase {
    double value;
    double expected;
};

void PrintTo(const RoundCase& c, std::ostream* os) {
    *os << c.value << " -> " << c.expected;
}

class RoundHalfEvenTest : public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundHalfEvenTest, RoundsHalvesToEven) {
    EXPECT_EQ(roundHalfEven(GetParam().value), GetParam().expected) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(Cases, RoundHalfEvenTest,
                         ::testing::Values(RoundCase{2.5, 2}, RoundCase{3.5, 4}, RoundCase{-2.5, -2},
                                           RoundCase{12.5, 12}, RoundCase{13.5, 14}, RoundCase{0.5, 0},
                                           RoundCase{1.5, 2}, RoundCase{-1.5, -2}, RoundCase{2.4999, 2},
                                           RoundCase{2.5001, 3}, RoundCase{-2.6, -3}, RoundCase{62.5, 62},
                                           RoundCase{187.5, 188}, RoundCase{7.0, 7}, RoundCase{1e300, 1e300},
                                           RoundCase{-1e300, -1e300}));

TEST(RoundHalfEven, NegativeHalfGivesZero) {
    EXPECT_EQ(roundHalfEven(-0.5), 0.0);
}

struct Int16Case {
    double value;
    int16_t expected;
};

void PrintTo(const Int16Case& c, std::ostream* os) {
    *os << c.value << " -> " << c.expected;
}

class ToInt16Test : public ::testing::TestWithParam<Int16Case> {};

TEST_P(ToInt16Test, RoundsAndClamps) {
    EXPECT_EQ(toInt16(GetParam().value), GetParam().expected) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ToInt16Test,
    ::testing::Values(Int16Case{2.5, 2}, Int16Case{3.5, 4}, Int16Case{-3.5, -4}, Int16Case{118.0, 118},
                      Int16Case{32767.0, 32767}, Int16Case{32767.4, 32767}, Int16Case{32767.5, 32767},
                      Int16Case{40000.0, 32767}, Int16Case{1e300, 32767}, Int16Case{-32768.0, -32768},
                      Int16Case{-32768.5, -32768}, Int16Case{-40000.0, -32768}, Int16Case{-1e300, -32768},
                      Int16Case{DBL_MAX, 32767}, Int16Case{std::numeric_limits<double>::infinity(), 32767},
                      Int16Case{-std::numeric_limits<double>::infinity(), -32768},
                      Int16Case{std::numeric_limits<double>::quiet_NaN(), 0}));

struct Int32Case {
    double value;
    int32_t expected;
};

void PrintTo(const Int32Case& c, std::ostream* os) {
    *os << c.value << " -> " << c.expected;
}

class ToInt32Test : public ::testing::TestWithParam<Int32Case> {};

TEST_P(ToInt32Test, RoundsAndClamps) {
    EXPECT_EQ(toInt32(GetParam().value), GetParam().expected) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(Cases, ToInt32Test,
                         ::testing::Values(Int32Case{62.5, 62}, Int32Case{187.5, 188}, Int32Case{-0.4, 0},
                                           Int32Case{2147483646.5, 2147483646},
                                           Int32Case{2147483647.0, INT32_MAX},
                                           Int32Case{2147483647.5, INT32_MAX}, Int32Case{3e9, INT32_MAX},
                                           Int32Case{1e300, INT32_MAX}, Int32Case{-2147483648.0, INT32_MIN},
                                           Int32Case{-3e9, INT32_MIN}, Int32Case{-1e300, INT32_MIN},
                                           Int32Case{std::numeric_limits<double>::infinity(), INT32_MAX},
                                           Int32Case{std::numeric_limits<double>::quiet_NaN(), 0}));

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
    EXPECT_EQ(toSingle(std::numeric_limits<double>::infinity()), FLT_MAX);
    EXPECT_EQ(toSingle(-std::numeric_limits<double>::infinity()), -FLT_MAX);
    EXPECT_EQ(toSingle(std::numeric_limits<double>::quiet_NaN()), 0.0f);
    // a huge text read into single precision stays finite
    EXPECT_EQ(toSingle(numberFromText("1e39")), FLT_MAX);
}

} // namespace
} // namespace sorvane
