// mora-replay's command line: the capture to load, the frame range, the outputs (PNG folder,
// comparison with the captured reference pixels) and the benchmark and renderer switches.
// Parsed once by the tool's entry; the replay session and the benchmark read the result.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mora::replay {

// Most benchmark runs and worker threads the command line accepts.
inline constexpr int32_t kMaxBenchRuns = 10000;
inline constexpr int32_t kMaxThreads = 1024;

struct ReplayOptions {
    std::string capturePath;
    std::optional<uint32_t> firstFrame;  // --frames A-B (capture frame indices, inclusive)
    std::optional<uint32_t> lastFrame;
    std::string pngDirectory;         // --png DIR, empty when not asked
    bool compare = false;             // --compare
    int32_t tolerance = 0;            // --tolerance N: largest accepted channel difference
    int32_t benchRuns = 0;            // --bench N, 0 when not asked
    std::optional<int32_t> forceIsa;  // --isa: the ForceIsa value 0..4
    std::optional<int32_t> threads;   // --threads N: 0 renders on the calling thread
    std::optional<int32_t> vrsRate;   // --vrs 0|1|2: the ForceVrsRate value
    bool help = false;
};

// The usage text printed for --help and after a command-line error.
const char* ReplayUsage();

// Parses the arguments after the program name. False with `error` set when an option is unknown,
// misses its value or has a value out of range, or when no (or more than one) capture is named.
bool ParseReplayOptions(const std::vector<std::string>& arguments, ReplayOptions& out, std::string& error);

// "A-B" or "N" as two inclusive frame indices (A <= B); false when malformed.
bool ParseFrameRange(const std::string& text, uint32_t& first, uint32_t& last);

}  // namespace mora::replay
