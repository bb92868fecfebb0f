// Per-stage times of the last frame wglSwapBuffers finished (replay, emit, render, present), kept
// for tools that profile the driver from outside (moraGetLastFrameTimes). Written on the
// application thread at every frame end; readable from any thread.
#pragma once

#include <cstdint>

namespace mora {

struct FrameTimes {
    uint64_t replayNs = 0;   // executing the recorded commands into packets
    uint64_t emitNs = 0;     // transform, clipping and triangle set-up
    uint64_t renderNs = 0;   // RenderFrame: clears, binning and rasterization
    uint64_t presentNs = 0;  // capture append and presenting the Surface
    uint64_t totalNs = 0;    // the whole frame end, hand-offs and reset included
    uint32_t triangles = 0;  // triangles emitted
    uint32_t frames = 0;     // frame ends recorded so far (0: the times are not set)
};

void NoteFrameTimes(const FrameTimes& times);

// The last frame's times; each field is read atomically (a frame end running meanwhile may mix
// two frames' fields).
FrameTimes LastFrameTimes();

}  // namespace mora
