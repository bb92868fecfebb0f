// Occupancy statistics: how many workers run tile work at once. The frame
// renderer brackets each worker partition with enter/exit; the call summary
// appends the report. Never reset; updated with atomic adds only.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>

namespace mora::rjq {

inline constexpr std::uint32_t kOccupancyBuckets = 256;

struct OccupancyRecord {
    std::atomic<std::uint32_t> liveWorkers{0};
    std::atomic<std::uint64_t> totalWorkNanoseconds{0};
    std::atomic<std::uint64_t> totalEntries{0};
    std::atomic<std::uint64_t> histogram[kOccupancyBuckets] = {};
};

// The process-wide record.
OccupancyRecord& Occupancy();

// Marks one unit of worker work as started; returns the performance counter.
std::uint64_t OccupancyEnter(OccupancyRecord& record);
// Ends the unit started at `startTicks` (counter frequency `frequency`).
void OccupancyExit(OccupancyRecord& record, std::uint64_t startTicks, std::uint64_t nowTicks, std::uint64_t frequency);

// Process-wide shorthands using the performance counter.
std::uint64_t OccupancyEnter();
void OccupancyExit(std::uint64_t startTicks);

// The occupancy section of the call summary.
std::string FormatOccupancyReport(const OccupancyRecord& record);
void WriteOccupancyReport(std::FILE* file);

}  // namespace mora::rjq
