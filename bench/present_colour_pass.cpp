// Colour pass cost per frame at 1280x720 and 1920x1080: neutral at equal sizes (a copy),
// non-neutral at equal sizes (matrix + tone table), and scaled (render size 3/4 of the output
// in each direction, neutral and non-neutral).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "present/colour_pass.h"
#include "present/staging_ring.h"

namespace {

struct Frame {
    mora::StagingBuffer buffer;
    mora::ImageView view;
    Frame(int32_t width, int32_t height) {
        mora::ResizeStagingBuffer(buffer, width, height);
        view = mora::ImageView{buffer.base, mora::StagingRowPitch(width), width, height};
        uint32_t state = 0x9E3779B9u;
        for (int32_t y = 0; y < height; ++y) {
            uint32_t* row = mora::ImageRow(view, y);
            // A smooth gradient with noise, like a rendered frame rather than white noise.
            for (int32_t x = 0; x < width; ++x) {
                state ^= state << 13;
                state ^= state >> 17;
                state ^= state << 5;
                row[x] = 0xFF000000u | (((x * 255 / width) ^ (state & 7)) << 16) |
                         (((y * 255 / height) ^ (state >> 8 & 7)) << 8) | ((x + y) & 0xFF);
            }
        }
    }
    ~Frame() { mora::FreeStagingBuffer(buffer); }
};

mora::PostProcessConstants Adjusted() {
    mora::PostProcessConstants k;
    k.gamma = 1.2f;
    k.hueRadians = 0.35f;
    k.saturation = 1.3f;
    k.brightness = 1.1f;
    k.videoRange = 0.5f;
    return k;
}

void RunPass(benchmark::State& state, bool neutral, bool scaled) {
    const auto width = static_cast<int32_t>(state.range(0));
    const auto height = static_cast<int32_t>(state.range(1));
    const int32_t sourceWidth = scaled ? width * 3 / 4 : width;
    const int32_t sourceHeight = scaled ? height * 3 / 4 : height;
    Frame source(sourceWidth, sourceHeight);
    Frame target(width, height);
    mora::ColourPass pass;
    mora::PrepareColourPass(pass, sourceWidth, sourceHeight, width, height);
    const mora::PostProcessConstants constants = neutral ? mora::PostProcessConstants{} : Adjusted();
    mora::RunColourPass(pass, constants, source.view, target.view);  // builds the tables once
    for (auto _ : state) {
        mora::RunColourPass(pass, constants, source.view, target.view);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(width) * height);
}

void BM_NeutralSameSize(benchmark::State& state) { RunPass(state, true, false); }
void BM_AdjustedSameSize(benchmark::State& state) { RunPass(state, false, false); }
void BM_NeutralScaled(benchmark::State& state) { RunPass(state, true, true); }
void BM_AdjustedScaled(benchmark::State& state) { RunPass(state, false, true); }

#define MORA_SIZES ->Args({1280, 720})->Args({1920, 1080})->Unit(benchmark::kMillisecond)
BENCHMARK(BM_NeutralSameSize) MORA_SIZES;
BENCHMARK(BM_AdjustedSameSize) MORA_SIZES;
BENCHMARK(BM_NeutralScaled) MORA_SIZES;
BENCHMARK(BM_AdjustedScaled) MORA_SIZES;

}  // namespace
