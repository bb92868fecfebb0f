#include "render/triangle_binning.h"

#include <algorithm>
#include <cmath>

#include "gl/growth_rule.h"

namespace mora {

namespace {

// The pixel box and MacroTile range of ComputeTriangleBounds, without the edge functions.
TriangleBounds ComputeTriangleBox(const SetupTriangle& triangle, const TileGridSize& size) {
    TriangleBounds bounds;
    const float x0 = triangle.x0, x1 = triangle.x1, x2 = triangle.x2;
    const float y0 = triangle.y0, y1 = triangle.y1, y2 = triangle.y2;
    if (!std::isfinite(x0) || !std::isfinite(x1) || !std::isfinite(x2) || !std::isfinite(y0) || !std::isfinite(y1) ||
        !std::isfinite(y2)) {
        return bounds;
    }

    // Clamp in double before converting, so that coordinates far outside the i32 range never reach
    // a float-to-integer conversion; inside the framebuffer this is exactly floor/ceil.
    const double xlo = std::max(0.0, std::floor(static_cast<double>(std::min({x0, x1, x2}))));
    const double ylo = std::max(0.0, std::floor(static_cast<double>(std::min({y0, y1, y2}))));
    const double xhi =
        std::min(static_cast<double>(size.width), std::ceil(static_cast<double>(std::max({x0, x1, x2}))));
    const double yhi =
        std::min(static_cast<double>(size.height), std::ceil(static_cast<double>(std::max({y0, y1, y2}))));
    if (xlo >= xhi || ylo >= yhi) return bounds;
    bounds.xmin = static_cast<int32_t>(xlo);
    bounds.ymin = static_cast<int32_t>(ylo);
    bounds.xmax = static_cast<int32_t>(xhi);
    bounds.ymax = static_cast<int32_t>(yhi);
    bounds.macroX0 = bounds.xmin >> kMacroTileShift;
    bounds.macroY0 = bounds.ymin >> kMacroTileShift;
    bounds.macroX1 = std::min(size.macroTilesX, TileEnd(bounds.xmax, kMacroTileShift));
    bounds.macroY1 = std::min(size.macroTilesY, TileEnd(bounds.ymax, kMacroTileShift));
    bounds.macroCount = static_cast<int64_t>(bounds.macroY1 - bounds.macroY0) * (bounds.macroX1 - bounds.macroX0);
    bounds.binnable = bounds.macroX1 > bounds.macroX0 && bounds.macroY1 > bounds.macroY0;
    return bounds;
}

// Narrows a box from ComputeTriangleBox to the triangle's scissor rectangle (none past the view's
// table: the kernel draws nothing of such a triangle).
void ClipToScissor(const SetupTriangle& triangle, const WorkerBinningView& view, TriangleBounds& bounds) {
    const uint32_t number = triangle.blendCode >> kScissorNumberShift;
    if (number == 0 || !bounds.binnable) return;
    if (number > view.scissorCount || view.scissorRects == nullptr) {
        bounds.binnable = false;
        return;
    }
    const ScissorRect& r = view.scissorRects[number - 1];
    bounds.xmin = std::max(bounds.xmin, r.x0);
    bounds.ymin = std::max(bounds.ymin, r.y0);
    bounds.xmax = std::min(bounds.xmax, r.x1);
    bounds.ymax = std::min(bounds.ymax, r.y1);
    if (bounds.xmin >= bounds.xmax || bounds.ymin >= bounds.ymax) {
        bounds.binnable = false;
        return;
    }
    bounds.macroX0 = bounds.xmin >> 5;
    bounds.macroY0 = bounds.ymin >> 5;
    bounds.macroX1 = std::min(view.size.macroTilesX, TileEnd(bounds.xmax, 5));
    bounds.macroY1 = std::min(view.size.macroTilesY, TileEnd(bounds.ymax, 5));
    bounds.macroCount = static_cast<int64_t>(bounds.macroY1 - bounds.macroY0) * (bounds.macroX1 - bounds.macroX0);
    bounds.binnable = bounds.macroX1 > bounds.macroX0 && bounds.macroY1 > bounds.macroY0;
}

// Adds the edge functions to a box from ComputeTriangleBox.
void ComputeTriangleEdges(const SetupTriangle& triangle, TriangleBounds& bounds) {
    const float x0 = triangle.x0, x1 = triangle.x1, x2 = triangle.x2;
    const float y0 = triangle.y0, y1 = triangle.y1, y2 = triangle.y2;
    bounds.a[0] = y0 - y1;
    bounds.b[0] = x1 - x0;
    bounds.c[0] = -(x0 * bounds.a[0] + y0 * bounds.b[0]);
    bounds.a[1] = y1 - y2;
    bounds.b[1] = x2 - x1;
    bounds.c[1] = -(x1 * bounds.a[1] + y1 * bounds.b[1]);
    bounds.a[2] = y2 - y0;
    bounds.b[2] = x0 - x2;
    bounds.c[2] = -(x2 * bounds.a[2] + y2 * bounds.b[2]);
    const float area2 = bounds.a[0] * x2 + bounds.b[0] * y2 + bounds.c[0];
    if (area2 < -kDegenerateArea) {
        for (int i = 0; i < 3; ++i) {
            bounds.a[i] = -bounds.a[i];
            bounds.b[i] = -bounds.b[i];
            bounds.c[i] = -bounds.c[i];
        }
        bounds.edgesValid = true;
    } else {
        bounds.edgesValid = area2 > kDegenerateArea;
    }
}

}  // namespace

TriangleBounds ComputeTriangleBounds(const SetupTriangle& triangle, const TileGridSize& size) {
    TriangleBounds bounds = ComputeTriangleBox(triangle, size);
    if (bounds.xmax > bounds.xmin) ComputeTriangleEdges(triangle, bounds);
    return bounds;
}

void EmptyOwnedBins(const WorkerBinningView& view) {
    const TileGridSize& size = view.size;
    for (std::size_t k = 0; k < view.ownedCount; ++k) {
        const int32_t tile = view.ownedTiles[k];
        const int32_t macroX = tile % size.macroTilesX;
        const int32_t macroY = tile / size.macroTilesX;
        if (macroY >= size.macroTilesY) continue;
        const TileRange micro = MicroTilesOfMacro(macroX, macroY, size);
        for (int32_t my = micro.y0; my < micro.y1; ++my) {
            MicroTileBin* row = view.bins + static_cast<std::size_t>(my) * static_cast<std::size_t>(size.microTilesX);
            for (int32_t mx = micro.x0; mx < micro.x1; ++mx) row[mx].clear();
        }
    }
}

void BinIntoMacroTile(const TriangleBounds& bounds, int32_t macroX, int32_t macroY, uint32_t index,
                      const WorkerBinningView& view, BinningStats& stats) {
    const TileGridSize& size = view.size;
    // The MacroTile's MicroTiles that the triangle's pixel box touches.
    const TileRange micro = MicroTilesOfMacro(macroX, macroY, size);
    const int32_t columnBegin = std::max(bounds.xmin >> kMicroTileShift, micro.x0);
    const int32_t columnEnd = std::min(micro.x1, TileEnd(bounds.xmax, kMicroTileShift));
    const int32_t rowBegin = std::max(bounds.ymin >> kMicroTileShift, micro.y0);
    const int32_t rowEnd = std::min(micro.y1, TileEnd(bounds.ymax, kMicroTileShift));
    for (int32_t my = rowBegin; my < rowEnd; ++my) {
        const int32_t py0 = my * kMicroTileSize;
        const int32_t py1 = py0 + std::min(kMicroTileSize, size.height - py0);
        MicroTileBin* row = view.bins + static_cast<std::size_t>(my) * static_cast<std::size_t>(size.microTilesX);
        for (int32_t mx = columnBegin; mx < columnEnd; ++mx) {
            ++stats.microsConsidered;
            const int32_t px0 = mx * kMicroTileSize;
            const int32_t px1 = px0 + std::min(kMicroTileSize, size.width - px0);
            if (MicroTileRejected(bounds, px0, py0, px1, py1)) {
                ++stats.microsEdgeRejected;
                continue;
            }
            MicroTileBin& bin = row[mx];
            ReserveForAppend(bin, 1);
            bin.push_back(index);
            ++stats.microsAccepted;
        }
    }
}

void BinTriangle(const SetupTriangle& triangle, uint32_t index, const WorkerBinningView& view, BinningStats& stats) {
    // The edge functions are computed once a MacroTile of this worker is met: with several
    // workers, most small triangles lie wholly in other workers' tiles.
    TriangleBounds bounds = ComputeTriangleBox(triangle, view.size);
    ClipToScissor(triangle, view, bounds);
    if (!bounds.binnable) return;
    bool edgesReady = false;
    auto binInto = [&](int32_t macroX, int32_t macroY) {
        if (!edgesReady) {
            ComputeTriangleEdges(triangle, bounds);
            edgesReady = true;
        }
        BinIntoMacroTile(bounds, macroX, macroY, index, view, stats);
    };
    const TileGridSize& size = view.size;

    if (bounds.macroCount >= static_cast<int64_t>(view.ownedCount)) {
        ++stats.trianglesPickedOwnedList;
        for (std::size_t k = 0; k < view.ownedCount; ++k) {
            ++stats.macrosVisitedOwnedIter;
            const int32_t tile = view.ownedTiles[k];
            const int32_t macroX = tile % size.macroTilesX;
            const int32_t macroY = tile / size.macroTilesX;
            if (macroY >= size.macroTilesY) continue;
            const int32_t left = macroX * kMacroTileSize;
            const int32_t top = macroY * kMacroTileSize;
            // min(width, left + 32) written so that it cannot overflow near the i32 limit.
            const int32_t right = left + std::min(kMacroTileSize, size.width - left);
            const int32_t bottom = top + std::min(kMacroTileSize, size.height - top);
            if (bounds.xmax > left && bounds.xmin < right && bounds.ymax > top && bounds.ymin < bottom) {
                binInto(macroX, macroY);
            } else {
                ++stats.macrosSkippedByBbox;
            }
        }
        return;
    }

    ++stats.trianglesPickedBboxIter;
    for (int32_t macroY = bounds.macroY0; macroY < bounds.macroY1; ++macroY) {
        const uint16_t* ownerRow =
            view.owner + static_cast<std::size_t>(macroY) * static_cast<std::size_t>(size.macroTilesX);
        for (int32_t macroX = bounds.macroX0; macroX < bounds.macroX1; ++macroX) {
            ++stats.macrosVisitedBboxIter;
            if (ownerRow[macroX] != view.worker) {
                ++stats.macrosSkippedByOwner;
                continue;
            }
            binInto(macroX, macroY);
        }
    }
}

}  // namespace mora
