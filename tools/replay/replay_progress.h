// Progress lines for long replays and benchmarks: at most one line a second on the error stream,
// the first one only after a second has passed, so short runs print none.
#pragma once

#include <cstdint>
#include <cstdio>

namespace mora::replay {

struct ProgressReporter {
    std::FILE* stream = nullptr;  // null: silent
    uint64_t intervalTicks = 0;
    uint64_t nextTicks = 0;
};

void StartProgress(ProgressReporter& progress, std::FILE* stream);

// Prints "mora_replay: <what> <done> of <total>" when the interval has passed since the last line.
void ReportProgress(ProgressReporter& progress, const char* what, uint64_t done, uint64_t total);

}  // namespace mora::replay
