// Threads, ids, affinity, the performance counter, its calibration and tick conversions.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
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

TEST(Thread, RejectsAMissingEntry) {
  Thread thread;
  EXPECT_FALSE(StartThread(thread, "none", nullptr, nullptr));
  EXPECT_FALSE(thread.joinable);
  JoinThread(thread);  // harmless on a thread that never started
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

TEST(Clock, CounterNeverGoesBackwardsAndFrequencyIsConstant) {
  const std::uint64_t frequency = PerformanceFrequency();
  ASSERT_GT(frequency, 0u);
  std::uint64_t previous = PerformanceCounter();
  for (int i = 0; i < 10000; ++i) {
    const std::uint64_t now = PerformanceCounter();
    ASSERT_GE(now, previous);
    previous = now;
  }
  EXPECT_EQ(PerformanceFrequency(), frequency);
}

// The frequency is measured against the monotonic clock when the counter is the processor's
// time-stamp counter: a wrong calibration would scale every profile and idle spin.
TEST(Clock, CounterTicksAtItsStatedFrequency) {
  const std::uint64_t frequency = PerformanceFrequency();
  // Both clocks read the same interval; a calibration off by a few percent would show. A
  // preemption between the paired reads lengthens one interval only, so a busy machine gets a
  // few tries; a wrong frequency misses on every one.
  double counterMs = 0.0, wallMs = 0.0;
  for (int attempt = 0; attempt < 5; ++attempt) {
    const auto wallStart = std::chrono::steady_clock::now();
    const std::uint64_t start = PerformanceCounter();
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    const std::uint64_t ticks = PerformanceCounter() - start;
    wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallStart).count();
    counterMs = static_cast<double>(TicksToNanoseconds(ticks, frequency)) / 1e6;
    if (std::abs(counterMs - wallMs) <= wallMs * 0.02 + 0.5) break;
  }
  EXPECT_NEAR(counterMs, wallMs, wallMs * 0.02 + 0.5);
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
