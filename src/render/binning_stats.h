// Per-worker binning statistics: eleven u64 counters per worker partition, one 128-byte record each
// in a process-wide array, never reset. Workers count into a local record and add it once per frame;
// the call summary prints the sums as the worker-side tile discovery report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace mora {

// Records in the process-wide array; a partition index outside 0..2047 uses record 0.
inline constexpr std::size_t kBinningStatsRecords = 2048;

// One worker partition's counters. The 128-byte alignment keeps two workers' records off one
// cache line pair.
struct alignas(128) BinningStats {
    uint64_t taskLoopInvocations = 0;       // once per worker per frame
    uint64_t trianglesSeen = 0;             // the frame's triangle count, once per worker per frame
    uint64_t trianglesPickedBboxIter = 0;   // binnable triangles handled by bounding-box iteration
    uint64_t trianglesPickedOwnedList = 0;  // binnable triangles handled by owned-list iteration
    uint64_t macrosVisitedBboxIter = 0;     // MacroTiles of a bounding box visited
    uint64_t macrosSkippedByOwner = 0;      // ... of those another worker owns
    uint64_t macrosVisitedOwnedIter = 0;    // owned MacroTiles visited
    uint64_t macrosSkippedByBbox = 0;       // ... of those (inside the grid) outside the bounding box
    uint64_t microsConsidered = 0;          // MicroTiles tested
    uint64_t microsEdgeRejected = 0;        // MicroTiles rejected by an edge
    uint64_t microsAccepted = 0;            // MicroTiles the triangle was binned to
};
static_assert(sizeof(BinningStats) == 128);
static_assert(offsetof(BinningStats, taskLoopInvocations) == 0);
static_assert(offsetof(BinningStats, microsAccepted) == 80);

// The process-wide array (2048 records, 128 bytes apart).
std::span<BinningStats, kBinningStatsRecords> TheBinningStats();

// The record of a partition index (record 0 for an index outside the array).
BinningStats& TheBinningStats(int64_t partition);

// Adds `local` into `shared` with atomic adds, so that partitions sharing record 0 and a report
// read on another thread never race.
void AddBinningStats(BinningStats& shared, const BinningStats& local);

// The worker-side tile discovery report for `records` (empty when no record has a task-loop
// invocation); WriteWorkerTileStatsReport writes it for the process-wide array.
std::string FormatWorkerTileStatsReport(std::span<const BinningStats> records);
void WriteWorkerTileStatsReport(std::FILE* file);

}  // namespace mora
