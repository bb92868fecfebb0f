// /proc/stat read and parse for the CPU usage sampler.
#include "platform/system_cpu_times.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>

namespace mora::platform {

bool ParseSystemCpuTimes(std::string_view procStat, SystemCpuTimes* times) {
    if (times == nullptr) return false;
    const std::string_view line = procStat.substr(0, procStat.find('\n'));
    if (line.size() < 4 || line.substr(0, 4) != "cpu ") return false;

    // user nice system idle iowait irq softirq steal guest guest_nice
    constexpr int kColumns = 8;  // guest columns are part of user and nice already
    std::uint64_t column[kColumns] = {};
    int parsed = 0;
    const char* cursor = line.data() + 4;
    const char* const end = line.data() + line.size();
    while (parsed < kColumns) {
        while (cursor < end && *cursor == ' ') ++cursor;
        if (cursor == end) break;
        const auto [next, error] = std::from_chars(cursor, end, column[parsed]);
        if (error != std::errc{}) return false;
        cursor = next;
        ++parsed;
    }
    if (parsed < 4) return false;

    const std::uint64_t idle = column[3] + column[4];
    times->idle = idle;
    times->kernel = column[2] + column[5] + column[6] + column[7] + idle;
    times->user = column[0] + column[1];
    return true;
}

bool ReadSystemCpuTimes(SystemCpuTimes* times) {
    const int descriptor = ::open("/proc/stat", O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return false;
    // The aggregate line comes first and is far shorter than this.
    char text[1024];
    std::size_t size = 0;
    while (size < sizeof(text)) {
        const ssize_t got = ::read(descriptor, text + size, sizeof(text) - size);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        size += static_cast<std::size_t>(got);
    }
    ::close(descriptor);
    return ParseSystemCpuTimes(std::string_view(text, size), times);
}

}  // namespace mora::platform
