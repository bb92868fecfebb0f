// CPU usage sampler for the FPS overlay: machine-wide busy percentage between two samples of the
// system processor times. Linux reports all processors in one set of figures, so there is one
// processor group and the sample is read directly on the calling thread (a file read, no thread).
#pragma once

#include <cstdint>

#include "platform/system_cpu_times.h"

namespace mora {

struct CpuUsageSampler {
    // Where samples come from; tests put a reader of their own here.
    bool (*readTimes)(platform::SystemCpuTimes*) = platform::ReadSystemCpuTimes;
    platform::SystemCpuTimes current;
    platform::SystemCpuTimes previous;
    uint16_t groupCount = 0;  // 0 = not running
    bool primed = false;      // a first sample has been taken
};

// Starts the sampler (true at once when running) and takes the first sample. False when the
// times cannot be read.
bool StartCpuUsageSampler(CpuUsageSampler& sampler);

// Takes a sample and updates cpuPercent from the times since the previous one. Starts the
// sampler instead when it is not running. A failed read keeps the old figure.
void SampleCpuUsage(CpuUsageSampler& sampler, int32_t& cpuPercent);

void StopCpuUsageSampler(CpuUsageSampler& sampler);

// Busy percentage between two samples: busy = kernel + user - idle deltas in unsigned 64-bit
// arithmetic, floor(busy x 100 / (busy + idle) + 0.5) in double precision, clamped to 0..100.
// A total of 0 keeps previousPercent.
int32_t CpuPercentBetween(const platform::SystemCpuTimes& previous, const platform::SystemCpuTimes& current,
                          int32_t previousPercent);

}  // namespace mora
