// The call summary text: header and status lines, the sorted counts, the capture-drift scan and
// the appended sections.
#include "diag/call_summary.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <numeric>
#include <vector>

namespace mora {

namespace {

// Longest formatted line; longer ones (only possible with absurd entry names) are cut.
constexpr std::size_t kLineBytes = 256;

[[gnu::format(printf, 2, 3)]] void AppendLine(std::string& out, const char* format, ...) {
    char line[kLineBytes];
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(line, sizeof(line), format, args);
    va_end(args);
    if (written < 0) return;
    const std::size_t length = std::min(static_cast<std::size_t>(written), sizeof(line) - 1);
    out.append(line, length);
    // A cut line still ends the line, so the next row starts on its own line.
    if (length < static_cast<std::size_t>(written) && line[length - 1] != '\n') out.back() = '\n';
}

void AppendStatusLine(std::string& out, std::string_view line) {
    if (line.empty()) return;
    out.append(line);
    out.push_back('\n');
}

const char* PrintedName(const CallCount& entry) { return entry.name != nullptr ? entry.name : "?"; }

}  // namespace

void SortEntriesByCalls(std::span<const CallCount> entries, std::span<std::uint32_t> order) {
    const std::size_t count = std::min(entries.size(), order.size());
    std::iota(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(count), 0u);
    std::stable_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(count),
                     [&](std::uint32_t a, std::uint32_t b) { return entries[a].calls > entries[b].calls; });
}

bool EntryDrifts(const CallCount& entry, std::span<const std::string_view> replayableNames) {
    if (entry.calls == 0) return false;
    const std::string_view name = entry.name != nullptr ? std::string_view(entry.name) : std::string_view();
    if (!name.empty() && name.front() == 'w') return false;  // WGL entries are never recorded
    return std::find(replayableNames.begin(), replayableNames.end(), name) == replayableNames.end();
}

std::string FormatCallSummary(const CallSummaryInput& input) {
    const std::span<const CallCount> entries = input.entries;
    std::string out;
    out.reserve(entries.size() * 96 + input.workerTileStats.size() + input.occupancy.size() + input.profile.size() +
                1024);

    out += "=== MORA GL/WGL call summary (process lifetime) ===\n";
    AppendStatusLine(out, input.isaLine);
    AppendStatusLine(out, input.threadPoolLine);
    AppendStatusLine(out, input.framebufferLine);
    AppendStatusLine(out, input.panelLine);
    out += "\n";

    std::vector<std::uint32_t> order(entries.size());
    SortEntriesByCalls(entries, order);

    std::uint64_t total = 0;
    int called = 0;
    for (const CallCount& entry : entries) {
        total += entry.calls;
        if (entry.calls != 0) ++called;
    }
    AppendLine(out, "Total API calls: %llu  (across %d/%d functions)\n\n", static_cast<unsigned long long>(total),
               called, static_cast<int>(entries.size()));

    for (const std::uint32_t index : order) {
        const CallCount& entry = entries[index];
        if (entry.calls == 0) {
            AppendLine(out, "    %-32s : %14llu    [unimplemented, never called]\n", PrintedName(entry), 0ull);
        } else {
            AppendLine(out, "    %-32s : %14llu\n", PrintedName(entry), static_cast<unsigned long long>(entry.calls));
        }
    }

    int drifting = 0;
    for (const CallCount& entry : entries) {
        if (EntryDrifts(entry, input.replayableNames)) ++drifting;
    }
    if (drifting != 0) {
        AppendLine(out, "\n=== capture-drift scan: %d GL entries called but not in Cmd enum ===\n", drifting);
        out += "(replay of a .mora-capture taken during this run will diverge on these calls)\n\n";
        for (const std::uint32_t index : order) {
            const CallCount& entry = entries[index];
            if (!EntryDrifts(entry, input.replayableNames)) continue;
            AppendLine(out, "    [capture-drift] %-28s : %14llu\n", PrintedName(entry),
                       static_cast<unsigned long long>(entry.calls));
        }
    } else {
        out += "\n=== capture-drift scan: clean (every called GL entry is round-trippable) ===\n";
    }

    out.append(input.workerTileStats);
    out.append(input.occupancy);
    out.append(input.profile);
    return out;
}

}  // namespace mora
