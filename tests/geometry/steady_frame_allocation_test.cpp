// A steady frame allocates nothing: replaying the same recording again (keyframe restore, replay,
// packets, emit on one job or on the queue) and rendering its triangles (binning and raster on the
// calling thread or on queue workers) must not touch the heap after the first run.
// This program replaces the global allocation functions to count every allocation.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "geometry/execute_frame.h"
#include "gl/gl_enums.h"
#include "gl/gl_state.h"
#include "gl/keyframe.h"
#include "gl/texture_objects.h"
#include "geometry/frame_test_support.h"
#include "render/render_test_support.h"
#include "test_support/counting_allocator.h"

namespace mora {
namespace {

// A frame as a game draws it: state changes, a texture update on an existing texture, matrix
// changes, and a large random scene of every triangle mode, textured and partly clipped, so that the
// parallel path is taken.
void BuildSteadyFrame(GlContext& ctx, PendingKeyframe& pending, FrameRecording& frame) {
    uint32_t name = 0;
    GenTextures(ctx, 1, &name, nullptr);
    BindTexture(ctx, 0x0DE1, name, nullptr);
    std::vector<uint8_t> pixels(16 * 16 * 4, 0x80);
    TexImage2D(ctx, 0x0DE1, 0, 16, 16, 0x1908, 0x1401, pixels.data(), nullptr);
    ASSERT_TRUE(ClosePendingKeyframe(pending, ctx));

    CommandRecording& rec = frame.commands;
    AppendEnable(rec.stream, 0x0DE1);
    AppendBindTexture(rec.stream, 0x0DE1, name);
    const std::vector<uint8_t> patch(4 * 4 * 4, 0xFF);
    AppendTexSubImage2D(rec, 0x0DE1, 0, 2, 2, 4, 4, 0x1908, 0x1401, patch.data());
    TexSubImage2D(ctx, 0x0DE1, 0, 2, 2, 4, 4, 0x1908, 0x1401, patch.data(), &pending);
    AppendClear(rec.stream, 0x4100);
    AppendPushMatrix(rec.stream);
    AppendTranslatef(rec.stream, 0, 0, -5);
    AppendRotatef(rec.stream, 7, 0, 1, 0);
    AppendPopMatrix(rec.stream);
    test::AppendRandomScene(rec.stream, 3, 400, 40000);
    BuildKeyframe(pending, ctx, frame.keyframe);
}

// Makes every worker run one item: each item waits until all have started, so no worker can take
// two. A worker's first job creates its profiler nodes (a one-time allocation of the profiler);
// after this no later job does.
void VisitEveryWorker(rjq::RenderJobQueue* queue) {
    struct Barrier {
        std::atomic<uint32_t> started{0};
        uint32_t count;
    } barrier;
    barrier.count = queue->workerCount;
    rjq::ParallelFor(
        queue, queue->workerCount,
        [](uint32_t, void* arg) {
            Barrier& b = *static_cast<Barrier*>(arg);
            b.started.fetch_add(1);
            while (b.started.load() < b.count) {
            }
        },
        &barrier);
}

TEST(SteadyFrame, ReplayingAndRenderingTheSameFrameAllocatesNothing) {
    if (!test::kCountsAllocations) GTEST_SKIP() << "allocations are not counted under a sanitizer";
    test::ScopedSetting cutoff(TheDriverSettings().PipelineCutoff, 5);
    rjq::RenderJobQueue* queue = test::NewQueue(3);
    ASSERT_NE(queue, nullptr);
    VisitEveryWorker(queue);
    auto ctx = test::NewContext();
    PendingKeyframe pending;
    FrameRecording frame;
    BuildSteadyFrame(*ctx, pending, frame);
    std::vector<SetupTriangle> triangles;
    ResizeTileGrid(320, 240);  // the lower left quarter of the camera's window
    test::TestSurface surface(320, 240, 0);
    // A frame the way a swap executes and renders it; the render runs on the calling thread or on
    // the queue's workers.
    const auto runFrame = [&](bool parallel) {
        ExecuteFrame(*ctx, triangles, frame, parallel, queue);
        ApplyClear(TheGlContext(), gle::kColorBufferBit | gle::kDepthBufferBit);
        TheTileGrid().setupTriangles.assign(triangles.begin(), triangles.end());
        RenderFrame(surface.View(), FrameOptions{0, 1, 5});
        ResetFrame();
    };

    for (bool parallel : {false, true}) {
        SCOPED_TRACE(parallel);
        rjq::SetProcessQueue(parallel ? queue : nullptr);
        test::AllocationCount growth(true);  // the first run grows arrays, which shows the counter counts
        runFrame(parallel);
        const uint64_t grown = growth.Stop();
        if (!parallel) {
            EXPECT_GT(grown, 0u);
        }
        const size_t firstCount = triangles.size();
        ASSERT_GT(firstCount, 1000u);
        for (int run = 0; run < 3; ++run) {
            test::AllocationCount count(true);
            runFrame(parallel);
            EXPECT_EQ(count.Stop(), 0u) << "run " << run;
            EXPECT_EQ(triangles.size(), firstCount);
        }
    }
    rjq::SetProcessQueue(nullptr);
    ResizeTileGrid(0, 0);
    rjq::DestroyRenderJobQueue(queue);
}

}  // namespace
}  // namespace mora
