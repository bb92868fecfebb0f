// Per-frame times of one renderer in the scene benchmark and their summary (median, 95th
// percentile, mean, maximum, frames per second).
#pragma once

#include <vector>

namespace mora::scene {

struct TimingSummary {
    double medianMs = 0.0;
    double p95Ms = 0.0;  // nearest rank: the smallest time that at least 95% of frames do not exceed
    double meanMs = 0.0;
    double maxMs = 0.0;
    double framesPerSecond = 0.0;  // 1000 / mean; 0 without frames
};

// Median of an even count is the mean of the two middle values. Empty input gives all zeros.
TimingSummary SummarizeTimes(std::vector<double> milliseconds);

}  // namespace mora::scene
