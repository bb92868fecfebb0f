// The per-call frame every exported entry point runs before its own work: fetch the thread's
// record, count the call in the EntryTable, write a trace line when a trace covers the current
// frame. Also the recording switch and the process-wide objects the implemented entries use.
// Included only by the entry-point files of src/api.
#pragma once

#include <cstddef>

#include "api/entry_table.h"
#include "api/trace_arguments.h"
#include "diag/trace.h"
#include "gl/command_buffer.h"
#include "gl/gl_context.h"
#include "gl/pending_keyframe.h"
#include "panel/driver_settings.h"
#include "wgl/thread_record.h"

namespace mora::api {

// Writes the entry's trace line with its format from the export list. Out of line and cold: it
// runs only inside a trace range. Never throws (a failing trace write loses the line).
template <EntryId kId, class... Args>
[[gnu::noinline, gnu::cold]] void WriteEntryTrace(Args... args) noexcept {
    constexpr std::size_t kRow = static_cast<std::size_t>(kId);
    static_assert(TraceFormatMatches<TraceArgumentType<Args>...>(kEntryTraceFormats[kRow]),
                  "the export list's trace format does not fit the entry's arguments");
    try {
        if constexpr (sizeof...(Args) == 0) {
            TraceLine(kEntryTraceNames[kRow], "%s", kEntryTraceFormats[kRow]);
        } else {
            TraceLine(kEntryTraceNames[kRow], kEntryTraceFormats[kRow], TraceArgument(args)...);
        }
    } catch (...) {
    }
}

// Steps 1 to 3 of the frame: the thread's record, the count and the trace line. The arguments are
// the entry's own, in the order of its trace format.
template <EntryId kId, class... Args>
inline ThreadRecord& EnterEntry(Args... args) noexcept {
    ThreadRecord& record = CurrentThreadRecord();
    CountEntryCall(kId);
    if (TraceCoversCurrentFrame()) [[unlikely]] {
        WriteEntryTrace<kId>(args...);
    }
    return record;
}

// Steps 1 and 2 only, for the entries that format their own trace line; returns whether a trace
// covers the current frame (step 3 is then the caller's).
template <EntryId kId>
inline bool EnterEntryTracedByCaller() noexcept {
    (void)CurrentThreadRecord();
    CountEntryCall(kId);
    return TraceCoversCurrentFrame();
}

// Recording is on while the pipeline cut-off is not 0 ("stop before the command stream").
inline bool RecordingOn() { return SettingValue(Settings().PipelineCutoff) != 0; }

inline GlContext& Context() { return TheGlContext(); }
inline CommandRecording& Recording() { return ActiveCommandRecording(); }
inline CommandStream& Stream() { return ActiveCommandRecording().stream; }

// The PendingKeyframe the texture calls touch before changing a slot: only while recording, since
// only a recorded frame is replayed from its Keyframe.
inline PendingKeyframe* TextureTouch(bool recording) { return recording ? &ThePendingKeyframe() : nullptr; }

}  // namespace mora::api
