// The performance counter's frequency is measured against the monotonic clock when the counter is
// the processor's time-stamp counter: a wrong calibration would scale every profile and idle spin.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <thread>

#include "platform/clock.h"

namespace mora::platform {
namespace {

TEST(Clock, CounterTicksAtItsStatedFrequency) {
    const std::uint64_t frequency = PerformanceFrequency();
    const auto wallStart = std::chrono::steady_clock::now();
    const std::uint64_t start = PerformanceCounter();
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    const std::uint64_t ticks = PerformanceCounter() - start;
    const double wallMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallStart).count();
    const double counterMs = static_cast<double>(TicksToNanoseconds(ticks, frequency)) / 1e6;
    // Both clocks read the same interval; a calibration off by a few percent would show.
    EXPECT_NEAR(counterMs, wallMs, wallMs * 0.02 + 0.5);
}

}  // namespace
}  // namespace mora::platform
