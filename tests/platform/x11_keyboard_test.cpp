// The capture hotkey in the server's down-key vector: keycode k is bit k % 8 of byte k / 8;
// either Control and either Shift key count, F7 is needed, a missing key (keycode 0) never counts.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/x11_keyboard.h"

namespace mora::platform {
namespace {

void Press(std::uint8_t (&keymap)[32], std::uint8_t code) {
    keymap[code / 8] |= static_cast<std::uint8_t>(1u << (code % 8));
}

TEST(X11KeyboardTest, HotkeyNeedsControlShiftAndF7) {
    const HotkeyKeycodes codes{37, 105, 50, 62, 73};  // the usual evdev keycodes
    std::uint8_t keymap[32] = {};
    Press(keymap, 105);
    Press(keymap, 50);
    Press(keymap, 74);  // F8, the bit after F7
    EXPECT_FALSE(KeymapHoldsCaptureHotkey(keymap, codes));
    Press(keymap, 73);
    EXPECT_TRUE(KeymapHoldsCaptureHotkey(keymap, codes));

    // Without right-hand keys (keycode 0), bit 0 of the vector must not stand in for them.
    const HotkeyKeycodes leftOnly{37, 0, 50, 0, 73};
    std::uint8_t low[32] = {0xFF};
    Press(low, 73);
    EXPECT_FALSE(KeymapHoldsCaptureHotkey(low, leftOnly));
    Press(low, 37);
    Press(low, 50);
    EXPECT_TRUE(KeymapHoldsCaptureHotkey(low, leftOnly));
    EXPECT_FALSE(KeymapKeyDown(low, 0));
}

}  // namespace
}  // namespace mora::platform
