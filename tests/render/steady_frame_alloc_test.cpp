// A steady frame allocates nothing: rendering the same scene again, on the calling thread or on a
// queue worker, counts no heap allocation on any thread.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "gl/gl_enums.h"
#include "gl/gl_state.h"
#include "render/render_frame.h"
#include "render/render_test_support.h"
#include "render/tile_grid.h"
#include "test_support/counting_allocator.h"

namespace mora {
namespace {

using SteadyFrameAllocationTest = test::RenderQueueTest;

TEST_F(SteadyFrameAllocationTest, FramesOnTheCallingThreadOrAQueueWorkerAllocateNothing) {
    if (!test::kCountsAllocations) GTEST_SKIP() << "allocations are not counted under a sanitizer";
    std::vector<SetupTriangle> scene;
    std::mt19937 random(99);
    std::uniform_real_distribution<float> coordinate(-20.0f, 660.0f), offset(-30.0f, 30.0f);
    for (int i = 0; i < 3000; ++i) {
        const float x = coordinate(random), y = coordinate(random) * 0.75f;
        const float x1 = x + offset(random), y1 = y + offset(random), x2 = x + offset(random), y2 = y + offset(random);
        scene.push_back(test::MakeTriangle(x, y, x1, y1, x2, y2));
    }
    scene.push_back(test::MakeTriangle(0, 0, 1280, 0, 0, 960));  // one covering the screen
    test::TestSurface surface(640, 480, 0);

    // Frames the way wglSwapBuffers renders them (clear, triangles, render, reset), and the
    // allocations made on any thread while they ran.
    const auto allocationsOver = [&](int frames) {
        test::AllocationCount count(true);
        for (int f = 0; f < frames; ++f) {
            ApplyClear(TheGlContext(), gle::kColorBufferBit | gle::kDepthBufferBit);
            TheTileGrid().setupTriangles.assign(scene.begin(), scene.end());
            RenderFrame(surface.View(), FrameOptions{0, 1, 5});
            ResetFrame();
        }
        return count.Stop();
    };
    for (const uint32_t workers : {0u, 1u}) {
        SCOPED_TRACE(workers == 0 ? "calling thread" : "queue worker");
        UseWorkers(workers);
        ResizeTileGrid(640, 480);
        // The first frames grow bins and build caches (which also shows the counter counts).
        const uint64_t warmUp = allocationsOver(2);
        if (workers == 0) {
            EXPECT_GT(warmUp, 0u);
        }
        EXPECT_EQ(allocationsOver(10), 0u);
    }
}

}  // namespace
}  // namespace mora
