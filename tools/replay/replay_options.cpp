// Command-line parsing of mora-replay.
#include "replay_options.h"

#include <charconv>
#include <string_view>

namespace mora::replay {

namespace {

// A whole decimal number in [minValue, maxValue]; no sign, blanks or trailing characters.
bool ParseBoundedInt(std::string_view text, int64_t minValue, int64_t maxValue, int64_t& out) {
    if (text.empty() || text.front() < '0' || text.front() > '9') return false;
    int64_t value = 0;
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (status != std::errc() || end != text.data() + text.size()) return false;
    if (value < minValue || value > maxValue) return false;
    out = value;
    return true;
}

bool TakesValue(const std::string& option) {
    for (const char* known : {"--frames", "--png", "--tolerance", "--bench", "--isa", "--threads", "--vrs"}) {
        if (option == known) return true;
    }
    return false;
}

// ForceIsa values of the --isa names, in ForceIsa order (0 automatic, 1..4 the variants).
constexpr std::string_view kIsaNames[] = {"auto", "sse4", "avx", "avx2", "avx512"};

}  // namespace

const char* ReplayUsage() {
    return "usage: mora-replay FILE.mora-capture [--frames A-B] [--png DIR] [--compare] [--tolerance N]\n"
           "                   [--bench N] [--isa auto|sse4|avx|avx2|avx512] [--threads N] [--vrs 0|1|2]\n"
           "  --frames A-B    replay capture frames A to B (0-based, inclusive; earlier frames still run)\n"
           "  --png DIR       write frame i as DIR/frame_%05d.png\n"
           "  --compare       compare every frame with its captured reference pixels\n"
           "  --tolerance N   largest channel difference --compare accepts (default 0)\n"
           "  --bench N       replay the frames N times; print frames per second and the stage profile\n"
           "  --isa NAME      raster kernel variant (default: MORA_ISA, else automatic)\n"
           "  --threads N     render worker threads; 0 renders on the calling thread (default: MORA_THREADS)\n"
           "  --vrs R         variable-rate shading: 0 off, 1 adaptive, 2 forced quarter rate (default 1)\n"
           "exit status: 0 success, 1 frames differ beyond the tolerance, 2 command-line error,\n"
           "             3 capture cannot be loaded or replayed, 4 an output cannot be written\n";
}

bool ParseFrameRange(const std::string& text, uint32_t& first, uint32_t& last) {
    const std::string_view view(text);
    const std::size_t dash = view.find('-');
    int64_t a = 0;
    int64_t b = 0;
    if (dash == std::string_view::npos) {
        if (!ParseBoundedInt(view, 0, UINT32_MAX, a)) return false;
        b = a;
    } else if (!ParseBoundedInt(view.substr(0, dash), 0, UINT32_MAX, a) ||
               !ParseBoundedInt(view.substr(dash + 1), 0, UINT32_MAX, b) || b < a) {
        return false;
    }
    first = static_cast<uint32_t>(a);
    last = static_cast<uint32_t>(b);
    return true;
}

bool ParseReplayOptions(const std::vector<std::string>& arguments, ReplayOptions& out, std::string& error) {
    out = ReplayOptions{};
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            out.help = true;
            return true;
        }
        if (argument == "--compare") {
            out.compare = true;
            continue;
        }
        if (argument.size() > 2 && argument.compare(0, 2, "--") == 0) {
            if (!TakesValue(argument)) {
                error = "unknown option " + argument;
                return false;
            }
            if (i + 1 >= arguments.size()) {
                error = argument + " needs a value";
                return false;
            }
            const std::string& value = arguments[++i];
            int64_t number = 0;
            if (argument == "--frames") {
                uint32_t first = 0;
                uint32_t last = 0;
                if (!ParseFrameRange(value, first, last)) {
                    error = "--frames expects A-B with 0 <= A <= B, got \"" + value + "\"";
                    return false;
                }
                out.firstFrame = first;
                out.lastFrame = last;
            } else if (argument == "--png") {
                if (value.empty()) {
                    error = "--png needs a folder";
                    return false;
                }
                out.pngDirectory = value;
            } else if (argument == "--tolerance") {
                if (!ParseBoundedInt(value, 0, 255, number)) {
                    error = "--tolerance expects 0..255, got \"" + value + "\"";
                    return false;
                }
                out.tolerance = static_cast<int32_t>(number);
            } else if (argument == "--bench") {
                if (!ParseBoundedInt(value, 1, kMaxBenchRuns, number)) {
                    error = "--bench expects 1.." + std::to_string(kMaxBenchRuns) + ", got \"" + value + "\"";
                    return false;
                }
                out.benchRuns = static_cast<int32_t>(number);
            } else if (argument == "--isa") {
                bool known = false;
                for (int32_t index = 0; index < static_cast<int32_t>(std::size(kIsaNames)); ++index) {
                    if (value == kIsaNames[index]) {
                        out.forceIsa = index;
                        known = true;
                    }
                }
                if (!known) {
                    error = "--isa expects auto, sse4, avx, avx2 or avx512, got \"" + value + "\"";
                    return false;
                }
            } else if (argument == "--threads") {
                if (!ParseBoundedInt(value, 0, kMaxThreads, number)) {
                    error = "--threads expects 0.." + std::to_string(kMaxThreads) + ", got \"" + value + "\"";
                    return false;
                }
                out.threads = static_cast<int32_t>(number);
            } else {  // --vrs
                if (!ParseBoundedInt(value, 0, 2, number)) {
                    error = "--vrs expects 0, 1 or 2, got \"" + value + "\"";
                    return false;
                }
                out.vrsRate = static_cast<int32_t>(number);
            }
            continue;
        }
        if (!out.capturePath.empty()) {
            error = "more than one capture file named (\"" + out.capturePath + "\", \"" + argument + "\")";
            return false;
        }
        out.capturePath = argument;
    }
    if (out.capturePath.empty()) {
        error = "no capture file named";
        return false;
    }
    return true;
}

}  // namespace mora::replay
