#include "platform/clock.h"

#include <time.h>

namespace mora::platform {

namespace {
constexpr std::uint64_t kNanosecondsPerSecond = 1000000000ull;
// 128-bit products keep tick conversions exact for any 64-bit input.
__extension__ typedef unsigned __int128 Wide;
}

// CLOCK_MONOTONIC in nanoseconds: the counter's frequency is 10^9.
std::uint64_t PerformanceCounter() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * kNanosecondsPerSecond + static_cast<std::uint64_t>(now.tv_nsec);
}

std::uint64_t PerformanceFrequency() { return kNanosecondsPerSecond; }

std::uint64_t TicksToNanoseconds(std::uint64_t ticks, std::uint64_t frequency) {
  if (frequency == 0) return 0;
  const std::uint64_t seconds = ticks / frequency;
  const std::uint64_t rest = ticks % frequency;
  const Wide restNs = static_cast<Wide>(rest) * kNanosecondsPerSecond / frequency;
  return seconds * kNanosecondsPerSecond + static_cast<std::uint64_t>(restNs);
}

std::uint64_t MicrosecondsToTicks(std::uint64_t microseconds, std::uint64_t frequency) {
  const Wide ticks = static_cast<Wide>(microseconds) * frequency / 1000000u;
  return ticks > ~std::uint64_t{0} ? ~std::uint64_t{0} : static_cast<std::uint64_t>(ticks);
}

}  // namespace mora::platform
