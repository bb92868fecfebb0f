// CPU usage: /proc/stat parsing, the percentage and its clamping, and the sampler's priming,
// failure and restart rules with an injected time source.
#include <gtest/gtest.h>

#include <deque>

#include "present/cpu_usage_sampler.h"

namespace mora {
namespace {

using platform::SystemCpuTimes;

TEST(SystemCpuTimes, ParsesTheAggregateLineAndReadsThisMachine) {
    SystemCpuTimes times;
    ASSERT_TRUE(platform::ParseSystemCpuTimes("cpu  100 5 40 1000 20 3 2 1 50 7\ncpu0 1 2 3 4 5 6 7 8 9 10\n", &times));
    EXPECT_EQ(times.user, 105u);   // user + nice; guest is inside them already
    EXPECT_EQ(times.idle, 1020u);  // idle + iowait
    EXPECT_EQ(times.kernel, 40u + 3 + 2 + 1 + 1020);
    ASSERT_TRUE(platform::ParseSystemCpuTimes("cpu 1 2 3 4", &times));  // old kernels: four columns
    EXPECT_EQ(times.idle, 4u);
    EXPECT_EQ(times.kernel, 7u);
    for (const char* bad : {"cpu 1 2 3", "cpu0 1 2 3 4 5", "cpu  1 x 3 4", ""})
        EXPECT_FALSE(platform::ParseSystemCpuTimes(bad, &times)) << bad;
    EXPECT_FALSE(platform::ParseSystemCpuTimes("cpu  1 2 3 4", nullptr));

    ASSERT_TRUE(platform::ReadSystemCpuTimes(&times));
    EXPECT_GE(times.kernel, times.idle);
    EXPECT_GT(times.kernel + times.user, 0u);
}

TEST(CpuPercent, RoundsHalfUpAndStaysWithinRange) {
    const SystemCpuTimes start{1000, 2000, 500};
    const struct {
        SystemCpuTimes now;
        int32_t percent;
    } cases[] = {
        {{1199, 2200, 500}, 1},    // busy 1 of 200 = 0.5 % rounds half up
        {{1000, 2000, 500}, 42},   // no time passed: the old figure stays
        {{1500, 2100, 500}, 100},  // kernel below idle still gives 0..100
        {{1100, 1900, 500}, 100},  // kernel went back: busy wraps to a huge value and clamps
    };
    for (const auto& c : cases)
        EXPECT_EQ(CpuPercentBetween(start, c.now, 42), c.percent) << c.now.idle << " " << c.now.kernel;
}

std::deque<SystemCpuTimes> gSamples;
int gReads = 0;
bool ReadQueued(SystemCpuTimes* times) {
    ++gReads;
    if (gSamples.empty()) return false;
    *times = gSamples.front();
    gSamples.pop_front();
    return true;
}

TEST(CpuUsageSampler, PrimesThenComputesAndKeepsTheFigureOnFailure) {
    gSamples.clear();
    gReads = 0;
    CpuUsageSampler sampler;
    sampler.readTimes = ReadQueued;
    int32_t percent = 0;

    SampleCpuUsage(sampler, percent);  // nothing to read: the start fails, the next sample tries again
    EXPECT_EQ(sampler.groupCount, 0);
    EXPECT_EQ(gReads, 1);

    gSamples = {SystemCpuTimes{100, 200, 100}, SystemCpuTimes{150, 300, 150}};
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
