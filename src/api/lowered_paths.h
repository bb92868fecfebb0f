// The internal paths of the immediate-mode calls: what glBegin, glEnd, glVertex2f/3f, the colour
// entries and glTexCoord2f do after their frame (record while recording, apply to the context).
// The exported entries run them inside their own frame; the lowered entries (the other vertex,
// colour and texture-coordinate forms, glRect, the vertex-array draws and display-list playback)
// call them directly, so that counters and traces show only what the program called.
#pragma once

#include <cstdint>

#include "entry/entry_frame.h"
#include "gl/colour_packing.h"
#include "gl/command_append.h"
#include "gl/command_records.h"
#include "gl/float_conversion.h"
#include "gl/gl_state.h"
#include "gl/immediate_mode.h"

namespace mora::api {

inline constexpr uint64_t kVertex2Bytes = sizeof(CmdFloat2);
inline constexpr uint64_t kVertex3Bytes = sizeof(CmdXyz);
inline constexpr uint64_t kColourBytes = sizeof(CmdU32);
inline constexpr uint64_t kTexCoordBytes = sizeof(CmdFloat2);

// Bodies for RunHotEntry: `recording` says that recording is on and the stream has room.

inline void HotVertex3(bool recording, float x, float y, float z) noexcept {
    if (recording) {
        AppendVertex3fInRoom(mora::TheCommandRecording().stream, x, y, z);
    }
    AppendPrimitiveVertex(mora::TheGlContext(), x, y, z);
}

inline void HotVertex2(bool recording, float x, float y) noexcept {
    if (recording) {
        AppendVertex2fInRoom(mora::TheCommandRecording().stream, x, y);
    }
    AppendPrimitiveVertex(mora::TheGlContext(), x, y, 0.0f);
}

// The colour is applied first (packed into the context) and the packed value is recorded as the
// context holds it, so a replay sets exactly the colour the call set.
inline void HotColour(bool recording, uint32_t packed) noexcept {
    GlContext& ctx = mora::TheGlContext();
    ApplyColor(ctx, packed);
    if (recording) {
        AppendColorInRoom(mora::TheCommandRecording().stream, ctx.currentColour);
    }
}

inline void HotTexCoord(bool recording, float s, float t) noexcept {
    if (recording) {
        AppendTexCoord2fInRoom(mora::TheCommandRecording().stream, s, t);
    }
    ApplyTexCoord(mora::TheGlContext(), s, t);
}

// True when recording is on and the stream has (or could be given) room for `bytes` more; a
// stream that cannot grow leaves the call unrecorded, as in the entry frame.
inline bool RecordingWithRoom(uint64_t bytes) noexcept {
    if (!RecordingOn()) {
        return false;
    }
    CommandStream& stream = mora::TheCommandRecording().stream;
    return CommandBufferHasRoom(stream, bytes) || MakeCommandBufferRoom(stream, bytes);
}

// The same paths for callers outside an entry frame (room not yet checked).
inline void IssueVertex3(float x, float y, float z) noexcept { HotVertex3(RecordingWithRoom(kVertex3Bytes), x, y, z); }
inline void IssueVertex2(float x, float y) noexcept { HotVertex2(RecordingWithRoom(kVertex2Bytes), x, y); }
inline void IssueColour(uint32_t packed) noexcept { HotColour(RecordingWithRoom(kColourBytes), packed); }
inline void IssueTexCoord(float s, float t) noexcept { HotTexCoord(RecordingWithRoom(kTexCoordBytes), s, t); }

inline void IssueBegin(uint32_t mode) {
    if (RecordingOn()) {
        AppendBegin(mora::TheCommandRecording().stream, mode);
    }
    BeginPrimitive(mora::TheGlContext(), mode);
}

inline void IssueEnd() {
    if (RecordingOn()) {
        AppendEnd(mora::TheCommandRecording().stream);
    }
    EndPrimitive(mora::TheGlContext());
}

// A vertex with a w the records do not carry: x, y and z divided by w (a w of 0, a point at
// infinity the pipeline cannot take, keeps x, y and z as they are).
inline void DivideByW(float& x, float& y, float& z, float w) noexcept {
    if (w != 1.0f && w != 0.0f) {
        x /= w;
        y /= w;
        z /= w;
    }
}

}  // namespace mora::api
