// The API call summary writer: gathers the entry counters, the status lines, the worker tile
// statistics, the occupancy record and the profiler trees, and rewrites "MORA_api_calls.log".
// wglSwapBuffers asks for it every 60 frames (written on the summary writer thread), library
// unload and the crash report write it at once on the calling thread.
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

// The frame loop's periodic rewrite. The call counts and status lines are copied here into
// storage reserved once, so they are those of this moment; the writer thread formats the text
// (with the statistics sections as it finds them) and replaces the file in the current directory.
// Nothing is allocated and nothing written on the calling thread. A request made while the
// previous rewrite is still running is dropped; without a writer thread the file is written here.
void RequestApiCallSummary() noexcept;

// Library load starts the writer thread (true when it runs); unload stops it after any rewrite
// in progress. Both are idempotent.
bool StartCallSummaryWriter() noexcept;
void StopCallSummaryWriter() noexcept;
// At process exit the system has already ended the writer thread: forget it without a join (it
// would never answer), so the synchronous summary that follows is the last word.
void AbandonCallSummaryWriter() noexcept;

// Returns once no requested rewrite is waiting or being written.
void WaitForCallSummaryWriter() noexcept;

}  // namespace mora
