#include "ui/QtKeyMap.h"

#include "hotkeys/KeyNames.h"
#include "hotkeys/VirtualKeys.h"

namespace sorvane::ui {
namespace {

// XKB keycodes are the Linux input codes moved up by 8.
constexpr uint32_t kXkbKeycodeOffset = 8;

} // namespace

int16_t virtualKeyForKeyPress(int qtKey, Qt::KeyboardModifiers modifiers, uint32_t nativeKeysym,
                              uint32_t nativeScanCode) {
    if (nativeScanCode > kXkbKeycodeOffset && nativeScanCode - kXkbKeycodeOffset <= 0xffff) {
        if (const int16_t code =
                virtualKeyForPlace(static_cast<uint16_t>(nativeScanCode - kXkbKeycodeOffset)))
            return code;
    }
    if (const int16_t code = virtualKeyForKeysym(nativeKeysym))
        return code;
    return virtualKeyFromQt(qtKey, modifiers);
}

int16_t virtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers) {
    return virtualKeyForQtKey(qtKey, modifiers.testFlag(Qt::KeypadModifier));
}

int16_t shiftMaskFromQt(Qt::KeyboardModifiers modifiers) {
    int16_t mask = 0;
    if (modifiers.testFlag(Qt::ShiftModifier))
        mask |= kShiftMask;
    if (modifiers.testFlag(Qt::ControlModifier))
        mask |= kCtrlMask;
    if (modifiers.testFlag(Qt::AltModifier))
        mask |= kAltMask;
    return mask;
}

int16_t shiftMaskForKeyPress(int qtKey, Qt::KeyboardModifiers modifiers) {
    int16_t mask = shiftMaskFromQt(modifiers);
    if (qtKey == Qt::Key_Shift)
        mask |= kShiftMask;
    else if (qtKey == Qt::Key_Control)
        mask |= kCtrlMask;
    else if (qtKey == Qt::Key_Alt)
        mask |= kAltMask;
    return mask;
}

} // namespace sorvane::ui
