// The command executor: replays a frame's CommandStream against the GlContext (already put back
// to the frame-start state) and turns each glEnd into a NativePacket. Called by ExecuteFrame
// (geometry/execute_frame.h) and by tools that replay captured streams.
#pragma once

#include <cstdint>

#include "gl/command_buffer.h"
#include "gl/gl_context.h"
#include "gl/render_state.h"

namespace mora {

struct PendingKeyframe;

// How a replay ended.
enum class ReplayEnd : uint8_t {
    EndOfStream,  // every record was read
    FrameEnd,     // stopped at the frame-end marker
    Malformed,    // stopped at a record that is truncated or shorter than its opcode's layout
};

// Walks `stream` from its start and applies each record to `ctx`. Nothing is read outside
// `stream` or `blob`, whatever their bytes: a record shorter than its opcode's fixed size or
// running past the stream's end stops the walk, and a blob reference that does not lie inside
// `blob` counts as no data. On a clean end (end of stream or frame-end marker) the executed and
// vertex record counts, the stream and blob sizes, the uploaded bytes and the execution time go
// into ctx.statistics; a malformed stop leaves them as they were.
ReplayEnd ReplayCommands(GlContext& ctx, const CommandStream& stream, const CommandBlob& blob,
                         const RenderOverrides& overrides);

// Applies a record that only changes state (matrices, viewport, enables, blend, alpha and depth
// tests, texture environment, parameters and names, clear values, glClear), as replay and a
// display list's playback both do. `touch` is the PendingKeyframe the texture calls keep up to
// date (null in replay). False, with nothing done, for any other record.
bool ApplyStateRecord(GlContext& ctx, uint32_t op, const uint8_t* at, const CommandBlob& blob, PendingKeyframe* touch);

// Turns the open primitive into a NativePacket when it has at least 3 vertices and a mode other
// than 0, then closes the primitive (mode 0, no vertices). The glEnd step of the replay.
void BuildNativePacket(GlContext& ctx, const RenderOverrides& overrides);

}  // namespace mora
