// Binning cost: one worker empties its bins and bins a whole frame of triangles into its own
// MacroTiles, as the worker loop does. Reported per triangle and per worker, for several partition
// counts (the worker's share of the screen) and triangle sizes.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "gl/gl_context.h"
#include "render/binning_stats.h"
#include "render/tile_grid.h"
#include "render/triangle_binning.h"
#include "render/worker_partition.h"

namespace mora {
namespace {

constexpr int32_t kWidth = 1024;
constexpr int32_t kHeight = 768;
constexpr int kTriangles = 20000;

// Triangles with a random first vertex on screen and the other two within `extent` pixels of it.
std::vector<SetupTriangle> Scene(float extent) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> x(0.0f, static_cast<float>(kWidth));
    std::uniform_real_distribution<float> y(0.0f, static_cast<float>(kHeight));
    std::uniform_real_distribution<float> offset(-extent, extent);
    std::vector<SetupTriangle> triangles(kTriangles);
    for (SetupTriangle& t : triangles) {
        t.x0 = x(random);
        t.y0 = y(random);
        t.x1 = t.x0 + offset(random);
        t.y1 = t.y0 + offset(random);
        t.x2 = t.x0 + offset(random);
        t.y2 = t.y0 + offset(random);
    }
    return triangles;
}

WorkerBinningView ViewFor(uint16_t worker) {
    TileGrid& grid = TheTileGrid();
    WorkerBinningView view;
    view.size = CurrentTileGridSize(TheGlContext());
    view.bins = grid.bins.data();
    view.ownedTiles = grid.workerMacroTiles[worker].data();
    view.ownedCount = grid.workerMacroTiles[worker].size();
    view.owner = grid.macroTileOwner.data();
    view.worker = worker;
    return view;
}

// Args: partition count, triangle extent in pixels.
void BM_BinFramePerWorker(benchmark::State& state) {
    const int32_t partitions = static_cast<int32_t>(state.range(0));
    const std::vector<SetupTriangle> scene = Scene(static_cast<float>(state.range(1)));
    ResizeTileGrid(kWidth, kHeight);
    RebuildWorkerTilePartition(partitions);
    std::vector<WorkerBinningView> views;
    for (int32_t w = 0; w < partitions; ++w) views.push_back(ViewFor(static_cast<uint16_t>(w)));

    BinningStats stats;
    std::size_t next = 0;
    for (auto _ : state) {
        const WorkerBinningView& view = views[next];
        next = (next + 1) % views.size();
        EmptyOwnedBins(view);
        for (uint32_t t = 0; t < kTriangles; ++t) BinTriangle(scene[t], t, view, stats);
        benchmark::ClobberMemory();
    }
    const double binned = static_cast<double>(state.iterations()) * kTriangles;
    state.counters["time_per_triangle"] =
        benchmark::Counter(binned, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["micros_per_triangle"] = static_cast<double>(stats.microsConsidered) / binned;
    state.counters["owned_list_share"] = static_cast<double>(stats.trianglesPickedOwnedList) / binned;
}
BENCHMARK(BM_BinFramePerWorker)
    ->ArgNames({"partitions", "extent"})
    ->ArgsProduct({{1, 4, 8, 16}, {8, 32, 128}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace mora
