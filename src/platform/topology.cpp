#include "platform/topology.h"

#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

namespace mora::platform {

namespace {

// Upper bound on processor numbers accepted from text; guards against a
// malformed range such as "0-4000000000" allocating without limit.
constexpr std::uint32_t kMaxProcessorNumber = 1u << 16;

bool ReadLine(const std::string& path, std::string& line) {
    std::ifstream in(path);
    if (!in) return false;
    std::getline(in, line);
    return true;
}

bool ParseNumber(const std::string& text, std::uint32_t& value) {
    if (text.empty() || text.size() > 9) return false;
    value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return true;
}

std::vector<std::uint32_t> AllowedProcessors() {
    std::vector<std::uint32_t> allowed;
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof(set), &set) != 0) return allowed;
    for (std::uint32_t cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (CPU_ISSET(cpu, &set)) allowed.push_back(cpu);
    }
    return allowed;
}

}  // namespace

std::vector<std::uint32_t> ParseCpuList(const std::string& text) {
    std::vector<std::uint32_t> numbers;
    std::stringstream parts(text);
    std::string part;
    while (std::getline(parts, part, ',')) {
        part.erase(std::remove_if(part.begin(), part.end(),
                                  [](char c) { return std::isspace(static_cast<unsigned char>(c)); }),
                   part.end());
        const std::size_t dash = part.find('-');
        std::uint32_t first = 0;
        std::uint32_t last = 0;
        if (dash == std::string::npos) {
            if (!ParseNumber(part, first)) continue;
            last = first;
        } else if (!ParseNumber(part.substr(0, dash), first) || !ParseNumber(part.substr(dash + 1), last)) {
            continue;
        }
        if (last < first || last >= kMaxProcessorNumber) continue;
        for (std::uint32_t n = first; n <= last; ++n) numbers.push_back(n);
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

std::vector<LogicalProcessor> ReadTopology(const std::string& cpuRoot, const std::vector<std::uint32_t>& allowed) {
    std::vector<LogicalProcessor> list;
    std::string line;
    if (!ReadLine(cpuRoot + "/online", line)) return list;
    std::vector<std::uint32_t> online = ParseCpuList(line);
    if (!allowed.empty()) {
        std::vector<std::uint32_t> usable;
        std::set_intersection(online.begin(), online.end(), allowed.begin(), allowed.end(), std::back_inserter(usable));
        online.swap(usable);
    }
    std::vector<bool> placed(online.empty() ? 0 : online.back() + 1, false);
    std::uint32_t core = 0;
    // Walk processors in ascending order; the first unplaced one opens its core,
    // which then lists all of its usable siblings, lowest first.
    for (std::uint32_t cpu : online) {
        if (placed[cpu]) continue;
        std::vector<std::uint32_t> siblings;
        if (ReadLine(cpuRoot + "/cpu" + std::to_string(cpu) + "/topology/thread_siblings_list", line)) {
            siblings = ParseCpuList(line);
        }
        if (std::find(siblings.begin(), siblings.end(), cpu) == siblings.end()) siblings.push_back(cpu);
        std::sort(siblings.begin(), siblings.end());
        for (std::uint32_t sibling : siblings) {
            if (!std::binary_search(online.begin(), online.end(), sibling) || placed[sibling]) continue;
            placed[sibling] = true;
            list.push_back(LogicalProcessor{0, sibling, core});
        }
        ++core;
    }
    return list;
}

std::vector<LogicalProcessor> ProcessorTopology() {
    const std::vector<std::uint32_t> allowed = AllowedProcessors();
    std::vector<LogicalProcessor> list = ReadTopology("/sys/devices/system/cpu", allowed);
    if (!list.empty()) return list;
    if (!allowed.empty()) {
        for (std::uint32_t i = 0; i < allowed.size(); ++i) list.push_back(LogicalProcessor{0, allowed[i], i});
        return list;
    }
    const long online = sysconf(_SC_NPROCESSORS_ONLN);
    const std::uint32_t count = online > 0 ? static_cast<std::uint32_t>(online) : 1u;
    for (std::uint32_t i = 0; i < count; ++i) list.push_back(LogicalProcessor{0, i, i});
    return list;
}

ProcessorGroups ActiveProcessorGroups() {
    ProcessorGroups groups;
    const std::uint32_t count = static_cast<std::uint32_t>(ProcessorTopology().size());
    groups.groupCount = 1;
    groups.active[0] = count;
    groups.total = count;
    return groups;
}

}  // namespace mora::platform
