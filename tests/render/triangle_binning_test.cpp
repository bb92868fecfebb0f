// Binning one triangle into the MicroTile bins a worker owns: bounds, edge rejection, the choice
// between bounding-box and owned-list walks, their counters, and unbinnable triangles.
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

using TilePos = std::pair<int32_t, int32_t>;
using Tiles = std::set<TilePos>;

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

TriangleBounds Bounds(const SetupTriangle& t) { return ComputeTriangleBounds(t, CurrentTileGridSize(TheGlContext())); }

// xmin, ymin, xmax, ymax, macroX0, macroY0, macroX1, macroY1, macroCount.
std::vector<int64_t> Box(const SetupTriangle& t) {
    const TriangleBounds b = Bounds(t);
    return {b.xmin, b.ymin, b.xmax, b.ymax, b.macroX0, b.macroY0, b.macroX1, b.macroY1, b.macroCount};
}

Counts Bin(const SetupTriangle& t, uint32_t index, uint16_t worker = 0) {
    BinningStats stats;
    BinTriangle(t, index, ViewForWorker(worker), stats);
    return Counters(stats);
}

class TriangleBinningTest : public test::RenderStateTest {
protected:
    // A grid of width x height dealt to `workers` partitions.
    void SizeGrid(int32_t width, int32_t height, int32_t workers) {
        ResizeTileGrid(width, height);
        RebuildWorkerTilePartition(workers);
    }
};

TEST_F(TriangleBinningTest, OneWorkerBinsEachTriangleToTheTilesItsEdgesMeet) {
    SizeGrid(64, 64, 1);  // 2x2 MacroTiles, all owned by worker 0
    const struct {
        const char* name;
        SetupTriangle triangle;
        Counts counts;
        std::size_t tiles;
    } cases[] = {
        // A one-MacroTile triangle takes bounding-box iteration.
        {"corner", MakeTriangle(0, 0, 8, 0, 0, 8), {1, 0, 1, 0, 0, 0, 1, 0, 1}, 1},
        {"thin diagonal rejects both sides", MakeTriangle(0, 0, 32, 32, 32, 31), {1, 0, 1, 0, 0, 0, 16, 6, 10}, 10},
        {"zero area: every tile its bounds meet", MakeTriangle(1, 1, 20, 20, 10, 10), {1, 0, 1, 0, 0, 0, 9, 0, 9}, 9},
        {"huge finite coordinates clamp to the framebuffer",
         MakeTriangle(-1e30f, -1e30f, 1e30f, -1e30f, 0, 1e30f),
         {0, 1, 0, 0, 4, 0, 64, 0, 64},
         64},
    };
    for (uint32_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(Bin(cases[i].triangle, i), cases[i].counts) << cases[i].name;
        EXPECT_EQ(TilesHolding(i).size(), cases[i].tiles) << cases[i].name;
    }
    EXPECT_EQ(TilesHolding(0), (Tiles{{0, 0}}));
    EXPECT_EQ(TilesHolding(1), (Tiles{{0, 0}, {1, 1}, {2, 2}, {3, 3}, {0, 1}, {1, 2}, {2, 3}, {1, 0}, {2, 1}, {3, 2}}));
    EXPECT_EQ(Box(cases[0].triangle), (std::vector<int64_t>{0, 0, 8, 8, 0, 0, 1, 1, 1}));
    EXPECT_EQ(Box(cases[3].triangle), (std::vector<int64_t>{0, 0, 64, 64, 0, 0, 2, 2, 4}));
    EXPECT_TRUE(Bounds(cases[0].triangle).edgesValid && Bounds(cases[0].triangle).binnable);
    EXPECT_FALSE(Bounds(cases[2].triangle).edgesValid);
}

// A scissored triangle goes to the MicroTiles its rectangle meets (partly is enough: the kernel
// masks the pixels); a number past the table bins nowhere.
TEST_F(TriangleBinningTest, ScissoredTrianglesBinOnlyWhereTheirRectangleMeetsThem) {
    SizeGrid(64, 64, 1);
    const ScissorRect rects[2] = {{9, 3, 17, 8}, {40, 40, 40, 60}};
    WorkerBinningView view = ViewForWorker(0);
    view.scissorRects = rects;
    view.scissorCount = 2;
    const uint32_t numbers[4] = {0, 1, 2, 3};
    for (uint32_t i = 0; i < 4; ++i) {
        SetupTriangle t = MakeTriangle(-1e30f, -1e30f, 1e30f, -1e30f, 0, 1e30f);
        t.blendCode = numbers[i] << kScissorNumberShift;
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
    const Counts clockwise = Bin(MakeTriangle(3, 5, 50, 12, 20, 61), 0);
    const Counts counterClockwise = Bin(MakeTriangle(3, 5, 20, 61, 50, 12), 1);
    EXPECT_EQ(TilesHolding(0), TilesHolding(1));
    EXPECT_FALSE(TilesHolding(0).empty());
    EXPECT_EQ(clockwise, counterClockwise);
    EXPECT_GT(clockwise[7], 0u);  // some MicroTiles are edge-rejected
}

TEST_F(TriangleBinningTest, TrianglesOutsideTheFramebufferOrNotFiniteTouchNoCounter) {
    SizeGrid(64, 64, 1);
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const SetupTriangle unbinnable[] = {
        MakeTriangle(-10, 0, -1, 5, -3, 30),  // left of x = 0
        MakeTriangle(5, 64, 30, 70, 10, 90),  // below the framebuffer
        MakeTriangle(64, 1, 100, 1, 80, 40),  // right of it (xmin = width)
        MakeTriangle(-1e30f, -1e30f, -5e29f, -1e30f, -1e30f, -2e30f),
        MakeTriangle(nan, 0, 30, 0, 0, 30),
        MakeTriangle(0, 0, 30, nan, 0, 30),
        MakeTriangle(0, 0, 30, 0, inf, 30),
        MakeTriangle(-inf, 0, 30, 0, 0, 30),
        MakeTriangle(0, 0, 30, 0, 0, -inf),
    };
    for (uint32_t i = 0; i < std::size(unbinnable); ++i) {
        EXPECT_FALSE(Bounds(unbinnable[i]).binnable) << i;
        EXPECT_EQ(Bin(unbinnable[i], i), kNoCounts) << i;
        EXPECT_TRUE(TilesHolding(i).empty()) << i;
    }
}

TEST_F(TriangleBinningTest, LargeTrianglesWalkTheOwnedListSmallOnesTheBoundingBox) {
    SizeGrid(64, 64, 2);  // two workers, two MacroTiles each
    const SetupTriangle big = MakeTriangle(0, 0, 128, 0, 0, 128);
    const SetupTriangle small = MakeTriangle(40, 40, 60, 40, 40, 60);  // inside MacroTile (1, 1)
    const uint16_t smallOwner = TheTileGrid().macroTileOwner[3];
    for (uint16_t w = 0; w < 2; ++w) {
        EXPECT_EQ(Bin(big, 0, w), (Counts{0, 1, 0, 0, 2, 0, 32, 0, 32})) << w;
        EXPECT_EQ(Bin(small, 1, w),
                  w == smallOwner ? (Counts{1, 0, 1, 0, 0, 0, 9, 3, 6}) : (Counts{1, 0, 1, 1, 0, 0, 0, 0, 0}))
            << w;
    }
    EXPECT_EQ(TilesHolding(0).size(), 64u);  // both workers together cover the grid once
    EXPECT_EQ(TilesHolding(1), (Tiles{{5, 5}, {6, 5}, {7, 5}, {5, 6}, {6, 6}, {5, 7}}));
}

TEST_F(TriangleBinningTest, OwnedListCountsMacroTilesOutsideTheBoundingBox) {
    SizeGrid(128, 32, 1);                                         // 4 MacroTiles in one row, one worker owns all
    const SetupTriangle wide = MakeTriangle(0, 0, 90, 0, 0, 30);  // MacroTiles 0..2: count 3 < 4
    const Counts alone = Bin(wide, 0);
    EXPECT_EQ(alone[0], 1u);  // picked by bounding box
    EXPECT_EQ(alone[2], 3u);  // MacroTiles visited by box

    SizeGrid(128, 32, 2);  // two MacroTiles each: count 3 >= 2 takes the owned list
    uint64_t visited = 0, skipped = 0;
    for (uint16_t w = 0; w < 2; ++w) {
        const Counts c = Bin(wide, 0, w);
        EXPECT_EQ(c[1], 1u) << w;  // picked by owned list
        visited += c[4];
        skipped += c[5];
    }
    EXPECT_EQ(visited, 4u);
    EXPECT_EQ(skipped, 1u);  // MacroTile 3 lies right of x = 90
}

TEST_F(TriangleBinningTest, PartialRightColumnCoversOnlyItsPixels) {
    SizeGrid(33, 16, 1);  // MicroTile column 4 covers pixel column 32 only
    const SetupTriangle sliver = MakeTriangle(32.2f, 0.0f, 32.8f, 0.0f, 32.5f, 7.0f);
    EXPECT_EQ(Box(sliver), (std::vector<int64_t>{32, 0, 33, 7, 1, 0, 2, 1, 1}));
    Bin(sliver, 0);
    EXPECT_EQ(TilesHolding(0), (Tiles{{4, 0}}));
    // A sliver right of the last pixel column is clamped away.
    EXPECT_EQ(Bin(MakeTriangle(33.2f, 0.0f, 33.8f, 0.0f, 33.5f, 7.0f), 1), kNoCounts);
}

}  // namespace
}  // namespace mora
