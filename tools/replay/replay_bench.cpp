// Timed replay runs and their report.
#include "replay_bench.h"

#include <algorithm>

#include "platform/clock.h"

namespace mora::replay {

namespace {

double TicksToMilliseconds(uint64_t ticks) {
    return static_cast<double>(platform::TicksToNanoseconds(ticks, platform::PerformanceFrequency())) / 1e6;
}

}  // namespace

BenchReport RunReplayBench(ReplaySession& session, uint32_t first, uint32_t last, int32_t runs,
                           ProgressReporter& progress) {
    BenchReport report;
    report.firstFrame = first;
    report.lastFrame = last;
    const uint64_t framesPerRun = static_cast<uint64_t>(last) - first + 1;
    const uint64_t totalFrames = framesPerRun * static_cast<uint64_t>(runs);
    for (int32_t run = 0; run < runs; ++run) {
        RestoreCaptureStart(session);
        while (session.nextFrame < first && ReplayNextFrame(session, nullptr)) {
        }
        uint64_t runTicks = 0;
        while (session.nextFrame <= last) {
            StageTicks frame;
            const uint64_t start = platform::PerformanceCounter();
            if (!ReplayNextFrame(session, &frame)) break;
            runTicks += platform::PerformanceCounter() - start;
            AddStageTicks(report.stages, frame);
            ReportProgress(progress, "bench: frame",
                           static_cast<uint64_t>(run) * framesPerRun + session.nextFrame - first, totalFrames);
        }
        report.runSeconds.push_back(TicksToMilliseconds(runTicks) / 1000.0);
    }
    return report;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

void PrintBenchReport(std::FILE* out, const BenchReport& report) {
    const uint32_t frames = report.lastFrame - report.firstFrame + 1;
    for (std::size_t run = 0; run < report.runSeconds.size(); ++run) {
        const double seconds = report.runSeconds[run];
        std::fprintf(out, "run %zu: %.4f s, %.1f fps\n", run + 1, seconds, seconds > 0.0 ? frames / seconds : 0.0);
    }
    const double median = Median(report.runSeconds);
    const auto [fastest, slowest] = std::minmax_element(report.runSeconds.begin(), report.runSeconds.end());
    if (median > 0.0 && fastest != report.runSeconds.end()) {
        std::fprintf(out, "fps: %.1f (median of %zu runs of %u frames; slowest run %.1f, fastest %.1f)\n",
                     frames / median, report.runSeconds.size(), frames, frames / *slowest, frames / *fastest);
    }
    const StageTicks& stages = report.stages;
    const uint64_t total = stages.replay + stages.emit + stages.render + stages.reset;
    if (stages.frames == 0 || total == 0) return;
    const double perFrame = 1.0 / static_cast<double>(stages.frames);
    std::fprintf(out, "stage                            ms/frame  share\n");
    const auto line = [&](const char* name, uint64_t ticks) {
        std::fprintf(out, "%-32s %8.3f  %5.1f%%\n", name, TicksToMilliseconds(ticks) * perFrame,
                     100.0 * static_cast<double>(ticks) / static_cast<double>(total));
    };
    line("keyframe restore + command replay", stages.replay);
    line("triangle emit", stages.emit);
    line("render (RenderFrame)", stages.render);
    line("frame reset + pending keyframe", stages.reset);
    line("total", total);
}

}  // namespace mora::replay
