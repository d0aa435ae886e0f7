#pragma once
// Translation of a Qt key press into what the key boxes work with: a Windows
// virtual-key code and a shift mask (Shift 1, Ctrl 2, Alt 4).  A key box
// reports the key that went down, not the character it types, so shifted
// symbols map back to their unshifted key on a US layout.  The codes come
// from the program's one key table (hotkeys/VirtualKeys.h).
#include <Qt>
#include <cstdint>

namespace sorvane::ui {

// Virtual-key code of a key press as the window system reports it.  Where it
// tells the keysym the press produced and the key's XKB keycode (X11 and
// Wayland do; 0 where unknown), those decide: they tell the right Windows
// key from the left, Ctrl+Alt+F9 from a console switch, the ISO key from
// Shift and comma.  Otherwise the Qt key and the keypad flag do.  Keys
// without a virtual-key code give 0.
int16_t virtualKeyForKeyPress(int qtKey, Qt::KeyboardModifiers modifiers, uint32_t nativeKeysym,
                              uint32_t nativeScanCode);

// Virtual-key code of a Qt key (QKeyEvent::key()) with the event's
// modifiers; only Qt::KeypadModifier matters here, to tell keypad keys from
// the main block.  Keys without a virtual-key code give 0.
int16_t virtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers);

// Shift mask of the modifiers: Shift 1, Ctrl 2, Alt 4 added together.  Meta
// and the keypad flag do not count.  Qt includes a modifier key's own flag in
// its press event, so Ctrl pressed alone gives 2.
int16_t shiftMaskFromQt(Qt::KeyboardModifiers modifiers);

// Shift mask of a key press: as shiftMaskFromQt, plus the key's own bit when
// the key is itself a modifier (Shift 1, Ctrl 2, Alt 4), so that a modifier
// pressed alone carries its bit even where the window system reports the
// modifiers held before the press.
int16_t shiftMaskForKeyPress(int qtKey, Qt::KeyboardModifiers modifiers);

} // namespace sorvane::ui
