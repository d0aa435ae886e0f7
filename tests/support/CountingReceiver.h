#pragma once
// A hotkey receiver for the tests of the ways of watching keys.
#include "hotkeys/HotkeyReceiver.h"

#include <cstdint>
#include <functional>

namespace testing_support {

// A hotkey receiver that counts its key-down events and may do more on each.
struct CountingReceiver {
    sorvane::HotkeyReceiver receiver;
    int presses = 0;
    std::function<void()> alsoOnPress;

    explicit CountingReceiver(int32_t keyCode = 0) {
        receiver.setKeyCode(keyCode);
        receiver.setKeyDownHandler([this] {
            ++presses;
            if (alsoOnPress)
                alsoOnPress();
        });
    }
    CountingReceiver(const CountingReceiver&) = delete;
    CountingReceiver& operator=(const CountingReceiver&) = delete;
};

} // namespace testing_support
