// The debug panel's one-shot requests to the frame loop: "Trigger capture" and "Trigger trace".
// The panel thread sets a flag; the per-frame request poll on the application thread takes and
// clears it with an atomic exchange, so a click is acted on once, at the next frame end.
#pragma once

namespace mora {

// Panel thread (any thread).
void RequestPanelCapture();
void RequestPanelTrace();

// Per-frame poll: true when a request was made since the last take; clears it.
bool TakePanelCaptureRequest();
bool TakePanelTraceRequest();

}  // namespace mora
