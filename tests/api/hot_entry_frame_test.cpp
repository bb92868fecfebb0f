// The vertex, colour and texture-coordinate entries run an inline frame in the common case and the
// whole frame out of line otherwise (a thread's first call, a traced call, a stream or vertex
// list that must grow, recording off). Whichever path a call takes, it counts once, records the
// documented words and applies.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "api/api_test_support.h"
#include "diag/frame_counter.h"
#include "diag/trace.h"
#include "mora/gl.h"
#include "platform/file.h"
#include "test_support/temp_dir.h"

namespace mora::test {
namespace {

using Words = std::vector<uint32_t>;

// Records into a stream of `capacity` bytes for the test's lifetime, then puts the process-wide
// stream back.
class SmallStream {
public:
    explicit SmallStream(uint64_t capacity) {
        if (capacity != 0) {
            EXPECT_TRUE(ReserveCommandBuffer(small_, capacity));
        }
        SwapCommandBuffers(ActiveCommandRecording().stream, small_);
    }
    ~SmallStream() { SwapCommandBuffers(ActiveCommandRecording().stream, small_); }
    SmallStream(const SmallStream&) = delete;
    SmallStream& operator=(const SmallStream&) = delete;

private:
    CommandBuffer small_;
};

uint64_t StreamCapacity() { return CommandBufferCapacity(ActiveCommandRecording().stream); }

using HotEntryFrame = ApiTest;

TEST_F(HotEntryFrame, RecordsStayExactWhereTheStreamMustGrow) {
    glFlush();  // this thread's first call is behind it
    SmallStream stream(20);
    const CounterSnapshot before = SnapshotCounters();
    glColor4ub(1, 2, 3, 4);       // 8 bytes
    glTexCoord2f(0.5f, 0.25f);    // 12 bytes: the stream is exactly full
    EXPECT_EQ(StreamCapacity(), 20u);
    glVertex3f(1.0f, 2.0f, 3.0f);  // 16 bytes: grows to the needed 36 (above 20 + 10)
    EXPECT_EQ(StreamCapacity(), 36u);
    glColor4ub(5, 6, 7, 8);       // 8 bytes: 44 needed, grows to 36 + 18
    EXPECT_EQ(StreamCapacity(), 54u);
    const GLfloat v[2] = {9.0f, 10.0f};
    glVertex2fv(v);                // 12 bytes: 56 needed, grows to 81
    EXPECT_EQ(StreamCapacity(), 81u);
    EXPECT_EQ(StreamWords(), (Words{0x00080024, 0x04010203,                               //
                                    0x000C0025, Bits(0.5f), Bits(0.25f),                  //
                                    0x0010002B, Bits(1.0f), Bits(2.0f), Bits(3.0f),       //
                                    0x00080024, 0x08050607,                               //
                                    0x000C002A, Bits(9.0f), Bits(10.0f)}));
    EXPECT_EQ(CallsSince(before, EntryId::glColor4ub), 2u);
    EXPECT_EQ(CallsSince(before, EntryId::glTexCoord2f), 1u);
    EXPECT_EQ(CallsSince(before, EntryId::glVertex3f), 1u);
    EXPECT_EQ(CallsSince(before, EntryId::glVertex2fv), 1u);
    EXPECT_EQ(TheGlContext().currentColour, 0x08050607u);
}

TEST_F(HotEntryFrame, VerticesStayExactWhereTheListMustGrow) {
    glFlush();
    std::vector<GlVertex>& list = TheGlContext().primitiveVertices;
    glBegin(GL_TRIANGLES);
    list.shrink_to_fit();  // empty and without storage: every few vertices must grow it
    for (int i = 0; i < 100; ++i) {
        glColor4ub(static_cast<GLubyte>(i), 0, 0, 255);
        glTexCoord2f(static_cast<float>(i), 0.5f);
        glVertex3f(static_cast<float>(i), 1.0f, 2.0f);
    }
    ASSERT_EQ(list.size(), 100u);
    for (int i = 0; i < 100; ++i) {
        const GlVertex& vertex = list[static_cast<std::size_t>(i)];
        EXPECT_EQ(vertex.x, static_cast<float>(i)) << i;
        EXPECT_EQ(vertex.z, 2.0f) << i;
        EXPECT_EQ(vertex.colour, 0xFF000000u | static_cast<uint32_t>(i) << 16) << i;
        EXPECT_EQ(vertex.s, static_cast<float>(i)) << i;
        EXPECT_EQ(vertex.t, 0.5f) << i;
    }
    glEnd();
    EXPECT_EQ(StreamBytes(), 8u + 100u * (8u + 12u + 16u) + 4u);
}

TEST_F(HotEntryFrame, AThreadsFirstCallsCountAndRecordOnce) {
    const CounterSnapshot before = SnapshotCounters();
    // Only one thread makes GL calls at a time: this one waits for the other.
    std::thread thread([] {
        glColor4ub(10, 20, 30, 40);  // the thread's first entry call takes the whole frame
        glTexCoord2f(0.75f, 0.125f);
        glVertex2f(3.0f, 4.0f);
        glColor4ub(50, 60, 70, 80);
    });
    thread.join();
    EXPECT_EQ(StreamWords(), (Words{0x00080024, 0x280A141E,                  //
                                    0x000C0025, Bits(0.75f), Bits(0.125f),   //
                                    0x000C002A, Bits(3.0f), Bits(4.0f),      //
                                    0x00080024, 0x50323C46}));
    EXPECT_EQ(CallsSince(before, EntryId::glColor4ub), 2u);
    EXPECT_EQ(CallsSince(before, EntryId::glTexCoord2f), 1u);
    EXPECT_EQ(CallsSince(before, EntryId::glVertex2f), 1u);
}

TEST_F(HotEntryFrame, RecordingOffNeedsNoStreamRoom) {
    glFlush();
    SmallStream stream(0);  // no storage at all
    SetSettingValue(Settings().PipelineCutoff, 0);
    const CounterSnapshot before = SnapshotCounters();
    glBegin(GL_TRIANGLES);
    for (int i = 0; i < 10; ++i) {
        glColor4ub(1, 2, 3, 4);
        glTexCoord2f(0.0f, 1.0f);
        glVertex3f(static_cast<float>(i), 0.0f, 0.0f);
    }
    EXPECT_EQ(TheGlContext().primitiveVertices.size(), 10u);
    glEnd();
    EXPECT_EQ(StreamBytes(), 0u);
    EXPECT_EQ(StreamCapacity(), 0u) << "nothing recorded, nothing reserved";
    EXPECT_EQ(CallsSince(before, EntryId::glColor4ub), 10u);
    EXPECT_EQ(CallsSince(before, EntryId::glVertex3f), 10u);
    EXPECT_EQ(TheGlContext().currentColour, 0x04010203u);
    EXPECT_EQ(TheGlContext().currentT, 1.0f);
}

TEST_F(HotEntryFrame, CallsWhileATraceRangeIsSetRecordTheSameWords) {
    glFlush();
    const TempDir dir("mora_hot_entry_trace");
    const std::string& folder = dir.path;
    ASSERT_FALSE(folder.empty());
    CloseTrace();
    ClearTraceRange();
    SetFrameCounter(3);
    ASSERT_TRUE(OpenTrace(3, 3, "test", false, folder.c_str()));
    const CounterSnapshot before = SnapshotCounters();
    const uint64_t firstLine = LastTraceSequence();
    const GLfloat v[3] = {7.0f, 8.0f, 9.0f};
    glColor4ub(1, 2, 3, 4);
    glTexCoord2f(0.5f, 0.5f);
    glVertex3fv(v);
    glVertex3fv(nullptr);
    const uint64_t linesWritten = LastTraceSequence() - firstLine;
    SetFrameCounter(2);  // the range is still set but does not cover this frame
    glVertex2f(1.0f, 2.0f);
    const uint64_t linesOutsideTheRange = LastTraceSequence() - firstLine - linesWritten;
    CloseTrace();
    ClearTraceRange();
    SetFrameCounter(0);
    EXPECT_EQ(StreamWords(), (Words{0x00080024, 0x04010203,                          //
                                    0x000C0025, Bits(0.5f), Bits(0.5f),              //
                                    0x0010002B, Bits(7.0f), Bits(8.0f), Bits(9.0f),  //
                                    0x000C002A, Bits(1.0f), Bits(2.0f)}));
    EXPECT_EQ(CallsSince(before, EntryId::glVertex3fv), 2u);
    EXPECT_EQ(CallsSince(before, EntryId::glVertex2f), 1u);
    EXPECT_EQ(linesWritten, 4u) << "every traced call wrote its line";
    EXPECT_EQ(linesOutsideTheRange, 0u);
}

}  // namespace
}  // namespace mora::test
