// Cost of the immediate-mode entry points as a game calls them: glColor4ub + glTexCoord2f +
// glVertex3f per vertex, with recording on (full pipeline) or off (cut-off 0) and no trace range.
// Each iteration times one batch of kBatchVertices vertices between glBegin and glEnd; between
// batches, outside the timed region, the command buffers and the vertex list are emptied (as the
// frame hand-over does), so the buffers stay at their steady capacity and nothing grows.
#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cstdint>

#include "frame/context_record.h"
#include "gl/command_buffer.h"
#include "gl/gl_context.h"
#include "immediate_triples.h"
#include "mora/gl.h"
#include "panel/driver_settings.h"
#include "platform/device_context.h"

namespace {

constexpr int kBatchVertices = 4096;  // 4096 x 44 recorded bytes stay well inside the 4 MiB stream

// The GL entries change nothing on a thread without a current context: one on an offscreen device
// context, made once for the program.
void EnsureCurrentContext() {
    static const bool current = [] {
        auto* dc = mora::platform::CreateOffscreenDeviceContext(64, 64);
        return dc != nullptr && mora::SetCurrentContextRecord(mora::CreateContextRecord(reinterpret_cast<HDC>(dc)));
    }();
    (void)current;
}

void ResetFrame() {
    mora::EmptyCommandBuffer(mora::TheCommandRecording().stream);
    mora::EmptyCommandBuffer(mora::TheCommandRecording().blob);
    mora::TheGlContext().primitiveVertices.clear();
}

void ImmediateTriples(benchmark::State& state, int cutoff) {
    EnsureCurrentContext();
    mora::SetSettingValue(mora::TheDriverSettings().PipelineCutoff, cutoff);
    ResetFrame();
    float x = 0.0f;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        SubmitImmediateTriples(kBatchVertices, x);
        const auto stop = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
        ResetFrame();
    }
    // Entry calls per iteration; the inverted rate is the time per call.
    state.counters["per_call"] =
        benchmark::Counter(ImmediateTripleCalls(kBatchVertices),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.SetItemsProcessed(state.iterations() * kBatchVertices);
    mora::SetSettingValue(mora::TheDriverSettings().PipelineCutoff, 5);
}

void BM_ImmediateTriplesRecording(benchmark::State& state) { ImmediateTriples(state, 5); }
void BM_ImmediateTriplesNotRecording(benchmark::State& state) { ImmediateTriples(state, 0); }

BENCHMARK(BM_ImmediateTriplesRecording)->UseManualTime();
BENCHMARK(BM_ImmediateTriplesNotRecording)->UseManualTime();

// The vertex-array draws with colour, texture-coordinate and vertex arrays of kArrayElements
// elements (ubyte colours, float coordinates): glArrayElement per vertex inside glBegin/glEnd, and
// one glDrawElements of 1000 unsigned short indices. Recording on; the buffers are emptied
// between iterations, outside the timed region.
constexpr int kArrayElements = 1000;
std::array<GLfloat, 3 * kArrayElements> gPositions{};
std::array<GLfloat, 2 * kArrayElements> gTexCoords{};
std::array<GLubyte, 4 * kArrayElements> gColours{};
std::array<GLushort, kArrayElements> gIndices{};

void PointArrays() {
    for (int i = 0; i < kArrayElements; ++i) {
        gPositions[3 * i] = static_cast<float>(i);
        gIndices[i] = static_cast<GLushort>((i * 7) % kArrayElements);
    }
    glVertexPointer(3, GL_FLOAT, 0, gPositions.data());
    glTexCoordPointer(2, GL_FLOAT, 0, gTexCoords.data());
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, gColours.data());
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
}

void BM_ArrayElement(benchmark::State& state) {
    mora::SetSettingValue(mora::TheDriverSettings().PipelineCutoff, 5);
    PointArrays();
    ResetFrame();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        glBegin(GL_TRIANGLES);
        for (GLint i = 0; i < kArrayElements; ++i) glArrayElement(i);
        glEnd();
        const auto stop = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
        ResetFrame();
    }
    // The inverted rate is the time per glArrayElement.
    state.counters["per_call"] =
        benchmark::Counter(kArrayElements, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ArrayElement)->UseManualTime();

void BM_DrawElements1000(benchmark::State& state) {
    mora::SetSettingValue(mora::TheDriverSettings().PipelineCutoff, 5);
    PointArrays();
    ResetFrame();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        glDrawElements(GL_TRIANGLES, kArrayElements, GL_UNSIGNED_SHORT, gIndices.data());
        const auto stop = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
        ResetFrame();
    }
    state.SetItemsProcessed(state.iterations() * kArrayElements);
}
BENCHMARK(BM_DrawElements1000)->UseManualTime();

// A counted-only entry: the bare frame (count and trace-range test).
void BM_CountedOnlyEntry(benchmark::State& state) {
    EnsureCurrentContext();
    for (auto _ : state) {
        glNormal3f(0.0f, 0.0f, 1.0f);
    }
}
BENCHMARK(BM_CountedOnlyEntry);

}  // namespace
