// The frame renderer: applies the frame's deferred clears, builds the texture cache, partitions the
// MacroTiles among the render workers and runs one job whose items bin and rasterize each worker's
// tiles. Called by wglSwapBuffers and glReadPixels once the frame's triangles are emitted.
#pragma once

#include <cstdint>

#include "panel/driver_settings.h"
#include "raster/raster_job.h"
#include "render/surface_view.h"
#include "render/tile_grid.h"

namespace mora {

// Filled by the caller, read during the frame. The frame end and the read-back flush fill it from
// the frame's PipelineStage (FrameOptionsForCutoff).
struct FrameOptions {
    uint8_t stopAfterBinning = 0;          // workers bin but do not rasterize
    uint8_t clearWhenEmpty = 0;            // a frame without triangles or colour clear clears to clearColour
    uint32_t cutoffStage = kFullPipeline;  // a PipelineStage of kStopAfterRenderPrep or later
};

// The options for a frame cut off after `cutoff`: binning only at kStopAfterBinning.
inline FrameOptions FrameOptionsForCutoff(PipelineStage cutoff, bool clearWhenEmpty) {
    FrameOptions options;
    options.stopAfterBinning = cutoff == kStopAfterBinning ? 1 : 0;
    options.clearWhenEmpty = clearWhenEmpty ? 1 : 0;
    options.cutoffStage = static_cast<uint32_t>(cutoff);
    return options;
}

// One frame's shared, read-only record for the workers (on RenderFrame's stack).
struct FrameJob {
    const SurfaceView* surface = nullptr;
    RasterJob rasterJob;
    // The grid's sizes (framebuffer and tiles), and the part of the framebuffer the Surface can
    // hold: MicroTile rectangles are clipped to the latter so that a Surface smaller than the grid
    // is never written outside.
    TileGridSize size;
    int32_t clipWidth = 0;
    int32_t clipHeight = 0;
    TileGrid* grid = nullptr;
    // Deferred clears the workers apply tile by tile, just before each MicroTile is rasterized, so
    // the kernel reads pixels its own worker has just written instead of missing in the cache.
    bool clearColourInTiles = false;
    bool clearDepthInTiles = false;
    uint32_t colourClearValue = 0;
    float depthClearValue = 1.0f;
};

// The frame's partition count: the threads that render (the queue's workers and the waiting
// application thread; 1 without a queue), lowered to a non-zero
// WorkerLimit that is not above it, at least 1, and at most the MacroTile count when there is one.
int32_t FramePartitionCount(int64_t renderThreads, int32_t workerLimit, int64_t macroTiles);

// Renders the frame's SetupTriangles into `surface` (see the header comment).
void RenderFrame(const SurfaceView& surface, const FrameOptions& options);

// The render job's item function: bins every triangle into the MacroTiles of `partition`, then
// rasterizes them unless the frame stops after binning. `frameJob` is the FrameJob; the descriptor
// is not read.
void WorkerLoopEntry(const uint32_t* descriptor, uint32_t partition, void* frameJob);

// Calls the frame's kernel once per non-empty MicroTile of MacroTile (macroX, macroY).
void RenderMacroTile(int32_t macroX, int32_t macroY, const FrameJob& job);

}  // namespace mora
