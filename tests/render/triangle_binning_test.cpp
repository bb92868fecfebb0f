// Binning one triangle into the MicroTile bins a worker owns: bounds, edge rejection, scissor
// rectangles and unbinnable triangles. Many triangles, large ones on the owned-list walk and small
// ones on the bounding-box walk, binned in parallel are checked against a per-tile reference in
// render_frame_test.cpp.
#include <gtest/gtest.h>

#include <limits>
#include <set>
#include <utility>
#include <vector>

#include "render/render_test_support.h"
#include "render/tile_grid.h"
#include "render/triangle_binning.h"
#include "render/worker_partition.h"

namespace mora {
namespace {

using test::BinAt;
using test::MakeTriangle;
using test::ViewForWorker;

using Tiles = std::set<std::pair<int32_t, int32_t>>;

// MicroTiles whose bin holds `index`.
Tiles TilesHolding(uint32_t index) {
    Tiles tiles;
    const GlContext& gl = TheGlContext();
    for (int32_t my = 0; my < gl.microTilesY; ++my)
        for (int32_t mx = 0; mx < gl.microTilesX; ++mx)
            for (const uint32_t t : BinAt(mx, my))
                if (t == index) tiles.insert({mx, my});
    return tiles;
}

TriangleBounds Bounds(const SetupTriangle& t) { return ComputeTriangleBounds(t, CurrentTileGridSize(TheGlContext())); }

BinningStats Bin(const SetupTriangle& t, uint32_t index, uint16_t worker = 0) {
    BinningStats stats;
    BinTriangle(t, index, ViewForWorker(worker), stats);
    return stats;
}

class TriangleBinningTest : public test::RenderStateTest {
protected:
    // A grid of width x height dealt to `workers` partitions.
    void SizeGrid(int32_t width, int32_t height, int32_t workers) {
        ResizeTileGrid(width, height);
        RebuildWorkerTilePartition(workers);
    }
};

TEST_F(TriangleBinningTest, EdgesRejectTheTilesATriangleMissesAndBoundsClampToTheFramebuffer) {
    SizeGrid(64, 64, 1);  // 2x2 MacroTiles, all owned by worker 0
    Bin(MakeTriangle(0, 0, 8, 0, 0, 8), 0);
    EXPECT_EQ(TilesHolding(0), (Tiles{{0, 0}}));
    const BinningStats thin = Bin(MakeTriangle(0, 0, 32, 32, 32, 31), 1);  // rejects tiles on both sides
    EXPECT_EQ(TilesHolding(1), (Tiles{{0, 0}, {1, 1}, {2, 2}, {3, 3}, {0, 1}, {1, 2}, {2, 3}, {1, 0}, {2, 1}, {3, 2}}));
    EXPECT_EQ(thin.microsEdgeRejected, 6u);
    const SetupTriangle flat = MakeTriangle(1, 1, 20, 20, 10, 10);  // zero area: every tile its bounds meet
    Bin(flat, 2);
    EXPECT_EQ(TilesHolding(2).size(), 9u);
    EXPECT_FALSE(Bounds(flat).edgesValid);
    Bin(MakeTriangle(-1e30f, -1e30f, 1e30f, -1e30f, 0, 1e30f), 3);
    EXPECT_EQ(TilesHolding(3).size(), 64u);
}

// A scissored triangle goes to the MicroTiles its rectangle meets (partly is enough: the kernel
// masks the pixels); a number past the table bins nowhere.
TEST_F(TriangleBinningTest, ScissoredTrianglesBinOnlyWhereTheirRectangleMeetsThem) {
    SizeGrid(64, 64, 1);
    const ScissorRect rects[2] = {{9, 3, 17, 8}, {40, 40, 40, 60}};
    WorkerBinningView view = ViewForWorker(0);
    view.scissorRects = rects;
    view.scissorCount = 2;
    for (uint32_t i = 0; i < 4; ++i) {
        SetupTriangle t = MakeTriangle(-1e30f, -1e30f, 1e30f, -1e30f, 0, 1e30f);
        t.blendCode = i << kScissorNumberShift;
        BinningStats stats;
        BinTriangle(t, i, view, stats);
    }
    EXPECT_EQ(TilesHolding(0).size(), 64u);
    EXPECT_EQ(TilesHolding(1), (Tiles{{1, 0}, {2, 0}}));
    EXPECT_EQ(TilesHolding(2), Tiles{});  // an empty rectangle
    EXPECT_EQ(TilesHolding(3), Tiles{});
}

TEST_F(TriangleBinningTest, WindingDoesNotChangeTheBins) {
    SizeGrid(64, 64, 1);
    const BinningStats clockwise = Bin(MakeTriangle(3, 5, 50, 12, 20, 61), 0);
    const BinningStats counterClockwise = Bin(MakeTriangle(3, 5, 20, 61, 50, 12), 1);
    EXPECT_EQ(TilesHolding(0), TilesHolding(1));
    EXPECT_FALSE(TilesHolding(0).empty());
    EXPECT_EQ(clockwise.microsEdgeRejected, counterClockwise.microsEdgeRejected);
    EXPECT_GT(clockwise.microsEdgeRejected, 0u);
}

TEST_F(TriangleBinningTest, TrianglesOutsideTheFramebufferOrNotFiniteTouchNothing) {
    SizeGrid(64, 64, 1);
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const SetupTriangle unbinnable[] = {
        MakeTriangle(-10, 0, -1, 5, -3, 30),  // left of x = 0
        MakeTriangle(5, 64, 30, 70, 10, 90),  // below the framebuffer
        MakeTriangle(64, 1, 100, 1, 80, 40),  // right of it (xmin = width)
        MakeTriangle(0, 0, 30, nan, 0, 30),  MakeTriangle(-inf, 0, 30, 0, 0, 30),
    };
    for (uint32_t i = 0; i < std::size(unbinnable); ++i) {
        EXPECT_FALSE(Bounds(unbinnable[i]).binnable) << i;
        const BinningStats stats = Bin(unbinnable[i], i);
        EXPECT_EQ(stats.trianglesPickedBboxIter + stats.trianglesPickedOwnedList + stats.microsConsidered, 0u) << i;
        EXPECT_TRUE(TilesHolding(i).empty()) << i;
    }
}

TEST_F(TriangleBinningTest, PartialRightColumnCoversOnlyItsPixels) {
    SizeGrid(33, 16, 1);  // MicroTile column 4 covers pixel column 32 only
    Bin(MakeTriangle(32.2f, 0.0f, 32.8f, 0.0f, 32.5f, 7.0f), 0);
    EXPECT_EQ(TilesHolding(0), (Tiles{{4, 0}}));
    // A sliver right of the last pixel column is clamped away.
    EXPECT_FALSE(Bounds(MakeTriangle(33.2f, 0.0f, 33.8f, 0.0f, 33.5f, 7.0f)).binnable);
}

}  // namespace
}  // namespace mora
