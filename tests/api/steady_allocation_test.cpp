// A steady frame of immediate-mode calls allocates nothing: once the command stream, the vertex
// list and the thread's counter block exist, further frames of the same size reuse them. Every
// operator new on the calling thread is counted.
#include <gtest/gtest.h>

#include "api/api_test_support.h"
#include "api/entry_counters.h"
#include "mora/gl.h"
#include "test_support/counting_allocator.h"

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
    if (!kCountsAllocations) GTEST_SKIP() << "allocations are not counted under a sanitizer";
    {
        // Guards the test against a replacement that is not in effect.
        static int* volatile probe = nullptr;  // volatile: the allocation cannot be optimised away
        AllocationCount count(false);
        probe = new int(7);
        EXPECT_EQ(count.Stop(), 1u);
        delete probe;
    }
    DrawFrame();  // first frame: the thread's counter block, the vertex list's storage
    const CommandStream& stream = ActiveCommandRecording().stream;
    const uint8_t* streamStorage = stream.begin;
    const uint64_t streamCapacity = CommandBufferCapacity(stream);
    const std::size_t listCapacity = TheGlContext().primitiveVertices.capacity();
    const std::size_t blocks = EntryCounterBlockCount();
    AllocationCount count(false);
    for (int frame = 0; frame < 5; ++frame) DrawFrame();
    EXPECT_EQ(count.Stop(), 0u) << "operator new calls during steady frames";
    EXPECT_EQ(stream.begin, streamStorage);
    EXPECT_EQ(CommandBufferCapacity(stream), streamCapacity);
    EXPECT_EQ(TheGlContext().primitiveVertices.capacity(), listCapacity);
    EXPECT_EQ(EntryCounterBlockCount(), blocks);
}

}  // namespace
}  // namespace mora::test
