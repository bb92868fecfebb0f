// The API call summary writer: gathers the entry counters, the status lines, the worker tile
// statistics, the occupancy record and the profiler trees, and rewrites "MORA_api_calls.log".
// wglSwapBuffers calls it every 60 frames, library unload and the crash report once each.
#pragma once

#include <string>

namespace mora {

inline constexpr char kCallSummaryFileName[] = "MORA_api_calls.log";

// The summary text as it stands now.
std::string CurrentCallSummaryText();

// Rewrites the summary file in `directory` (null or "": the current directory) with
// CurrentCallSummaryText(). A file that cannot be created is skipped silently; returns whether
// the whole text was written. Never throws (out of memory writes nothing).
bool WriteApiCallSummary(const char* directory = nullptr) noexcept;

}  // namespace mora
