// Cost of the per-call trace test outside a trace range, of one traced line inside it, and of the
// settings read the entry frame does on every call.
#include <benchmark/benchmark.h>

#include <string>

#include "diag/frame_counter.h"
#include "diag/trace.h"
#include "panel/driver_settings.h"
#include "platform/file.h"

namespace {

void BM_TraceTestOutsideRange(benchmark::State& state) {
    mora::ClearTraceRange();
    mora::SetFrameCounter(100);
    for (auto _ : state) {
        if (mora::TraceCoversCurrentFrame()) mora::TraceLine("MORA::GL::Vertex3f", "(x=%f, y=%f, z=%f)", 1.0, 2.0, 3.0);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_TraceTestOutsideRange);

void BM_PipelineCutoffRead(benchmark::State& state) {
    int32_t sum = 0;
    for (auto _ : state) {
        sum += mora::SettingValue(mora::TheDriverSettings().PipelineCutoff);
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_PipelineCutoffRead);

void BM_TraceLineInsideRange(benchmark::State& state) {
    const std::string folder = mora::platform::CreateTemporaryDirectory("mora_bench_trace");
    mora::SetFrameCounter(0);
    if (folder.empty() || !mora::OpenTrace(0, 0, "bench", false, folder.c_str())) {
        state.SkipWithError("cannot open a trace file");
        return;
    }
    for (auto _ : state) {
        if (mora::TraceCoversCurrentFrame()) mora::TraceLine("MORA::GL::Vertex3f", "(x=%f, y=%f, z=%f)", 1.0, 2.0, 3.0);
    }
    mora::CloseTrace();
    mora::ClearTraceRange();
    mora::platform::RemoveDirectoryTree(folder.c_str());
}
BENCHMARK(BM_TraceLineInsideRange);

}  // namespace
