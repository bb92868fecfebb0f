// Replay of a loaded capture through the driver's own frame pipeline. The capture holds the
// state at the start of its first frame only; every later frame starts where the one before it
// ended, so frames run in order, each as wglSwapBuffers runs it: Keyframe from the pending
// record, ExecuteFrame, RenderFrame into an in-memory double-buffered surface, buffer flip, frame
// reset, pending record closed.
// mora-replay drives it for its outputs and its benchmark.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "capture/capture_reader.h"
#include "gl/command_buffer.h"
#include "gl/keyframe.h"
#include "gl/pending_keyframe.h"
#include "replay_surface.h"

namespace mora::replay {

// Performance-counter ticks spent in each stage of the frames replayed.
struct StageTicks {
    uint64_t replay = 0;  // Keyframe restore and command replay into NativePackets
    uint64_t emit = 0;    // triangle emit
    uint64_t render = 0;  // RenderFrame
    uint64_t reset = 0;   // frame reset and the next frame's pending Keyframe
    uint64_t frames = 0;  // frames counted
};

void AddStageTicks(StageTicks& total, const StageTicks& part);

// Everything one replay keeps between frames. The process-wide GlContext and tile grid are the
// driver's; a process runs one session at a time.
struct ReplaySession {
    const CaptureData* capture = nullptr;
    std::vector<CommandRecording> frames;  // each frame's stream and blob, in the driver's buffers
    FrameRecording recording;              // what ExecuteFrame is handed; frames swap in and out
    PendingKeyframe pending;
    ReplaySurface surface;
    uint32_t nextFrame = 0;  // frame ReplayNextFrame runs
};

// Copies the capture's frames into command buffers and makes the surface (the capture's size).
// False with `error` set when the size cannot be a surface or memory runs out. `capture` must
// outlive the session.
bool PrepareReplaySession(ReplaySession& session, const CaptureData& capture, std::string& error);

// Puts the driver back to the start of the capture's first frame: the frame's data emptied, the
// captured texture table and KeyframeSnapshot loaded, the tile grid sized as the snapshot says
// (HiZ reset), the surface reset, and the pending Keyframe closed at that state. The next frame
// replayed is frame 0.
void RestoreCaptureStart(ReplaySession& session);

// Runs frame `nextFrame` and advances it; the rendered image is the surface's shown buffer
// afterwards.
// `ticks` (may be null) receives the frame's stage times. False when every frame has run.
bool ReplayNextFrame(ReplaySession& session, StageTicks* ticks);

}  // namespace mora::replay
