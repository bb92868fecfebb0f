// Frame-by-frame replay of a capture through ExecuteFrame and RenderFrame.
#include "replay_session.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "geometry/execute_frame.h"
#include "gl/gl_context.h"
#include "gl/keyframe_snapshot.h"
#include "platform/clock.h"
#include "render/render_frame.h"
#include "render/tile_grid.h"

namespace mora::replay {

namespace {

bool FillBuffer(CommandBuffer& buffer, const std::vector<uint8_t>& bytes) {
    EmptyCommandBuffer(buffer);
    if (bytes.empty()) return true;
    uint8_t* at = ExtendCommandBuffer(buffer, bytes.size());
    if (at == nullptr) return false;
    std::memcpy(at, bytes.data(), bytes.size());
    return true;
}

// A frame's commands are moved into the recording for its execution and moved back afterwards,
// however the execution ends, so that a later run finds them in place.
struct FrameCommandsInRecording {
    CommandRecording& stored;
    CommandRecording& recording;
    FrameCommandsInRecording(CommandRecording& s, CommandRecording& r) : stored(s), recording(r) {
        SwapCommandBuffers(stored.stream, recording.stream);
        SwapCommandBuffers(stored.blob, recording.blob);
    }
    ~FrameCommandsInRecording() {
        SwapCommandBuffers(stored.stream, recording.stream);
        SwapCommandBuffers(stored.blob, recording.blob);
    }
    FrameCommandsInRecording(const FrameCommandsInRecording&) = delete;
    FrameCommandsInRecording& operator=(const FrameCommandsInRecording&) = delete;
};

// The options wglSwapBuffers renders a full-pipeline frame with (no glReadPixels flush has drawn
// into a replayed frame, so an empty frame is filled with the clear colour).
FrameOptions SwapBuffersOptions() {
    FrameOptions options;
    options.stopAfterBinning = 0;
    options.clearWhenEmpty = 1;
    options.cutoffStage = 5;
    return options;
}

void ClosePending(ReplaySession& session) {
    if (!ClosePendingKeyframe(session.pending, TheGlContext())) throw std::bad_alloc();
}

}  // namespace

void AddStageTicks(StageTicks& total, const StageTicks& part) {
    total.replay += part.replay;
    total.emit += part.emit;
    total.render += part.render;
    total.reset += part.reset;
    total.frames += part.frames;
}

bool PrepareReplaySession(ReplaySession& session, const CaptureData& capture, std::string& error) {
    session.capture = &capture;
    session.nextFrame = 0;
    if (capture.width > static_cast<uint32_t>(kMaxSurfaceSide) ||
        capture.height > static_cast<uint32_t>(kMaxSurfaceSide) ||
        !CreateReplaySurface(session.surface, static_cast<int32_t>(capture.width),
                             static_cast<int32_t>(capture.height))) {
        error = "surface size " + std::to_string(capture.width) + "x" + std::to_string(capture.height) +
                " cannot be replayed";
        return false;
    }
    session.frames.clear();
    session.frames.resize(capture.frameStreams.size());
    for (std::size_t i = 0; i < capture.frameStreams.size(); ++i) {
        if (!FillBuffer(session.frames[i].stream, capture.frameStreams[i]) ||
            !FillBuffer(session.frames[i].blob, capture.frameBlobs[i])) {
            error = "out of memory for the commands of frame " + std::to_string(i);
            return false;
        }
    }
    return true;
}

void RestoreCaptureStart(ReplaySession& session) {
    const CaptureData& capture = *session.capture;
    GlContext& gl = TheGlContext();
    // Empty the frame data first: the snapshot brings its own pending clears.
    ResetFrame();
    AssignTextureTable(gl.textureTable, capture.textures);
    gl.textureNames.stale = true;
    DeserializeKeyframeSnapshot(gl, capture.snapshot);
    // The live grid had storage of the snapshot's framebuffer size when the frame began; without
    // it the first replayed glViewport would size the grid to the viewport instead.
    ResizeTileGrid(gl.framebufferWidth, gl.framebufferHeight);
    TileGrid& grid = TheTileGrid();
    std::fill(grid.hiz.begin(), grid.hiz.end(), 1.0f);
    ResetReplaySurface(session.surface);
    ClosePending(session);
    session.nextFrame = 0;
}

bool ReplayNextFrame(ReplaySession& session, StageTicks* ticks) {
    if (session.nextFrame >= session.frames.size()) return false;
    GlContext& gl = TheGlContext();
    StageTicks frameTicks;
    {
        FrameCommandsInRecording swapIn(session.frames[session.nextFrame], session.recording.commands);
        const uint64_t start = platform::PerformanceCounter();
        BuildKeyframe(session.pending, gl, session.recording.keyframe);
        session.recording.surfaceHeight = session.surface.height;
        ExecuteFrame(session.recording, true);
        const uint64_t executed = platform::PerformanceCounter();
        const uint64_t emitTicks = gl.statistics.emitTicks;
        RenderFrame(ViewOfReplaySurface(session.surface), SwapBuffersOptions());
        const uint64_t rendered = platform::PerformanceCounter();
        PresentReplaySurface(session.surface);
        ResetFrame();
        ClosePending(session);
        const uint64_t reset = platform::PerformanceCounter();
        frameTicks.emit = std::min(emitTicks, executed - start);
        frameTicks.replay = executed - start - frameTicks.emit;
        frameTicks.render = rendered - executed;
        frameTicks.reset = reset - rendered;
        frameTicks.frames = 1;
    }
    ++session.nextFrame;
    if (ticks != nullptr) *ticks = frameTicks;
    return true;
}

}  // namespace mora::replay
