// The triangle emit stage: every NativePacket of the frame is decomposed into triangles,
// transformed, clipped, mapped to the viewport, culled and written as SetupTriangles, in packet
// order. Large frames are split into jobs on the render job queue. Called by ExecuteFrame.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/triangle_setup.h"
#include "gl/gl_context.h"
#include "raster/setup_triangle.h"
#include "rjq/render_job_queue.h"

namespace mora {

// Frames with at least this many vertices may be emitted in parallel.
inline constexpr size_t kParallelEmitMinVertices = 32768;

// Reads DisableHiZ and DisableFaceCull once for the whole stage.
EmitOptions ReadEmitOptions();

// Empties `out` and fills it with the frame's triangles. With allowParallelEmit, a queue with
// at least two workers, at least two packets and kParallelEmitMinVertices frame vertices, the
// packets are split into min(workers, packets) contiguous ranges run as jobs on `queue`, and the
// job outputs are concatenated in order: the result is byte-identical to the single-job path.
// Stores the triangle count and adds the elapsed ticks to ctx.statistics.
void EmitFrameTriangles(GlContext& ctx, std::vector<SetupTriangle>& out, bool allowParallelEmit,
                        const EmitOptions& options, rjq::RenderJobQueue* queue);

}  // namespace mora
