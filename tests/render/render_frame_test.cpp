// RenderFrame from the pending clears and the frame's setup triangles: clears without a job,
// unusable surfaces, the pipeline cut-off, the partition count, parallel binning against a per-tile
// reference.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "gl/gl_enums.h"
#include "gl/gl_state.h"
#include "render/binning_stats.h"
#include "render/render_frame.h"
#include "render/render_test_support.h"
#include "render/tile_grid.h"
#include "render/triangle_binning.h"
#include "render/worker_partition.h"

namespace mora {
namespace {

using test::MakeTriangle;
using test::TestSurface;

constexpr FrameOptions kFullFrame{0, 1, 5};
constexpr FrameOptions kBinOnly{1, 1, 4};
constexpr uint32_t kColourAndDepth = gle::kColorBufferBit | gle::kDepthBufferBit;

uint64_t SumInvocations() {
    uint64_t sum = 0;
    for (const BinningStats& record : TheBinningStats()) sum += record.taskLoopInvocations;
    return sum;
}

using RenderFrameTest = test::RenderQueueTest;

TEST_F(RenderFrameTest, ClearOnlyFramesFillColourDepthAndHiZWithoutAJob) {
    ResizeTileGrid(40, 20);
    GlContext& gl = TheGlContext();
    ApplyClearColor(gl, 1.0f, 0.0f, 0.0f, 1.0f);
    ApplyClearDepth(gl, 0.25f);
    ApplyClear(gl, kColourAndDepth);
    TestSurface surface(40, 20);
    const uint64_t before = SumInvocations();
    RenderFrame(surface.View(), kFullFrame);
    EXPECT_TRUE(surface.AllPixels(0xFFFF0000u));
    EXPECT_TRUE(surface.PaddingIntact());
    EXPECT_EQ(surface.depth, std::vector<float>(40 * 20, 0.25f));
    EXPECT_EQ(TheTileGrid().hiz, std::vector<float>(5 * 3, 0.25f));
    EXPECT_FALSE(gl.colourClearPending || gl.depthClearPending);
    EXPECT_EQ(SumInvocations(), before);
    EXPECT_TRUE(TheTileGrid().workerMacroTiles.empty());  // no triangles: not even a partition

    // Without a pending clear a frame clears only when asked to, with the current clear colour.
    ApplyClearColor(gl, 0.0f, 0.0f, 1.0f, 1.0f);
    TestSurface fresh(40, 20);
    RenderFrame(fresh.View(), FrameOptions{0, 0, 5});
    EXPECT_EQ(fresh.Pixel(3, 3), 0xABABABABu);
    RenderFrame(fresh.View(), kFullFrame);
    EXPECT_TRUE(fresh.AllPixels(0xFF0000FFu));
    EXPECT_EQ(fresh.depth[0], TestSurface::kUnwrittenDepth);  // no depth clear was pending
    EXPECT_TRUE(fresh.PaddingIntact());
}

TEST_F(RenderFrameTest, UnusableSurfacesDropTheFrameAndItsClears) {
    ResizeTileGrid(16, 8);
    GlContext& gl = TheGlContext();
    TestSurface surface(16, 8);
    std::vector<SurfaceView> unusable(5, surface.View());
    unusable[0].depthBuffer = nullptr;
    unusable[1].colourBase = nullptr;
    unusable[2].width = 0;
    unusable[3].height = -4;
    unusable[4].colourPitch = 16 * 4 - 4;  // rows would overlap
    for (const SurfaceView& view : unusable) {
        EXPECT_FALSE(SurfaceUsable(view));
        ApplyClear(gl, kColourAndDepth);
        TheTileGrid().setupTriangles.push_back(MakeTriangle(0, 0, 16, 0, 0, 8));
        RenderFrame(view, kFullFrame);
        EXPECT_FALSE(gl.colourClearPending || gl.depthClearPending);
        ResetFrame();
    }
    EXPECT_EQ(surface.Pixel(0, 0), 0xABABABABu);
    EXPECT_EQ(surface.depth[0], TestSurface::kUnwrittenDepth);
    EXPECT_TRUE(SurfaceUsable(surface.View()));
}

TEST(FramePartitionCount, FollowsQueueWorkerLimitAndMacroTiles) {
    EXPECT_EQ(FramePartitionCount(7, 0, 300), 7);
    EXPECT_EQ(FramePartitionCount(7, 2, 300), 2);   // a limit not above the pool applies
    EXPECT_EQ(FramePartitionCount(7, 9, 300), 7);   // a limit above it does not
    EXPECT_EQ(FramePartitionCount(7, 0, 1), 1);     // never more partitions than MacroTiles
    EXPECT_EQ(FramePartitionCount(7, 0, 0), 7);     // an empty grid does not cap
    EXPECT_EQ(FramePartitionCount(7, -3, 300), 1);  // out-of-range limits still give at least one
}

TEST_F(RenderFrameTest, CutOffThreePreparesButBinsNothingAndFourBinsWithoutDrawing) {
    ResizeTileGrid(64, 64);
    ApplyClearColor(TheGlContext(), 0.0f, 1.0f, 0.0f, 1.0f);
    TileGrid& grid = TheTileGrid();
    for (const uint32_t stage : {3u, 4u}) {
        SCOPED_TRACE(stage);
        ApplyClear(TheGlContext(), gle::kColorBufferBit);
        grid.setupTriangles = {MakeTriangle(0, 0, 8, 0, 0, 8), MakeTriangle(-5, -5, -1, -5, -5, -1),  // off screen
                               MakeTriangle(0, 0, 64, 0, 0, 64)};
        TestSurface surface(64, 64);
        const uint64_t before = SumInvocations();
        RenderFrame(surface.View(), FrameOptions{1, 1, stage});
        EXPECT_EQ(grid.workerMacroTiles.size(), 1u);  // the partition is built
        EXPECT_TRUE(surface.AllPixels(0xFF00FF00u));  // the clear ran, nothing was drawn over it
        EXPECT_EQ(SumInvocations() - before, stage == 3 ? 0u : 1u);
        EXPECT_EQ(test::BinAt(0, 0), stage == 3 ? MicroTileBin{} : (MicroTileBin{0, 2}));
        EXPECT_EQ(test::BinAt(7, 7), MicroTileBin{});  // beyond the hypotenuse x + y = 64
        ResetFrame();
    }
}

// A Keyframe restore writes the six size fields without the arrays behind them; a bin that
// survives the reconciling resize holds a stale entry from an earlier frame, which the workers
// must drop before binning.
TEST_F(RenderFrameTest, SizeFieldsWrittenWithoutTheArraysAreReconciledBeforeBinning) {
    ResizeTileGrid(64, 64);
    TheTileGrid().bins[0].push_back(77);
    GlContext& gl = TheGlContext();
    SetTileGridSize(gl, 128, 96);
    TheTileGrid().setupTriangles.push_back(MakeTriangle(0, 0, 400, 0, 0, 400));
    TestSurface surface(128, 96);
    RenderFrame(surface.View(), kBinOnly);
    ASSERT_EQ(TheTileGrid().bins.size(), 16u * 12u);
    EXPECT_EQ(test::BinAt(0, 0), MicroTileBin{0});
    EXPECT_EQ(test::BinAt(15, 11), MicroTileBin{0});

    gl.microTilesX = 1000;  // counts that contradict the width
    RenderFrame(surface.View(), kBinOnly);
    EXPECT_EQ(gl.microTilesX, 16);
    EXPECT_TRUE(TileGridConsistent(gl, TheTileGrid()));
}

// Parallel binning over a shuffled 7-way partition gives exactly the bins a per-tile reference
// computes: every micro tile holds, in ascending order, the triangles whose bounds meet it and that
// no edge rejects.
TEST_F(RenderFrameTest, ParallelBinsMatchAPerTileReference) {
    UseWorkers(7);
    ResizeTileGrid(640, 480);
    TileGrid& grid = TheTileGrid();
    std::mt19937 random(1234);
    std::uniform_real_distribution<float> coordinate(-80.0f, 720.0f), offset(-40.0f, 40.0f);
    for (int i = 0; i < 400; ++i) {
        const float x = coordinate(random), y = coordinate(random);
        const bool large = i % 4 == 0;  // some large ones, to take the owned-list path
        const auto next = [&](float base) { return large ? coordinate(random) : base + offset(random); };
        const float x1 = next(x), y1 = next(y), x2 = next(x), y2 = next(y);
        grid.setupTriangles.push_back(MakeTriangle(x, y, x1, y1, x2, y2));
    }
    TestSurface surface(640, 480);
    RenderFrame(surface.View(), kBinOnly);
    ASSERT_EQ(grid.workerMacroTiles.size(), 8u);  // seven workers and the waiting caller

    const TileGridSize size = CurrentTileGridSize(TheGlContext());
    std::vector<TriangleBounds> bounds;
    for (const SetupTriangle& t : grid.setupTriangles) bounds.push_back(ComputeTriangleBounds(t, size));
    std::size_t nonEmpty = 0;
    for (int32_t my = 0; my < size.microTilesY; ++my) {
        for (int32_t mx = 0; mx < size.microTilesX; ++mx) {
            const int32_t px0 = mx * 8, py0 = my * 8;
            const int32_t px1 = std::min(px0 + 8, size.width), py1 = std::min(py0 + 8, size.height);
            MicroTileBin expected;
            for (uint32_t t = 0; t < bounds.size(); ++t) {
                const TriangleBounds& b = bounds[t];
                if (!b.binnable || b.xmax <= px0 || b.xmin >= px1 || b.ymax <= py0 || b.ymin >= py1) continue;
                if (!MicroTileRejected(b, px0, py0, px1, py1)) expected.push_back(t);
            }
            nonEmpty += expected.empty() ? 0 : 1;
            ASSERT_EQ(test::BinAt(mx, my), expected) << "micro tile " << mx << "," << my;
        }
    }
    EXPECT_GT(nonEmpty, 1000u);
}

}  // namespace
}  // namespace mora
