// Monotonic performance counter and its frequency (ticks per second), the time
// base of the profiler, the job queue's idle spin and the occupancy record.
#pragma once

#include <cstdint>

namespace mora::platform {

// Ticks since an arbitrary start; never goes backwards.
std::uint64_t PerformanceCounter();

// Ticks per second of PerformanceCounter; constant for the process.
std::uint64_t PerformanceFrequency();

// ticks -> nanoseconds as whole seconds x 1e9 plus the remaining ticks x 1e9 /
// frequency, exact without overflow for any tick count below 2^64.
std::uint64_t TicksToNanoseconds(std::uint64_t ticks, std::uint64_t frequency);

// microseconds x frequency / 1000000, saturating at 2^64 - 1.
std::uint64_t MicrosecondsToTicks(std::uint64_t microseconds, std::uint64_t frequency);

}  // namespace mora::platform
