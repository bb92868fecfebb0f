#include "rjq/occupancy.h"

#include <algorithm>
#include <cstdint>

#include "platform/clock.h"

namespace mora::rjq {

namespace {

OccupancyRecord gOccupancy;

void Append(std::string& out, const char* format, auto... values) {
    char line[256];
    const int length = std::snprintf(line, sizeof(line), format, values...);
    if (length > 0) out.append(line, std::min<std::size_t>(static_cast<std::size_t>(length), sizeof(line) - 1));
}

}  // namespace

OccupancyRecord& Occupancy() { return gOccupancy; }

std::uint64_t OccupancyEnter(OccupancyRecord& record) {
    const std::uint32_t live = record.liveWorkers.fetch_add(1) + 1;
    record.histogram[std::min<std::uint32_t>(live, kOccupancyBuckets - 1)].fetch_add(1, std::memory_order_relaxed);
    record.totalEntries.fetch_add(1, std::memory_order_relaxed);
    return platform::PerformanceCounter();
}

void OccupancyExit(OccupancyRecord& record, std::uint64_t startTicks, std::uint64_t nowTicks, std::uint64_t frequency) {
    const std::int64_t elapsed = static_cast<std::int64_t>(nowTicks - startTicks);
    if (elapsed > 0) {
        record.totalWorkNanoseconds.fetch_add(
            platform::TicksToNanoseconds(static_cast<std::uint64_t>(elapsed), frequency), std::memory_order_relaxed);
    }
    record.liveWorkers.fetch_sub(1);
}

std::uint64_t OccupancyEnter() { return OccupancyEnter(gOccupancy); }

void OccupancyExit(std::uint64_t startTicks) {
    OccupancyExit(gOccupancy, startTicks, platform::PerformanceCounter(), platform::PerformanceFrequency());
}

std::string FormatOccupancyReport(const OccupancyRecord& record) {
    std::string out = "\n=== Occupancy (MORA RJQ tile scheduling) ===\n";
    const unsigned long long work = record.totalWorkNanoseconds.load(std::memory_order_relaxed);
    const unsigned long long entries = record.totalEntries.load(std::memory_order_relaxed);
    Append(out, "total_work_ns=%llu  total_tile_entries=%llu\n", work, entries);
    if (entries != 0) {
        Append(out, "avg_us_per_tile=%.2f\n", static_cast<double>(work) / static_cast<double>(entries) / 1000.0);
    }
    std::uint64_t counts[kOccupancyBuckets];
    std::uint32_t maxN = 0;
    for (std::uint32_t n = 0; n < kOccupancyBuckets; ++n) {
        counts[n] = record.histogram[n].load(std::memory_order_relaxed);
        if (counts[n] != 0) maxN = n;
    }
    std::uint64_t sum = 0;
    for (std::uint32_t n = 0; n <= maxN; ++n) sum += counts[n];
    out += "\nHistogram of tile-entry moments by simultaneous workers:\n";
    out += "  (N = # workers live when this tile entered, inclusive of self)\n";
    for (std::uint32_t n = 1; n <= maxN; ++n) {
        if (counts[n] == 0) continue;
        const double share = sum != 0 ? static_cast<double>(counts[n]) * 100.0 / static_cast<double>(sum) : 0.0;
        Append(out, "  N=%3d : %12llu  (%5.2f %%)\n", static_cast<int>(n), static_cast<unsigned long long>(counts[n]),
               share);
    }
    return out;
}

void WriteOccupancyReport(std::FILE* file) {
    if (file == nullptr) return;
    const std::string report = FormatOccupancyReport(gOccupancy);
    std::fwrite(report.data(), 1, report.size(), file);
}

}  // namespace mora::rjq
