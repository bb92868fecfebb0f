// The capture hotkey on an X11 display: whether Ctrl, Shift and F7 are all held down at this
// moment, read from the server's keyboard state (the X11 counterpart of an asynchronous key
// state query). The per-frame request poll asks it only for device contexts of X11 windows.
#pragma once

#include <cstdint>

namespace mora::platform {

// Keycodes of the hotkey's keys on one display; 0 where the keyboard has no such key.
struct HotkeyKeycodes {
    std::uint8_t controlLeft = 0;
    std::uint8_t controlRight = 0;
    std::uint8_t shiftLeft = 0;
    std::uint8_t shiftRight = 0;
    std::uint8_t f7 = 0;
};

// True when keycode `code` (not 0) is down in `keymap`, the server's 256-bit down-key vector:
// bit code % 8 of byte code / 8.
inline bool KeymapKeyDown(const std::uint8_t (&keymap)[32], std::uint8_t code) {
    return code != 0 && (keymap[code >> 3] & (1u << (code & 7))) != 0;
}

// True when `keymap` holds either Control key, either Shift key and F7.
inline bool KeymapHoldsCaptureHotkey(const std::uint8_t (&keymap)[32], const HotkeyKeycodes& codes) {
    const bool control = KeymapKeyDown(keymap, codes.controlLeft) || KeymapKeyDown(keymap, codes.controlRight);
    const bool shift = KeymapKeyDown(keymap, codes.shiftLeft) || KeymapKeyDown(keymap, codes.shiftRight);
    return control && shift && KeymapKeyDown(keymap, codes.f7);
}

// Asks the server of `display` (an application's Display, or null for a connection of our own to
// $DISPLAY, opened on first use and kept) for the keyboard state. False when no display can be
// reached or the keys are not all down. Application thread only.
bool X11CaptureHotkeyDown(void* display);

}  // namespace mora::platform
