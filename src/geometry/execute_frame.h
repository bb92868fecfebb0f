// ExecuteFrame: one frame's execution from its recording: restore the frame-start Keyframe,
// replay the CommandStream into NativePackets (gl/command_executor.h), then emit SetupTriangles
// (emit_stage.h), stopping after the recording's cut-off stage. It lives here rather than in gl because it
// runs the emit stage and fills the tile grid's triangle array, both above the gl layer.
// Called by wglSwapBuffers and glReadPixels (through the FrameExecutorThread) and replay tools.
#pragma once

#include <vector>

#include "gl/gl_context.h"
#include "gl/keyframe.h"
#include "raster/setup_triangle.h"
#include "rjq/render_job_queue.h"

namespace mora {

// The process-wide GlContext, tile grid and render job queue.
void ExecuteFrame(const FrameRecording& recording, bool allowParallelEmit);

// The same on explicit records (tests, tools): `triangles` receives the SetupTriangles.
void ExecuteFrame(GlContext& ctx, std::vector<SetupTriangle>& triangles, const FrameRecording& recording,
                  bool allowParallelEmit, rjq::RenderJobQueue* queue);

}  // namespace mora
