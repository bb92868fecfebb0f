// The vertex, colour and texture-coordinate entries run an inline frame in the common case and the
// whole frame out of line otherwise (a thread's first call, a traced call, a stream or vertex
// list that must grow, recording off). Whichever path a call takes, it counts once, records the
// documented words and applies.
#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "api/api_test_support.h"
#include "diag/frame_counter.h"
#include "diag/trace.h"
#include "mora/gl.h"
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
        SwapCommandBuffers(TheCommandRecording().stream, small_);
    }
    ~SmallStream() { SwapCommandBuffers(TheCommandRecording().stream, small_); }
    SmallStream(const SmallStream&) = delete;
    SmallStream& operator=(const SmallStream&) = delete;

private:
    CommandBuffer small_;
};

uint64_t StreamCapacity() { return CommandBufferCapacity(TheCommandRecording().stream); }

// One call of each vertex, colour and texture-coordinate entry with an inline frame (84 bytes of
// records), the words they record and the calls they count.
void MakeHotCalls() {
    const GLfloat v2[2] = {5.0f, 6.0f}, v3[3] = {7.0f, 8.0f, 9.0f};
    glColor4ub(1, 2, 3, 4);
    glTexCoord2f(0.5f, 0.25f);
    glVertex3f(1.0f, 2.0f, 3.0f);
    glVertex3fv(v3);
    glVertex3fv(nullptr);
    glColor4ub(5, 6, 7, 8);
    glVertex2f(3.0f, 4.0f);
    glVertex2fv(v2);
}
const Words kHotWords = {0x00080024, 0x04010203, 0x000C0025, Bits(0.5f), Bits(0.25f),  //
                         0x0010002B, Bits(1.0f), Bits(2.0f), Bits(3.0f),               //
                         0x0010002B, Bits(7.0f), Bits(8.0f), Bits(9.0f),               //
                         0x00080024, 0x08050607, 0x000C002A, Bits(3.0f), Bits(4.0f),   //
                         0x000C002A, Bits(5.0f), Bits(6.0f)};
std::vector<uint64_t> HotCallsSince(const CounterSnapshot& before) {
    return CallsSince(before, {EntryId::glColor4ub, EntryId::glTexCoord2f, EntryId::glVertex3f, EntryId::glVertex3fv,
                               EntryId::glVertex2f, EntryId::glVertex2fv});
}
const std::vector<uint64_t> kHotCalls = {2, 1, 1, 2, 1, 1};

using HotEntryFrame = ApiTest;

TEST_F(HotEntryFrame, RecordsStayExactWhereTheStreamMustGrow) {
    glFlush();  // this thread's first call is behind it
    SmallStream stream(20);
    const CounterSnapshot before = SnapshotCounters();
    // The second call fills the stream exactly; then it grows to what a record needs or by half:
    // 36, 54, 81 and 121 bytes.
    MakeHotCalls();
    EXPECT_EQ(StreamCapacity(), 121u);
    EXPECT_EQ(StreamWords(), kHotWords);
    EXPECT_EQ(HotCallsSince(before), kHotCalls);
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
    for (uint32_t i = 0; i < 100; ++i) {
        EXPECT_EQ(VertexFields(list[i]), VertexFields({float(i), 1.0f, 2.0f, 0xFF000000u | i << 16, float(i), 0.5f}));
    }
    glEnd();
    EXPECT_EQ(StreamBytes(), 8u + 100u * (8u + 12u + 16u) + 4u);
}

TEST_F(HotEntryFrame, AThreadsFirstCallsCountAndRecordOnce) {
    const CounterSnapshot before = SnapshotCounters();
    ContextRecord* context = CurrentContextRecord();
    ASSERT_TRUE(SetCurrentContextRecord(nullptr));  // the context moves to the new thread
    std::thread thread([context] {
        ASSERT_TRUE(SetCurrentContextRecord(context));
        MakeHotCalls();  // its first entry call takes the whole frame
        SetCurrentContextRecord(nullptr);
    });
    thread.join();
    ASSERT_TRUE(SetCurrentContextRecord(context));
    EXPECT_EQ(StreamWords(), kHotWords);
    EXPECT_EQ(HotCallsSince(before), kHotCalls);
}

TEST_F(HotEntryFrame, RecordingOffNeedsNoStreamRoom) {
    glFlush();
    SmallStream stream(0);  // no storage at all
    SetSettingValue(TheDriverSettings().PipelineCutoff, 0);
    const CounterSnapshot before = SnapshotCounters();
    glBegin(GL_TRIANGLES);
    for (int i = 0; i < 10; ++i) {
        glColor4ub(1, 2, 3, 4);
        glTexCoord2f(0.0f, 1.0f);
        glVertex3f(static_cast<float>(i), 0.0f, 0.0f);
    }
    EXPECT_EQ(TheGlContext().primitiveVertices.size(), 10u);
    glEnd();
    EXPECT_EQ(StreamBytes() + StreamCapacity(), 0u) << "nothing recorded, nothing reserved";
    EXPECT_EQ(CallsSince(before, {EntryId::glColor4ub, EntryId::glVertex3f}), (std::vector<uint64_t>{10, 10}));
    EXPECT_EQ(TheGlContext().currentColour, 0x04010203u);
    EXPECT_EQ(TheGlContext().currentT, 1.0f);
}

TEST_F(HotEntryFrame, CallsWhileATraceRangeIsSetRecordTheSameWords) {
    glFlush();
    const TempDir dir("mora_hot_entry_trace");
    ASSERT_FALSE(dir.path.empty());
    CloseTrace();
    ClearTraceRange();
    SetFrameCounter(3);
    ASSERT_TRUE(OpenTrace(3, 3, "test", false, dir.path.c_str()));
    const CounterSnapshot before = SnapshotCounters();
    const uint64_t firstLine = LastTraceSequence();
    MakeHotCalls();
    const uint64_t linesWritten = LastTraceSequence() - firstLine;
    SetFrameCounter(2);  // the range is still set but does not cover this frame
    glVertex2f(1.0f, 2.0f);
    const uint64_t linesOutsideTheRange = LastTraceSequence() - firstLine - linesWritten;
    CloseTrace();
    ClearTraceRange();
    SetFrameCounter(0);
    Words words = kHotWords;
    words.insert(words.end(), {0x000C002A, Bits(1.0f), Bits(2.0f)});
    EXPECT_EQ(StreamWords(), words);
    std::vector<uint64_t> calls = kHotCalls;
    calls[4] += 1;  // glVertex2f, once more outside the range
    EXPECT_EQ(HotCallsSince(before), calls);
    EXPECT_EQ(linesWritten, 8u) << "every traced call wrote its line";
    EXPECT_EQ(linesOutsideTheRange, 0u);
}

}  // namespace
}  // namespace mora::test
