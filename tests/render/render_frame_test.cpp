#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "gl/gl_enums.h"
#include "gl/gl_state.h"
#include "platform/topology.h"
#include "render/binning_stats.h"
#include "render/render_frame.h"
#include "render/render_test_support.h"
#include "render/tile_grid.h"
#include "render/triangle_binning.h"
#include "render/worker_partition.h"
#include "rjq/render_job_queue.h"

namespace mora {
namespace {

using test::MakeTriangle;

constexpr uint8_t kCanary = 0xAB;

// Colour memory with padded rows (pitch > width x 4) and a depth buffer, as a mapped staging
// texture and the Surface's heap depth buffer would be.
struct TestSurface {
    TestSurface(int32_t w, int32_t h, int32_t padBytes = 24)
        : width(w), height(h), pitch(w * 4 + padBytes),
          colour(static_cast<std::size_t>(pitch) * static_cast<std::size_t>(h), kCanary),
          depth(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), -7.0f) {}

    SurfaceView View() {
        SurfaceView view;
        view.colourBase = colour.data();
        view.colourPitch = pitch;
        view.width = width;
        view.height = height;
        view.depthBuffer = depth.data();
        return view;
    }
    uint32_t Pixel(int32_t x, int32_t y) const {
        uint32_t value;
        std::memcpy(&value, colour.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(pitch) + 4u * static_cast<std::size_t>(x), 4);
        return value;
    }
    bool PaddingIntact() const {
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t b = width * 4; b < pitch; ++b) {
                if (colour[static_cast<std::size_t>(y) * static_cast<std::size_t>(pitch) + static_cast<std::size_t>(b)] != kCanary) return false;
            }
        }
        return true;
    }
    bool AllPixels(uint32_t value) const {
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) if (Pixel(x, y) != value) return false;
        }
        return true;
    }

    int32_t width, height, pitch;
    std::vector<uint8_t> colour;
    std::vector<float> depth;
};

FrameOptions FullFrame() { return FrameOptions{0, 1, 5}; }

uint64_t SumInvocations(std::size_t first, std::size_t last) {
    uint64_t sum = 0;
    for (std::size_t i = first; i <= last; ++i) sum += BinningStatsRecords()[i].taskLoopInvocations;
    return sum;
}

using RenderFrameTest = test::RenderQueueTest;

TEST_F(RenderFrameTest, ClearOnlyFrameFillsColourDepthAndHiZWithoutAJob) {
    ResizeTileGrid(40, 20);
    GlContext& gl = TheGlContext();
    ApplyClearColor(gl, 1.0f, 0.0f, 0.0f, 1.0f);
    ApplyClearDepth(gl, 0.25f);
    ApplyClear(gl, gle::kColorBufferBit | gle::kDepthBufferBit);
    TestSurface surface(40, 20);
    const uint64_t before = SumInvocations(0, kBinningStatsRecords - 1);

    RenderFrame(surface.View(), FullFrame());
    EXPECT_TRUE(surface.AllPixels(0xFFFF0000u));
    EXPECT_TRUE(surface.PaddingIntact());
    for (const float d : surface.depth) ASSERT_EQ(d, 0.25f);
    for (const float z : TheTileGrid().hiz) ASSERT_EQ(z, 0.25f);
    EXPECT_FALSE(gl.colourClearPending);
    EXPECT_FALSE(gl.depthClearPending);
    EXPECT_EQ(SumInvocations(0, kBinningStatsRecords - 1), before);
    EXPECT_TRUE(TheTileGrid().workerMacroTiles.empty());  // no triangles: not even a partition
}

TEST_F(RenderFrameTest, EmptyFrameClearsToTheCurrentClearColourOnlyWhenAsked) {
    ResizeTileGrid(16, 8);
    GlContext& gl = TheGlContext();
    ApplyClearColor(gl, 0.0f, 0.0f, 1.0f, 1.0f);
    TestSurface surface(16, 8);
    RenderFrame(surface.View(), FrameOptions{0, 0, 5});
    EXPECT_EQ(surface.Pixel(3, 3), 0xABABABABu);
    RenderFrame(surface.View(), FullFrame());
    EXPECT_TRUE(surface.AllPixels(0xFF0000FFu));
    EXPECT_EQ(surface.depth[0], -7.0f);  // no depth clear was pending
    EXPECT_TRUE(surface.PaddingIntact());
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
        ApplyClear(gl, gle::kColorBufferBit | gle::kDepthBufferBit);
        TheTileGrid().setupTriangles.push_back(MakeTriangle(0, 0, 16, 0, 0, 8));
        RenderFrame(view, FullFrame());
        EXPECT_FALSE(gl.colourClearPending);
        EXPECT_FALSE(gl.depthClearPending);
        ResetFrame();
    }
    EXPECT_EQ(surface.Pixel(0, 0), 0xABABABABu);
    EXPECT_EQ(surface.depth[0], -7.0f);
    EXPECT_TRUE(SurfaceUsable(surface.View()));
}

TEST(FramePartitionCount, FollowsQueueWorkerLimitAndMacroTiles) {
    EXPECT_EQ(FramePartitionCount(7, 0, 300), 7);
    EXPECT_EQ(FramePartitionCount(7, 2, 300), 2);   // a limit not above the pool applies
    EXPECT_EQ(FramePartitionCount(7, 9, 300), 7);   // a limit above it does not
    EXPECT_EQ(FramePartitionCount(7, 0, 1), 1);     // never more partitions than MacroTiles
    EXPECT_EQ(FramePartitionCount(1, 0, 300), 1);   // no queue
    EXPECT_EQ(FramePartitionCount(7, 0, 0), 7);     // an empty grid does not cap
    EXPECT_EQ(FramePartitionCount(7, -3, 300), 1);  // out-of-range limits still give at least one
}

TEST_F(RenderFrameTest, WorkerLimitTwoOnSevenWorkersRunsTwoPartitions) {
    UseWorkers(7);
    SetSettingValue(Settings().WorkerLimit, 2);
    ResizeTileGrid(256, 128);
    TheTileGrid().setupTriangles.push_back(MakeTriangle(0, 0, 512, 0, 0, 512));
    TestSurface surface(256, 128);
    const uint64_t firstTwo = SumInvocations(0, 1);
    const uint64_t others = SumInvocations(2, 6);
    RenderFrame(surface.View(), FrameOptions{1, 1, 4});
    EXPECT_EQ(TheTileGrid().workerMacroTiles.size(), 2u);
    EXPECT_EQ(SumInvocations(0, 1), firstTwo + 2);
    EXPECT_EQ(SumInvocations(2, 6), others);
    for (const MicroTileBin& bin : TheTileGrid().bins) ASSERT_EQ(bin, MicroTileBin{0});
}

TEST_F(RenderFrameTest, CutOffThreePreparesButBinsNothing) {
    ResizeTileGrid(64, 64);
    GlContext& gl = TheGlContext();
    ApplyClear(gl, gle::kColorBufferBit);
    TheTileGrid().setupTriangles.push_back(MakeTriangle(0, 0, 64, 0, 0, 64));
    TestSurface surface(64, 64);
    const uint64_t before = SumInvocations(0, 0);
    RenderFrame(surface.View(), FrameOptions{0, 1, 3});
    EXPECT_EQ(SumInvocations(0, 0), before);
    EXPECT_EQ(TheTileGrid().workerMacroTiles.size(), 1u);  // the partition is built
    for (const MicroTileBin& bin : TheTileGrid().bins) EXPECT_TRUE(bin.empty());
    EXPECT_TRUE(surface.AllPixels(0xFF000000u));  // the clear ran
}

TEST_F(RenderFrameTest, CutOffFourBinsEveryTriangleAndCountsIt) {
    ResizeTileGrid(64, 64);
    ApplyClearColor(TheGlContext(), 0.0f, 1.0f, 0.0f, 1.0f);
    ApplyClear(TheGlContext(), gle::kColorBufferBit);
    TileGrid& grid = TheTileGrid();
    grid.setupTriangles.push_back(MakeTriangle(0, 0, 8, 0, 0, 8));
    grid.setupTriangles.push_back(MakeTriangle(-5, -5, -1, -5, -5, -1));  // off screen
    grid.setupTriangles.push_back(MakeTriangle(0, 0, 64, 0, 0, 64));
    TestSurface surface(64, 64);
    const BinningStats before = BinningStatsRecords()[0];
    RenderFrame(surface.View(), FrameOptions{1, 1, 4});
    const BinningStats& after = BinningStatsRecords()[0];
    EXPECT_EQ(after.taskLoopInvocations - before.taskLoopInvocations, 1u);
    EXPECT_EQ(after.trianglesSeen - before.trianglesSeen, 3u);
    EXPECT_EQ(after.trianglesPickedBboxIter - before.trianglesPickedBboxIter, 1u);
    EXPECT_EQ(after.trianglesPickedOwnedList - before.trianglesPickedOwnedList, 1u);
    // The big triangle's hypotenuse x + y = 64 rejects the 21 MicroTiles with 8 (mx + my) > 64.
    EXPECT_EQ(after.microsAccepted - before.microsAccepted, 1u + 43u);
    EXPECT_EQ(after.microsEdgeRejected - before.microsEdgeRejected, 21u);
    EXPECT_EQ(test::BinAt(0, 0), (MicroTileBin{0, 2}));
    EXPECT_EQ(test::BinAt(7, 0), (MicroTileBin{2}));
    EXPECT_TRUE(surface.AllPixels(0xFF00FF00u));  // nothing drawn over the clear
}

// A stale bin from an earlier frame must not survive into the next frame's binning.
TEST_F(RenderFrameTest, WorkersEmptyTheirBinsBeforeBinning) {
    ResizeTileGrid(32, 32);
    TheTileGrid().bins[0].push_back(77);
    TheTileGrid().setupTriangles.push_back(MakeTriangle(0, 0, 8, 0, 0, 8));
    TestSurface surface(32, 32);
    RenderFrame(surface.View(), FrameOptions{1, 1, 4});
    EXPECT_EQ(test::BinAt(0, 0), MicroTileBin{0});
}

// A Keyframe restore writes the six size fields without the arrays behind them.
TEST_F(RenderFrameTest, SizeFieldsWrittenWithoutTheArraysAreReconciledBeforeBinning) {
    ResizeTileGrid(64, 64);
    GlContext& gl = TheGlContext();
    SetTileGridSize(gl, 128, 96);
    TheTileGrid().setupTriangles.push_back(MakeTriangle(0, 0, 400, 0, 0, 400));
    TestSurface surface(128, 96);
    RenderFrame(surface.View(), FrameOptions{1, 1, 4});
    ASSERT_EQ(TheTileGrid().bins.size(), 16u * 12u);
    EXPECT_EQ(test::BinAt(15, 11), MicroTileBin{0});

    gl.microTilesX = 1000;  // counts that contradict the width
    RenderFrame(surface.View(), FrameOptions{1, 1, 4});
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
    std::uniform_real_distribution<float> coordinate(-80.0f, 720.0f);
    std::uniform_real_distribution<float> offset(-40.0f, 40.0f);
    for (int i = 0; i < 400; ++i) {
        const float x = coordinate(random);
        const float y = coordinate(random);
        if (i % 4 == 0) {  // some large ones, to take the owned-list path
            grid.setupTriangles.push_back(
                MakeTriangle(x, y, coordinate(random), coordinate(random), coordinate(random), coordinate(random)));
        } else {
            grid.setupTriangles.push_back(MakeTriangle(x, y, x + offset(random), y + offset(random), x + offset(random),
                                                       y + offset(random)));
        }
    }
    TestSurface surface(640, 480);
    RenderFrame(surface.View(), FrameOptions{1, 1, 4});
    ASSERT_EQ(grid.workerMacroTiles.size(), 7u);

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

// Frames drawn by the selected kernel.

TEST_F(RenderFrameTest, FullFrameDrawsOverTheLaterClearAndCutOffFourDrawsNothing) {
    ResizeTileGrid(64, 64);
    GlContext& gl = TheGlContext();
    SetupTriangle half = MakeTriangle(0, 0, 64, 0, 64, 64);  // above the diagonal y = x
    half.colour0 = half.colour1 = half.colour2 = 0xFF102030u;
    for (const uint32_t stage : {4u, 5u}) {
        ApplyClearColor(gl, 0.0f, 1.0f, 0.0f, 1.0f);
        ApplyClear(gl, gle::kColorBufferBit);
        ApplyClearColor(gl, 0.0f, 0.0f, 1.0f, 1.0f);
        ApplyClear(gl, gle::kColorBufferBit);  // the later clear's colour is the one written
        ApplyClearColor(gl, 1.0f, 0.0f, 0.0f, 1.0f);  // after the clear: not used this frame
        TheTileGrid().setupTriangles.push_back(half);
        TestSurface surface(64, 64);
        RenderFrame(surface.View(), FrameOptions{stage == 4 ? uint8_t{1} : uint8_t{0}, 1, stage});
        ResetFrame();
        EXPECT_EQ(surface.Pixel(0, 63), 0xFF0000FFu) << stage;  // below the diagonal: the clear
        EXPECT_EQ(surface.Pixel(60, 2), stage == 5 ? 0xFF102030u : 0xFF0000FFu) << stage;
        EXPECT_EQ(surface.Pixel(33, 10), stage == 5 ? 0xFF102030u : 0xFF0000FFu) << stage;
        EXPECT_TRUE(surface.PaddingIntact());
    }
}

TEST_F(RenderFrameTest, ASurfaceSmallerThanTheGridIsNeverWrittenOutside) {
    UseWorkers(3);
    ResizeTileGrid(128, 96);
    GlContext& gl = TheGlContext();
    ApplyClearDepth(gl, 1.0f);
    ApplyClear(gl, gle::kColorBufferBit | gle::kDepthBufferBit);
    SetupTriangle cover = MakeTriangle(-10, -10, 300, -10, -10, 300);
    cover.colour0 = cover.colour1 = cover.colour2 = 0xFF405060u;
    cover.depthTest = 1;
    cover.depthFunc = kDepthLequal;
    cover.depthWrite = 1;
    TheTileGrid().setupTriangles.push_back(cover);
    // Exactly sized buffers (the sanitizer builds catch a write past their end) with canary rows.
    TestSurface surface(21, 10, 8);
    RenderFrame(surface.View(), FullFrame());
    EXPECT_TRUE(surface.AllPixels(0xFF405060u));
    EXPECT_TRUE(surface.PaddingIntact());
    for (const float d : surface.depth) ASSERT_NEAR(d, 0.5f, 1e-6f);  // interpolated: last-bit differences
}

// RenderMacroTile with a recording kernel.
struct KernelCall {
    int32_t x0, y0, x1, y1, count;
    const float* hiz;
};
std::vector<KernelCall> gKernelCalls;

void RecordingKernel(const RasterJob&, int32_t x0, int32_t y0, int32_t x1, int32_t y1, const uint32_t*, int32_t count,
                     float* hiz) {
    gKernelCalls.push_back({x0, y0, x1, y1, count, hiz});
}

FrameJob JobForGrid(const SurfaceView& surface) {
    const GlContext& gl = TheGlContext();
    FrameJob job;
    job.surface = &surface;
    job.macroTilesX = gl.macroTilesX;
    job.macroTilesY = gl.macroTilesY;
    job.microTilesX = gl.microTilesX;
    job.microTilesY = gl.microTilesY;
    job.framebufferWidth = gl.framebufferWidth;
    job.framebufferHeight = gl.framebufferHeight;
    job.clipWidth = std::min(gl.framebufferWidth, surface.width);
    job.clipHeight = std::min(gl.framebufferHeight, surface.height);
    job.grid = &TheTileGrid();
    job.rasterJob.kernel = &RecordingKernel;
    return job;
}

TEST_F(RenderFrameTest, RenderMacroTileCallsTheKernelOncePerNonEmptyMicroTile) {
    ResizeTileGrid(40, 20);  // second MacroTile column: MicroTile column 4 only (pixels 32..39)
    TileGrid& grid = TheTileGrid();
    for (MicroTileBin& bin : grid.bins) bin.assign({0u, 1u});
    grid.bins[1].clear();  // MicroTile (1, 0) is empty
    TestSurface surface(40, 20);
    const SurfaceView view = surface.View();
    const FrameJob job = JobForGrid(view);

    gKernelCalls.clear();
    RenderMacroTile(1, 0, job);
    ASSERT_EQ(gKernelCalls.size(), 3u);  // rows 0..2, column 4
    EXPECT_EQ(gKernelCalls[0].x0, 32);
    EXPECT_EQ(gKernelCalls[0].x1, 40);
    EXPECT_EQ(gKernelCalls[2].y0, 16);
    EXPECT_EQ(gKernelCalls[2].y1, 20);
    EXPECT_EQ(gKernelCalls[2].count, 2);
    EXPECT_EQ(gKernelCalls[2].hiz, &grid.hiz[2 * 5 + 4]);

    gKernelCalls.clear();
    RenderMacroTile(0, 0, job);
    EXPECT_EQ(gKernelCalls.size(), 4u * 3u - 1u);

    FrameJob noKernel = job;
    noKernel.rasterJob.kernel = nullptr;
    gKernelCalls.clear();
    RenderMacroTile(0, 0, noKernel);
    EXPECT_TRUE(gKernelCalls.empty());
}

}  // namespace
}  // namespace mora
