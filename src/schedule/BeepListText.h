#pragma once
// The beep table as text, one moment per line, and the reading back of a
// hand-edited list.
#include "engine/BeepTable.h"

#include <string>
#include <string_view>

namespace sorvane {

// Lines of the display form of each entry, each ended by CR LF, up to the
// first entry that is exactly 0; "none" for an empty table.
std::string beepListText(const BeepTable& table);

struct ParseResult {
    std::size_t lines = 0; // lines read into the table
    bool cut = false;      // a line that would have been played did not fit
                           // into the 255 slots and was left out
};

// Reads a hand-edited list (lines ended by CR LF) into the table from slot 0
// and ends it with a 0 entry.  A text whose reading as a whole is 0 ("none",
// empty, a first line of 0 or letters) empties the table.
ParseResult parseBeepList(std::string_view text, BeepTable& table);

} // namespace sorvane
