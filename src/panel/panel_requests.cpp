// The two request flags, lock-free words shared by the panel thread and the application thread.
#include "panel/panel_requests.h"

#include <atomic>

namespace mora {

namespace {
constinit std::atomic<bool> g_captureRequested{false};
constinit std::atomic<bool> g_traceRequested{false};
}  // namespace

void RequestPanelCapture() { g_captureRequested.store(true, std::memory_order_release); }
void RequestPanelTrace() { g_traceRequested.store(true, std::memory_order_release); }

bool TakePanelCaptureRequest() { return g_captureRequested.exchange(false, std::memory_order_acq_rel); }
bool TakePanelTraceRequest() { return g_traceRequested.exchange(false, std::memory_order_acq_rel); }

}  // namespace mora
