// Keyframe restore, replay and emit for one frame, cut off after the recording's stage.
#include "geometry/execute_frame.h"

#include "geometry/emit_stage.h"
#include "gl/command_executor.h"
#include "panel/driver_settings.h"
#include "render/tile_grid.h"

namespace mora {

void ExecuteFrame(GlContext& ctx, std::vector<SetupTriangle>& triangles, const FrameRecording& recording,
                  bool allowParallelEmit, rjq::RenderJobQueue* queue) {
    RestoreKeyframe(ctx, recording.keyframe);

    triangles.clear();
    ctx.primitiveVertices.clear();
    ctx.frameVertices.clear();
    ctx.nativePackets.clear();
    ctx.scissorBoxes.clear();
    ctx.packetSequence = 0;
    ctx.statistics = FrameStatistics{};

    const PipelineStage cutoff = recording.cutoff;
    if (cutoff == kStopBeforeCommandStream) return;

    const RenderOverrides overrides = ReadRenderOverrides(TheDriverSettings());
    // The emit stage and the replay's shade-model and point/line rules read the subset from the
    // context; it is taken once per execution with the other overrides.
    ctx.seedSubset = overrides.seedSubset;
    ReplayCommands(ctx, recording.commands.stream, recording.commands.blob, overrides);
    if (cutoff == kStopAfterNativePackets) return;

    EmitOptions options = ReadEmitOptions();
    options.surfaceHeight = recording.surfaceHeight;
    EmitFrameTriangles(ctx, triangles, allowParallelEmit, options, queue);
}

void ExecuteFrame(const FrameRecording& recording, bool allowParallelEmit) {
    ExecuteFrame(TheGlContext(), TheTileGrid().setupTriangles, recording, allowParallelEmit, rjq::TheProcessQueue());
}

}  // namespace mora
