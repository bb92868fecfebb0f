// A steady frame allocates nothing: replaying the same recording again (keyframe restore, replay,
// packets, emit on one job or on the queue) must not touch the heap after the first run.
// This program replaces the global allocation functions to count every allocation.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "geometry/execute_frame.h"
#include "gl/gl_state.h"
#include "gl/keyframe.h"
#include "gl/texture_objects.h"
#include "geometry/frame_test_support.h"

// Sanitizer runtimes bring their own allocation functions, which shared libraries keep calling;
// counting is done in the plain build only.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define MORA_COUNT_ALLOCATIONS 0
#else
#define MORA_COUNT_ALLOCATIONS 1
#endif

// The replacements below pair malloc with free themselves; GCC cannot see that through inlining.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {
std::atomic<bool> gCounting{false};
std::atomic<uint64_t> gAllocations{0};

[[maybe_unused]] void* CountedAllocate(std::size_t size, std::size_t alignment) {
    if (gCounting.load(std::memory_order_relaxed)) gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (size == 0) size = 1;
    void* p = alignment > alignof(std::max_align_t)
                  ? std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment)
                  : std::malloc(size);
    return p;
}
}  // namespace

#if MORA_COUNT_ALLOCATIONS
void* operator new(std::size_t size) {
    if (void* p = CountedAllocate(size, 0)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    if (void* p = CountedAllocate(size, 0)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, std::align_val_t a) {
    if (void* p = CountedAllocate(size, static_cast<std::size_t>(a))) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size, std::align_val_t a) {
    if (void* p = CountedAllocate(size, static_cast<std::size_t>(a))) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return CountedAllocate(size, 0); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return CountedAllocate(size, 0); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
#endif

namespace mora {
namespace {

// A frame as a game draws it: state changes, a texture update on an existing texture, textured
// quads (some clipped), and a large random scene so that the parallel path is taken.
void BuildSteadyFrame(GlContext& ctx, PendingKeyframe& pending, FrameRecording& frame) {
    uint32_t name = 0;
    GenTextures(ctx, 1, &name, nullptr);
    BindTexture(ctx, 0x0DE1, name, nullptr);
    std::vector<uint8_t> pixels(16 * 16 * 4, 0x80);
    TexImage2D(ctx, 0x0DE1, 0, 16, 16, 0x1908, 0x1401, pixels.data(), nullptr);
    ASSERT_TRUE(ClosePendingKeyframe(pending, ctx));

    CommandRecording& rec = frame.commands;
    test::AppendCamera(rec.stream);
    AppendEnable(rec.stream, 0x0DE1);
    AppendBindTexture(rec.stream, 0x0DE1, name);
    const std::vector<uint8_t> patch(4 * 4 * 4, 0xFF);
    AppendTexSubImage2D(rec, 0x0DE1, 0, 2, 2, 4, 4, 0x1908, 0x1401, patch.data());
    TexSubImage2D(ctx, 0x0DE1, 0, 2, 2, 4, 4, 0x1908, 0x1401, patch.data(), &pending);
    AppendClear(rec.stream, 0x4100);
    AppendPushMatrix(rec.stream);
    AppendTranslatef(rec.stream, 0, 0, -5);
    for (int i = 0; i < 50; ++i) {
        AppendRotatef(rec.stream, 7, 0, 1, 0);
        AppendBegin(rec.stream, 7);
        AppendTexCoord2f(rec.stream, 0, 0);
        AppendVertex3f(rec.stream, -3, -1, 0);
        AppendTexCoord2f(rec.stream, 1, 0);
        AppendVertex3f(rec.stream, 3, -1, 0);
        AppendTexCoord2f(rec.stream, 1, 1);
        AppendVertex3f(rec.stream, 3, 1, 0);
        AppendTexCoord2f(rec.stream, 0, 1);
        AppendVertex3f(rec.stream, -3, 1, 0);
        AppendEnd(rec.stream);
    }
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
    rjq::ParallelFor(queue, queue->workerCount, [](uint32_t, void* arg) {
        Barrier& b = *static_cast<Barrier*>(arg);
        b.started.fetch_add(1);
        while (b.started.load() < b.count) {
        }
    }, &barrier);
}

TEST(SteadyFrame, ReplayingTheSameFrameAllocatesNothing) {
    if (!MORA_COUNT_ALLOCATIONS) GTEST_SKIP() << "allocations are not counted under a sanitizer";
    test::ScopedSetting cutoff(Settings().PipelineCutoff, 5);
    rjq::RenderJobQueue* queue = test::NewQueue(3);
    ASSERT_NE(queue, nullptr);
    VisitEveryWorker(queue);
    auto ctx = test::NewContext();
    PendingKeyframe pending;
    FrameRecording frame;
    BuildSteadyFrame(*ctx, pending, frame);
    std::vector<SetupTriangle> triangles;

    for (bool parallel : {false, true}) {
        SCOPED_TRACE(parallel);
        ExecuteFrame(*ctx, triangles, frame, parallel, queue);  // first run: arrays grow
        const size_t firstCount = triangles.size();
        ASSERT_GT(firstCount, 1000u);
        for (int run = 0; run < 3; ++run) {
            gAllocations = 0;
            gCounting = true;
            ExecuteFrame(*ctx, triangles, frame, parallel, queue);
            gCounting = false;
            EXPECT_EQ(gAllocations.load(), 0u) << "run " << run;
            EXPECT_EQ(triangles.size(), firstCount);
        }
    }
    rjq::DestroyRenderJobQueue(queue);
}

TEST(SteadyFrame, TheCounterSeesAllocations) {
    // Guards the test above against a counter that cannot count.
    if (!MORA_COUNT_ALLOCATIONS) GTEST_SKIP() << "allocations are not counted under a sanitizer";
    gAllocations = 0;
    gCounting = true;
    auto* p = new std::vector<int>(10);
    gCounting = false;
    EXPECT_GE(gAllocations.load(), 2u);
    delete p;
}

}  // namespace
}  // namespace mora
