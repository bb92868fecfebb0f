#include "platform/clock.h"

#include <time.h>

#include <atomic>

#include "platform/once.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#define MORA_HAVE_TSC 1
#else
#define MORA_HAVE_TSC 0
#endif

namespace mora::platform {

namespace {
constexpr std::uint64_t kNanosecondsPerSecond = 1000000000ull;
// A 128-bit product keeps the frequency measurement exact.
__extension__ typedef unsigned __int128 Wide;

std::uint64_t MonotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * kNanosecondsPerSecond + static_cast<std::uint64_t>(now.tv_nsec);
}

// The render path opens a profiler scope per 8x8 tile, so reading the counter must cost a few
// cycles. The time-stamp counter does, where the processor guarantees it runs at a constant rate
// in every power state and on every core (the "invariant TSC" bit); clock_gettime costs tens of
// nanoseconds in a virtual machine, and is the fallback.
enum Source : std::uint32_t { kUndecided = 0, kTimeStampCounter = 1, kMonotonicClock = 2 };
constinit std::atomic<std::uint32_t> gSource{kUndecided};
constinit OnceFlag gFrequencyOnce;
constinit std::uint64_t gFrequency = kNanosecondsPerSecond;

bool InvariantTimeStampCounter() {
#if MORA_HAVE_TSC
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(0x80000000u, &eax, &ebx, &ecx, &edx) == 0 || eax < 0x80000007u) return false;
    if (__get_cpuid(0x80000007u, &eax, &ebx, &ecx, &edx) == 0) return false;
    return (edx & (1u << 8)) != 0;
#else
    return false;
#endif
}

Source DecideSource() {
    std::uint32_t source = gSource.load(std::memory_order_relaxed);
    if (source == kUndecided) {
        source = InvariantTimeStampCounter() ? kTimeStampCounter : kMonotonicClock;
        gSource.store(source, std::memory_order_relaxed);  // every thread decides the same
    }
    return static_cast<Source>(source);
}

// Counter ticks over a few milliseconds of the monotonic clock; the shortest of three bracketing
// reads keeps an interrupt between the two clocks from skewing the result.
std::uint64_t MeasureTimeStampFrequency() {
#if MORA_HAVE_TSC
    auto pair = [](std::uint64_t& ns, std::uint64_t& ticks) {
        std::uint64_t best = ~std::uint64_t{0};
        for (int i = 0; i < 3; ++i) {
            const std::uint64_t before = __rdtsc();
            const std::uint64_t now = MonotonicNanoseconds();
            const std::uint64_t after = __rdtsc();
            if (after - before < best) {
                best = after - before;
                ns = now;
                ticks = before + (after - before) / 2;
            }
        }
    };
    std::uint64_t ns0 = 0, ticks0 = 0, ns1 = 0, ticks1 = 0;
    pair(ns0, ticks0);
    do {
        pair(ns1, ticks1);
    } while (ns1 - ns0 < 4000000u);
    const std::uint64_t frequency =
        static_cast<std::uint64_t>(static_cast<Wide>(ticks1 - ticks0) * kNanosecondsPerSecond / (ns1 - ns0));
    return frequency == 0 ? 1 : frequency;
#else
    return kNanosecondsPerSecond;
#endif
}
}  // namespace

std::uint64_t PerformanceCounter() {
#if MORA_HAVE_TSC
    if (DecideSource() == kTimeStampCounter) return __rdtsc();
#endif
    return MonotonicNanoseconds();
}

std::uint64_t PerformanceFrequency() {
    CallOnce(gFrequencyOnce, [] {
        gFrequency = DecideSource() == kTimeStampCounter ? MeasureTimeStampFrequency() : kNanosecondsPerSecond;
    });
    return gFrequency;
}

}  // namespace mora::platform
