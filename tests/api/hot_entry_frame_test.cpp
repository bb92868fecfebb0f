// The vertex, colour and texture-coordinate entries run an inline frame in the common case and the
// whole frame out of line otherwise (a thread's first call, a stream that must grow). Whichever
// path a call takes, it counts once, records the documented words and applies.
#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "api/api_test_support.h"
#include "mora/gl.h"

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

}  // namespace
}  // namespace mora::test
