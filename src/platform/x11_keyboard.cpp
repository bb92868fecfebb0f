// The keyboard state query for the capture hotkey.
#include "platform/capture_hotkey.h"
#include "platform/x11_keyboard.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include "platform/mutex.h"

namespace mora::platform {

namespace {

// Our own connection when the device context names no Display, opened once and kept: the poll
// runs every frame, so a missing server costs one failed connection attempt, not one per frame.
Mutex gOwnDisplayLock;
Display* gOwnDisplay = nullptr;
bool gOwnDisplayTried = false;

Display* OwnDisplay() {
    MutexLock hold(gOwnDisplayLock);
    if (!gOwnDisplayTried) {
        gOwnDisplayTried = true;
        gOwnDisplay = XOpenDisplay(nullptr);
    }
    return gOwnDisplay;
}

std::uint8_t Keycode(Display* display, KeySym symbol) {
    return static_cast<std::uint8_t>(XKeysymToKeycode(display, symbol));
}

}  // namespace

bool X11CaptureHotkeyDown(void* displayHandle) {
    Display* display = displayHandle != nullptr ? static_cast<Display*>(displayHandle) : OwnDisplay();
    if (display == nullptr) return false;
    HotkeyKeycodes codes;
    codes.controlLeft = Keycode(display, XK_Control_L);
    codes.controlRight = Keycode(display, XK_Control_R);
    codes.shiftLeft = Keycode(display, XK_Shift_L);
    codes.shiftRight = Keycode(display, XK_Shift_R);
    codes.f7 = Keycode(display, XK_F7);
    char raw[32] = {};
    XQueryKeymap(display, raw);
    std::uint8_t keymap[32];
    for (int i = 0; i < 32; ++i) keymap[i] = static_cast<std::uint8_t>(raw[i]);
    return KeymapHoldsCaptureHotkey(keymap, codes);
}

}  // namespace mora::platform

namespace mora::platform {

bool CaptureHotkeyDown(void* display) { return X11CaptureHotkeyDown(display); }

}  // namespace mora::platform
