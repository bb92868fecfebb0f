// A steady frame allocates nothing: rendering the same scene again, on the calling thread or on a
// queue worker, counts no heap allocation on any thread.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "gl/gl_enums.h"
#include "gl/gl_state.h"
#include "platform/topology.h"
#include "render/render_frame.h"
#include "render/render_test_support.h"
#include "render/tile_grid.h"
#include "rjq/render_job_queue.h"
#include "test_support/counting_allocator.h"

namespace mora {
namespace {

std::vector<SetupTriangle> SceneTriangles() {
    std::vector<SetupTriangle> triangles;
    std::mt19937 random(99);
    std::uniform_real_distribution<float> coordinate(-20.0f, 660.0f);
    std::uniform_real_distribution<float> offset(-30.0f, 30.0f);
    for (int i = 0; i < 3000; ++i) {
        const float x = coordinate(random);
        const float y = coordinate(random) * 0.75f;
        triangles.push_back(test::MakeTriangle(x, y, x + offset(random), y + offset(random), x + offset(random),
                                               y + offset(random)));
    }
    triangles.push_back(test::MakeTriangle(0, 0, 1280, 0, 0, 960));  // one covering the screen
    return triangles;
}

class SteadyFrameAllocationTest : public test::RenderStateTest {
protected:
    struct TestBuffers {
        std::vector<uint32_t> colour = std::vector<uint32_t>(640 * 480);
        std::vector<float> depth = std::vector<float>(640 * 480);
    };

    void TearDown() override {
        rjq::SetProcessQueue(nullptr);
        rjq::DestroyRenderJobQueue(queue_);
        test::RenderStateTest::TearDown();
    }

    // Renders `frames` frames of the same scene the way wglSwapBuffers does (clear, triangles,
    // render, reset) and returns the allocations made while they ran.
    uint64_t AllocationsOver(int frames, const std::vector<SetupTriangle>& scene, TestBuffers& buffers) {
        test::AllocationCount count(true);
        for (int f = 0; f < frames; ++f) RenderOneFrame(scene, buffers);
        return count.Stop();
    }

    static void RenderOneFrame(const std::vector<SetupTriangle>& scene, TestBuffers& buffers) {
        GlContext& gl = TheGlContext();
        ApplyClear(gl, gle::kColorBufferBit | gle::kDepthBufferBit);
        TheTileGrid().setupTriangles.assign(scene.begin(), scene.end());
        SurfaceView view;
        view.colourBase = reinterpret_cast<uint8_t*>(buffers.colour.data());
        view.colourPitch = 640 * 4;
        view.width = 640;
        view.height = 480;
        view.depthBuffer = buffers.depth.data();
        RenderFrame(view, FrameOptions{0, 1, 5});
        ResetFrame();
    }

    rjq::RenderJobQueue* queue_ = nullptr;
};

TEST_F(SteadyFrameAllocationTest, FramesOnTheCallingThreadOrAQueueWorkerAllocateNothing) {
    if (!test::kCountsAllocations) GTEST_SKIP() << "allocations are not counted under a sanitizer";
    const std::vector<SetupTriangle> scene = SceneTriangles();
    TestBuffers buffers;
    for (bool onQueue : {false, true}) {
        SCOPED_TRACE(onQueue ? "queue worker" : "calling thread");
        if (onQueue) {
            std::vector<platform::LogicalProcessor> processors(1);
            queue_ = rjq::CreateRenderJobQueue(rjq::kDefaultCapacity, 1, processors, 50);
            ASSERT_NE(queue_, nullptr);
            rjq::SetProcessQueue(queue_);
        }
        ResizeTileGrid(640, 480);
        // The first frames grow bins and build caches (which also shows the counter counts).
        const uint64_t warmUp = AllocationsOver(2, scene, buffers);
        if (!onQueue) {
            EXPECT_GT(warmUp, 0u);
        }
        EXPECT_EQ(AllocationsOver(10, scene, buffers), 0u);
    }
}

}  // namespace
}  // namespace mora
