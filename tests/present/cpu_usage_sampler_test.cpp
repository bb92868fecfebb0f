// CPU usage: /proc/stat parsing, the percentage and its clamping, and the sampler's priming,
// failure and restart rules with an injected time source.
#include <gtest/gtest.h>

#include <deque>

#include "present/cpu_usage_sampler.h"

namespace mora {
namespace {

using platform::SystemCpuTimes;

TEST(SystemCpuTimes, ParsesTheAggregateLine) {
  SystemCpuTimes times;
  ASSERT_TRUE(platform::ParseSystemCpuTimes(
      "cpu  100 5 40 1000 20 3 2 1 50 7\ncpu0 1 2 3 4 5 6 7 8 9 10\n", &times));
  EXPECT_EQ(times.user, 105u);               // user + nice; guest is inside them already
  EXPECT_EQ(times.idle, 1020u);              // idle + iowait
  EXPECT_EQ(times.kernel, 40u + 3 + 2 + 1 + 1020);
  ASSERT_TRUE(platform::ParseSystemCpuTimes("cpu 1 2 3 4", &times));  // old kernels: four columns
  EXPECT_EQ(times.idle, 4u);
  EXPECT_EQ(times.kernel, 7u);
  EXPECT_FALSE(platform::ParseSystemCpuTimes("cpu 1 2 3", &times));
  EXPECT_FALSE(platform::ParseSystemCpuTimes("cpu0 1 2 3 4 5", &times));
  EXPECT_FALSE(platform::ParseSystemCpuTimes("cpu  1 x 3 4", &times));
  EXPECT_FALSE(platform::ParseSystemCpuTimes("", &times));
  EXPECT_FALSE(platform::ParseSystemCpuTimes("cpu  1 2 3 4", nullptr));
}

TEST(SystemCpuTimes, ReadsThisMachine) {
  SystemCpuTimes times;
  ASSERT_TRUE(platform::ReadSystemCpuTimes(&times));
  EXPECT_GE(times.kernel, times.idle);
  EXPECT_GT(times.kernel + times.user, 0u);
}

TEST(CpuPercent, RoundsHalfUpAndStaysWithinRange) {
  const SystemCpuTimes start{1000, 2000, 500};
  // busy = kernel 300 + user 100 - idle 200 = 200 of 400.
  EXPECT_EQ(CpuPercentBetween(start, SystemCpuTimes{1200, 2300, 600}, 77), 50);
  // busy 1 of 200 = 0.5 % -> 1 (half up); busy 1 of 201 -> 0.
  EXPECT_EQ(CpuPercentBetween(start, SystemCpuTimes{1199, 2200, 500}, 77), 1);
  EXPECT_EQ(CpuPercentBetween(start, SystemCpuTimes{1200, 2201, 500}, 77), 0);
  // No time passed: the old figure stays.
  EXPECT_EQ(CpuPercentBetween(start, start, 42), 42);
  // Inconsistent counters (kernel below idle, counters going back) still give 0..100.
  EXPECT_EQ(CpuPercentBetween(start, SystemCpuTimes{1500, 2100, 500}, 42), 100);
  // Idle went back by 100: busy and idle wrap and their total wraps to 0, which keeps the figure.
  EXPECT_EQ(CpuPercentBetween(start, SystemCpuTimes{900, 2000, 500}, 42), 42);
  // Kernel went back: busy wraps to a huge value and the figure clamps to 100.
  EXPECT_EQ(CpuPercentBetween(start, SystemCpuTimes{1100, 1900, 500}, 42), 100);
  const int32_t backwards = CpuPercentBetween(start, SystemCpuTimes{0, 0, 0}, 42);
  EXPECT_GE(backwards, 0);
  EXPECT_LE(backwards, 100);
}

std::deque<SystemCpuTimes> g_samples;
int g_reads = 0;
bool ReadQueued(SystemCpuTimes* times) {
  ++g_reads;
  if (g_samples.empty()) return false;
  *times = g_samples.front();
  g_samples.pop_front();
  return true;
}

TEST(CpuUsageSampler, PrimesThenComputesAndKeepsTheFigureOnFailure) {
  g_samples.clear();
  g_reads = 0;
  CpuUsageSampler sampler;
  sampler.readTimes = ReadQueued;
  int32_t percent = 0;

  // Nothing to read: the start fails and the next sample tries to start again.
  SampleCpuUsage(sampler, percent);
  EXPECT_EQ(sampler.groupCount, 0);
  EXPECT_EQ(g_reads, 1);

  g_samples = {SystemCpuTimes{100, 200, 100}, SystemCpuTimes{150, 300, 150}};
  SampleCpuUsage(sampler, percent);  // starts: the first sample only primes
  EXPECT_EQ(sampler.groupCount, 1);
  EXPECT_TRUE(sampler.primed);
  EXPECT_EQ(percent, 0);
  SampleCpuUsage(sampler, percent);  // busy 100 + 50 - 50 = 100 of 150
  EXPECT_EQ(percent, 67);
  SampleCpuUsage(sampler, percent);  // read fails: figure kept
  EXPECT_EQ(percent, 67);
  EXPECT_TRUE(StartCpuUsageSampler(sampler));  // already running

  StopCpuUsageSampler(sampler);
  EXPECT_EQ(sampler.groupCount, 0);
  EXPECT_FALSE(sampler.primed);
}

}  // namespace
}  // namespace mora
