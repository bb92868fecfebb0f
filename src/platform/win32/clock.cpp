// The performance counter on Windows: QueryPerformanceCounter, whose frequency the system fixes
// at boot.
#include "platform/clock.h"

#include <windows.h>

namespace mora::platform {

std::uint64_t PerformanceCounter() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<std::uint64_t>(now.QuadPart);
}

std::uint64_t PerformanceFrequency() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<std::uint64_t>(frequency.QuadPart);
}

}  // namespace mora::platform
