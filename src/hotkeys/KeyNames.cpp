#include "hotkeys/KeyNames.h"

#include <string>

namespace sorvane {

namespace {

const char* namedKey(int16_t code) {
    switch (code) {
    case 8:
        return "Backspace";
    case 9:
        return "Tab";
    case 13:
        return "Enter";
    case 16:
        return "Shift";
    case 17:
        return "Control";
    case 18:
        return "Alt";
    case 19:
        return "Pause";
    case 20:
        return "Caps Lock";
    case 27:
        return "Escape";
    case 32:
        return "Space";
    case 33:
        return "Page Up";
    case 34:
        return "Page Down";
    case 35:
        return "End";
    case 36:
        return "Home";
    case 37:
        return "Left";
    case 38:
        return "Up";
    case 39:
        return "Right";
    case 40:
        return "Down";
    case 42:
        return "Print";
    case 45:
        return "Insert";
    case 46:
        return "Delete";
    case 91:
        return "Start Menu";
    case 106:
        return "Num *";
    case 107:
        return "Num +";
    case 108:
        return "Num Enter";
    case 109:
        return "Num -";
    case 110:
        return "Num Del";
    case 111:
        return "Num /";
    case 144:
        return "Num Lock";
    case 145:
        return "Scroll Lock";
    case 186:
        return ";";
    case 187:
        return "=";
    case 192:
        return "`";
    case 222:
        return "'";
    default:
        return nullptr;
    }
}

} // namespace

std::string hotKeyText(int16_t keyCode, int16_t shift) {
    if (keyCode == 0 && shift == 0)
        return "None";
    if ((keyCode >= 65 && keyCode <= 90) || (keyCode >= 48 && keyCode <= 57))
        return std::string(1, static_cast<char>(keyCode));
    if (keyCode >= 96 && keyCode <= 105)
        return std::string("Num ") + static_cast<char>(keyCode - 48);
    if (keyCode >= 112 && keyCode <= 127)
        return "F" + std::to_string(keyCode - 111);
    if (const char* name = namedKey(keyCode))
        return name;
    if (keyCode >= 188 && keyCode <= 191)
        return std::string(1, static_cast<char>(keyCode - 144));
    if (keyCode > 128 && keyCode <= 255)
        return std::string(1, static_cast<char>(keyCode - 128));
    // Codes beyond 255 never come from a keyboard, only from a hand-edited
    // file; they are shown by number like other unnamed codes.
    return "Ascii Key " + std::string(keyCode < 0 ? "" : " ") + std::to_string(keyCode);
}

} // namespace sorvane
