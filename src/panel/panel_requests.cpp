// The two request flags, lock-free words shared by the panel thread and the application thread.
#include "panel/panel_requests.h"

#include <atomic>

namespace mora {

namespace {
constinit std::atomic<bool> gCaptureRequested{false};
constinit std::atomic<bool> gTraceRequested{false};
}  // namespace

void RequestPanelCapture() { gCaptureRequested.store(true, std::memory_order_release); }
void RequestPanelTrace() { gTraceRequested.store(true, std::memory_order_release); }

bool TakePanelCaptureRequest() { return gCaptureRequested.exchange(false, std::memory_order_acq_rel); }
bool TakePanelTraceRequest() { return gTraceRequested.exchange(false, std::memory_order_acq_rel); }

}  // namespace mora
