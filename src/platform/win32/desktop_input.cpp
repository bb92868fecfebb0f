// The capture hotkey and the quit request on Windows.
#include <windows.h>

#include "platform/capture_hotkey.h"
#include "platform/process_quit.h"

namespace mora::platform {

namespace {
bool Down(int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; }
}  // namespace

bool CaptureHotkeyDown(void*) { return Down(VK_CONTROL) && Down(VK_SHIFT) && Down(VK_F7); }

void QuitProcessNormally() { PostQuitMessage(0); }

}  // namespace mora::platform
