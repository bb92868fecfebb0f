// The frame sequence: what wglSwapBuffers does after its entry frame (close the frame's recording,
// execute it into triangles, render, capture, present, reset, advance the frame counter, run the
// per-frame diagnostics) and the mid-frame flush glReadPixels runs before it reads.
#pragma once

#include <cstdint>

#include "frame/context_record.h"

namespace mora {

// wglSwapBuffers after its entry frame. With a current context the frame is executed, rendered
// into its Surface (unless the pipeline cut-off stops earlier), appended to a capture that
// covers it and presented; without one only the diagnostics run. Never throws: a frame that
// fails part-way (out of memory) still gives its buffers back, resets and advances the counter.
void RunFrameEnd();

// glReadPixels' flush: executes the commands recorded since the last flush or frame end (the
// recorded ones are consumed), renders them into the context's Surface when there is something
// to draw and the cut-off allows, and starts a new PendingKeyframe at the state reached.
void FlushFrame(ContextRecord& context);

}  // namespace mora
