// Binning one triangle into the MicroTile bins a worker owns: bounds, edge rejection, scissor
// rectangles and unbinnable triangles. Many triangles, large ones on the owned-list walk and small
// ones on the bounding-box walk, binned in parallel are checked against a per-tile reference in
// render_frame_test.cpp.
#include <gtest/gtest.h>

#include <limits>
#include <set>
#include <utility>

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
    // A grid of width x height, all owned by worker 0.
    void SizeGrid(int32_t width, int32_t height) {
        ResizeTileGrid(width, height);
        RebuildWorkerTilePartition(1);
    }
};

// Each triangle is binned in both windings, which must give the same bins and rejections. An empty
// tile list checks only the count; unbinnable triangles (count 0) touch no tile and count nothing.
TEST_F(TriangleBinningTest, BoundsAndEdgesPickTheTilesATriangleMeetsInEitherWinding) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const Tiles diagonal = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {0, 1}, {1, 2}, {2, 3}, {1, 0}, {2, 1}, {3, 2}};
    struct Case {
        int32_t width, height;
        float x0, y0, x1, y1, x2, y2;
        size_t count;
        Tiles tiles;
        uint32_t edgeRejected;
    };
    const Case cases[] = {
        {64, 64, 0, 0, 8, 0, 0, 8, 1, {{0, 0}}, 0},
        {64, 64, 0, 0, 32, 32, 32, 31, 10, diagonal, 6},               // thin: rejects tiles on both sides
        {64, 64, 1, 1, 20, 20, 10, 10, 9, {}, 0},                      // zero area: every tile its bounds meet
        {64, 64, -1e30f, -1e30f, 1e30f, -1e30f, 0, 1e30f, 64, {}, 0},  // clamped to the framebuffer
        {64, 64, -10, 0, -1, 5, -3, 30, 0, {}, 0},                     // left of x = 0
        {64, 64, 5, 64, 30, 70, 10, 90, 0, {}, 0},                     // below the framebuffer
        {64, 64, 64, 1, 100, 1, 80, 40, 0, {}, 0},                     // right of it (xmin = width)
        {64, 64, 0, 0, 30, nan, 0, 30, 0, {}, 0},
        {64, 64, -inf, 0, 30, 0, 0, 30, 0, {}, 0},
        // MicroTile column 4 covers pixel column 32 only; a sliver right of it is clamped away.
        {33, 16, 32.2f, 0, 32.8f, 0, 32.5f, 7, 1, {{4, 0}}, 0},
        {33, 16, 33.2f, 0, 33.8f, 0, 33.5f, 7, 0, {}, 0},
    };
    uint32_t index = 0;
    for (const Case& c : cases) {
        SizeGrid(c.width, c.height);
        const SetupTriangle t = MakeTriangle(c.x0, c.y0, c.x1, c.y1, c.x2, c.y2);
        EXPECT_EQ(Bounds(t).binnable, c.count > 0) << index;
        for (const SetupTriangle& wound : {t, MakeTriangle(c.x0, c.y0, c.x2, c.y2, c.x1, c.y1)}) {
            const BinningStats stats = Bin(wound, index);
            const Tiles tiles = TilesHolding(index++);
            EXPECT_EQ(tiles.size(), c.count) << index;
            EXPECT_TRUE(c.tiles.empty() || tiles == c.tiles) << index;
            EXPECT_EQ(stats.microsEdgeRejected, c.edgeRejected) << index;
            const uint32_t work =
                stats.trianglesPickedBboxIter + stats.trianglesPickedOwnedList + stats.microsConsidered;
            EXPECT_TRUE(c.count > 0 || work == 0) << index;
        }
    }
}

// A scissored triangle goes to the MicroTiles its rectangle meets (partly is enough: the kernel
// masks the pixels); a number past the table bins nowhere.
TEST_F(TriangleBinningTest, ScissoredTrianglesBinOnlyWhereTheirRectangleMeetsThem) {
    SizeGrid(64, 64);
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

}  // namespace
}  // namespace mora
