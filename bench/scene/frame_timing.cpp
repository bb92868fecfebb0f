#include "frame_timing.h"

#include <algorithm>
#include <numeric>

namespace mora::scene {

TimingSummary SummarizeTimes(std::vector<double> milliseconds) {
    TimingSummary summary;
    const std::size_t n = milliseconds.size();
    if (n == 0) return summary;
    std::sort(milliseconds.begin(), milliseconds.end());
    summary.medianMs = n % 2 == 1 ? milliseconds[n / 2] : 0.5 * (milliseconds[n / 2 - 1] + milliseconds[n / 2]);
    const std::size_t rank = (95 * n + 99) / 100;  // ceil(0.95 n) in integers
    summary.p95Ms = milliseconds[std::clamp<std::size_t>(rank, 1, n) - 1];
    summary.maxMs = milliseconds.back();
    summary.meanMs = std::accumulate(milliseconds.begin(), milliseconds.end(), 0.0) / static_cast<double>(n);
    summary.framesPerSecond = summary.meanMs > 0.0 ? 1000.0 / summary.meanMs : 0.0;
    return summary;
}

}  // namespace mora::scene
