// A steady frame of immediate-mode calls allocates nothing: once the command stream, the vertex
// list and the thread's counter block exist, further frames of the same size reuse them. The
// global allocation functions are replaced for this test program so that every operator new on
// the calling thread is counted.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "api/api_test_support.h"
#include "api/entry_counters.h"
#include "mora/gl.h"

namespace {

thread_local uint64_t tAllocations = 0;

void* CountedAllocation(std::size_t size, std::size_t alignment) {
    ++tAllocations;
    size = size == 0 ? 1 : size;
    void* storage = alignment <= alignof(std::max_align_t)
                        ? std::malloc(size)
                        : std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
    if (storage == nullptr) {
        throw std::bad_alloc();
    }
    return storage;
}

}  // namespace

void* operator new(std::size_t size) { return CountedAllocation(size, alignof(std::max_align_t)); }
void* operator new(std::size_t size, std::align_val_t alignment) {
    return CountedAllocation(size, static_cast<std::size_t>(alignment));
}
void operator delete(void* storage) noexcept { std::free(storage); }
void operator delete(void* storage, std::size_t) noexcept { std::free(storage); }
void operator delete(void* storage, std::align_val_t) noexcept { std::free(storage); }
void operator delete(void* storage, std::size_t, std::align_val_t) noexcept { std::free(storage); }

namespace mora::test {
namespace {

// One frame as a game draws it: state, a batch of textured, coloured triangles, and the frame's
// hand-over emptying the stream (capacity kept).
void DrawFrame() {
    glEnable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glPushMatrix();
    glTranslatef(1.0f, 2.0f, 3.0f);
    glBegin(GL_TRIANGLES);
    for (int i = 0; i < 3000; ++i) {
        glColor4ub(static_cast<GLubyte>(i), 128, 64, 255);
        glTexCoord2f(static_cast<float>(i), 0.5f);
        glVertex3f(static_cast<float>(i), 1.0f, 2.0f);
    }
    glEnd();
    glPopMatrix();
    EmptyCommandBuffer(ActiveCommandRecording().stream);
}

using SteadyAllocation = ApiTest;

TEST_F(SteadyAllocation, RepeatedFramesAllocateNothing) {
    DrawFrame();  // first frame: the thread's counter block, the vertex list's storage
    const CommandStream& stream = ActiveCommandRecording().stream;
    const uint8_t* streamStorage = stream.begin;
    const uint64_t streamCapacity = CommandBufferCapacity(stream);
    const std::size_t listCapacity = TheGlContext().primitiveVertices.capacity();
    const std::size_t blocks = EntryCounterBlockCount();
    const uint64_t before = tAllocations;
    for (int frame = 0; frame < 5; ++frame) {
        DrawFrame();
    }
    EXPECT_EQ(tAllocations - before, 0u) << "operator new calls during steady frames";
    EXPECT_EQ(stream.begin, streamStorage);
    EXPECT_EQ(CommandBufferCapacity(stream), streamCapacity);
    EXPECT_EQ(TheGlContext().primitiveVertices.capacity(), listCapacity);
    EXPECT_EQ(EntryCounterBlockCount(), blocks);
}

TEST_F(SteadyAllocation, TheCountingAllocatorSeesAllocations) {
    // Guards the test above against a replacement that is not in effect.
    static int* volatile probe = nullptr;  // volatile: the allocation cannot be optimised away
    const uint64_t before = tAllocations;
    probe = new int(7);
    EXPECT_EQ(tAllocations - before, 1u);
    delete probe;
}

}  // namespace
}  // namespace mora::test
