// Worker tile partition: deals the grid's MacroTiles into one list per render worker (a fixed-seed
// shuffle cut into contiguous runs) and builds the owner map binning uses to skip other workers'
// tiles. Rebuilt by the frame driver when the worker count or the grid changes.
#pragma once

#include <cstdint>
#include <vector>

namespace mora {

// Shuffle state at the start of every rebuild.
inline constexpr uint64_t kPartitionShuffleSeed = 0x9E3779B97F4A7C15ull;
// Most partitions: owner map entries are u16 and 0xFFFF means "no owner".
inline constexpr int32_t kMaxPartitions = 0xFFFF;

// One xorshift step (shifts 13, 7, 17 in that order).
inline uint64_t XorShiftStep(uint64_t x) {
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    return x;
}

// Fills order[0 .. count-1] with the shuffled MacroTile indices 0 .. count-1.
void ShuffledMacroTileOrder(int32_t count, std::vector<int32_t>& order);

// Makes the process-wide partition hold max(count, 1) lists (at most kMaxPartitions) that together
// hold every MacroTile of the current grid once, and the owner map that matches them. Does nothing
// when the lists already match the count and the grid.
void RebuildWorkerTilePartition(int32_t count);

}  // namespace mora
