// The per-frame request poll that wglSwapBuffers runs right after advancing the frame counter:
// captures and traces whose last frame lies behind are closed (ending the process when the
// environment started them), then the debug panel's requests and the Ctrl+Shift+F7 capture
// hotkey start new ones for the frames that follow.
#pragma once

#include <cstdint>

namespace mora {

// Frames a panel trace covers at most; CaptureFrameCount sets the count (0 is read as 1).
inline constexpr uint32_t kMaxRequestedTraceFrames = 60;

// The poll for frameCounter, the counter after its advance (F):
// 1. a capture range with its last frame before F is finished and disarmed; a trace file whose
//    range ends before F is closed and its range cleared. When either was started by the
//    environment (quit-after), the quit handler runs and the poll ends here;
// 2. the panel's two request flags are taken;
// 3. a capture starts at F + 1 on a hotkey press (down now, up at the previous poll) or a panel
//    request, unless one is armed;
// 4. a trace of CaptureFrameCount frames (at most 60) labelled "UI" starts at F + 1 on a panel
//    request, unless a trace range is set (the request is then dropped).
void PollDiagnosticRequests(int32_t frameCounter);

// Whether the capture hotkey is held, asked of the keyboard behind device context `hdc`: the
// X11 keyboard state when hdc is a device context of an X11 window; never down for offscreen
// device contexts, unknown handles or null.
bool CaptureHotkeyDownOn(const void* hdc);

// What ends the process once an environment-started capture or trace is written. The default
// asks the process to end with status 0 (platform/process_quit.h: a quit message on Windows);
// null puts the default back. Tests install their own.
using DiagnosticsQuitHandler = void (*)();
void SetDiagnosticsQuitHandler(DiagnosticsQuitHandler handler);

// Where the hotkey reads an X11 keyboard (argument: the device context's Display, or null).
// The default asks the X server; null puts it back. Tests install their own.
using HotkeyStateReader = bool (*)(void* display);
void SetHotkeyStateReader(HotkeyStateReader reader);

}  // namespace mora
