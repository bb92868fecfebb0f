// Processor topology: the logical processors the process may run on, listed
// core by core with the siblings of one physical core next to each other.
// The render job queue sizes and places its workers from this list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mora::platform {

// Linux has one processor group (0); `number` is the OS processor number
// within the group, `core` the index of its physical core in list order.
struct LogicalProcessor {
    std::uint16_t group = 0;
    std::uint32_t number = 0;
    std::uint32_t core = 0;
};

// At most this many groups are counted for reports.
inline constexpr std::uint32_t kMaxProcessorGroups = 16;

// The logical processors of this machine that the process may use, core by
// core. Never empty on a running system; falls back to one entry per
// processor reported online when the topology files are missing.
std::vector<LogicalProcessor> ProcessorTopology();

// Active logical processors per group (group count and counts for the first
// kMaxProcessorGroups groups; Linux reports one group).
struct ProcessorGroups {
    std::uint32_t groupCount = 0;
    std::uint32_t active[kMaxProcessorGroups] = {};
    std::uint32_t total = 0;
};
ProcessorGroups ActiveProcessorGroups();

// Builds the list from a sysfs-style cpu directory (`cpuRoot` holds "online"
// and cpu<N>/topology/thread_siblings_list) keeping only processors whose
// number is in `allowed` (empty: all). Exposed for tests.
std::vector<LogicalProcessor> ReadTopology(const std::string& cpuRoot, const std::vector<std::uint32_t>& allowed);

// Parses a kernel cpu list such as "0-3,8,10-11" into ascending numbers;
// malformed parts are skipped.
std::vector<std::uint32_t> ParseCpuList(const std::string& text);

}  // namespace mora::platform
