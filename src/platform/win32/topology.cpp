// Processor topology on Windows: GetLogicalProcessorInformationEx, core by core, across processor
// groups, keeping only the processors of the process's affinity in its own group.
#include "platform/topology.h"

#include <windows.h>

#include <vector>

namespace mora::platform {

namespace {

std::vector<unsigned char> ProcessorRecords(LOGICAL_PROCESSOR_RELATIONSHIP relation) {
    DWORD bytes = 0;
    GetLogicalProcessorInformationEx(relation, nullptr, &bytes);
    std::vector<unsigned char> buffer(bytes);
    if (bytes == 0 ||
        !GetLogicalProcessorInformationEx(
            relation, reinterpret_cast<SYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX*>(buffer.data()), &bytes)) {
        buffer.clear();
    }
    return buffer;
}

}  // namespace

std::vector<LogicalProcessor> ProcessorTopology() {
    // The process runs in its primary group unless it asks otherwise; its affinity mask there limits
    // the processors it may use. Other groups are open to threads placed there explicitly.
    DWORD_PTR processMask = 0;
    DWORD_PTR systemMask = 0;
    GetProcessAffinityMask(GetCurrentProcess(), &processMask, &systemMask);
    USHORT group = 0;
    USHORT groupCount = 1;
    GetProcessGroupAffinity(GetCurrentProcess(), &groupCount, &group);

    std::vector<LogicalProcessor> list;
    const std::vector<unsigned char> records = ProcessorRecords(RelationProcessorCore);
    std::uint32_t core = 0;
    for (std::size_t offset = 0; offset < records.size();) {
        const auto* info = reinterpret_cast<const SYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX*>(records.data() + offset);
        bool any = false;
        for (WORD g = 0; g < info->Processor.GroupCount; ++g) {
            const GROUP_AFFINITY& mask = info->Processor.GroupMask[g];
            for (std::uint32_t bit = 0; bit < 8 * sizeof(KAFFINITY); ++bit) {
                if ((mask.Mask & (KAFFINITY{1} << bit)) == 0) continue;
                if (mask.Group == group && processMask != 0 && (processMask & (DWORD_PTR{1} << bit)) == 0) continue;
                list.push_back(LogicalProcessor{mask.Group, bit, core});
                any = true;
            }
        }
        if (any) ++core;
        offset += info->Size;
    }
    if (list.empty()) {
        SYSTEM_INFO system{};
        GetSystemInfo(&system);
        for (std::uint32_t i = 0; i < system.dwNumberOfProcessors; ++i) list.push_back(LogicalProcessor{0, i, i});
    }
    return list;
}

ProcessorGroups ActiveProcessorGroups() {
    ProcessorGroups groups;
    const WORD count = GetActiveProcessorGroupCount();
    groups.groupCount = count;
    for (WORD g = 0; g < count; ++g) {
        const DWORD active = GetActiveProcessorCount(g);
        if (g < kMaxProcessorGroups) groups.active[g] = active;
        groups.total += active;
    }
    return groups;
}

}  // namespace mora::platform
