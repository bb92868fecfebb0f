// wglSwapBuffers' frame end and glReadPixels' flush.
#include "frame/frame_sequence.h"

#include <cstring>
#include <exception>
#include <vector>

#include "capture/capture_session.h"
#include "diag/frame_counter.h"
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
#include "frame/call_summary_writer.h"
#include "frame/diagnostics_poll.h"
#include "frame/frame_times.h"

namespace mora {

namespace {

// PipelineCutoff stages the frame sequence tests for.
constexpr int32_t kStopBeforeCommandStream = 0;   // nothing recorded or executed
constexpr int32_t kFirstRenderStage = 3;          // RenderFrame runs from this stage on
constexpr int32_t kStopAfterBinning = 4;

// The call summary is rewritten when the advanced frame counter is a multiple of this.
constexpr int32_t kCallSummaryInterval = 60;

int32_t PipelineCutoff() { return SettingValue(TheDriverSettings().PipelineCutoff); }

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

FrameOptions OptionsForCutoff(int32_t cutoff, bool clearWhenEmpty) {
    FrameOptions options;
    options.stopAfterBinning = cutoff == kStopAfterBinning ? 1 : 0;
    options.clearWhenEmpty = clearWhenEmpty ? 1 : 0;
    options.cutoffStage = static_cast<uint32_t>(cutoff);
    return options;
}

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
    AppendCaptureFrame(frame, commands.stream, commands.blob, pixels.empty() ? nullptr : pixels.data(),
                       pixels.size());
}

// The part of the frame end that needs the current context: close the recording, execute it,
// render, capture, present, reset, and start the next frame's PendingKeyframe.
void RenderAndPresentFrame(ContextRecord& context, int32_t frame) {
    const uint64_t start = platform::PerformanceCounter();
    GlContext& gl = TheGlContext();
    PendingKeyframe& pending = ThePendingKeyframe();
    CommandRecording& active = TheCommandRecording();
    FrameRecording& recording = FrameScratch();
    CommandHandOver handOver(active, recording.commands);

    const bool recordingOn = PipelineCutoff() != kStopBeforeCommandStream;
    if (recordingOn) {
        AppendFrameEnd(active.stream);
        BuildKeyframe(pending, gl, recording.keyframe);
        handOver.HandOver();
    }
    if (CaptureCoversFrame(frame)) {
        OpenCaptureIfDue(frame, pending, gl, static_cast<uint32_t>(context.surface.width),
                         static_cast<uint32_t>(context.surface.height));
    }
    if (recordingOn) {
        ExecuteFrameOnExecutorThread(recording, true);
    } else {
        // Nothing was recorded: the (empty) commands run here, which puts the frame-start state back.
        BuildKeyframe(pending, gl, recording.keyframe);
        ExecuteFrame(recording, true);
    }

    const uint64_t executed = platform::PerformanceCounter();
    const int32_t cutoff = PipelineCutoff();
    if (cutoff >= kFirstRenderStage) {
        RenderFrame(ViewOfSurface(context.surface), OptionsForCutoff(cutoff, !gFrameDrawnByFlush));
    }
    const uint64_t rendered = platform::PerformanceCounter();
    if (recordingOn && CaptureCoversFrame(frame)) {
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
    // The next frame starts from the state the commands left. Closed once the frame's data is
    // reset, so that the clears this frame consumed are not pending again when the next frame's
    // Keyframe is restored (a frame without glClear would otherwise be cleared again with the
    // colour of the frame before).
    ClosePendingKeyframe(pending, gl);
    handOver.GiveBack();
    times.totalNs = platform::TicksToNanoseconds(platform::PerformanceCounter() - start, frequency);
    NoteFrameTimes(times);
}

}  // namespace

void RunFrameEnd() {
    const int32_t frame = CurrentFrame();
    try {
        if (ContextRecord* context = CurrentContextRecord()) {
            try {
                RenderAndPresentFrame(*context, frame);
            } catch (...) {
                // The frame is lost (out of memory part-way); its per-frame data must not leak
                // into the next one.
                ResetFrame();
                ClosePendingKeyframe(ThePendingKeyframe(), TheGlContext());
            }
        }
        gFrameDrawnByFlush = false;
        CommandRecording& active = TheCommandRecording();
        EmptyCommandBuffer(active.stream);
        EmptyCommandBuffer(active.blob);
        ReleaseKeyframeSlots(FrameScratch().keyframe);
    } catch (...) {
    }
    const int32_t advanced = AdvanceFrameCounter();
    try {
        PollDiagnosticRequests(advanced);
        if (advanced % kCallSummaryInterval == 0) RequestApiCallSummary();
    } catch (...) {
    }
}

void FlushFrame(ContextRecord& context) {
    GlContext& gl = TheGlContext();
    PendingKeyframe& pending = ThePendingKeyframe();
    CommandRecording& active = TheCommandRecording();
    FrameRecording& recording = FrameScratch();
    {
        CommandHandOver handOver(active, recording.commands);
        BuildKeyframe(pending, gl, recording.keyframe);
        if (PipelineCutoff() == kStopBeforeCommandStream) {
            ExecuteFrame(recording, true);
        } else {
            handOver.HandOver();
            ExecuteFrameOnExecutorThread(recording, true);
        }
    }
    ReleaseKeyframeSlots(recording.keyframe);

    const bool somethingToDraw = gl.colourClearPending || !TheTileGrid().setupTriangles.empty();
    if (somethingToDraw) {
        const int32_t cutoff = PipelineCutoff();
        if (cutoff >= kFirstRenderStage) {
            RenderFrame(ViewOfSurface(context.surface), OptionsForCutoff(cutoff, true));
            gFrameDrawnByFlush = true;
        }
    }
    // The executed commands are gone from the stream, so the next execution must start from the
    // state they reached, with or without drawing. Without drawing the frame's data stays as it
    // is: a pending depth clear must survive until something renders it.
    ClosePendingKeyframe(pending, gl);
    if (somethingToDraw) ResetFrame();
    EmptyCommandBuffer(active.stream);
    EmptyCommandBuffer(active.blob);
}

}  // namespace mora
