// The capture hotkey, asked of this system's keyboard: whether Ctrl, Shift and F7 are all held
// down at this moment. On X11 `display` is the device context's Display (null: a connection of
// our own); Windows reads the asynchronous key state and ignores it.
#pragma once

namespace mora::platform {

bool CaptureHotkeyDown(void* display);

}  // namespace mora::platform
