#include "render/render_frame.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "diag/profile_scope_names.h"
#include "diag/profiler.h"
#include "gl/gl_context.h"
#include "panel/driver_settings.h"
#include "platform/thread.h"
#include "raster/isa_dispatch.h"
#include "raster/texture_cache.h"
#include "render/binning_stats.h"
#include "render/scissor_rects.h"
#include "render/tile_grid.h"
#include "render/triangle_binning.h"
#include "render/worker_partition.h"
#include "rjq/occupancy.h"
#include "rjq/render_job_queue.h"

namespace mora {

namespace {

// The frame's texture cache. Kept across frames and only emptied after each one, so that a
// steady frame allocates nothing.
constinit platform::NeverDestroyed<FrameTextureCache> gTextureCacheStorage;
FrameTextureCache& gTextureCache = gTextureCacheStorage.value;
// The frame's scissor rectangles in window pixels, storage kept across frames likewise.
constinit platform::NeverDestroyed<std::vector<ScissorRect>> gScissorRectsStorage;
std::vector<ScissorRect>& gScissorRects = gScissorRectsStorage.value;

void FillColourRect(const SurfaceView& surface, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour) {
    for (int32_t y = y0; y < y1; ++y) {
        uint8_t* row = surface.colourBase + static_cast<int64_t>(y) * surface.colourPitch;
        std::fill(reinterpret_cast<uint32_t*>(row) + x0, reinterpret_cast<uint32_t*>(row) + x1, colour);
    }
}

void FillDepthRect(const SurfaceView& surface, int32_t x0, int32_t y0, int32_t x1, int32_t y1, float depth) {
    for (int32_t y = y0; y < y1; ++y) {
        float* row = surface.depthBuffer + static_cast<int64_t>(y) * surface.width;
        std::fill(row + x0, row + x1, depth);
    }
}

// The Surface outside the MicroTiles' clipped rectangles [0, clipWidth) x [0, clipHeight): the
// workers clear everything inside.
template <typename Fill, typename Value>
void FillOutsideTiles(const SurfaceView& surface, int32_t clipWidth, int32_t clipHeight, Fill fill, Value value) {
    if (clipWidth < surface.width) fill(surface, clipWidth, 0, surface.width, clipHeight, value);
    if (clipHeight < surface.height) fill(surface, 0, clipHeight, surface.width, surface.height, value);
}

// A depth clear of part of the Surface: the HiZ words of the MicroTiles it meets may only rise
// (a NaN value disables them).
void RaiseHiZ(TileGrid& grid, const GlContext& gl, const ScissorRect& r, float value) {
    const int32_t columnEnd = std::min(gl.microTilesX, (r.x1 + kMicroTileSize - 1) / kMicroTileSize);
    const int32_t rowEnd = std::min(gl.microTilesY, (r.y1 + kMicroTileSize - 1) / kMicroTileSize);
    for (int32_t my = r.y0 / kMicroTileSize; my < rowEnd; ++my)
        for (int32_t mx = r.x0 / kMicroTileSize; mx < columnEnd; ++mx) {
            const std::size_t index = static_cast<std::size_t>(my) * static_cast<std::size_t>(gl.microTilesX) + mx;
            if (index < grid.hiz.size() && !(value <= grid.hiz[index])) grid.hiz[index] = value;
        }
}

// Clears limited by the scissor test fill their rectangle here; they return false for a clear of
// the whole Surface, which goes the usual way.
bool ApplyScissoredClears(GlContext& gl, TileGrid& grid, const SurfaceView& surface) {
    bool colourDone = false;
    if (gl.colourClearPending) {
        const ScissorRect r = WindowScissorRect(gl.colourClearBox, surface.width, surface.height);
        if (!CoversSurface(r, surface.width, surface.height)) {
            FillColourRect(surface, r.x0, r.y0, r.x1, r.y1, gl.colourClearValue);
            gl.colourClearPending = false;
            colourDone = true;
        }
    }
    if (gl.depthClearPending) {
        const ScissorRect r = WindowScissorRect(gl.depthClearBox, surface.width, surface.height);
        if (!CoversSurface(r, surface.width, surface.height)) {
            FillDepthRect(surface, r.x0, r.y0, r.x1, r.y1, gl.depthClearValue);
            RaiseHiZ(grid, gl, r, gl.depthClearValue);
            gl.depthClearPending = false;
        }
    }
    return colourDone;
}

// Clears the frame asked for. With `inTiles`, the pixels the MicroTiles cover are left to the
// workers (the job records the values) and only the rest of the Surface is filled here.
void ApplyDeferredClears(GlContext& gl, TileGrid& grid, const SurfaceView& surface, const FrameOptions& options,
                         bool inTiles, FrameJob& job) {
    const int32_t clipWidth = inTiles ? job.clipWidth : 0;
    const int32_t clipHeight = inTiles ? job.clipHeight : 0;
    if (ApplyScissoredClears(gl, grid, surface)) {
        // A scissored colour clear stands for the frame's colour clear.
    } else if (gl.colourClearPending) {
        job.clearColourInTiles = inTiles;
        job.colourClearValue = gl.colourClearValue;
        FillOutsideTiles(surface, clipWidth, clipHeight, FillColourRect, gl.colourClearValue);
        gl.colourClearPending = false;
    } else if (grid.setupTriangles.empty() && options.clearWhenEmpty != 0) {
        FillColourRect(surface, 0, 0, surface.width, surface.height, gl.clearColour);
    }
    if (gl.depthClearPending) {
        job.clearDepthInTiles = inTiles;
        job.depthClearValue = gl.depthClearValue;
        FillOutsideTiles(surface, clipWidth, clipHeight, FillDepthRect, gl.depthClearValue);
        std::fill(grid.hiz.begin(), grid.hiz.end(), gl.depthClearValue);
        gl.depthClearPending = false;
    }
}

// Rows of up to 8 words: whole rows are fixed-size copies the compiler inlines, where a fill
// would become a library call per row.
void FillTileRows(uint8_t* first, int64_t pitch, int32_t words, int32_t rows, uint32_t value) {
    uint32_t pattern[kMicroTileSize];
    std::fill_n(pattern, kMicroTileSize, value);
    if (words == kMicroTileSize) {
        for (int32_t r = 0; r < rows; ++r) std::memcpy(first + r * pitch, pattern, sizeof(pattern));
    } else {
        for (int32_t r = 0; r < rows; ++r) std::memcpy(first + r * pitch, pattern, static_cast<std::size_t>(words) * 4);
    }
}

// A MicroTile's share of the frame's deferred clears.
void ClearMicroTile(const FrameJob& job, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    const SurfaceView& surface = *job.surface;
    if (job.clearColourInTiles) {
        uint8_t* first = surface.colourBase + static_cast<int64_t>(y0) * surface.colourPitch + int64_t{x0} * 4;
        FillTileRows(first, surface.colourPitch, x1 - x0, y1 - y0, job.colourClearValue);
    }
    if (job.clearDepthInTiles) {
        float* first = surface.depthBuffer + static_cast<int64_t>(y0) * surface.width + x0;
        FillTileRows(reinterpret_cast<uint8_t*>(first), int64_t{surface.width} * 4, x1 - x0, y1 - y0,
                     std::bit_cast<uint32_t>(job.depthClearValue));
    }
}

}  // namespace

int32_t FramePartitionCount(int64_t renderThreads, int32_t workerLimit, int64_t macroTiles) {
    int64_t count = renderThreads;
    if (workerLimit != 0 && workerLimit <= count) count = workerLimit;
    count = std::max<int64_t>(count, 1);
    if (macroTiles >= 1) count = std::min(count, macroTiles);
    return static_cast<int32_t>(std::min<int64_t>(count, kMaxPartitions));
}

void RenderFrame(const SurfaceView& surface, const FrameOptions& options) {
    diag::ProfileScope scope(diag::kScopeRenderFrame);
    GlContext& gl = TheGlContext();
    TileGrid& grid = TheTileGrid();
    if (!SurfaceUsable(surface)) {
        gl.colourClearPending = false;
        gl.depthClearPending = false;
        return;
    }
    // The six size fields can be written without the arrays (a Keyframe restore, a grid sized before
    // the render hooks were installed); workers index the arrays by those fields, so make them agree.
    if (!TileGridConsistent(gl, grid)) ResizeTileGrid(gl.framebufferWidth, gl.framebufferHeight);
    FrameJob job;
    job.surface = &surface;
    job.clipWidth = std::min(gl.framebufferWidth, surface.width);
    job.clipHeight = std::min(gl.framebufferHeight, surface.height);
    // Workers visit every MicroTile only when they rasterize.
    const bool clearInTiles =
        !grid.setupTriangles.empty() && options.cutoffStage != kStopAfterRenderPrep && options.stopAfterBinning == 0;
    ApplyDeferredClears(gl, grid, surface, options, clearInTiles, job);
    if (grid.setupTriangles.empty()) return;

    BuildTextureCache(gTextureCache);
    PointTrianglesAtCacheEntries(gTextureCache, grid.setupTriangles);

    job.size = CurrentTileGridSize(gl);
    job.grid = &grid;
    RasterJob& kernelArgs = job.rasterJob;
    kernelArgs.colourPitch = surface.colourPitch;
    kernelArgs.colourBase = surface.colourBase;
    kernelArgs.depthBase = surface.depthBuffer;
    kernelArgs.depthPitch = surface.width * 4;
    kernelArgs.triangles = grid.setupTriangles.data();
    kernelArgs.textureCache = gTextureCache.entries.data();
    kernelArgs.textureCount = static_cast<uint32_t>(gTextureCache.entries.size());
    kernelArgs.vrsMode = static_cast<uint32_t>(SettingValue(TheDriverSettings().ForceVrsRate));
    kernelArgs.kernel = raster::KernelForPanelValue(SettingValue(TheDriverSettings().ForceIsa));
    kernelArgs.frameOptions = &options;
    BuildScissorRects(gl.scissorBoxes, surface.width, surface.height, gScissorRects);
    kernelArgs.scissorRects = gScissorRects.data();
    kernelArgs.scissorCount = static_cast<uint32_t>(gScissorRects.size());

    grid.workerTriangleCount = static_cast<uint32_t>(std::min<std::size_t>(grid.setupTriangles.size(), UINT32_MAX));
    grid.workersGo.store(1, std::memory_order_release);

    rjq::RenderJobQueue* queue = rjq::TheProcessQueue();
    const int64_t macroTiles = static_cast<int64_t>(gl.macroTilesX) * gl.macroTilesY;
    // The application thread renders too while it waits, so it gets a partition of its own.
    const int32_t partitions = FramePartitionCount(queue != nullptr ? rjq::HelpedItemThreads(*queue) : 1,
                                                   SettingValue(TheDriverSettings().WorkerLimit), macroTiles);
    RebuildWorkerTilePartition(partitions);
    for (std::size_t k = 0; k < static_cast<std::size_t>(partitions); ++k) {
        grid.partitionProgress[k].binned.store(0, std::memory_order_relaxed);
        grid.partitionProgress[k].nextTile.store(0, std::memory_order_relaxed);
    }

    if (options.cutoffStage != kStopAfterRenderPrep) {
        // One item per partition; the items find everything else in the FrameJob.
        if (queue != nullptr) {
            rjq::Enqueue(*queue, rjq::kJobKindItems, static_cast<uint32_t>(partitions), &WorkerLoopEntry, &job);
            rjq::WaitIdleHelping(*queue);
        } else {
            WorkerLoopEntry(nullptr, 0, &job);
        }
    }
    ClearTextureCache(gTextureCache, grid.setupTriangles);
}

namespace {

// Renders MacroTiles of `partition` (binned) until its list is handed out.
void RenderPartitionTiles(const FrameJob& job, uint32_t partition) {
    TileGrid& grid = *job.grid;
    const std::vector<int32_t>& tiles = grid.workerMacroTiles[partition];
    std::atomic<uint32_t>& next = grid.partitionProgress[partition].nextTile;
    for (;;) {
        const std::size_t k = next.fetch_add(1, std::memory_order_relaxed);
        if (k >= tiles.size()) return;
        const int32_t macroY = tiles[k] / job.size.macroTilesX;
        if (macroY < job.size.macroTilesY) RenderMacroTile(tiles[k] % job.size.macroTilesX, macroY, job);
    }
}

}  // namespace

void WorkerLoopEntry(const uint32_t* descriptor, uint32_t partition, void* frameJob) {
    (void)descriptor;
    diag::ProfileScope scope(diag::kScopeWorkerLoopEntry);
    const FrameJob& job = *static_cast<const FrameJob*>(frameJob);
    TileGrid& grid = *job.grid;
    if (partition >= grid.workerMacroTiles.size()) return;
    const std::vector<int32_t>& owned = grid.workerMacroTiles[partition];
    if (owned.empty()) return;

    const uint64_t occupancyStart = rjq::OccupancyEnter();
    const bool stopAfterBinning =
        job.rasterJob.frameOptions != nullptr && job.rasterJob.frameOptions->stopAfterBinning != 0;
    while (grid.workersGo.load(std::memory_order_acquire) == 0) platform::CpuPause();

    // Counted locally and added to the shared record once, so the binning loop touches no shared line.
    BinningStats stats;
    stats.taskLoopInvocations = 1;

    WorkerBinningView view;
    view.size = job.size;
    view.bins = grid.bins.data();
    view.ownedTiles = owned.data();
    view.ownedCount = owned.size();
    view.owner = grid.macroTileOwner.data();
    view.worker = static_cast<uint16_t>(partition);
    view.scissorRects = job.rasterJob.scissorRects;
    view.scissorCount = job.rasterJob.scissorCount;
    EmptyOwnedBins(view);
    const uint32_t triangleCount = grid.workerTriangleCount;
    const SetupTriangle* triangles = grid.setupTriangles.data();
    for (uint32_t t = 0; t < triangleCount; ++t) BinTriangle(triangles[t], t, view, stats);
    stats.trianglesSeen += triangleCount;

    if (!stopAfterBinning) {
        // The release publishes this partition's bins to the workers that take its tiles.
        grid.partitionProgress[partition].binned.store(1, std::memory_order_release);
        RenderPartitionTiles(job, partition);
        const uint32_t partitions = static_cast<uint32_t>(grid.workerMacroTiles.size());
        for (uint32_t k = 1; k < partitions; ++k) {
            const uint32_t other = (partition + k) % partitions;
            if (grid.partitionProgress[other].binned.load(std::memory_order_acquire) != 0)
                RenderPartitionTiles(job, other);
        }
    }
    AddBinningStats(TheBinningStats(partition), stats);
    rjq::OccupancyExit(occupancyStart);
}

void RenderMacroTile(int32_t macroX, int32_t macroY, const FrameJob& job) {
    diag::ProfileScope scope(diag::kScopeRenderMacroTile);
    TileGrid& grid = *job.grid;
    const RasterJob& kernelArgs = job.rasterJob;
    const TileRange micro = MicroTilesOfMacro(macroX, macroY, job.size);
    for (int32_t my = micro.y0; my < micro.y1; ++my) {
        for (int32_t mx = micro.x0; mx < micro.x1; ++mx) {
            diag::ProfileScope tileScope(diag::kScopeRasterizeTile);
            const std::size_t index =
                static_cast<std::size_t>(my) * static_cast<std::size_t>(job.size.microTilesX) + mx;
            const MicroTileBin& bin = grid.bins[index];
            const int32_t x0 = mx * kMicroTileSize;
            const int32_t y0 = my * kMicroTileSize;
            // The grid's tile rectangle, clipped to the Surface (never larger than the grid's).
            const int32_t x1 = x0 + std::clamp(job.clipWidth - x0, 0, kMicroTileSize);
            const int32_t y1 = y0 + std::clamp(job.clipHeight - y0, 0, kMicroTileSize);
            if (x1 <= x0 || y1 <= y0) continue;
            ClearMicroTile(job, x0, y0, x1, y1);
            if (bin.empty() || kernelArgs.kernel == nullptr) continue;
            const int32_t count = static_cast<int32_t>(std::min<std::size_t>(bin.size(), INT32_MAX));
            kernelArgs.kernel(kernelArgs, x0, y0, x1, y1, bin.data(), count, &grid.hiz[index]);
        }
    }
}

}  // namespace mora
