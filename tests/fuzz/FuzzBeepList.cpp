// Fuzz target: reading a hand-edited beep list into the table.  Whatever the
// text, nothing may be written past the 256 slots, a 0 entry must end the
// table within them, and what is shown for the table must read back as the
// same table.
#include "engine/NumberText.h"
#include "schedule/BeepListText.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace {

void fail(const char* what, std::size_t index) {
    std::fprintf(stderr, "property broken: %s [slot %zu]\n", what, index);
    std::abort();
}

// A value no line can produce: the reader never stores a NaN.
constexpr uint32_t kSentinelBits = 0x7fc0beefu;

bool isSentinel(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits == kSentinelBits;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace sorvane;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    // A table of its own on the heap: a write past its end is caught by the
    // address checker, and the sentinel shows every slot that was written.
    auto table = std::make_unique<BeepTable>();
    float sentinel;
    std::memcpy(&sentinel, &kSentinelBits, sizeof sentinel);
    table->fill(sentinel);

    const ParseResult result = parseBeepList(text, *table);
    if (result.lines > kMaxBeepMoments)
        fail("at most 255 lines are read", result.lines);
    if ((*table)[result.lines] != 0.0f)
        fail("a 0 ends the lines read", result.lines);
    std::size_t firstZero = 0;
    while (firstZero < kBeepTableSize && (*table)[firstZero] != 0.0f)
        ++firstZero;
    if (firstZero > kMaxBeepMoments)
        fail("the first 0 lies within the table", firstZero);
    for (std::size_t i = 0; i <= result.lines; ++i)
        if (isSentinel((*table)[i]) || !std::isfinite((*table)[i]))
            fail("every line read is a finite value", i);
    for (std::size_t i = result.lines + 1; i < kBeepTableSize; ++i)
        if (!isSentinel((*table)[i]))
            fail("nothing is written behind the closing 0", i);

    // The shown text has one line per entry before the first 0, or "none".
    const std::string shown = beepListText(*table);
    std::size_t breaks = 0;
    for (std::size_t at = shown.find("\r\n"); at != std::string::npos; at = shown.find("\r\n", at + 2))
        ++breaks;
    if (firstZero == 0 ? shown != "none" : breaks != firstZero)
        fail("the shown list has one line per entry", firstZero);

    // Reading the shown text back gives the same entries, within the seven
    // digits that are shown.
    auto again = std::make_unique<BeepTable>();
    again->fill(sentinel);
    const ParseResult back = parseBeepList(shown, *again);
    if (back.lines != firstZero || back.cut)
        fail("the shown list reads back line for line", back.lines);
    for (std::size_t i = 0; i < firstZero; ++i) {
        const float a = (*table)[i];
        const float b = (*again)[i];
        if (std::fabs(static_cast<double>(a) - b) > 6e-7 * std::fabs(static_cast<double>(a)))
            fail("the shown list reads back as the same values", i);
    }
    return 0;
}
