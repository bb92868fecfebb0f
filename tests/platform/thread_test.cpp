// Threads, ids, affinity and the performance counter's tick conversions.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <limits>
#include <thread>

#include "platform/address_wait.h"
#include "platform/clock.h"
#include "platform/thread.h"
#include "platform/topology.h"

namespace mora::platform {
namespace {

struct Probe {
    std::atomic<std::uint32_t> gate{0};
    std::atomic<std::uint32_t> threadId{0};
    int value = 0;
};

void RunProbe(void* raw) {
    auto* probe = static_cast<Probe*>(raw);
    probe->threadId.store(CurrentThreadId());
    while (probe->gate.load() == 0) WaitOnAddress(probe->gate, 0);
    probe->value = 42;
}

TEST(Thread, RunsTheEntryWithItsArgumentAndJoinWithTimeoutWaitsOnlyAsLongAsAsked) {
    Probe probe;
    Thread thread;
    ASSERT_TRUE(StartThread(thread, "a-rather-long-thread-name", RunProbe, &probe));
    EXPECT_FALSE(JoinThreadTimeout(thread, 10));  // still blocked on the gate
    EXPECT_TRUE(thread.joinable);
    probe.gate.store(1);
    WakeByAddressAll(probe.gate);
    EXPECT_TRUE(JoinThreadTimeout(thread, 60000));
    EXPECT_FALSE(thread.joinable);
    EXPECT_EQ(probe.value, 42);
    EXPECT_NE(probe.threadId.load(), 0u);
    EXPECT_NE(probe.threadId.load(), CurrentThreadId());
    EXPECT_FALSE(JoinThreadTimeout(thread, 10));  // nothing left to join
}

TEST(Thread, AffinityAcceptsAListedProcessorAndRefusesUnknownOnes) {
    const auto processors = ProcessorTopology();
    ASSERT_FALSE(processors.empty());
    struct Result {
        bool listed = false, unknown = true, otherGroup = true, ideal = false;
        LogicalProcessor processor;
    } result;
    result.processor = processors.front();
    Thread thread;
    ASSERT_TRUE(StartThread(
        thread, "affinity",
        [](void* raw) {
            auto* r = static_cast<Result*>(raw);
            r->listed = SetCurrentThreadAffinity(r->processor);
            r->unknown = SetCurrentThreadAffinity(LogicalProcessor{0, 1u << 20, 0});
            r->otherGroup = SetCurrentThreadAffinity(LogicalProcessor{1, 0, 0});
            r->ideal = SetCurrentThreadIdealProcessor(r->processor);
        },
        &result));
    JoinThread(thread);
    EXPECT_TRUE(result.listed);
    EXPECT_FALSE(result.unknown);
    EXPECT_FALSE(result.otherGroup);
    EXPECT_TRUE(result.ideal);
}

TEST(Clock, TickConversionsStayExactForHugeValues) {
    // 10 MHz counter: one tick is 100 ns.
    EXPECT_EQ(TicksToNanoseconds(3, 10000000), 300u);
    EXPECT_EQ(TicksToNanoseconds(25000001, 10000000), 2500000100u);
    // A naive ticks * 1e9 would overflow here.
    const std::uint64_t big = std::numeric_limits<std::uint64_t>::max() / 7;
    EXPECT_EQ(TicksToNanoseconds(big, 1000000000), big);
    EXPECT_EQ(TicksToNanoseconds(big, 3), big / 3 * 1000000000ull + (big % 3) * 1000000000ull / 3);
    EXPECT_EQ(TicksToNanoseconds(12345, 0), 0u);
    EXPECT_EQ(MicrosecondsToTicks(5000, 1000000000), 5000000u);
    EXPECT_EQ(MicrosecondsToTicks(3, 10000000), 30u);
    EXPECT_EQ(MicrosecondsToTicks(std::numeric_limits<std::uint64_t>::max(), 1000000000),
              std::numeric_limits<std::uint64_t>::max());
}

}  // namespace
}  // namespace mora::platform
