#include "render/worker_partition.h"

#include <algorithm>
#include <numeric>
#include <utility>

#include "diag/profile_scope_names.h"
#include "diag/profiler.h"
#include "gl/gl_context.h"
#include "render/tile_grid.h"

namespace mora {

void ShuffledMacroTileOrder(int32_t count, std::vector<int32_t>& order) {
    const int32_t m = std::max(count, 0);
    order.resize(static_cast<std::size_t>(m));
    std::iota(order.begin(), order.end(), 0);
    uint64_t x = kPartitionShuffleSeed;
    for (int64_t k = m; k >= 2; --k) {
        x = XorShiftStep(x);
        const uint64_t j = x % static_cast<uint64_t>(k);
        std::swap(order[static_cast<std::size_t>(j)], order[static_cast<std::size_t>(k - 1)]);
    }
}

void RebuildWorkerTilePartition(int32_t count) {
    diag::ProfileScope scope(diag::kScopeRebuildWorkerTilePartition);
    const GlContext& gl = TheGlContext();
    TileGrid& grid = TheTileGrid();
    const int32_t n = std::clamp(count, 1, kMaxPartitions);
    const int64_t macroTiles = static_cast<int64_t>(std::max(gl.macroTilesX, 0)) * std::max(gl.macroTilesY, 0);
    // MacroTile indices are i32; a grid that large could not have allocated its bins anyway.
    const int32_t m = static_cast<int32_t>(std::min<int64_t>(macroTiles, INT32_MAX));

    if (grid.partitionProgress.size() < static_cast<std::size_t>(n))
        grid.partitionProgress = std::vector<PartitionProgress>(static_cast<std::size_t>(n));
    if (grid.workerMacroTiles.size() == static_cast<std::size_t>(n)) {
        int64_t held = 0;
        for (const std::vector<int32_t>& list : grid.workerMacroTiles) held += static_cast<int64_t>(list.size());
        if (held == m) return;
    }

    std::vector<int32_t> order;
    ShuffledMacroTileOrder(m, order);

    grid.workerMacroTiles.resize(static_cast<std::size_t>(n));
    for (std::vector<int32_t>& list : grid.workerMacroTiles) list.clear();
    const int32_t base = m / n;
    const int32_t extra = m % n;
    std::size_t offset = 0;
    for (int32_t w = 0; w < n; ++w) {
        const std::size_t length = static_cast<std::size_t>(base + (w < extra ? 1 : 0));
        std::vector<int32_t>& list = grid.workerMacroTiles[static_cast<std::size_t>(w)];
        list.assign(order.begin() + static_cast<std::ptrdiff_t>(offset),
                    order.begin() + static_cast<std::ptrdiff_t>(offset + length));
        offset += length;
    }

    grid.macroTileOwner.assign(static_cast<std::size_t>(m), kNoOwner);
    for (int32_t w = 0; w < n; ++w) {
        for (const int32_t tile : grid.workerMacroTiles[static_cast<std::size_t>(w)]) {
            grid.macroTileOwner[static_cast<std::size_t>(tile)] = static_cast<uint16_t>(w);
        }
    }
}

}  // namespace mora
