#include "schedule/BeepListText.h"

#include "engine/NumberText.h"

namespace sorvane {

std::string beepListText(const BeepTable& table) {
    std::string text;
    for (const float moment : table) {
        if (moment == 0.0f)
            break;
        text += textFromSingle(moment);
        text += "\r\n";
    }
    return text.empty() ? std::string("none") : text;
}

ParseResult parseBeepList(std::string_view text, BeepTable& table) {
    ParseResult result;
    if (numberFromText(text) == 0) {
        table[0] = 0.0f;
        return result;
    }

    // Trailing line breaks (CR LF pairs) make no empty last line.  A lone
    // line feed left at the start counts as an empty text.
    std::string_view s = text;
    while (!s.empty() && s.back() == '\n')
        s.remove_suffix(s.size() >= 2 ? 2 : 1);

    std::size_t index = 0;
    bool ended = false; // a line that reads as 0 ends the table for every reader
    for (;;) {
        const std::size_t lf = s.find('\n');
        // The line is everything before its line feed less the carriage
        // return in front of it; a line feed at the very start is an empty line.
        const std::string_view line = lf == std::string_view::npos ? s : s.substr(0, lf == 0 ? 0 : lf - 1);
        const float value = toSingle(numberFromText(line));
        if (index >= kMaxBeepMoments) {
            // Only a line that would have been played is a loss.
            result.cut = !ended && value != 0.0f;
            break;
        }
        ended = ended || value == 0.0f;
        table[index++] = value;
        if (lf == std::string_view::npos)
            break;
        s.remove_prefix(lf + 1);
    }
    table[index] = 0.0f;
    result.lines = index;
    return result;
}

} // namespace sorvane
