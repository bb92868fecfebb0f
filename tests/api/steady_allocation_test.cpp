// A steady frame of state and matrix calls, vertex-array draws and display-list calls allocates
// nothing: once the command stream, the vertex list, the thread's counter block (a new one would
// be counted) and the compiled lists exist, further frames of the same size reuse them. Every operator new on the calling
// thread is counted.
#include <gtest/gtest.h>

#include <array>

#include "api/api_test_support.h"
#include "mora/gl.h"
#include "test_support/counting_allocator.h"

namespace mora::test {
namespace {

constexpr GLuint kSteadyList = 1;
std::array<GLfloat, 3 * 1000> gPositions{};
std::array<GLubyte, 4 * 1000> gColours{};
std::array<GLushort, 999> gIndices{};

// Vertex and colour arrays of 1000 elements and a list of state changes and one triangle, made
// before the first frame (a list's storage is allocated when it is compiled).
void PrepareArraysAndList() {
    for (std::size_t i = 0; i < gIndices.size(); ++i) gIndices[i] = static_cast<GLushort>((i * 7) % 1000);
    glVertexPointer(3, GL_FLOAT, 0, gPositions.data());
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, gColours.data());
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glNewList(kSteadyList, GL_COMPILE);
    glDisable(GL_BLEND);
    glColor3ub(1, 2, 3);
    glRectf(0.0f, 0.0f, 1.0f, 1.0f);
    glEndList();
}

// One frame as a game draws it: state, indexed and element-wise array draws, a list call, and the
// frame's hand-over emptying the stream (capacity kept). Immediate-mode batches through whole
// swaps are the steady-swap test's frames.
void DrawFrame() {
    glEnable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glPushMatrix();
    glTranslatef(1.0f, 2.0f, 3.0f);
    glPopMatrix();
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(gIndices.size()), GL_UNSIGNED_SHORT, gIndices.data());
    glBegin(GL_TRIANGLES);
    for (GLint i = 0; i < 300; ++i) glArrayElement(i);
    glEnd();
    glCallList(kSteadyList);
    EmptyCommandBuffer(TheCommandRecording().stream);
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
    PrepareArraysAndList();
    DrawFrame();  // first frame: the thread's counter block, the vertex list's storage
    const CommandStream& stream = TheCommandRecording().stream;
    const uint8_t* streamStorage = stream.begin;
    const uint64_t streamCapacity = CommandBufferCapacity(stream);  // grown by realloc, not counted
    AllocationCount count(false);
    for (int frame = 0; frame < 5; ++frame) DrawFrame();
    EXPECT_EQ(count.Stop(), 0u) << "operator new calls during steady frames";
    EXPECT_EQ(stream.begin, streamStorage);
    EXPECT_EQ(CommandBufferCapacity(stream), streamCapacity);
}

}  // namespace
}  // namespace mora::test
