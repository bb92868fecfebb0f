// Start-up trace switch: MORA_TRACE_FRAMES ("N" or "A-B") opens a trace for those frames with
// the label "env" and quit-after set. The one-time diagnostics initialisation at library load
// calls OpenTraceFromEnvironment(); capture uses the same range syntax.
#pragma once

#include <optional>

#include "diag/trace.h"

namespace mora {

// Parses "N" or "A-B" (split at the first '-', each part its leading decimal digits). Rejected:
// null, empty or 32+ character text, a part without leading digits or beyond 32 bits, B < A.
std::optional<TraceRange> ParseFrameRange(const char* text);

// Reads MORA_TRACE_FRAMES and opens the trace (label "env", quit-after) in `directory` (null:
// the current directory). True when a trace was opened.
bool OpenTraceFromEnvironment(const char* directory = nullptr);

}  // namespace mora
