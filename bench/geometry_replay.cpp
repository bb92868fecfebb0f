// Replay cost per vertex: a 100,000-vertex frame of textured, coloured quads (texture coordinate,
// colour, vertex triples that the executor fuses) with state changes between primitives.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "gl/command_append.h"
#include "gl/command_executor.h"
#include "gl/gl_context.h"

namespace {

constexpr uint32_t kFrameVertices = 100000;

void AppendFrame(mora::CommandRecording& rec) {
    using namespace mora;
    std::mt19937 rng(1);
    std::uniform_real_distribution<float> pos(-10.0f, 10.0f);
    CommandStream& s = rec.stream;
    AppendViewport(s, 0, 0, 1280, 720);
    AppendMatrixMode(s, 0x1701);
    AppendLoadIdentity(s);
    AppendFrustum(s, -1, 1, -0.5625, 0.5625, 1, 1000);
    AppendMatrixMode(s, 0x1700);
    for (uint32_t v = 0; v < kFrameVertices; v += 40) {  // primitives of 10 quads
        AppendLoadIdentity(s);
        AppendTranslatef(s, pos(rng), pos(rng), -20.0f);
        AppendBindTexture(s, 0x0DE1, 0);
        AppendBegin(s, 7);
        for (uint32_t q = 0; q < 40; ++q) {
            AppendTexCoord2f(s, float(q & 1), float((q >> 1) & 1));
            AppendColor(s, 0xFF000000u | rng());
            AppendVertex3f(s, pos(rng), pos(rng), pos(rng));
        }
        AppendEnd(s);
    }
    AppendFrameEnd(s);
}

void BM_ReplayFrame(benchmark::State& state) {
    mora::CommandRecording rec;
    AppendFrame(rec);
    auto ctx = std::make_unique<mora::GlContext>();
    const mora::RenderOverrides overrides{0, false, false, false, 0};
    for (auto _ : state) {
        ctx->frameVertices.clear();
        ctx->nativePackets.clear();
        ctx->packetSequence = 0;
        mora::ReplayCommands(*ctx, rec.stream, rec.blob, overrides);
        benchmark::DoNotOptimize(ctx->nativePackets.data());
    }
    state.counters["ns_per_vertex"] = benchmark::Counter(
        kFrameVertices * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["stream_MiB"] = double(mora::CommandBufferSize(rec.stream)) / (1 << 20);
}
BENCHMARK(BM_ReplayFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
