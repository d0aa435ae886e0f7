// Fuzz target: the settings file reader on whole files of arbitrary bytes.
// The numbers read must be finite and the check states 0, 1 or 2, the list
// must stay inside the table and end with a 0, and writing what was read and
// reading that file again must give the same settings.
#include "settings/SettingsFormat.h"

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace sorvane;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    // On the heap so that the address checker sees the list's own bounds.
    auto read = std::make_unique<SettingsRead>(readSettingsText(text));
    const SettingsValues& v = read->values;
    if (read->recordCount > kSettingsRecordCount)
        fail("at most fifteen records", read->recordCount);
    for (std::size_t i = 0; i < kSettingsRecordCount; ++i) {
        const SettingsRecord& r = kSettingsRecords[i];
        if (r.kind == RecordKind::Number && !std::isfinite(v.*r.number))
            fail("every number is finite", i);
        if (r.kind == RecordKind::CheckState && (v.*r.whole < 0 || v.*r.whole > 2))
            fail("every check state is 0, 1 or 2", i);
    }
    if (read->listRead && (!read->complete() || v.customList != 1))
        fail("a list is read only after all records with record 8 = 1", read->recordCount);
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
    if (!read->complete())
        return 0;

    // Save what was read (what the window would show after this load), then
    // read it again.
    const std::string saved = settingsFileText(v, read->list);
    if (saved.size() < 2 || saved.compare(saved.size() - 2, 2, "\r\n") != 0)
        fail("the saved file ends with CR LF", saved.size());
    for (const char c : saved)
        if (static_cast<unsigned char>(c) > 127)
            fail("the saved file is ASCII", saved.size());

    auto again = std::make_unique<SettingsRead>(readSettingsText(saved));
    if (!again->complete())
        fail("the saved file has fifteen records", again->recordCount);
    if (!(again->values == v))
        fail("the saved settings read back unchanged", again->recordCount);
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
