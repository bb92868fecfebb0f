// Machine-wide processor times (idle, kernel, user) from the kernel's /proc/stat, the figures
// the FPS overlay's CPU usage sampler turns into a busy percentage once a second.
#pragma once

#include <cstdint>
#include <string_view>

namespace mora::platform {

// Cumulative clock ticks of all processors since boot. As with the Windows system times, kernel
// time includes idle time: busy = kernel + user - idle.
struct SystemCpuTimes {
    std::uint64_t idle = 0;    // idle + iowait
    std::uint64_t kernel = 0;  // system + irq + softirq + steal + idle
    std::uint64_t user = 0;    // user + nice (guest time is already counted in these)
};

// Parses the aggregate "cpu" line (the first line of /proc/stat). Needs at least the user, nice,
// system and idle columns; missing later columns count as 0. False when the text has no such line.
bool ParseSystemCpuTimes(std::string_view procStat, SystemCpuTimes* times);

// Reads /proc/stat and parses it. False when the file cannot be read or parsed.
bool ReadSystemCpuTimes(SystemCpuTimes* times);

}  // namespace mora::platform
