// Worker-side triangle binning: each render worker walks every SetupTriangle of the frame and appends
// its index to the bins of the MicroTiles it may cover, but only inside the MacroTiles that worker
// owns. Called by the worker loop of the frame renderer; no locks, one writer per bin.
#pragma once

#include <cstddef>
#include <cstdint>

#include "raster/setup_triangle.h"
#include "render/binning_stats.h"
#include "render/tile_grid.h"

namespace mora {

// A SetupTriangle's pixel bounds clamped to the framebuffer, its MacroTile range and its three edge
// functions e_i(x, y) = a_i x + b_i y + c_i, oriented so that the inside has e_i >= 0.
struct TriangleBounds {
    int32_t xmin = 0, ymin = 0;  // inclusive
    int32_t xmax = 0, ymax = 0;  // exclusive
    int32_t macroX0 = 0, macroY0 = 0;
    int32_t macroX1 = 0, macroY1 = 0;  // exclusive
    int64_t macroCount = 0;
    float a[3] = {};
    float b[3] = {};
    float c[3] = {};
    bool edgesValid = false;  // the triangle has a non-degenerate area
    bool binnable = false;    // its bounds meet at least one MacroTile
};

// Doubled areas within this of zero count as degenerate: no edge rejects such a triangle.
inline constexpr float kDegenerateArea = 0.0001f;

// Bounds and edges of `triangle` in a grid of `size`. A triangle with a NaN or infinite window
// coordinate is not binnable.
TriangleBounds ComputeTriangleBounds(const SetupTriangle& triangle, const TileGridSize& size);

// True when an edge puts the whole pixel rectangle [px0, px1) x [py0, py1) outside the triangle.
inline bool MicroTileRejected(const TriangleBounds& bounds, int32_t px0, int32_t py0, int32_t px1, int32_t py1) {
    if (!bounds.edgesValid) return false;
    for (int i = 0; i < 3; ++i) {
        // The corner where e_i is largest; the exclusive corner coordinates are used.
        const float x = static_cast<float>(bounds.a[i] >= 0.0f ? px1 : px0);
        const float y = static_cast<float>(bounds.b[i] >= 0.0f ? py1 : py0);
        if (bounds.a[i] * x + bounds.b[i] * y + bounds.c[i] < 0.0f) return true;
    }
    return false;
}

// What one worker bins into: the grid, its bins, its owned MacroTile list and the owner map.
struct WorkerBinningView {
    TileGridSize size;
    MicroTileBin* bins = nullptr;         // microTilesX x microTilesY
    const int32_t* ownedTiles = nullptr;  // the worker's MacroTile indices
    std::size_t ownedCount = 0;
    const uint16_t* owner = nullptr;  // macroTilesX x macroTilesY
    uint16_t worker = 0;
    const ScissorRect* scissorRects = nullptr;  // the frame's, numbered from 1 in the blend word
    uint32_t scissorCount = 0;
};

// Empties the bins of every MicroTile inside the view's owned MacroTiles (capacities stay).
void EmptyOwnedBins(const WorkerBinningView& view);

// Appends `index` to the bins of the MicroTiles of MacroTile (macroX, macroY) that the triangle's
// bounds meet and no edge rejects.
void BinIntoMacroTile(const TriangleBounds& bounds, int32_t macroX, int32_t macroY, uint32_t index,
                      const WorkerBinningView& view, BinningStats& stats);

// Bins triangle `index` for the view's worker, by owned-list iteration when its MacroTile count is
// at least the worker's share, else by iteration over its bounding box; a scissored triangle only
// into the MicroTiles its rectangle meets.
void BinTriangle(const SetupTriangle& triangle, uint32_t index, const WorkerBinningView& view, BinningStats& stats);

}  // namespace mora
