// Cost of recording the immediate-mode triple (colour, texture coordinate, vertex) that dominates
// a frame's CommandStream, and of the matching context update, with the buffers already grown.
#include <benchmark/benchmark.h>

#include <memory>

#include "gl/command_append.h"
#include "gl/gl_context.h"
#include "gl/gl_state.h"
#include "gl/immediate_mode.h"

namespace {

constexpr int kVerticesPerFrame = 30000;

void BM_RecordVertexTriples(benchmark::State& state) {
    mora::CommandStream stream;
    mora::ReserveCommandBuffer(stream, mora::kCommandStreamReserveBytes);
    for (auto _ : state) {
        mora::EmptyCommandBuffer(stream);
        for (int i = 0; i < kVerticesPerFrame; ++i) {
            const float f = static_cast<float>(i);
            mora::AppendColor(stream, 0xFF000000u | static_cast<uint32_t>(i));
            mora::AppendTexCoord2f(stream, f, f);
            mora::AppendVertex3f(stream, f, f, f);
        }
        benchmark::DoNotOptimize(stream.end);
    }
    state.SetItemsProcessed(state.iterations() * kVerticesPerFrame);
}
BENCHMARK(BM_RecordVertexTriples);

void BM_ApplyVertexTriples(benchmark::State& state) {
    auto ctx = std::make_unique<mora::GlContext>();
    ctx->primitiveVertices.reserve(kVerticesPerFrame);
    for (auto _ : state) {
        mora::BeginPrimitive(*ctx, 4);
        for (int i = 0; i < kVerticesPerFrame; ++i) {
            const float f = static_cast<float>(i);
            mora::ApplyColor(*ctx, 0xFF000000u | static_cast<uint32_t>(i));
            mora::ApplyTexCoord(*ctx, f, f);
            mora::AppendPrimitiveVertex(*ctx, f, f, f);
        }
        benchmark::DoNotOptimize(ctx->primitiveVertices.data());
    }
    state.SetItemsProcessed(state.iterations() * kVerticesPerFrame);
}
BENCHMARK(BM_ApplyVertexTriples);

}  // namespace
