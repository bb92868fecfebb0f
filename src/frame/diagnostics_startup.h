// The diagnostics' start-up and shutdown around the driver's lifetime: library attach installs
// the crash handler and reads the capture and trace switches, library detach writes the call
// summary, closes an open trace, finishes an open capture and removes the crash handler.
#pragma once

namespace mora {

// Library attach. Once per attach (a second call before StopDiagnostics does nothing):
// installs the fatal-signal handlers (crash report: call summary and CRASH line in an open
// trace), then MORA_CAPTURE_FRAMES arms a capture, MORA_TRACE_FRAMES opens a trace (label
// "env"; both with quit-after) and MORA_CAPTURE_REFERENCE_PIXELS is read.
void StartDiagnostics();

// Library detach: writes the call summary, closes an open trace (pending lines and end line)
// and clears its range, finishes an open capture, and removes the fatal-signal handlers, whose
// code is about to be unloaded. Never throws.
void StopDiagnostics() noexcept;

// The crash report the fatal-signal handlers run once: the call summary, then the CRASH line in
// an open trace. Never waits for the trace lock.
void WriteCrashReport() noexcept;

}  // namespace mora
