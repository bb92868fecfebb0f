// The per-frame request poll.
#include "frame/diagnostics_poll.h"

#include <atomic>

#include "capture/capture_session.h"
#include "diag/trace.h"
#include "frame/context_record.h"
#include "panel/driver_settings.h"
#include "panel/panel_requests.h"
#include "platform/capture_hotkey.h"
#include "platform/device_context.h"
#include "platform/process_quit.h"

namespace mora {

namespace {

std::atomic<DiagnosticsQuitHandler> gQuitHandler{&platform::QuitProcessNormally};
std::atomic<HotkeyStateReader> gHotkeyReader{&platform::CaptureHotkeyDown};

// Closes the trace once the frame counter is past its last frame; true when the environment
// started it.
bool CloseFinishedTrace(int32_t frameCounter) {
    if (!TraceFileOpen()) return false;
    const TraceRange range = CurrentTraceRange();
    if (range.first < 0 || frameCounter <= range.last) return false;
    const bool quitAfter = TraceQuitAfter();
    CloseTrace();
    ClearTraceRange();
    return quitAfter;
}

// A panel trace of CaptureFrameCount frames (0 read as 1, at most 60) from frameCounter + 1.
bool StartRequestedTrace(int32_t frameCounter) {
    if (CurrentTraceRange().first >= 0) return false;  // a running trace drops the request
    // The field is a registry DWORD: read it unsigned, so only 0 means "one frame".
    uint32_t count = static_cast<uint32_t>(SettingValue(TheDriverSettings().CaptureFrameCount));
    if (count == 0) count = 1;
    if (count > kMaxRequestedTraceFrames) count = kMaxRequestedTraceFrames;
    const int64_t first = static_cast<int64_t>(frameCounter) + 1;
    int64_t last = static_cast<int64_t>(frameCounter) + count;
    if (first > INT32_MAX) return false;
    if (last > INT32_MAX) last = INT32_MAX;
    return OpenTrace(static_cast<int32_t>(first), static_cast<int32_t>(last), "UI", /*quitAfter=*/false);
}

}  // namespace

bool CaptureHotkeyDownOn(const void* hdc) {
    const platform::Window* window = platform::WindowFromDC(hdc);
    if (window == nullptr || window->kind == platform::WindowKind::Offscreen) return false;
    return gHotkeyReader.load(std::memory_order_acquire)(window->display);
}

void PollDiagnosticRequests(int32_t frameCounter) {
    const bool captureQuit = CloseFinishedCapture(frameCounter);
    const bool traceQuit = CloseFinishedTrace(frameCounter);
    if (captureQuit || traceQuit) {
        gQuitHandler.load(std::memory_order_acquire)();
        return;
    }

    const bool traceRequested = TakePanelTraceRequest();
    if (TakePanelCaptureRequest()) RequestCapture();

    const ContextRecord* context = CurrentContextRecord();
    const bool hotkeyDown = context != nullptr && CaptureHotkeyDownOn(context->deviceContext);
    StartRequestedCapture(frameCounter, hotkeyDown);  // also remembers the hotkey for the next poll
    if (traceRequested) StartRequestedTrace(frameCounter);
}

void SetDiagnosticsQuitHandler(DiagnosticsQuitHandler handler) {
    gQuitHandler.store(handler != nullptr ? handler : &platform::QuitProcessNormally, std::memory_order_release);
}

void SetHotkeyStateReader(HotkeyStateReader reader) {
    gHotkeyReader.store(reader != nullptr ? reader : &platform::CaptureHotkeyDown, std::memory_order_release);
}

}  // namespace mora
