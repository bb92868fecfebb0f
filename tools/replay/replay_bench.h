// mora-replay's --bench: replays a frame range several times from the capture's start state and
// reports frames per second (median of the runs) with the time per pipeline stage, followed by
// the profiler's scope report.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "replay_progress.h"
#include "replay_session.h"

namespace mora::replay {

struct BenchReport {
    uint32_t firstFrame = 0;
    uint32_t lastFrame = 0;
    std::vector<double> runSeconds;  // timed frames of each run
    StageTicks stages;               // all timed frames of all runs
};

// Each run restores the capture start, replays frames before `first` untimed (later frames
// depend on them) and times frames first..last.
BenchReport RunReplayBench(ReplaySession& session, uint32_t first, uint32_t last, int32_t runs,
                           ProgressReporter& progress);

// Median of the values (mean of the middle two for an even count); 0 for none.
double Median(std::vector<double> values);

// The run lines, the median frames per second and the stage table.
void PrintBenchReport(std::FILE* out, const BenchReport& report);

}  // namespace mora::replay
