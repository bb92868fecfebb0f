// CPU usage from two samples of the system processor times.
#include "present/cpu_usage_sampler.h"

#include <cmath>

namespace mora {

int32_t CpuPercentBetween(const platform::SystemCpuTimes& previous, const platform::SystemCpuTimes& current,
                          int32_t previousPercent) {
    // Unsigned wrap-around is intended: counters that went backwards give huge deltas, which the
    // clamp below turns into a figure inside 0..100.
    const uint64_t idle = current.idle - previous.idle;
    const uint64_t busy = (current.kernel - previous.kernel) + (current.user - previous.user) - idle;
    const uint64_t total = busy + idle;
    if (total == 0) return previousPercent;
    const double percent = std::floor(static_cast<double>(busy) * 100.0 / static_cast<double>(total) + 0.5);
    if (!(percent >= 0.0)) return 0;
    return percent > 100.0 ? 100 : static_cast<int32_t>(percent);
}

bool StartCpuUsageSampler(CpuUsageSampler& sampler) {
    if (sampler.groupCount != 0) return true;
    if (sampler.readTimes == nullptr) return false;
    platform::SystemCpuTimes first;
    if (!sampler.readTimes(&first)) return false;
    sampler.groupCount = 1;
    sampler.current = first;
    sampler.previous = first;
    sampler.primed = true;
    return true;
}

void SampleCpuUsage(CpuUsageSampler& sampler, int32_t& cpuPercent) {
    if (sampler.groupCount == 0) {
        StartCpuUsageSampler(sampler);
        return;
    }
    platform::SystemCpuTimes now;
    if (!sampler.readTimes(&now)) return;
    sampler.current = now;
    if (!sampler.primed) {
        sampler.primed = true;
        sampler.previous = now;
        return;
    }
    cpuPercent = CpuPercentBetween(sampler.previous, sampler.current, cpuPercent);
    sampler.previous = sampler.current;
}

void StopCpuUsageSampler(CpuUsageSampler& sampler) {
    sampler.groupCount = 0;
    sampler.primed = false;
}

}  // namespace mora
