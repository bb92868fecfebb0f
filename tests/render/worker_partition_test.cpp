// The MacroTile partition among workers (a fixed-seed shuffle dealt in contiguous runs, and its
// owner map) and the binning statistics report.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "render/binning_stats.h"
#include "render/render_test_support.h"
#include "render/tile_grid.h"
#include "render/worker_partition.h"

namespace mora {
namespace {

using WorkerPartitionTest = test::RenderStateTest;

// The shuffle written out independently: x ^= x << 13; x ^= x >> 7; x ^= x << 17, then j = x mod k
// and swap perm[j], perm[k - 1] for k = M .. 2.
std::vector<int32_t> ReferenceShuffle(int32_t m) {
    std::vector<int32_t> perm(static_cast<std::size_t>(m));
    for (int32_t i = 0; i < m; ++i) perm[static_cast<std::size_t>(i)] = i;
    unsigned long long x = 0x9E3779B9ull << 32 | 0x7F4A7C15ull;
    for (int32_t k = m; k >= 2; --k) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        std::swap(perm[static_cast<std::size_t>(x % static_cast<unsigned long long>(k))],
                  perm[static_cast<std::size_t>(k - 1)]);
    }
    return perm;
}

TEST_F(WorkerPartitionTest, SevenWaysOverA640x480GridAreRunsOfTheShuffleWithTheirOwners) {
    ResizeTileGrid(640, 480);
    RebuildWorkerTilePartition(7);
    const TileGrid& grid = TheTileGrid();
    ASSERT_EQ(grid.workerMacroTiles.size(), 7u);
    std::vector<int32_t> concatenated;
    for (std::size_t w = 0; w < 7; ++w) {
        const std::vector<int32_t>& list = grid.workerMacroTiles[w];
        EXPECT_EQ(list.size(), w < 6 ? 43u : 42u) << w;
        concatenated.insert(concatenated.end(), list.begin(), list.end());
        for (const int32_t m : list) EXPECT_EQ(grid.macroTileOwner.at(static_cast<std::size_t>(m)), w);
    }
    EXPECT_EQ(concatenated, ReferenceShuffle(300));
    EXPECT_EQ(grid.macroTileOwner.size(), 300u);
}

TEST_F(WorkerPartitionTest, FewerMacroTilesThanPartitionsAndCountsOutOfRange) {
    TileGrid& grid = TheTileGrid();
    RebuildWorkerTilePartition(3);  // an empty grid
    EXPECT_EQ(grid.workerMacroTiles, std::vector<std::vector<int32_t>>(3));
    EXPECT_TRUE(grid.macroTileOwner.empty());

    ResizeTileGrid(16, 16);  // one MacroTile goes to the first partition
    RebuildWorkerTilePartition(7);
    std::vector<std::vector<int32_t>> expected(7);
    expected[0] = {0};
    EXPECT_EQ(grid.workerMacroTiles, expected);
    EXPECT_EQ(grid.macroTileOwner, std::vector<uint16_t>{0});

    ResizeTileGrid(64, 32);
    RebuildWorkerTilePartition(100000);
    EXPECT_EQ(grid.workerMacroTiles.size(), static_cast<std::size_t>(kMaxPartitions));
    ASSERT_EQ(grid.macroTileOwner.size(), 2u);
    EXPECT_NE(grid.macroTileOwner[0], kNoOwner);
    EXPECT_NE(grid.macroTileOwner[1], kNoOwner);

    ResizeTileGrid(100, 70);  // 4 x 3 MacroTiles; a negative count makes one partition
    RebuildWorkerTilePartition(-3);
    EXPECT_EQ(grid.workerMacroTiles, std::vector<std::vector<int32_t>>{ReferenceShuffle(12)});
    EXPECT_EQ(grid.macroTileOwner, std::vector<uint16_t>(12, 0));
}

// Statistics report.

// A record in declaration order; the triangle and MacroTile counters are the same in every one.
BinningStats Filled(uint64_t invocations, uint64_t micros, uint64_t rejected, uint64_t accepted) {
    return BinningStats{invocations, 100 * invocations, 7, 3, 20, 11, 9, 4, micros, rejected, accepted};
}

// Only records with task-loop invocations are active and summed; with none the report is empty,
// and zero micros give zero percentages and ratio.
TEST(WorkerTileStatsReport, SumsActiveRecordsLineByLine) {
    std::vector<BinningStats> records(kBinningStatsRecords);
    records[5].microsConsidered = 12;  // counters without a task-loop invocation do not make it active
    EXPECT_EQ(FormatWorkerTileStatsReport(records), "");
    records[0] = Filled(3, 40, 10, 30);
    records[2] = Filled(4, 160, 0, 160);
    records[1].microsConsidered = 999;  // inactive: ignored
    const std::string expected =
        "\n=== Phase Q worker-side tile discovery stats ===\n"
        "  active task partitions:      2\n"
        "  task-loop invocations:       7 (avg 3 / task)\n"
        "  triangles seen (sum):        700\n"
        "  triangles picked bbox-iter:  14\n"
        "  triangles picked owned-list: 6\n"
        "  macros visited (bbox-iter):  40  (skipped by owner 22)\n"
        "  macros visited (owned-iter): 18  (skipped by bbox 8)\n"
        "  micros considered:           200\n"
        "  micros edge-rejected:        10 (5.0%)\n"
        "  micros accepted (binned):    190 (95.0%)\n"
        "  worker imbalance (micros):   min=40 max=160 max/min=4.00x\n";
    EXPECT_EQ(FormatWorkerTileStatsReport(records), expected);

    records.assign(4, BinningStats{});
    records[3] = Filled(1, 0, 0, 0);
    const std::string text = FormatWorkerTileStatsReport(records);
    for (const char* line : {"  micros edge-rejected:        0 (0.0%)\n", "  micros accepted (binned):    0 (0.0%)\n",
                             "min=0 max=0 max/min=0.00x\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << text;
}

}  // namespace
}  // namespace mora
