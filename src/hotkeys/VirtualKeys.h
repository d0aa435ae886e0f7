#pragma once
// The one table of keys.  Each row is one Windows virtual-key code (the key
// codes that settings files store and key boxes assign) with everything the
// program needs to know about that key: its name in the key boxes, the X11
// keysyms it stands for at every level, the Linux input codes of its places
// on the keyboard, the trigger text of the desktop's shortcuts portal and
// the Qt keys a key box receives for it.  The key boxes and every way of
// watching keys read this table and nothing else.
#include <cstdint>
#include <span>

namespace sorvane {

// A Qt key (Qt::Key) that a key box maps to the row's code.  A keypad-only
// key counts only when the key event carries the keypad flag, and then
// comes before the same Qt key of the main block.
struct KeyRowQtKey {
    int32_t key = 0;
    bool keypadOnly = false;
};

enum KeyRowFlag : uint8_t {
    // The key is used while typing or editing text: a desktop that takes it
    // for a shortcut takes it away from every other application.
    kKeyTyping = 1,
    // Watched when a settings file names it, never assigned by a key box:
    // another row stands for the same key when it is pressed in a key box
    // (VK_LSHIFT 160 and Shift 16, VK_PRINT 42 and Print Screen 44).
    kKeyWatchOnly = 2,
};

struct KeyRow {
    int16_t vk = 0;
    // The key box text where the key has a name of its own ("Page Up");
    // nullptr where the general naming rules give it (letters, "Num 5",
    // "F7", punctuation).
    const char* name = nullptr;
    // The key in the trigger syntax of the shortcuts portal: the keysym name
    // of keysyms[0], or of the key's first level for keys known by place.
    const char* trigger = nullptr;
    // X11 keysyms the key produces at any level; 0 ends the list.
    uint32_t keysyms[6] = {};
    // Linux input codes (KEY_*) of the places of the key; 0 ends the list.
    uint16_t evdev[3] = {};
    // Qt keys a key box maps to this code; 0 ends the list.
    KeyRowQtKey qtKeys[4] = {};
    // For a key known by its place rather than by what it types (the ISO
    // key between left Shift and Z): its XKB key name.  Such a key has no
    // keysyms of its own here, since what it types is typed elsewhere too.
    const char* xkbKeyName = nullptr;
    uint8_t flags = 0;

    bool has(KeyRowFlag flag) const { return (flags & flag) != 0; }
};

// Every row, in ascending order of code.
std::span<const KeyRow> keyTable();

// The row of code vk, or nullptr for a code with no key.
const KeyRow* keyRow(int32_t vk);

// What a key box assigns for a key press, from what the window system tells
// about it; 0 when the press names no code.  A key known by its place wins
// (evdevCode), then the keysym the press produced, then the Qt key.
int16_t virtualKeyForPlace(uint16_t evdevCode);
int16_t virtualKeyForKeysym(uint32_t keysym);
int16_t virtualKeyForQtKey(int32_t qtKey, bool keypad);

} // namespace sorvane
