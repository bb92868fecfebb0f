// wglSwapBuffers' frame end and glReadPixels' flush.
#include "frame/frame_sequence.h"

#include <cstring>
#include <exception>
#include <vector>

#include "capture/capture_session.h"
#include "diag/frame_counter.h"
#include "frame/call_summary_writer.h"
#include "frame/diagnostics_poll.h"
#include "frame/frame_times.h"
#include "geometry/execute_frame.h"
#include "geometry/frame_executor_thread.h"
#include "gl/command_append.h"
#include "gl/command_buffer.h"
#include "gl/gl_context.h"
#include "gl/keyframe.h"
#include "gl/pending_keyframe.h"
#include "panel/driver_settings.h"
#include "platform/clock.h"
#include "render/render_frame.h"
#include "render/tile_grid.h"

namespace mora {

namespace {

// The call summary is rewritten when the advanced frame counter is a multiple of this.
constexpr int32_t kCallSummaryInterval = 60;

// The FrameRecording the frame sequence hands to the executor. One process-wide record reused
// every frame, so that its buffers and Keyframe arrays keep their capacity. Never destroyed: a
// frame may still end from an application's static destructor.
FrameRecording& FrameScratch() {
    static FrameRecording* recording = new FrameRecording;
    return *recording;
}

// Hands the recorded commands to `frame` and takes them back (emptied, capacity kept) when the
// scope ends, whatever way it ends.
struct CommandHandOver {
    CommandRecording& recording;
    CommandRecording& frame;
    bool handedOver = false;

    CommandHandOver(CommandRecording& r, CommandRecording& f) : recording(r), frame(f) {}
    CommandHandOver(const CommandHandOver&) = delete;
    CommandHandOver& operator=(const CommandHandOver&) = delete;
    void HandOver() {
        HandOverCommandRecording(recording, frame);
        handedOver = true;
    }
    void GiveBack() {
        if (!handedOver) return;
        GiveBackCommandRecording(frame, recording);
        handedOver = false;
    }
    ~CommandHandOver() { GiveBack(); }
};

// After a frame or a flush: drops the texel copies the Keyframe holds; the arrays keep their capacity.
void ReleaseKeyframeSlots(Keyframe& keyframe) {
    keyframe.slotIndices.clear();
    keyframe.savedSlots.clear();
}

// Set when a glReadPixels flush has rendered into the Surface since the last frame end. The
// frame end must then not fill an empty remainder of the frame with the clear colour: that would
// wipe out what the flush drew (a screenshot read before the swap would present a blank frame).
bool gFrameDrawnByFlush = false;

// The step the frame end and the flush share: build the frame-start Keyframe, hand the commands
// recorded since the last execution over and execute them on the executor thread, cut off after
// `cutoff`. The frame end closes the stream with its FrameEnd record first (`closesFrame`).
// `beforeExecute` runs once the Keyframe is built and before anything executes (the frame end
// opens a due capture there, on the state the frame ends with). With nothing recorded (cut-off
// kStopBeforeCommandStream) the empty commands run here instead, which puts the frame-start state
// back.
template <class BeforeExecute>
void HandOverAndExecute(CommandHandOver& handOver, FrameRecording& recording, PipelineStage cutoff, bool closesFrame,
                        BeforeExecute beforeExecute) {
    PendingKeyframe& pending = ThePendingKeyframe();
    GlContext& gl = TheGlContext();
    recording.cutoff = cutoff;
    if (cutoff == kStopBeforeCommandStream) {
        BuildKeyframe(pending, gl, recording.keyframe);
        beforeExecute();
        ExecuteFrame(recording, true);
        return;
    }
    if (closesFrame) AppendFrameEnd(handOver.recording.stream);
    BuildKeyframe(pending, gl, recording.keyframe);
    handOver.HandOver();
    beforeExecute();
    ExecuteFrameOnExecutorThread(recording, true);
}

// What a frame end or a flush that failed part-way (out of memory) leaves: the frame's data reset,
// so that none of it leaks into the next frame, and the next execution starting from the state
// the context reached, and the commands recorded since the last execution dropped (they are part
// of that state now and must not run twice). Throws nothing.
void RecoverAbandonedFrame() {
    ResetFrame();
    ClosePendingKeyframe(ThePendingKeyframe(), TheGlContext());
    CommandRecording& active = TheCommandRecording();
    EmptyCommandBuffer(active.stream);
    EmptyCommandBuffer(active.blob);
}

// Runs RecoverAbandonedFrame when the scope is left by an exception (the flush has no boundary
// of its own: its entry's boundary catches).
struct AbandonedFrameGuard {
    bool finished = false;
    AbandonedFrameGuard() = default;
    AbandonedFrameGuard(const AbandonedFrameGuard&) = delete;
    AbandonedFrameGuard& operator=(const AbandonedFrameGuard&) = delete;
    ~AbandonedFrameGuard() {
        if (!finished) RecoverAbandonedFrame();
    }
};

// Appends the frame to the capture, with the Surface's colour rows as reference pixels
// when they are asked for.
void AppendFrameToCapture(int32_t frame, const CommandRecording& commands, const Surface& surface) {
    std::vector<uint8_t> pixels;
    if (CaptureReferencePixelsOn() && surface.colourBase != nullptr && surface.width > 0 && surface.height > 0) {
        const uint64_t rowBytes = static_cast<uint64_t>(surface.width) * 4u;
        pixels.resize(rowBytes * static_cast<uint64_t>(surface.height));
        for (int32_t y = 0; y < surface.height; ++y) {
            std::memcpy(pixels.data() + static_cast<uint64_t>(y) * rowBytes,
                        surface.colourBase + static_cast<uint64_t>(y) * static_cast<uint64_t>(surface.colourPitch),
                        rowBytes);
        }
    }
    AppendCaptureFrame(frame, commands.stream, commands.blob, pixels.empty() ? nullptr : pixels.data(), pixels.size());
}

// The part of the frame end that needs the current context, in order: close the recording and
// execute it (opening a capture that starts here), render up to the cut-off, append the frame to
// its capture, present, note the frame's times, reset the frame's data and start the next
// frame's PendingKeyframe.
void RenderAndPresentFrame(ContextRecord& context, int32_t frame, PipelineStage cutoff) {
    const uint64_t start = platform::PerformanceCounter();
    GlContext& gl = TheGlContext();
    FrameRecording& recording = FrameScratch();
    recording.surfaceHeight = context.surface.height;
    CommandHandOver handOver(TheCommandRecording(), recording.commands);

    HandOverAndExecute(handOver, recording, cutoff, true, [&] {
        if (CaptureCoversFrame(frame)) {
            OpenCaptureIfDue(frame, ThePendingKeyframe(), gl, static_cast<uint32_t>(context.surface.width),
                             static_cast<uint32_t>(context.surface.height));
        }
    });
    const uint64_t executed = platform::PerformanceCounter();
    if (cutoff >= kStopAfterRenderPrep) {
        RenderFrame(ViewOfSurface(context.surface), FrameOptionsForCutoff(cutoff, !gFrameDrawnByFlush));
    }
    const uint64_t rendered = platform::PerformanceCounter();
    if (cutoff != kStopBeforeCommandStream && CaptureCoversFrame(frame)) {
        AppendFrameToCapture(frame, recording.commands, context.surface);
    }
    if (PresentSurface(context.surface)) NoteFramePresented(context);
    const uint64_t presented = platform::PerformanceCounter();
    const uint64_t frequency = platform::PerformanceFrequency();
    FrameTimes times;
    times.replayNs = platform::TicksToNanoseconds(gl.statistics.executeTicks, frequency);
    times.emitNs = platform::TicksToNanoseconds(gl.statistics.emitTicks, frequency);
    times.renderNs = platform::TicksToNanoseconds(rendered - executed, frequency);
    times.presentNs = platform::TicksToNanoseconds(presented - rendered, frequency);
    times.triangles = gl.statistics.emittedTriangles;
    ResetFrame();
    gl.primitiveEndedSinceFlush = false;
    // The next frame starts from the state the commands left. Closed once the frame's data is
    // reset, so that the clears this frame consumed are not pending again when the next frame's
    // Keyframe is restored (a frame without glClear would otherwise be cleared again with the
    // colour of the frame before).
    ClosePendingKeyframe(ThePendingKeyframe(), gl);
    handOver.GiveBack();
    times.totalNs = platform::TicksToNanoseconds(platform::PerformanceCounter() - start, frequency);
    NoteFrameTimes(times);
}

// Whatever the frame did: the recorded commands and the Keyframe's texel copies are dropped
// (capacity kept), and the next frame end may clear an empty frame again.
void EmptyFrameBuffers() {
    gFrameDrawnByFlush = false;
    TheGlContext().primitiveEndedSinceFlush = false;
    CommandRecording& active = TheCommandRecording();
    EmptyCommandBuffer(active.stream);
    EmptyCommandBuffer(active.blob);
    ReleaseKeyframeSlots(FrameScratch().keyframe);
}

}  // namespace

void RunFrameEnd() {
    const int32_t frame = CurrentFrame();
    const PipelineStage cutoff = PipelineCutoffNow();  // once: the panel may change it meanwhile
    // The frame's boundary: a frame that fails part-way is lost, and nothing of it survives.
    try {
        if (ContextRecord* context = CurrentContextRecord()) RenderAndPresentFrame(*context, frame, cutoff);
    } catch (...) {
        RecoverAbandonedFrame();
    }
    EmptyFrameBuffers();
    const int32_t advanced = AdvanceFrameCounter();
    // The diagnostics' boundary: a failed poll or summary request loses that request only.
    try {
        PollDiagnosticRequests(advanced);
        if (advanced % kCallSummaryInterval == 0) RequestApiCallSummary();
    } catch (...) {
    }
}

void FlushFrame(ContextRecord& context) {
    GlContext& gl = TheGlContext();
    const PipelineStage cutoff = PipelineCutoffNow();
    FrameRecording& recording = FrameScratch();
    recording.surfaceHeight = context.surface.height;
    AbandonedFrameGuard abandoned;
    {
        CommandHandOver handOver(TheCommandRecording(), recording.commands);
        HandOverAndExecute(handOver, recording, cutoff, false, [] {});
    }
    ReleaseKeyframeSlots(recording.keyframe);

    const bool somethingToDraw = gl.colourClearPending || !TheTileGrid().setupTriangles.empty();
    if (somethingToDraw && cutoff >= kStopAfterRenderPrep) {
        RenderFrame(ViewOfSurface(context.surface), FrameOptionsForCutoff(cutoff, true));
        gFrameDrawnByFlush = true;
    }
    // The executed commands are gone from the stream, so the next execution must start from the
    // state they reached, with or without drawing. Without drawing the frame's data stays as it
    // is: a pending depth clear must survive until something renders it.
    ClosePendingKeyframe(ThePendingKeyframe(), gl);
    if (somethingToDraw) ResetFrame();
    gl.primitiveEndedSinceFlush = false;
    abandoned.finished = true;
    CommandRecording& active = TheCommandRecording();
    EmptyCommandBuffer(active.stream);
    EmptyCommandBuffer(active.blob);
}

void FlushCurrentFrame() {
    if (ContextRecord* context = CurrentContextRecord()) FlushFrame(*context);
}

}  // namespace mora
