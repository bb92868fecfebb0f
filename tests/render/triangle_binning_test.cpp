#include <gtest/gtest.h>

#include <cmath>
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

using TilePos = std::pair<int32_t, int32_t>;

// MicroTiles whose bin holds `index`.
std::set<TilePos> TilesHolding(uint32_t index) {
    std::set<TilePos> tiles;
    const GlContext& gl = TheGlContext();
    for (int32_t my = 0; my < gl.microTilesY; ++my) {
        for (int32_t mx = 0; mx < gl.microTilesX; ++mx) {
            for (const uint32_t t : BinAt(mx, my)) {
                if (t == index) tiles.insert({mx, my});
            }
        }
    }
    return tiles;
}

// The per-triangle counters in declaration order: picked by bounding box, picked by owned list,
// MacroTiles visited by box / skipped by owner / visited owned / skipped by box, MicroTiles
// considered / edge-rejected / accepted.
using Counts = std::vector<uint64_t>;
Counts Counters(const BinningStats& s) {
    return {s.trianglesPickedBboxIter, s.trianglesPickedOwnedList, s.macrosVisitedBboxIter,
            s.macrosSkippedByOwner,    s.macrosVisitedOwnedIter,   s.macrosSkippedByBbox,
            s.microsConsidered,        s.microsEdgeRejected,       s.microsAccepted};
}
const Counts kNoCounts(9, 0);

// xmin, ymin, xmax, ymax, macroX0, macroY0, macroX1, macroY1, macroCount.
std::vector<int64_t> Box(const SetupTriangle& t) {
    const TriangleBounds b = ComputeTriangleBounds(t, CurrentTileGridSize(TheGlContext()));
    return {b.xmin, b.ymin, b.xmax, b.ymax, b.macroX0, b.macroY0, b.macroX1, b.macroY1, b.macroCount};
}

class TriangleBinningTest : public test::RenderStateTest {
protected:
    // A 64x64 grid (2x2 MacroTiles) dealt to `workers` partitions.
    void SizeGrid(int32_t width, int32_t height, int32_t workers) {
        ResizeTileGrid(width, height);
        RebuildWorkerTilePartition(workers);
    }
};

TEST_F(TriangleBinningTest, CornerTriangleFillsExactlyOneMicroTile) {
    SizeGrid(64, 64, 1);
    const SetupTriangle tri = MakeTriangle(0, 0, 8, 0, 0, 8);
    const TriangleBounds bounds = ComputeTriangleBounds(tri, CurrentTileGridSize(TheGlContext()));
    EXPECT_EQ(Box(tri), (std::vector<int64_t>{0, 0, 8, 8, 0, 0, 1, 1, 1}));
    EXPECT_TRUE(bounds.edgesValid && bounds.binnable);

    BinningStats stats;
    BinTriangle(tri, 0, ViewForWorker(0), stats);
    // One worker owns all four MacroTiles; a one-MacroTile triangle takes bounding-box iteration.
    EXPECT_EQ(Counters(stats), (Counts{1, 0, 1, 0, 0, 0, 1, 0, 1}));
    EXPECT_EQ(TilesHolding(0), (std::set<TilePos>{{0, 0}}));
}

TEST_F(TriangleBinningTest, ThinDiagonalTriangleRejectsBothSides) {
    SizeGrid(64, 64, 1);
    BinningStats stats;
    BinTriangle(MakeTriangle(0, 0, 32, 32, 32, 31), 0, ViewForWorker(0), stats);
    EXPECT_EQ(Counters(stats), (Counts{1, 0, 1, 0, 0, 0, 16, 6, 10}));
    const std::set<TilePos> expected{{0, 0}, {1, 1}, {2, 2}, {3, 3}, {0, 1}, {1, 2},
                                     {2, 3}, {1, 0}, {2, 1}, {3, 2}};
    EXPECT_EQ(TilesHolding(0), expected);
}

TEST_F(TriangleBinningTest, WindingDoesNotChangeTheBins) {
    SizeGrid(64, 64, 1);
    BinningStats clockwise;
    BinningStats counterClockwise;
    BinTriangle(MakeTriangle(3, 5, 50, 12, 20, 61), 0, ViewForWorker(0), clockwise);
    BinTriangle(MakeTriangle(3, 5, 20, 61, 50, 12), 1, ViewForWorker(0), counterClockwise);
    EXPECT_EQ(TilesHolding(0), TilesHolding(1));
    EXPECT_FALSE(TilesHolding(0).empty());
    EXPECT_EQ(clockwise.microsEdgeRejected, counterClockwise.microsEdgeRejected);
    EXPECT_GT(clockwise.microsEdgeRejected, 0u);
}

TEST_F(TriangleBinningTest, ZeroAreaTriangleIsBinnedToEveryTileItsBoundsMeet) {
    SizeGrid(64, 64, 1);
    const SetupTriangle tri = MakeTriangle(1, 1, 20, 20, 10, 10);
    EXPECT_FALSE(ComputeTriangleBounds(tri, CurrentTileGridSize(TheGlContext())).edgesValid);
    BinningStats stats;
    BinTriangle(tri, 0, ViewForWorker(0), stats);
    EXPECT_EQ(Counters(stats), (Counts{1, 0, 1, 0, 0, 0, 9, 0, 9}));
}

TEST_F(TriangleBinningTest, TrianglesOutsideTheFramebufferOrNotFiniteTouchNoCounter) {
    SizeGrid(64, 64, 1);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::vector<SetupTriangle> unbinnable = {
        MakeTriangle(-10, 0, -1, 5, -3, 30),       // left of x = 0
        MakeTriangle(5, 64, 30, 70, 10, 90),       // below the framebuffer
        MakeTriangle(64, 1, 100, 1, 80, 40),       // right of it (xmin = width)
        MakeTriangle(-1e30f, -1e30f, -5e29f, -1e30f, -1e30f, -2e30f),
        MakeTriangle(nan, 0, 30, 0, 0, 30),
        MakeTriangle(0, 0, 30, nan, 0, 30),
        MakeTriangle(0, 0, 30, 0, inf, 30),
        MakeTriangle(-inf, 0, 30, 0, 0, 30),
        MakeTriangle(0, 0, 30, 0, 0, -inf),
    };
    for (uint32_t i = 0; i < unbinnable.size(); ++i) {
        BinningStats stats;
        EXPECT_FALSE(ComputeTriangleBounds(unbinnable[i], CurrentTileGridSize(TheGlContext())).binnable) << i;
        BinTriangle(unbinnable[i], i, ViewForWorker(0), stats);
        EXPECT_EQ(Counters(stats), kNoCounts) << i;
        EXPECT_TRUE(TilesHolding(i).empty()) << i;
    }
}

TEST_F(TriangleBinningTest, HugeFiniteCoordinatesAreClampedToTheFramebuffer) {
    SizeGrid(64, 64, 1);
    const SetupTriangle tri = MakeTriangle(-1e30f, -1e30f, 1e30f, -1e30f, 0, 1e30f);
    EXPECT_EQ(Box(tri), (std::vector<int64_t>{0, 0, 64, 64, 0, 0, 2, 2, 4}));
    BinningStats stats;
    BinTriangle(tri, 0, ViewForWorker(0), stats);
    EXPECT_EQ(Counters(stats), (Counts{0, 1, 0, 0, 4, 0, 64, 0, 64}));
}

TEST_F(TriangleBinningTest, LargeTrianglesWalkTheOwnedListSmallOnesTheBoundingBox) {
    SizeGrid(64, 64, 2);  // two workers, two MacroTiles each
    const TileGrid& grid = TheTileGrid();
    const SetupTriangle big = MakeTriangle(0, 0, 128, 0, 0, 128);
    const SetupTriangle small = MakeTriangle(40, 40, 60, 40, 40, 60);  // inside MacroTile (1, 1)
    const uint16_t smallOwner = grid.macroTileOwner[3];
    for (uint16_t w = 0; w < 2; ++w) {
        BinningStats stats;
        BinTriangle(big, 0, ViewForWorker(w), stats);
        EXPECT_EQ(Counters(stats), (Counts{0, 1, 0, 0, 2, 0, 32, 0, 32})) << w;

        BinningStats smallStats;
        BinTriangle(small, 1, ViewForWorker(w), smallStats);
        EXPECT_EQ(Counters(smallStats),
                  w == smallOwner ? (Counts{1, 0, 1, 0, 0, 0, 9, 3, 6}) : (Counts{1, 0, 1, 1, 0, 0, 0, 0, 0}))
            << w;
    }
    EXPECT_EQ(TilesHolding(0).size(), 64u);  // both workers together cover the grid once
    EXPECT_EQ(TilesHolding(1), (std::set<TilePos>{{5, 5}, {6, 5}, {7, 5}, {5, 6}, {6, 6}, {5, 7}}));
}

TEST_F(TriangleBinningTest, OwnedListCountsMacroTilesOutsideTheBoundingBox) {
    SizeGrid(128, 32, 1);  // 4 MacroTiles in one row, one worker owns all
    const SetupTriangle wide = MakeTriangle(0, 0, 90, 0, 0, 30);  // MacroTiles 0..2: count 3 < 4
    BinningStats stats;
    BinTriangle(wide, 0, ViewForWorker(0), stats);
    EXPECT_EQ(stats.trianglesPickedBboxIter, 1u);
    EXPECT_EQ(stats.macrosVisitedBboxIter, 3u);

    SizeGrid(128, 32, 2);  // two MacroTiles each: count 3 >= 2 takes the owned list
    uint64_t skipped = 0;
    uint64_t visited = 0;
    for (uint16_t w = 0; w < 2; ++w) {
        BinningStats s;
        BinTriangle(wide, 0, ViewForWorker(w), s);
        EXPECT_EQ(s.trianglesPickedOwnedList, 1u);
        skipped += s.macrosSkippedByBbox;
        visited += s.macrosVisitedOwnedIter;
    }
    EXPECT_EQ(visited, 4u);
    EXPECT_EQ(skipped, 1u);  // MacroTile 3 lies right of x = 90
}

TEST_F(TriangleBinningTest, BinsKeepSubmissionOrderAndGrowByHalf) {
    SizeGrid(64, 64, 1);
    const WorkerBinningView view = ViewForWorker(0);
    const MicroTileBin& bin = BinAt(1, 1);
    ASSERT_EQ(bin.capacity(), kMinBinCapacity);
    BinningStats stats;
    for (uint32_t t = 0; t < 13; ++t) BinTriangle(MakeTriangle(9, 9, 14, 9, 9, 14), t, view, stats);
    ASSERT_EQ(bin.size(), 13u);
    for (uint32_t t = 0; t < 13; ++t) EXPECT_EQ(bin[t], t);
    EXPECT_EQ(bin.capacity(), 18u);  // 8 -> 12 -> 18
    EXPECT_EQ(stats.microsAccepted, 13u);
}

TEST_F(TriangleBinningTest, PartialRightColumnCoversOnlyItsPixels) {
    SizeGrid(33, 16, 1);  // MicroTile column 4 covers pixel column 32 only
    const SetupTriangle sliver = MakeTriangle(32.2f, 0.0f, 32.8f, 0.0f, 32.5f, 7.0f);
    EXPECT_EQ(Box(sliver), (std::vector<int64_t>{32, 0, 33, 7, 1, 0, 2, 1, 1}));
    BinningStats stats;
    BinTriangle(sliver, 0, ViewForWorker(0), stats);
    EXPECT_EQ(TilesHolding(0), (std::set<TilePos>{{4, 0}}));

    // A sliver right of the last pixel column is clamped away.
    BinningStats outside;
    BinTriangle(MakeTriangle(33.2f, 0.0f, 33.8f, 0.0f, 33.5f, 7.0f), 1, ViewForWorker(0), outside);
    EXPECT_EQ(Counters(outside), kNoCounts);
}

}  // namespace
}  // namespace mora
