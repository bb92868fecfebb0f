// Counts heap allocations of the whole test program (every thread) through replaced global
// allocation functions, to show that a steady frame allocates nothing.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>
#include <vector>

#include "gl/gl_enums.h"
#include "gl/gl_state.h"
#include "platform/topology.h"
#include "render/render_frame.h"
#include "render/render_test_support.h"
#include "render/tile_grid.h"
#include "rjq/render_job_queue.h"

namespace {

std::atomic<bool> gCounting{false};
std::atomic<uint64_t> gAllocations{0};

void* CountedAllocate(std::size_t size, std::size_t alignment) {
    if (gCounting.load(std::memory_order_relaxed)) gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (size == 0) size = 1;
    void* memory = nullptr;
    if (alignment <= alignof(std::max_align_t)) {
        memory = std::malloc(size);
    } else {
        const std::size_t rounded = (size + alignment - 1) / alignment * alignment;
        memory = std::aligned_alloc(alignment, rounded);
    }
    if (memory == nullptr) throw std::bad_alloc();
    return memory;
}

}  // namespace

void* operator new(std::size_t size) { return CountedAllocate(size, 0); }
void* operator new[](std::size_t size) { return CountedAllocate(size, 0); }
void* operator new(std::size_t size, std::align_val_t alignment) {
    return CountedAllocate(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return CountedAllocate(size, static_cast<std::size_t>(alignment));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return CountedAllocate(size, 0);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    try {
        return CountedAllocate(size, static_cast<std::size_t>(alignment));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t& tag) noexcept {
    return operator new(size, alignment, tag);
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, std::align_val_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::align_val_t) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete(void* memory, std::align_val_t, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, std::align_val_t, const std::nothrow_t&) noexcept { std::free(memory); }

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
        gCounting.store(false);
        rjq::SetProcessQueue(nullptr);
        rjq::DestroyRenderJobQueue(queue_);
        test::RenderStateTest::TearDown();
    }

    // Renders `frames` frames of the same scene the way wglSwapBuffers does (clear, triangles,
    // render, reset) and returns the allocations made while they ran.
    uint64_t AllocationsOver(int frames, const std::vector<SetupTriangle>& scene, TestBuffers& buffers) {
        gAllocations.store(0);
        gCounting.store(true);
        for (int f = 0; f < frames; ++f) RenderOneFrame(scene, buffers);
        gCounting.store(false);
        return gAllocations.load();
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

TEST_F(SteadyFrameAllocationTest, FramesOnTheCallingThreadAllocateNothing) {
    ResizeTileGrid(640, 480);
    const std::vector<SetupTriangle> scene = SceneTriangles();
    TestBuffers buffers;
    EXPECT_GT(AllocationsOver(2, scene, buffers), 0u);  // the first frames grow bins and build caches
    EXPECT_EQ(AllocationsOver(10, scene, buffers), 0u);
}

TEST_F(SteadyFrameAllocationTest, FramesOnAQueueWorkerAllocateNothing) {
    std::vector<platform::LogicalProcessor> processors(1);
    queue_ = rjq::CreateRenderJobQueue(rjq::kDefaultCapacity, 1, processors, 50);
    ASSERT_NE(queue_, nullptr);
    rjq::SetProcessQueue(queue_);
    ResizeTileGrid(640, 480);
    const std::vector<SetupTriangle> scene = SceneTriangles();
    TestBuffers buffers;
    AllocationsOver(2, scene, buffers);
    EXPECT_EQ(AllocationsOver(10, scene, buffers), 0u);
}

}  // namespace
}  // namespace mora
