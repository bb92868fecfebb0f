// MORA_TRACE_FRAMES: the frame range syntax and the start-up trace.
#include "diag/trace_environment.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/environment.h"

namespace mora {
namespace {

// The switch is read into a 32-byte buffer: 32 or more characters is a failed read.
constexpr std::size_t kRangeTextBytes = 32;

// The leading decimal digits of text as a non-negative 32-bit number; text after them is ignored.
// No digits, or a number beyond 32 bits, fails.
std::optional<int32_t> LeadingNumber(std::string_view text) {
    int64_t value = 0;
    std::size_t digits = 0;
    for (; digits < text.size() && text[digits] >= '0' && text[digits] <= '9'; ++digits) {
        value = value * 10 + (text[digits] - '0');
        if (value > INT32_MAX) return std::nullopt;
    }
    if (digits == 0) return std::nullopt;
    return static_cast<int32_t>(value);
}

}  // namespace

std::optional<TraceRange> ParseFrameRange(const char* text) {
    if (text == nullptr) return std::nullopt;
    std::size_t length = 0;
    while (text[length] != '\0') {
        if (++length >= kRangeTextBytes) return std::nullopt;
    }
    if (length == 0) return std::nullopt;

    const std::string_view value(text, length);
    const std::size_t dash = value.find('-');
    const std::optional<int32_t> first = LeadingNumber(value.substr(0, dash));
    if (!first) return std::nullopt;
    if (dash == std::string_view::npos) return TraceRange{*first, *first};
    const std::optional<int32_t> last = LeadingNumber(value.substr(dash + 1));
    if (!last || *last < *first) return std::nullopt;
    return TraceRange{*first, *last};
}

bool OpenTraceFromEnvironment(const char* directory) {
    char buffer[kRangeTextBytes];
    if (platform::ReadEnvironment("MORA_TRACE_FRAMES", buffer) != platform::EnvironmentRead::Value) return false;
    const std::optional<TraceRange> range = ParseFrameRange(buffer);
    if (!range) return false;
    return OpenTrace(range->first, range->last, "env", /*quitAfter=*/true, directory);
}

}  // namespace mora
