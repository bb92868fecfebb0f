// Trace writer: for a chosen range of frames, one text line per API call (and per presentation
// failure) with the frame number and a process-wide sequence number, batched in memory and
// written to "MORA_trace_frame*.mora-trace". Every entry point tests TraceCoversCurrentFrame()
// and calls TraceLine(); the diagnostics start-up, the per-frame poll and library unload open
// and close traces.
#pragma once

#include <atomic>
#include <cstdarg>
#include <cstdint>

#include "diag/frame_counter.h"

namespace mora {

struct TraceRange {
    int32_t first = -1;  // -1 and -1 when no trace runs
    int32_t last = -1;
};

namespace detail {
// TraceRange packed into one word (first in the low half, last in the high half) so that the
// per-call test reads a consistent pair with a single load.
extern std::atomic<uint64_t> gTraceRangeWord;
inline constexpr uint64_t kNoTraceRangeWord = ~uint64_t{0};  // first = last = -1
}  // namespace detail

// True when a trace range is set and holds frame: first >= 0 and first <= frame <= last.
inline bool TraceRangeCovers(uint64_t rangeWord, int32_t frame) {
    const uint32_t first = static_cast<uint32_t>(rangeWord);
    const uint32_t last = static_cast<uint32_t>(rangeWord >> 32);
    // One unsigned compare covers first <= frame <= last (ranges always have last >= first);
    // the sign bit of first rules out "no range".
    return (static_cast<uint32_t>(frame) - first <= last - first) & (static_cast<int32_t>(first) >= 0);
}

// The per-call test of the entry frame: one load of the range, one of the frame counter.
inline bool TraceCoversCurrentFrame() {
    return TraceRangeCovers(detail::gTraceRangeWord.load(std::memory_order_acquire), CurrentFrame());
}

// Writes one line "[frame=F][seq=S] context message" when a trace is open and covers the current
// frame; does nothing otherwise. Any thread. The message is cut at 511 characters, the line at
// 767; a cut line still ends with a line end.
[[gnu::format(printf, 2, 3)]] void TraceLine(const char* context, const char* format, ...);
void TraceLineV(const char* context, const char* format, va_list args);

// Opens "MORA_trace_frame%d.mora-trace" (first == last) or "MORA_trace_frames%d-%d.mora-trace" in
// `directory` (null or empty: the current directory), writes the header and the instruction-set line and
// sets TraceRange. Refused (false, nothing changes) when last < first, first < 0, a trace file is
// already open, or the file cannot be created.
bool OpenTrace(int32_t first, int32_t last, const char* label, bool quitAfter, const char* directory = nullptr);

// Writes the pending lines and "=== end of trace ===", closes the file. TraceRange is left as it
// is (the per-frame poll clears it). No effect when no file is open. Library unload calls it.
void CloseTrace();

// Crash variant: writes the pending lines and "\n=== CRASH (vectored handler triggered) ===\n" and
// flushes, leaving the file open.
void MarkTraceCrashed();

// State queries for the per-frame poll.
bool TraceFileOpen();
TraceRange CurrentTraceRange();
bool TraceQuitAfter();
void ClearTraceRange();

// Value of the process-wide sequence number (the last number handed to a line; 0 before any).
uint64_t LastTraceSequence();

}  // namespace mora
