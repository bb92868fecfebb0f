// Rate-limited progress lines.
#include "replay_progress.h"

#include <cinttypes>

#include "platform/clock.h"

namespace mora::replay {

void StartProgress(ProgressReporter& progress, std::FILE* stream) {
    progress.stream = stream;
    progress.intervalTicks = platform::PerformanceFrequency();
    progress.nextTicks = platform::PerformanceCounter() + progress.intervalTicks;
}

void ReportProgress(ProgressReporter& progress, const char* what, uint64_t done, uint64_t total) {
    if (progress.stream == nullptr) return;
    const uint64_t now = platform::PerformanceCounter();
    if (now < progress.nextTicks) return;
    progress.nextTicks = now + progress.intervalTicks;
    std::fprintf(progress.stream, "mora_replay: %s %" PRIu64 " of %" PRIu64 "\n", what, done, total);
    std::fflush(progress.stream);
}

}  // namespace mora::replay
