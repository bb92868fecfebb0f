// Keyframe: the GL state at the start of a frame (snapshot plus the frame-start contents of the
// texture slots the frame changed), and FrameRecording, what one frame execution is given.
// wglSwapBuffers and glReadPixels build them; ExecuteFrame restores the Keyframe before replay;
// the capture writer takes the frame-start state from BuildCaptureState.
#pragma once

#include <cstdint>
#include <vector>

#include "gl/command_buffer.h"
#include "gl/gl_context.h"
#include "gl/keyframe_snapshot.h"
#include "gl/pending_keyframe.h"
#include "panel/driver_settings.h"

namespace mora {

struct Keyframe {
    KeyframeSnapshot snapshot{};
    uint32_t textureCount = 0;            // texture slots at frame start
    std::vector<uint32_t> slotIndices;    // slots the frame changed
    std::vector<TextureSlot> savedSlots;  // their frame-start contents, same order
    bool valid = false;                   // an invalid Keyframe is never restored
};

struct FrameRecording {
    CommandRecording commands;  // CommandStream, CommandBlob and the reserved word (0)
    Keyframe keyframe;
    PipelineStage cutoff = kFullPipeline;  // the frame's cut-off, read once by whoever hands it over
    int32_t surfaceHeight = 0;             // the drawable's height the frame renders into; 0 unknown
};

// From a valid PendingKeyframe: a copy of it with valid set. Otherwise the live context's
// snapshot, the current table size, no slots, and valid clear. `out`'s storage is reused.
void BuildKeyframe(const PendingKeyframe& pending, const GlContext& ctx, Keyframe& out);

// Puts ctx back to the Keyframe's state: the snapshot fields (tile-grid sizes included; the grid
// storage is not touched), the texture table resized to textureCount (slots created since are
// destroyed) and every saved slot whose index lies inside the table copied back. Does nothing
// for an invalid Keyframe.
void RestoreKeyframe(GlContext& ctx, const Keyframe& keyframe);

// The frame-start KeyframeSnapshot and texture table for a capture, without changing ctx: from
// a valid PendingKeyframe, the live table cut or grown to its textureCount with the saved slots
// put back and its snapshot; otherwise the live table and the live state.
void BuildCaptureState(const PendingKeyframe& pending, const GlContext& ctx, std::vector<TextureSlot>& table,
                       KeyframeSnapshot& snapshot);

}  // namespace mora
