// The API call summary "MORA_api_calls.log": process-lifetime call counts of every exported entry,
// highest first, the capture-drift scan (called GL entries that replay cannot reproduce), then
// the render statistics and profiler sections. The summary writer of the frame loop gathers the
// live counters into a CallSummaryInput; this file only turns that record into text.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace mora {

// One entry's row as the summary reads it; a null name prints as "?".
struct CallCount {
    const char* name = nullptr;
    std::uint64_t calls = 0;
};

// Everything the summary prints. Status lines that are empty are left out; the three sections
// are appended as given, in this order.
struct CallSummaryInput {
    std::span<const CallCount> entries;                 // every exported entry, in table order
    std::span<const std::string_view> replayableNames;  // the entries that have a Cmd record
    std::string_view isaLine;
    std::string_view threadPoolLine;
    std::string_view framebufferLine;
    std::string_view panelLine;
    std::string_view workerTileStats;  // worker-side tile discovery section
    std::string_view occupancy;        // tile-scheduling occupancy section
    std::string_view profile;          // scoped-profiler report
};

// Entry indices sorted by call count, highest first; entries with equal counts keep their table
// order.
void SortEntriesByCalls(std::span<const CallCount> entries, std::span<std::uint32_t> order);

// True when the entry is called, is not a WGL entry (its name does not start with "w") and has
// no Cmd record, so a replay of a capture taken in this run diverges on it.
bool EntryDrifts(const CallCount& entry, std::span<const std::string_view> replayableNames);

// The whole summary text.
std::string FormatCallSummary(const CallSummaryInput& input);

}  // namespace mora
