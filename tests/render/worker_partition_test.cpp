#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
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
        const auto j = static_cast<std::size_t>(x % static_cast<unsigned long long>(k));
        const int32_t t = perm[j];
        perm[j] = perm[static_cast<std::size_t>(k - 1)];
        perm[static_cast<std::size_t>(k - 1)] = t;
    }
    return perm;
}

TEST_F(WorkerPartitionTest, SevenWaysOverA640x480Grid) {
    ResizeTileGrid(640, 480);
    RebuildWorkerTilePartition(7);
    const TileGrid& grid = TheTileGrid();
    ASSERT_EQ(grid.workerMacroTiles.size(), 7u);
    for (int w = 0; w < 6; ++w) EXPECT_EQ(grid.workerMacroTiles[static_cast<std::size_t>(w)].size(), 43u) << w;
    EXPECT_EQ(grid.workerMacroTiles[6].size(), 42u);

    // Contiguous runs of the fixed-seed shuffle, every index 0..299 once, owner map matching.
    const std::vector<int32_t> expected = ReferenceShuffle(300);
    std::vector<int32_t> concatenated;
    for (const auto& list : grid.workerMacroTiles) concatenated.insert(concatenated.end(), list.begin(), list.end());
    EXPECT_EQ(concatenated, expected);
    std::vector<int32_t> sorted = concatenated;
    std::sort(sorted.begin(), sorted.end());
    for (int32_t i = 0; i < 300; ++i) ASSERT_EQ(sorted[static_cast<std::size_t>(i)], i);
    EXPECT_NE(concatenated, sorted);  // actually shuffled

    ASSERT_EQ(grid.macroTileOwner.size(), 300u);
    for (std::size_t w = 0; w < 7; ++w) {
        for (const int32_t m : grid.workerMacroTiles[w]) EXPECT_EQ(grid.macroTileOwner[static_cast<std::size_t>(m)], w);
    }
    EXPECT_EQ(std::count(grid.macroTileOwner.begin(), grid.macroTileOwner.end(), kNoOwner), 0);
}

TEST_F(WorkerPartitionTest, RebuildWithTheSameCountAndGridChangesNothing) {
    ResizeTileGrid(256, 128);
    RebuildWorkerTilePartition(3);
    TileGrid& grid = TheTileGrid();
    const std::vector<std::vector<int32_t>> before = grid.workerMacroTiles;
    const int32_t* storage = grid.workerMacroTiles[0].data();
    RebuildWorkerTilePartition(3);
    EXPECT_EQ(grid.workerMacroTiles, before);
    EXPECT_EQ(grid.workerMacroTiles[0].data(), storage);  // not rebuilt

    RebuildWorkerTilePartition(4);  // a new count deals again
    EXPECT_EQ(grid.workerMacroTiles.size(), 4u);
    for (const auto& list : grid.workerMacroTiles) EXPECT_EQ(list.size(), 8u);
}

TEST_F(WorkerPartitionTest, ZeroOrNegativeCountMakesOnePartition) {
    ResizeTileGrid(100, 70);  // 4 x 3 MacroTiles
    for (const int32_t count : {0, -3}) {
        RebuildWorkerTilePartition(count);
        const TileGrid& grid = TheTileGrid();
        ASSERT_EQ(grid.workerMacroTiles.size(), 1u);
        EXPECT_EQ(grid.workerMacroTiles[0], ReferenceShuffle(12));
        for (const uint16_t owner : grid.macroTileOwner) EXPECT_EQ(owner, 0);
        RebuildWorkerTilePartition(5);  // leave, so that the next count rebuilds
    }
}

TEST_F(WorkerPartitionTest, OneMacroTileGoesToTheFirstPartition) {
    ResizeTileGrid(16, 16);
    RebuildWorkerTilePartition(7);
    const TileGrid& grid = TheTileGrid();
    ASSERT_EQ(grid.workerMacroTiles.size(), 7u);
    EXPECT_EQ(grid.workerMacroTiles[0], std::vector<int32_t>{0});
    for (std::size_t w = 1; w < 7; ++w) EXPECT_TRUE(grid.workerMacroTiles[w].empty());
    EXPECT_EQ(grid.macroTileOwner, std::vector<uint16_t>{0});
}

TEST_F(WorkerPartitionTest, EmptyGridsAndCountsBeyondTheOwnerMapRange) {
    RebuildWorkerTilePartition(3);
    TileGrid& grid = TheTileGrid();
    ASSERT_EQ(grid.workerMacroTiles.size(), 3u);
    for (const auto& list : grid.workerMacroTiles) EXPECT_TRUE(list.empty());
    EXPECT_TRUE(grid.macroTileOwner.empty());

    ResizeTileGrid(64, 32);
    RebuildWorkerTilePartition(100000);
    EXPECT_EQ(grid.workerMacroTiles.size(), static_cast<std::size_t>(kMaxPartitions));
    ASSERT_EQ(grid.macroTileOwner.size(), 2u);
    EXPECT_NE(grid.macroTileOwner[0], kNoOwner);
    EXPECT_NE(grid.macroTileOwner[1], kNoOwner);
}

// Statistics report.

void Fill(BinningStats& r, uint64_t invocations, uint64_t micros, uint64_t rejected, uint64_t accepted) {
    r = BinningStats{};
    r.taskLoopInvocations = invocations;
    r.trianglesSeen = 100 * invocations;
    r.trianglesPickedBboxIter = 7;
    r.trianglesPickedOwnedList = 3;
    r.macrosVisitedBboxIter = 20;
    r.macrosSkippedByOwner = 11;
    r.macrosVisitedOwnedIter = 9;
    r.macrosSkippedByBbox = 4;
    r.microsConsidered = micros;
    r.microsEdgeRejected = rejected;
    r.microsAccepted = accepted;
}

// Only records with task-loop invocations are active and summed; with none the report is empty,
// and zero micros give zero percentages and ratio.
TEST(WorkerTileStatsReport, SumsActiveRecordsLineByLine) {
    std::vector<BinningStats> records(kBinningStatsRecords);
    records[5].microsConsidered = 12;  // counters without a task-loop invocation do not make it active
    EXPECT_EQ(FormatWorkerTileStatsReport(records), "");
    Fill(records[0], 3, 40, 10, 30);
    Fill(records[2], 4, 160, 0, 160);
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
    Fill(records[3], 1, 0, 0, 0);
    const std::string text = FormatWorkerTileStatsReport(records);
    EXPECT_NE(text.find("  micros edge-rejected:        0 (0.0%)\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  micros accepted (binned):    0 (0.0%)\n"), std::string::npos) << text;
    EXPECT_NE(text.find("min=0 max=0 max/min=0.00x\n"), std::string::npos) << text;
}

TEST(WorkerTileStats, RecordsAre128BytesApartAndOutOfRangeIndicesUseRecordZero) {
    const auto records = BinningStatsRecords();
    ASSERT_EQ(records.size(), 2048u);
    const auto* first = reinterpret_cast<const unsigned char*>(&records[0]);
    const auto* second = reinterpret_cast<const unsigned char*>(&records[1]);
    EXPECT_EQ(second - first, 128);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(first) % 128, 0u);
    EXPECT_EQ(&BinningStatsRecord(2047), &records[2047]);
    EXPECT_EQ(&BinningStatsRecord(2048), &records[0]);
    EXPECT_EQ(&BinningStatsRecord(-1), &records[0]);

    BinningStats shared;
    BinningStats local;
    local.microsAccepted = 5;
    local.taskLoopInvocations = 1;
    AddBinningStats(shared, local);
    AddBinningStats(shared, local);
    EXPECT_EQ(shared.microsAccepted, 10u);
    EXPECT_EQ(shared.taskLoopInvocations, 2u);
    EXPECT_EQ(shared.trianglesSeen, 0u);
}

}  // namespace
}  // namespace mora
