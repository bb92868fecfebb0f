// The per-thread counter blocks behind the EntryTable: each live thread counts in a block of its
// own, the sums over all threads are exact, a thread's counts survive its exit (its block is
// handed to the next thread, not freed), calls made while a thread is being torn down still
// count, and a reader running beside the writers only ever sees the counts grow.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <latch>
#include <set>
#include <thread>
#include <vector>

#include "api/api_test_support.h"
#include "entry/entry_counters.h"
#include "mora/gl.h"

namespace mora::test {
namespace {

using EntryCounters = ApiTest;

TEST_F(EntryCounters, LiveThreadsEachOwnABlockAndTheSumsAreExact) {
    constexpr int kThreads = 4;
    constexpr int kCalls = 5000;
    glFlush();  // the test thread holds its block throughout
    const CounterSnapshot before = SnapshotCounters();
    std::latch counted(kThreads);
    std::latch release(1);
    std::vector<const EntryCounterBlock*> blocks(kThreads, nullptr);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kCalls; ++i) {
                glFlush();
                CountEntryCall(EntryId::glRectf);
            }
            blocks[t] = CurrentEntryCounters();
            counted.count_down();
            release.wait();  // stay alive so that every block is held at once
        });
    }
    counted.wait();
    // Every thread has its own block while it lives, and the totals already hold all its calls
    // (each thread published them through the latch).
    EXPECT_GE(EntryCounterBlockCount(), static_cast<std::size_t>(kThreads) + 1);
    const std::set<const EntryCounterBlock*> distinct(blocks.begin(), blocks.end());
    EXPECT_EQ(distinct.size(), static_cast<std::size_t>(kThreads));
    EXPECT_EQ(distinct.count(nullptr), 0u);
    EXPECT_EQ(distinct.count(CurrentEntryCounters()), 0u) << "the test thread's block is its own";
    EXPECT_EQ(CallsSince(before, {EntryId::glFlush, EntryId::glRectf}),
              std::vector<uint64_t>(2, uint64_t{kThreads} * kCalls));
    release.count_down();
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(CallsSince(before, EntryId::glFlush), uint64_t{kThreads} * kCalls) << "exits lose nothing";
}

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

TEST_F(EntryCounters, ReaderBesideWritersSeesCountsOnlyGrow) {
    constexpr int kWriters = 3;
    constexpr int kCalls = 20000;
    const uint64_t start = EntryCalls(EntryId::glFinish);
    std::atomic<bool> done{false};
    uint64_t decreases = 0;
    uint64_t last = start;
    std::thread reader([&] {
        while (!done.load(std::memory_order_acquire)) {
            const uint64_t now = EntryCalls(EntryId::glFinish);
            decreases += now < last ? 1 : 0;
            last = now;
        }
    });
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([] {
            for (int i = 0; i < kCalls; ++i) glFinish();
        });
    }
    for (std::thread& writer : writers) writer.join();
    done.store(true, std::memory_order_release);
    reader.join();
    EXPECT_EQ(decreases, 0u);
    EXPECT_LE(last, start + uint64_t{kWriters} * kCalls);
    EXPECT_EQ(EntryCalls(EntryId::glFinish), start + uint64_t{kWriters} * kCalls);
}

}  // namespace
}  // namespace mora::test
