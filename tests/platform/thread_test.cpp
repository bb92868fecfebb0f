// Threads, ids, affinity and the performance counter's tick conversions.
#include <gtest/gtest.h>

#include <atomic>
#include <limits>
#include <vector>

#include "platform/address_wait.h"
#include "platform/clock.h"
#include "platform/thread.h"
#include "platform/topology.h"

namespace mora::platform {
namespace {

// Records its thread and the affinity answers for a listed processor, an unknown one and one in a
// group that does not exist, then waits for the gate.
struct Probe {
    std::atomic<std::uint32_t> gate{0};
    std::atomic<std::uint32_t> threadId{0};
    LogicalProcessor processor;
    bool listed = false, unknown = true, otherGroup = true, ideal = false;
};

void RunProbe(void* raw) {
    auto* probe = static_cast<Probe*>(raw);
    probe->threadId.store(CurrentThreadId());
    probe->listed = SetCurrentThreadAffinity(probe->processor);
    probe->unknown = SetCurrentThreadAffinity(LogicalProcessor{0, 1u << 20, 0});
    probe->otherGroup = SetCurrentThreadAffinity(LogicalProcessor{1, 0, 0});
    probe->ideal = SetCurrentThreadIdealProcessor(probe->processor);
    while (probe->gate.load() == 0) WaitOnAddress(probe->gate, 0);
}

TEST(Thread, RunsTheEntryWithItsArgumentAffinityKeepsToListedProcessorsAndJoinWaitsOnlyAsLongAsAsked) {
    const auto processors = ProcessorTopology();
    ASSERT_FALSE(processors.empty());
    Probe probe;
    probe.processor = processors.front();
    Thread thread;
    ASSERT_TRUE(StartThread(thread, "a-rather-long-thread-name", RunProbe, &probe));
    EXPECT_FALSE(JoinThreadTimeout(thread, 10));  // still blocked on the gate
    EXPECT_TRUE(thread.joinable);
    probe.gate.store(1);
    WakeByAddressAll(probe.gate);
    EXPECT_TRUE(JoinThreadTimeout(thread, 60000));
    EXPECT_FALSE(thread.joinable);
    EXPECT_NE(probe.threadId.load(), CurrentThreadId());
    EXPECT_EQ((std::vector<bool>{probe.listed, probe.unknown, probe.otherGroup, probe.ideal}),
              (std::vector<bool>{true, false, false, true}));
    EXPECT_FALSE(JoinThreadTimeout(thread, 10));  // nothing left to join
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
