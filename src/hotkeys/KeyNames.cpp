#include "hotkeys/KeyNames.h"

#include "hotkeys/VirtualKeys.h"

#include <string>

namespace sorvane {

std::string hotKeyText(int16_t keyCode, int16_t shift) {
    if (keyCode == 0 && shift == 0)
        return "None";
    if ((keyCode >= 65 && keyCode <= 90) || (keyCode >= 48 && keyCode <= 57))
        return std::string(1, static_cast<char>(keyCode));
    if (keyCode >= 96 && keyCode <= 105)
        return std::string("Num ") + static_cast<char>(keyCode - 48);
    if (keyCode >= 112 && keyCode <= 127)
        return "F" + std::to_string(keyCode - 111);
    if (const KeyRow* row = keyRow(keyCode); row != nullptr && row->name != nullptr)
        return row->name;
    if (keyCode >= 188 && keyCode <= 191)
        return std::string(1, static_cast<char>(keyCode - 144));
    if (keyCode > 128 && keyCode <= 255)
        return std::string(1, static_cast<char>(keyCode - 128));
    // Codes beyond 255 never come from a keyboard, only from a hand-edited
    // file; they are shown by number like other unnamed codes.
    return "Ascii Key " + std::string(keyCode < 0 ? "" : " ") + std::to_string(keyCode);
}

} // namespace sorvane
