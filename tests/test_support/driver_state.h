// ResetDriverState: puts the process-wide records a test can leave changed back to their start
// state, one subsystem at a time in layer order (docs/process-state.md lists every record and
// what resets it). Fixtures call it in SetUp and TearDown instead of resetting records by hand.
// It leaves the calling thread's current context alone: fixtures that hold one keep it.
#pragma once

#include "capture/capture_session.h"
#include "diag/trace.h"
#include "gl/command_buffer.h"
#include "gl/gl_context.h"
#include "panel/driver_settings.h"
#include "render/tile_grid.h"

namespace mora::test {

inline void ResetDriverState() {
    ResetSettingsToDefaults(TheDriverSettings());  // panel: the full pipeline, no overrides
    CloseTrace();                                  // diag
    ClearTraceRange();
    EmptyCommandBuffer(TheCommandRecording().stream);  // gl: nothing recorded
    EmptyCommandBuffer(TheCommandRecording().blob);
    TheGlContext().primitiveEndedSinceFlush = false;  // a glClear must not split a frame the test never drew
    ResetFrame();                                     // render: no triangles, bins or pending clears
    ResetCaptureSession();                            // capture: no range, no open file
}

}  // namespace mora::test
