#include "render/binning_stats.h"

#include <algorithm>
#include <atomic>
#include <cstdarg>

namespace mora {

namespace {

BinningStats gBinningStats[kBinningStatsRecords];

// Every counter of a record, in record order.
constexpr uint64_t BinningStats::*kCounters[] = {
    &BinningStats::taskLoopInvocations,     &BinningStats::trianglesSeen,
    &BinningStats::trianglesPickedBboxIter, &BinningStats::trianglesPickedOwnedList,
    &BinningStats::macrosVisitedBboxIter,   &BinningStats::macrosSkippedByOwner,
    &BinningStats::macrosVisitedOwnedIter,  &BinningStats::macrosSkippedByBbox,
    &BinningStats::microsConsidered,        &BinningStats::microsEdgeRejected,
    &BinningStats::microsAccepted,
};

// Counters are added atomically by workers while a summary may read them.
BinningStats LoadRecord(const BinningStats& record) {
    BinningStats copy;
    for (uint64_t BinningStats::*counter : kCounters) {
        copy.*counter =
            std::atomic_ref<uint64_t>(const_cast<uint64_t&>(record.*counter)).load(std::memory_order_relaxed);
    }
    return copy;
}

[[gnu::format(printf, 2, 3)]] void AppendFormat(std::string& text, const char* format, ...) {
    char line[256];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (length > 0) text.append(line, std::min(static_cast<std::size_t>(length), sizeof line - 1));
}

double Percent(uint64_t part, uint64_t whole) {
    return whole == 0 ? 0.0 : static_cast<double>(part) * 100.0 / static_cast<double>(whole);
}

}  // namespace

std::span<BinningStats, kBinningStatsRecords> TheBinningStats() {
    return std::span<BinningStats, kBinningStatsRecords>(gBinningStats);
}

BinningStats& TheBinningStats(int64_t partition) {
    if (partition < 0 || partition >= static_cast<int64_t>(kBinningStatsRecords)) return gBinningStats[0];
    return gBinningStats[partition];
}

void AddBinningStats(BinningStats& shared, const BinningStats& local) {
    for (uint64_t BinningStats::*counter : kCounters) {
        if (local.*counter != 0) {
            std::atomic_ref<uint64_t>(shared.*counter).fetch_add(local.*counter, std::memory_order_relaxed);
        }
    }
}

std::string FormatWorkerTileStatsReport(std::span<const BinningStats> records) {
    BinningStats sum;
    int active = 0;
    uint64_t minMicros = 0;
    uint64_t maxMicros = 0;
    for (const BinningStats& stored : records) {
        const BinningStats record = LoadRecord(stored);
        if (record.taskLoopInvocations == 0) continue;
        if (active == 0) {
            minMicros = maxMicros = record.microsConsidered;
        } else {
            minMicros = std::min(minMicros, record.microsConsidered);
            maxMicros = std::max(maxMicros, record.microsConsidered);
        }
        ++active;
        for (uint64_t BinningStats::*counter : kCounters) sum.*counter += record.*counter;
    }
    std::string text;
    if (active == 0) return text;

    using ull = unsigned long long;
    AppendFormat(text, "\n=== Phase Q worker-side tile discovery stats ===\n");
    AppendFormat(text, "  active task partitions:      %d\n", active);
    AppendFormat(text, "  task-loop invocations:       %llu (avg %llu / task)\n", ull(sum.taskLoopInvocations),
                 ull(sum.taskLoopInvocations / static_cast<uint64_t>(active)));
    AppendFormat(text, "  triangles seen (sum):        %llu\n", ull(sum.trianglesSeen));
    AppendFormat(text, "  triangles picked bbox-iter:  %llu\n", ull(sum.trianglesPickedBboxIter));
    AppendFormat(text, "  triangles picked owned-list: %llu\n", ull(sum.trianglesPickedOwnedList));
    AppendFormat(text, "  macros visited (bbox-iter):  %llu  (skipped by owner %llu)\n", ull(sum.macrosVisitedBboxIter),
                 ull(sum.macrosSkippedByOwner));
    AppendFormat(text, "  macros visited (owned-iter): %llu  (skipped by bbox %llu)\n", ull(sum.macrosVisitedOwnedIter),
                 ull(sum.macrosSkippedByBbox));
    AppendFormat(text, "  micros considered:           %llu\n", ull(sum.microsConsidered));
    AppendFormat(text, "  micros edge-rejected:        %llu (%.1f%%)\n", ull(sum.microsEdgeRejected),
                 Percent(sum.microsEdgeRejected, sum.microsConsidered));
    AppendFormat(text, "  micros accepted (binned):    %llu (%.1f%%)\n", ull(sum.microsAccepted),
                 Percent(sum.microsAccepted, sum.microsConsidered));
    const double ratio = minMicros == 0 ? 0.0 : static_cast<double>(maxMicros) / static_cast<double>(minMicros);
    AppendFormat(text, "  worker imbalance (micros):   min=%llu max=%llu max/min=%.2fx\n", ull(minMicros),
                 ull(maxMicros), ratio);
    return text;
}

void WriteWorkerTileStatsReport(std::FILE* file) {
    if (file == nullptr) return;
    const std::string text = FormatWorkerTileStatsReport(TheBinningStats());
    if (!text.empty()) std::fwrite(text.data(), 1, text.size(), file);
}

}  // namespace mora
