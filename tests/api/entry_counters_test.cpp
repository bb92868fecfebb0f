// The EntryTable's counters: every GL entry point called once with zero or null arguments counts
// exactly once on its own row; the per-thread counter blocks behind the table: the sums over all
// threads are exact, a thread's counts survive its exit (its block is handed to the next thread,
// not freed), and calls made while a thread is being torn down still count.
#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "api/api_test_support.h"
#include "entry/entry_counters.h"
#include "mora/gl.h"

namespace mora::test {
namespace {

using EntryCounters = ApiTest;

// Calls glFlush from its destructor, which runs while its thread is torn down.
struct FlushAtThreadExit {
    bool armed = false;
    ~FlushAtThreadExit() {
        if (armed) glFlush();
    }
};

// A thread whose last entry call comes from a thread-local destructor.
void RunThreadWithLateFlush() {
    std::thread thread([] {
        // Built before the thread's first entry call, so destroyed after the thread's counter
        // block has been released: its call must still count, without claiming a block again.
        thread_local FlushAtThreadExit late;
        late.armed = true;
        glFlush();
    });
    thread.join();
}

TEST_F(EntryCounters, CallsDuringThreadTeardownStillCount) {
    glFlush();
    const CounterSnapshot before = SnapshotCounters();
    RunThreadWithLateFlush();
    EXPECT_EQ(CallsSince(before, EntryId::glFlush), 2u);

    // Threads that come one after another take over a released block and count on from what it
    // holds. A late call that claimed a block would hold it for good, and a long enough run of
    // such threads would then have to add blocks to the list.
    const std::size_t blocks = EntryCounterBlockCount();
    for (int i = 0; i < 64; ++i) RunThreadWithLateFlush();
    EXPECT_EQ(EntryCounterBlockCount(), blocks);
    EXPECT_EQ(CallsSince(before, EntryId::glFlush), 2u + 64u * 2u);
}

// Writers on several threads at once lose no count: each claims a block of its own (two threads
// sharing one would lose increments, which are plain stores). A reader beside them is the call
// summary writer's case, run beside the frames of the steady-swap test.
TEST_F(EntryCounters, WritersOnSeveralThreadsLoseNoCount) {
    constexpr int kWriters = 3;
    constexpr int kCalls = 20000;
    const uint64_t start = EntryCalls(EntryId::glFinish);
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([] {
            for (int i = 0; i < kCalls; ++i) glFinish();
        });
    }
    for (std::thread& writer : writers) writer.join();
    EXPECT_EQ(EntryCalls(EntryId::glFinish), start + uint64_t{kWriters} * kCalls);
}

template <class Ret, class... Args>
void CallWithZeros(Ret(MORA_APIENTRY* entry)(Args...)) {  // stdcall on 32-bit Windows
    (void)entry(Args{}...);
}

void CallEveryGlEntryWithZeros() {
#define MORA_GL_ENTRY(Name, Ret, Params, Args, Bytes, Format) CallWithZeros(&gl##Name);
#include "entry/entry_list.inc"
}

TEST_F(EntryCounters, EveryGlEntryCountsOnceOnItsOwnRow) {
    const CounterSnapshot before = SnapshotCounters();
    CallEveryGlEntryWithZeros();
    for (std::size_t row = 0; row < kEntryCount; ++row) {
        const EntryId id = static_cast<EntryId>(row);
        uint64_t expected = row < kGlEntryCount ? 1 : 0;
        // glTexEnvf and glTexParameterf run the integer entry's frame again; glTexEnviv does not
        // with a null pointer.
        if (id == EntryId::glTexEnvi || id == EntryId::glTexParameteri) expected = 2;
        EXPECT_EQ(CallsSince(before, id), expected) << EntryName(id);
    }
}

}  // namespace
}  // namespace mora::test
