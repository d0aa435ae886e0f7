// Fuzz target: the settings file reader on whole files of arbitrary bytes.
// The records read must be a finite prefix of the fifteen, the list must
// stay inside the table and end with a 0, and writing what was read and
// reading that file again must give the same settings.
#include "engine/NumberText.h"
#include "settings/SettingsFormat.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

namespace {

void fail(const char* what, std::size_t index) {
    std::fprintf(stderr, "property broken: %s [%zu]\n", what, index);
    std::abort();
}

int16_t checkState(float v) {
    return static_cast<int16_t>(std::clamp<int>(sorvane::toInt16(v), 0, 2));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace sorvane;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    // On the heap so that the address checker sees the list's own bounds.
    auto read = std::make_unique<SettingsRead>(readSettingsText(text));
    const std::size_t count = read->recordsRead();
    for (std::size_t i = 0; i < read->records.size(); ++i) {
        if (read->records[i].has_value() != (i < count))
            fail("the records read are the first ones, without gaps", i);
        if (read->records[i] && !std::isfinite(*read->records[i]))
            fail("every record is a finite number", i);
    }
    if (read->listRead && (count != 15 || toInt16(*read->records[7]) != 1))
        fail("a list is read only after all records with record 8 = 1", count);
    if (read->listLength > kMaxBeepMoments)
        fail("at most 255 list values", read->listLength);
    if (read->listRead && read->list[read->listLength] != 0.0f)
        fail("a 0 ends the list", read->listLength);
    for (std::size_t i = read->listRead ? read->listLength + 1 : 0; i < kBeepTableSize; ++i)
        if (read->list[i] != 0.0f)
            fail("nothing is written behind the list", i);
    for (std::size_t i = 0; i < read->listLength; ++i)
        if (!std::isfinite(read->list[i]))
            fail("every list value is finite", i);
    if (count < 15)
        return 0;

    // Save what the window would show after this load, then read it again.
    const auto& r = read->records;
    SettingsValues v;
    v.startKey = toInt16(*r[0]);
    v.restartKey = toInt16(*r[1]);
    v.stopKey = toInt16(*r[2]);
    v.beepPitch = *r[3];
    v.beepDuration = *r[4];
    v.repetitions = *r[5];
    v.warnRate = *r[6];
    v.customList = checkState(*r[7]);
    v.cycleTime = *r[8];
    v.secondsUnit = *r[9] != 0.0f;
    v.warnings = checkState(*r[10]);
    v.warnInterval = *r[11];
    v.finalCount = checkState(*r[12]);
    v.finalCountTime = *r[13];
    v.finalCountGap = *r[14];
    const std::string saved = settingsFileText(v, read->list);
    if (saved.size() < 2 || saved.compare(saved.size() - 2, 2, "\r\n") != 0)
        fail("the saved file ends with CR LF", saved.size());
    for (const char c : saved)
        if (static_cast<unsigned char>(c) > 127)
            fail("the saved file is ASCII", saved.size());

    auto again = std::make_unique<SettingsRead>(readSettingsText(saved));
    if (again->recordsRead() != 15)
        fail("the saved file has fifteen records", again->recordsRead());
    const auto& a = again->records;
    const float expected[15] = {static_cast<float>(v.startKey),
                                static_cast<float>(v.restartKey),
                                static_cast<float>(v.stopKey),
                                *r[3],
                                *r[4],
                                *r[5],
                                *r[6],
                                static_cast<float>(v.customList),
                                *r[8],
                                v.secondsUnit ? 1.0f : 0.0f,
                                static_cast<float>(v.warnings),
                                *r[11],
                                static_cast<float>(v.finalCount),
                                *r[13],
                                *r[14]};
    for (std::size_t i = 0; i < 15; ++i)
        if (*a[i] != expected[i])
            fail("a saved record reads back unchanged", i);
    if (again->listRead != (v.customList == 1))
        fail("the list is saved exactly when record 8 is 1", 8);
    if (again->listRead) {
        std::size_t used = 0;
        while (used < read->listLength && read->list[used] != 0.0f)
            ++used;
        // Values of the list were single precision already; seven digits can
        // move them by at most half a unit of the seventh digit.
        if (again->listLength != used)
            fail("the saved list holds the entries before the first 0", again->listLength);
        for (std::size_t i = 0; i < used; ++i)
            if (std::fabs(static_cast<double>(again->list[i]) - read->list[i]) >
                6e-7 * std::fabs(static_cast<double>(read->list[i])))
                fail("a saved list value reads back", i);
    }
    return 0;
}
