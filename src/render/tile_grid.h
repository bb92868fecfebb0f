// The tile grid: 32x32-pixel MacroTiles of 4x4 MicroTiles of 8x8 pixels, with the frame's
// SetupTriangle array, the per-MicroTile bins and HiZ bounds, and the worker partition arrays.
// Sized by glViewport (through the viewport growth hook), emptied by wglSwapBuffers after present.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <vector>

#include "platform/never_destroyed.h"
#include "raster/setup_triangle.h"

namespace mora {

struct GlContext;

inline constexpr int32_t kMicroTileSize = 8;       // pixels per MicroTile side; the kernels assume 8
inline constexpr int32_t kMacroTileSize = 32;      // pixels per MacroTile side; 4 MicroTiles
inline constexpr int32_t kMicroTilesPerMacro = 4;  // kMacroTileSize / kMicroTileSize
inline constexpr int kMicroTileShift = 3;          // log2(kMicroTileSize): pixel >> shift = tile
inline constexpr int kMacroTileShift = 5;          // log2(kMacroTileSize)
static_assert(kMicroTileSize == 1 << kMicroTileShift && kMacroTileSize == 1 << kMacroTileShift);
static_assert(kMicroTilesPerMacro == 1 << (kMacroTileShift - kMicroTileShift));
inline constexpr std::size_t kMinBinCapacity = 8;  // every bin keeps at least this many slots

// Capacities reserved at every resize so that steady frames never grow these arrays.
inline constexpr std::size_t kReservedSetupTriangles = 65536;  // 8 MiB of 128-byte records
inline constexpr std::size_t kReservedFrameVertices = 65536;
inline constexpr std::size_t kReservedNativePackets = 4096;

// Owner map entry of a MacroTile no partition holds.
inline constexpr uint16_t kNoOwner = 0xFFFF;

// Render progress of one worker partition in the current frame, a cache line of its own: set once
// the partition's bins are final, and the next entry of its MacroTile list to hand out. A worker
// that has rendered its own MacroTiles takes further ones from partitions already binned, so no
// worker idles while another still has tiles; every MacroTile is still rendered exactly once.
struct alignas(64) PartitionProgress {
    std::atomic<uint32_t> binned{0};
    std::atomic<uint32_t> nextTile{0};
};

// A growable list of SetupTriangle indices in ascending (submission) order.
using MicroTileBin = std::vector<uint32_t>;

// The grid's working set. The grid's sizes live in GlContext (framebufferWidth .. macroTilesY);
// this record holds the arrays, which the gl folder cannot name.
struct TileGrid {
    // The frame's screen-space triangles; a triangle is named by its index here. Filled by the
    // emit stage, read by the workers and kernels, emptied (capacity kept) by ResetFrame.
    std::vector<SetupTriangle> setupTriangles;
    // Row-major, microTilesX x microTilesY entries: bin of MicroTile (mx, my) is my * X + mx.
    std::vector<MicroTileBin> bins;
    // Depth bound per MicroTile, same order as the bins; maintained by the kernels.
    std::vector<float> hiz;
    // Number of SetupTriangles the workers bin this frame.
    uint32_t workerTriangleCount = 0;
    // Set (release) by the frame driver once the triangle array is final; workers wait on it.
    std::atomic<uint8_t> workersGo{0};
    // One list of MacroTile indices per worker partition; owner map: one partition per MacroTile.
    std::vector<std::vector<int32_t>> workerMacroTiles;
    std::vector<uint16_t> macroTileOwner;
    // One record per partition (at least workerMacroTiles.size() of them), reset every frame.
    // Replaced whole when it must grow: the atomics cannot be moved.
    std::vector<PartitionProgress> partitionProgress;
};

// The grid's sizes, derived from a framebuffer size.
struct TileGridSize {
    int32_t width = 0;
    int32_t height = 0;
    int32_t microTilesX = 0;
    int32_t microTilesY = 0;
    int32_t macroTilesX = 0;
    int32_t macroTilesY = 0;
};

// A rectangle of tiles: columns [x0, x1), rows [y0, y1).
struct TileRange {
    int32_t x0 = 0;
    int32_t y0 = 0;
    int32_t x1 = 0;
    int32_t y1 = 0;
};

// The end of the tile range (tiles of 1 << shift pixels) covering pixels below `exclusivePixel`,
// in 64 bits: the bound may be near INT32_MAX.
inline int32_t TileEnd(int32_t exclusivePixel, int shift) {
    return static_cast<int32_t>((static_cast<int64_t>(exclusivePixel) + ((int64_t{1} << shift) - 1)) >> shift);
}

// The MicroTiles of MacroTile (macroX, macroY), cut at the grid's last MicroTile row and column.
inline TileRange MicroTilesOfMacro(int32_t macroX, int32_t macroY, const TileGridSize& size) {
    TileRange range;
    range.x0 = macroX * kMicroTilesPerMacro;
    range.y0 = macroY * kMicroTilesPerMacro;
    range.x1 = std::min(size.microTilesX, range.x0 + kMicroTilesPerMacro);
    range.y1 = std::min(size.microTilesY, range.y0 + kMicroTilesPerMacro);
    return range;
}

namespace detail {
extern constinit platform::NeverDestroyed<TileGrid> gTileGrid;
}

// The process-wide grid working set, constant-initialised (empty).
inline TileGrid& TheTileGrid() { return detail::gTileGrid.value; }

// Sizes for a width x height framebuffer; a negative size counts as 0, a size past
// kMaxFramebufferSide as that.
TileGridSize ComputeTileGridSize(int32_t width, int32_t height);
// The sizes stored in the GlContext.
TileGridSize CurrentTileGridSize(const GlContext& gl);

// True when the GlContext's six size fields are those of its framebuffer size and the bins and HiZ
// arrays have one entry per MicroTile of that grid.
bool TileGridConsistent(const GlContext& gl, const TileGrid& grid);

// Sizes the grid for width x height pixels (clamped as ComputeTileGridSize does): stores the sizes in the
// process-wide GlContext, resizes bins (keeping contents, capacity at least 8) and HiZ (all 1.0),
// drops the worker partition, reserves the frame arrays and writes the framebuffer status line.
// Resizing to the current size of a sized, consistent grid does nothing.
void ResizeTileGrid(int32_t width, int32_t height);

// True once the grid has storage (its bins array is not empty).
bool TileGridHasStorage();

// Installs ResizeTileGrid and TileGridHasStorage as the GL layer's tile-grid hooks, through which
// glViewport and the replayed Viewport command apply the grow-only viewport rule. Called at
// library load.
void InstallTileGridHooks();

// Empties the frame's data (SetupTriangles, bins, GL vertex and packet arrays, statistics,
// pending-clear flags, worker count and go flag) keeping every capacity.
void ResetFrame();

}  // namespace mora
