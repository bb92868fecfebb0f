// The render job queue under load: every item of every job runs exactly once and
// WaitIdle waits for all of them (a job retired early, out of order or over an
// unretired slot loses items or hangs the stress runs), and the parallel-for
// covers each index once. Run with idle spinning and without, so both the spin
// and the sleep paths are exercised.
#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>
#include <vector>

#include "platform/thread.h"
#include "rjq/render_job_queue.h"

namespace mora::rjq {
namespace {

std::vector<platform::LogicalProcessor> FakeProcessors(std::uint32_t count) {
    std::vector<platform::LogicalProcessor> list;
    for (std::uint32_t i = 0; i < count; ++i) list.push_back(platform::LogicalProcessor{0, i, i});
    return list;
}

struct QueueHolder {
    QueueHolder(std::uint32_t capacity, std::uint32_t workers, std::uint64_t spinUs)
        : queue(CreateRenderJobQueue(capacity, workers, FakeProcessors(workers), spinUs)) {}
    ~QueueHolder() { DestroyRenderJobQueue(queue); }
    RenderJobQueue* queue;
};

// Per-job hit counters; the descriptor's word 0 says where the job's counters start.
struct HitTable {
    explicit HitTable(std::size_t size) : hits(size) {}
    std::vector<std::atomic<std::uint32_t>> hits;
};

void CountHit(const std::uint32_t* descriptor, std::uint32_t item, void* argument) {
    static_cast<HitTable*>(argument)->hits[descriptor[0] + item].fetch_add(1, std::memory_order_relaxed);
}

class QueueStress : public ::testing::TestWithParam<std::uint64_t> {};

TEST_P(QueueStress, ThousandsOfJobsOfRandomSizesRunEveryItemOnce) {
    QueueHolder holder(8, 3, GetParam());
    ASSERT_NE(holder.queue, nullptr);
    std::mt19937 random(1234);
    std::uniform_int_distribution<std::uint32_t> itemCount(0, 40);
    constexpr int kJobs = 3000;
    std::vector<std::uint32_t> counts(kJobs);
    std::uint32_t total = 0;
    for (auto& c : counts) total += c = itemCount(random);
    HitTable table(total);
    std::uint32_t first = 0;
    std::uint32_t lastSequence = 0;
    for (int job = 0; job < kJobs; ++job) {
        const std::uint32_t descriptor[5] = {first, 0, 0, 0, counts[job]};
        lastSequence = Enqueue(*holder.queue, kJobKindItems, descriptor, CountHit, &table);
        EXPECT_EQ(lastSequence, static_cast<std::uint32_t>(job));
        first += counts[job];
        if (job % 500 == 499) WaitIdle(*holder.queue);  // idle in the middle as well as at the end
    }
    WaitIdle(*holder.queue);
    EXPECT_EQ(holder.queue->retiredSequence.load(), lastSequence + 1);
    std::uint32_t wrong = 0;
    for (auto& hit : table.hits) wrong += hit.load() != 1;
    EXPECT_EQ(wrong, 0u) << "items run not exactly once";
}

INSTANTIATE_TEST_SUITE_P(SpinAndSleep, QueueStress, ::testing::Values(0u, 50u, 5000u));

struct CoverArgs {
    std::vector<std::atomic<std::uint32_t>>* hits;
    std::uint32_t callerThread = platform::CurrentThreadId();
    std::vector<std::uint32_t> order;  // only filled by runs on the calling thread
};

void CoverIndex(std::uint32_t index, void* raw) {
    auto* args = static_cast<CoverArgs*>(raw);
    (*args->hits)[index].fetch_add(1, std::memory_order_relaxed);
    if (platform::CurrentThreadId() == args->callerThread) args->order.push_back(index);
}

// Every index once on the workers; a count of 1 or no queue runs in order on the calling thread,
// and a count of 0 or no function runs nothing, without enqueueing a job.
TEST(ParallelFor, CoversEveryIndexExactlyOnce) {
    QueueHolder holder(8, 3, 50);
    ASSERT_NE(holder.queue, nullptr);
    for (std::uint32_t count : {2u, 3u, 17u, 1000u, 4096u}) {
        std::vector<std::atomic<std::uint32_t>> hits(count);
        CoverArgs args{&hits};
        ParallelFor(holder.queue, count, CoverIndex, &args);
        for (std::uint32_t i = 0; i < count; ++i) ASSERT_EQ(hits[i].load(), 1u) << "count " << count << " index " << i;
    }
    const std::uint32_t sequence = holder.queue->nextSequence.load();
    std::vector<std::atomic<std::uint32_t>> five(5);
    CoverArgs single{&five}, inlined{&five};
    ParallelFor(holder.queue, 1, CoverIndex, &single);
    ParallelFor(nullptr, 5, CoverIndex, &inlined);
    ParallelFor(holder.queue, 0, CoverIndex, &inlined);
    ParallelFor(holder.queue, 5, nullptr, &inlined);
    EXPECT_EQ(single.order, (std::vector<std::uint32_t>{0}));
    EXPECT_EQ(inlined.order, (std::vector<std::uint32_t>{0, 1, 2, 3, 4}));
    EXPECT_EQ(holder.queue->nextSequence.load(), sequence);
}

// Job A's one item holds the only worker until job B's last item releases it: B can only finish
// if the waiting caller runs B's items itself.
struct HelpArgs {
    std::atomic<std::uint32_t> started{0};
    std::atomic<std::uint32_t> released{0};
    std::atomic<std::uint32_t> callerRuns{0};
    std::atomic<std::uint32_t> runs{0};
    std::uint32_t callerThread = 0;
};

void HoldWorker(const std::uint32_t*, std::uint32_t, void* raw) {
    auto* args = static_cast<HelpArgs*>(raw);
    args->started.store(1);
    while (args->released.load() == 0) platform::CpuPause();
}

void HelpedItem(const std::uint32_t* descriptor, std::uint32_t, void* raw) {
    auto* args = static_cast<HelpArgs*>(raw);
    EXPECT_TRUE(OnWorkerThread());
    if (platform::CurrentThreadId() == args->callerThread) args->callerRuns.fetch_add(1);
    if (args->runs.fetch_add(1) + 1 == descriptor[kItemCountWord]) args->released.store(1);
}

TEST(WaitIdleHelping, TheWaitingCallerRunsItemsNoWorkerIsFreeFor) {
    QueueHolder holder(8, 1, 0);
    ASSERT_NE(holder.queue, nullptr);
    HelpArgs args;
    args.callerThread = platform::CurrentThreadId();
    const std::uint32_t hold[5] = {0, 0, 0, 0, 1};
    Enqueue(*holder.queue, kJobKindItems, hold, HoldWorker, &args);
    while (args.started.load() == 0) platform::CpuPause();
    const std::uint32_t helped[5] = {0, 0, 0, 0, 6};
    Enqueue(*holder.queue, kJobKindItems, helped, HelpedItem, &args);
    WaitIdleHelping(*holder.queue);
    EXPECT_EQ(args.callerRuns.load(), 6u);
    EXPECT_EQ(holder.queue->retiredSequence.load(), 2u);
    EXPECT_FALSE(OnWorkerThread());
}

struct NestedArgs {
    RenderJobQueue* queue;
    std::vector<std::atomic<std::uint32_t>>* hits;
    std::atomic<std::uint32_t> onWorker{0};
};

void InnerIndex(std::uint32_t index, void* raw) { (*static_cast<NestedArgs*>(raw)->hits)[index].fetch_add(1); }

void OuterIndex(std::uint32_t, void* raw) {
    auto* args = static_cast<NestedArgs*>(raw);
    args->onWorker.fetch_add(OnWorkerThread() ? 1 : 0);
    ParallelFor(args->queue, 4, InnerIndex, args);  // would wait for itself if enqueued
}

TEST(ParallelFor, CalledFromAJobRunsInlineInsteadOfDeadlocking) {
    QueueHolder holder(8, 2, 0);
    ASSERT_NE(holder.queue, nullptr);
    std::vector<std::atomic<std::uint32_t>> hits(4);
    NestedArgs args{holder.queue, &hits};
    ParallelFor(holder.queue, 3, OuterIndex, &args);
    EXPECT_EQ(args.onWorker.load(), 3u);
    for (auto& hit : hits) EXPECT_EQ(hit.load(), 3u);
    EXPECT_FALSE(OnWorkerThread());
}

TEST(QueueCreation, RejectsBadCapacitiesAndEmptyListsAndTrimsTheListToTheRequestedCount) {
    for (std::uint32_t capacity : {0u, 4u, 6u, 12u, 100u}) {
        EXPECT_EQ(CreateRenderJobQueue(capacity, 1, FakeProcessors(2), 0), nullptr) << capacity;
    }
    EXPECT_EQ(CreateRenderJobQueue(8, 1, {}, 0), nullptr);
    DestroyRenderJobQueue(nullptr);
    struct Case {
        std::uint32_t requested, listed, workers;
    };
    for (const Case c : {Case{2, 4, 2}, Case{4, 4, 4}, Case{10, 4, 4}, Case{0, 3, 3}, Case{1, 1, 1}}) {
        RenderJobQueue* queue = CreateRenderJobQueue(16, c.requested, FakeProcessors(c.listed), 0);
        ASSERT_NE(queue, nullptr);
        EXPECT_EQ(queue->workerCount, c.workers) << c.requested << " of " << c.listed;
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(queue->ring) % 64, 0u);
        for (std::uint32_t i = 0; i < queue->workerCount; ++i) EXPECT_EQ(queue->workers[i].processor.number, i);
        DestroyRenderJobQueue(queue);
    }
}

}  // namespace
}  // namespace mora::rjq
