// Library load and unload: what the driver does when it is attached to a process and when it is
// detached. The shared library's constructor and destructor call these (src/api/shared); tests
// call them directly.
#pragma once

namespace mora {

// Process attach, in this order: MORA_PIPELINE_CUTOFF and then MORA_ISA into the settings (every
// start, so stored values never survive), the diagnostics start-up (crash handlers; capture
// range, trace range and reference-pixel switch from the environment; once per attach), the
// processor's instruction-set level, the render job queue with its status line, and the
// FrameExecutorThread. Also installs the GL layer's hooks (surface growth, tile-grid sizing).
void LibraryAttach();

// Process detach: stops the debug panel (bounded wait), the FrameExecutorThread (waiting at most 250 ms), stops and joins the
// render job queue (its workers must not outlive the unloaded code), then the diagnostics
// shutdown: call summary, open trace closed (pending lines and end line), open capture finished.
void LibraryDetach();

// Detach at process exit: the system has already ended every other thread, so nothing is stopped
// or joined (a thread killed mid-work would never answer); only the diagnostics shutdown runs.
void LibraryDetachAtProcessExit();

}  // namespace mora
