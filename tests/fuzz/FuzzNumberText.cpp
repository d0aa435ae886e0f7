// Fuzz target: the lenient number reader and the display texts built from
// its readings.  Any text must give a finite number, every display text must
// read back as (nearly) the same number, and the integer conversions must
// stay within their types.
#include "engine/NumberText.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "property broken: %s [%s]\n", what, detail.c_str());
    std::abort();
}

// A display text rounds to its significant digits, so it reads back within
// half a unit of the last digit shown.
void checkReadsBack(const std::string& text, double value, double relative, const char* what) {
    if (text.empty() || (text[0] != ' ' && text[0] != '-'))
        fail(what, text);
    const double back = sorvane::numberFromText(text);
    if (!std::isfinite(back) || std::fabs(back - value) > relative * std::fabs(value))
        fail(what, text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace sorvane;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const double value = numberFromText(text);
    if (!std::isfinite(value))
        fail("numberFromText is finite", std::string(text));

    const float single = toSingle(value);
    if (!std::isfinite(single))
        fail("toSingle is finite", std::string(text));

    const std::string singleText = textFromSingle(single);
    checkReadsBack(singleText, single, 5.000001e-7, "textFromSingle reads back");
    const std::string doubleText = textFromDouble(value);
    // Fifteen digits are close to the double's own precision: reading the
    // text back adds up to half a unit of the double's last place.
    checkReadsBack(doubleText, value, 5.25e-15, "textFromDouble reads back");

    // The bare forms are the display forms without their blank.
    const std::string bare = bareTextFromSingle(single);
    if (!(singleText == " " + bare || singleText == bare) || bare.empty() || bare[0] == ' ')
        fail("bareTextFromSingle matches textFromSingle", singleText + "|" + bare);
    // Only ASCII digits, '.', '-', '+', 'E' and the leading blank are ever written.
    for (const char c : doubleText)
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'E' || c == ' '))
            fail("textFromDouble writes plain ASCII", doubleText);

    // Integer conversions: rounded to the nearest integer inside the range,
    // clamped outside it.
    const int32_t i32 = toInt32(value);
    if (std::fabs(value) < 2147483647.0 && std::fabs(static_cast<double>(i32) - value) > 0.5)
        fail("toInt32 rounds to nearest", std::string(text));
    const int16_t i16 = toInt16(value);
    if (std::fabs(value) < 32767.0 && std::fabs(static_cast<double>(i16) - value) > 0.5)
        fail("toInt16 rounds to nearest", std::string(text));
    if (value >= 32767.0 && i16 != 32767)
        fail("toInt16 clamps above", std::string(text));
    if (value <= -32768.0 && i16 != -32768)
        fail("toInt16 clamps below", std::string(text));
    const double r = roundHalfEven(value);
    if (r != std::floor(r) || std::fabs(r - value) > 0.5)
        fail("roundHalfEven gives the nearest integer", std::string(text));
    return 0;
}
