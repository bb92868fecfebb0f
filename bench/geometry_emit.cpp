// Emit cost per SetupTriangle written: transform, clip, viewport mapping and culling of a
// 100,000-vertex frame of quads, on one job and split over the render job queue.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

#include "geometry/emit_stage.h"
#include "gl/command_append.h"
#include "gl/command_executor.h"
#include "gl/gl_context.h"
#include "rjq/render_job_queue.h"

namespace {

constexpr uint32_t kFrameVertices = 100000;

// Quads scattered in front of the camera; about one in six crosses the view volume's sides.
void BuildFrame(mora::GlContext& ctx) {
    using namespace mora;
    CommandRecording rec;
    std::mt19937 rng(2);
    std::uniform_real_distribution<float> centre(-14.0f, 14.0f), depth(-60.0f, -5.0f), size(0.2f, 2.0f);
    CommandStream& s = rec.stream;
    AppendViewport(s, 0, 0, 1280, 720);
    AppendMatrixMode(s, 0x1701);
    AppendLoadIdentity(s);
    AppendFrustum(s, -1, 1, -0.5625, 0.5625, 1, 1000);
    AppendMatrixMode(s, 0x1700);
    AppendLoadIdentity(s);
    AppendEnable(s, 0x0B44);
    for (uint32_t v = 0; v < kFrameVertices; v += 40) {
        AppendBegin(s, 7);
        for (uint32_t q = 0; q < 10; ++q) {
            const float cx = centre(rng), cy = centre(rng) * 0.6f, z = depth(rng), h = size(rng);
            AppendColor(s, 0xFF000000u | rng());
            AppendVertex3f(s, cx - h, cy - h, z);  // counter-clockwise: front-facing, not culled
            AppendVertex3f(s, cx + h, cy - h, z);
            AppendVertex3f(s, cx + h, cy + h, z);
            AppendVertex3f(s, cx - h, cy + h, z);
        }
        AppendEnd(s);
    }
    ReplayCommands(ctx, rec.stream, rec.blob, RenderOverrides{0, false, false, false, 0});
}

void RunEmit(benchmark::State& state, bool parallel) {
    auto ctx = std::make_unique<mora::GlContext>();
    BuildFrame(*ctx);
    mora::rjq::RenderJobQueue* queue =
        parallel ? mora::rjq::CreateRenderJobQueue(mora::rjq::kDefaultCapacity, 0) : nullptr;
    if (parallel && queue == nullptr) {
        state.SkipWithError("no render job queue");
        return;
    }
    std::vector<mora::SetupTriangle> triangles;
    mora::EmitOptions options{false, false};
    options.surfaceHeight = 720;  // the drawable the frame's viewport covers
    for (auto _ : state) {
        mora::EmitFrameTriangles(*ctx, triangles, parallel, options, queue);
        benchmark::DoNotOptimize(triangles.data());
    }
    const double count = double(triangles.size());
    state.counters["triangles"] = count;
    state.counters["ns_per_triangle"] =
        benchmark::Counter(count * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    if (queue != nullptr) {
        state.counters["workers"] = queue->workerCount;
        mora::rjq::DestroyRenderJobQueue(queue);
    }
}

void BM_EmitSingleJob(benchmark::State& state) { RunEmit(state, false); }
void BM_EmitParallel(benchmark::State& state) { RunEmit(state, true); }
BENCHMARK(BM_EmitSingleJob)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_EmitParallel)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
