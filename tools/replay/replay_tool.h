// mora-replay's program: loads a capture, replays it through the driver's frame pipeline and
// writes what the command line asks for (PNG frames, a comparison with the captured reference
// pixels, a benchmark). The executable's main calls it; tests call it with their own streams.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace mora::replay {

// Exit statuses.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFramesDiffer = 1;  // --compare found a frame beyond the tolerance
inline constexpr int kExitUsage = 2;         // bad command line or a variant this processor lacks
inline constexpr int kExitBadCapture = 3;    // the capture cannot be loaded or replayed
inline constexpr int kExitOutputFailed = 4;  // a PNG could not be written

// Runs the tool on the arguments after the program name: results go to `out`, messages and
// progress (prefixed "mora_replay:") to `err`. Returns the exit status. Never throws.
int RunReplayTool(const std::vector<std::string>& arguments, std::FILE* out, std::FILE* err);

}  // namespace mora::replay
