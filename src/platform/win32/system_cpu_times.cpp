// Machine-wide processor times on Windows: GetSystemTimes (kernel time includes idle time, which
// is the convention the sampler works with on every platform).
#include "platform/system_cpu_times.h"

#include <windows.h>

namespace mora::platform {

namespace {
std::uint64_t Ticks(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}
}  // namespace

bool ReadSystemCpuTimes(SystemCpuTimes* times) {
    FILETIME idle, kernel, user;
    if (times == nullptr || !GetSystemTimes(&idle, &kernel, &user)) return false;
    *times = SystemCpuTimes{Ticks(idle), Ticks(kernel), Ticks(user)};
    return true;
}

}  // namespace mora::platform
