#include "rjq/thread_settings.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "rjq/render_job_queue.h"

namespace mora::rjq {

namespace {

std::string Cut(std::string text, std::size_t maximum) {
    if (text.size() > maximum) text.resize(maximum);
    return text;
}

std::string Format(const char* format, auto... values) {
    char line[kThreadPoolStatusSize];
    const int length = std::snprintf(line, sizeof(line), format, values...);
    if (length < 0) return {};
    return std::string(line, std::min<std::size_t>(static_cast<std::size_t>(length), sizeof(line) - 1));
}

}  // namespace

int ParseThreadsValue(const char* text) {
    if (text == nullptr) return 0;
    const char* cursor = text;
    while (*cursor == ' ' || (*cursor >= '\t' && *cursor <= '\r')) ++cursor;
    bool negative = false;
    if (*cursor == '+' || *cursor == '-') negative = *cursor++ == '-';
    long long value = 0;
    for (; *cursor >= '0' && *cursor <= '9'; ++cursor) {
        value = std::min<long long>(value * 10 + (*cursor - '0'), INT_MAX);
    }
    return negative ? 0 : static_cast<int>(value);
}

ThreadCountChoice ChooseThreadCount(platform::EnvironmentRead read, const char* text, std::uint32_t activeProcessors) {
    ThreadCountChoice choice;
    int value = 0;
    if (read == platform::EnvironmentRead::Value && text != nullptr && text[0] != '\0') value = ParseThreadsValue(text);
    if (value >= 1) {
        choice.forced = true;
        choice.value = value;
        choice.requested = static_cast<std::uint32_t>(value);
        choice.statusLine = Format("[MORA threads = %d (forced via MORA_THREADS env var)]", value);
        return choice;
    }
    const std::uint32_t cap = activeProcessors > 1 ? activeProcessors - 1 : 1;
    choice.value = static_cast<int>(std::min<std::uint32_t>(cap, INT_MAX));
    choice.requested = cap;
    choice.statusLine = Format("[MORA threads = default cap %d (LPs minus producer)]", choice.value);
    return choice;
}

std::string FormatRunningStatus(const ThreadCountChoice& choice, std::uint32_t workerCount,
                                const platform::ProcessorGroups& groups) {
    std::string list;
    const std::uint32_t counted = std::min(groups.groupCount, platform::kMaxProcessorGroups);
    for (std::uint32_t group = 0; group < counted; ++group) {
        if (group != 0) list += ',';
        list += std::to_string(groups.active[group]);
    }
    list = Cut(list, kGroupListMaxCharacters);
    const unsigned long total = groups.total;
    if (choice.forced) {
        return Format("[MORA threads = %u workers (capped via MORA_THREADS=%d) | Windows: %lu LPs / %u groups (%s)]",
                      workerCount, choice.value, total, groups.groupCount, list.c_str());
    }
    return Format(
        "[MORA threads = %u workers (default, LPs minus producer; cap=%d) | Windows: %lu LPs / %u groups (%s)]",
        workerCount, choice.value, total, groups.groupCount, list.c_str());
}

std::uint64_t ParseIdleSpinMicroseconds(platform::EnvironmentRead read, const char* text) {
    if (read != platform::EnvironmentRead::Value || text == nullptr || text[0] == '\0') {
        return kDefaultIdleSpinMicroseconds;
    }
    const char* cursor = text;
    bool negative = false;
    if (*cursor == '+' || *cursor == '-') negative = *cursor++ == '-';
    if (*cursor == '\0') return kDefaultIdleSpinMicroseconds;
    std::uint64_t value = 0;
    for (; *cursor != '\0'; ++cursor) {
        if (*cursor < '0' || *cursor > '9') return kDefaultIdleSpinMicroseconds;
        const std::uint64_t digit = static_cast<std::uint64_t>(*cursor - '0');
        value = value > (~std::uint64_t{0} - digit) / 10 ? ~std::uint64_t{0} : value * 10 + digit;
    }
    return negative ? 0 : value;
}

std::uint64_t ReadIdleSpinMicroseconds() {
    char text[kIdleSpinVariableBuffer];
    const platform::EnvironmentRead read = platform::ReadEnvironment("MORA_RJQ_IDLE_SPIN_US", text);
    return ParseIdleSpinMicroseconds(read, text);
}

}  // namespace mora::rjq
