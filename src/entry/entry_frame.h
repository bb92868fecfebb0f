// The per-call frame every exported entry point runs before its own work: fetch the thread's
// record, count the call in the EntryTable, write a trace line when a trace covers the current
// frame; and the call-free variant of the frame for the hot immediate-mode entries. Also the
// recording switch and the process-wide objects the implemented entries use. Included by the
// entry-point files of src/api and src/wgl.
#pragma once

#include <cstddef>

#include "diag/trace.h"
#include "entry/entry_boundary.h"
#include "entry/entry_table.h"
#include "entry/thread_record.h"
#include "entry/trace_arguments.h"
#include "gl/command_buffer.h"
#include "gl/gl_context.h"
#include "gl/pending_keyframe.h"
#include "panel/driver_settings.h"

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

// glVertex3fv is the one vector entry whose trace shows the values rather than the pointer.
[[gnu::noinline, gnu::cold]] inline void WriteVertex3fvTrace(const float* v) noexcept {
    if (v == nullptr) {
        try {
            TraceLine(kEntryTraceNames[static_cast<std::size_t>(EntryId::glVertex3fv)], "(v=NULL)");
        } catch (...) {
        }
    } else {
        WriteEntryTrace<EntryId::glVertex3fv>(v[0], v[1], v[2]);
    }
}

// Steps 1 to 3 of the frame: the thread's record, the count and the trace line. The arguments are
// the entry's own, in the order of its trace format. False when the calling thread may not change
// the GL state (no current context, or another thread draws): the entry then does nothing more.
template <EntryId kId, class... Args>
inline bool EnterEntry(Args... args) noexcept {
    ThreadRecord& record = CurrentThreadRecord();
    CountEntryCall(kId);
    if (TraceCoversCurrentFrame()) [[unlikely]] {
        if constexpr (kId == EntryId::glVertex3fv) {
            WriteVertex3fvTrace(args...);
        } else {
            WriteEntryTrace<kId>(args...);
        }
    }
    return MayDrawHere(record);
}

namespace detail {
// True while a display list is open: the calls record into the list instead of the frame.
extern constinit bool gListCompiling;
}  // namespace detail

// Recording is on while the pipeline cut-off is not kStopBeforeCommandStream. Reads
// the process-wide record directly, without the load-on-first-use guard of TheDriverSettings(): the
// thread's first counted call has loaded it (entry/entry_counters.cpp), and every entry counts
// itself before it records.
// A display list being compiled records its calls whatever the cut-off (api/display_lists.h).
inline bool RecordingOn() {
    return SettingValue(mora::detail::gDriverSettings.PipelineCutoff) != kStopBeforeCommandStream ||
           detail::gListCompiling;
}

// Hot entries: the vertex, colour and texture-coordinate forms a game calls thousands of times per
// frame. Each is a body kBody(recording, args...) doing steps 4 to 6 (validate, record, apply)
// that appends its record of kRecordBytes without a room test: `recording` is true only when
// recording is on and the stream has room for the record. RunHotEntry runs the frame around it.

// The whole frame out of line, for the calls RunHotEntry does not run inline. A stream that
// cannot grow leaves the call unrecorded; it is still applied.
template <EntryId kId, uint64_t kRecordBytes, auto kBody, class... Args>
[[gnu::noinline]] void RunEntryFrame(Args... args) noexcept try {
    if (!EnterEntry<kId>(args...)) return;
    bool recording = RecordingOn();
    if (recording && !CommandBufferHasRoom(TheCommandRecording().stream, kRecordBytes)) {
        recording = MakeCommandBufferRoom(TheCommandRecording().stream, kRecordBytes);
    }
    kBody(recording, args...);
} MORA_ENTRY_BOUNDARY()

// True when no trace range is set at all: one load and compare, cheaper than the full range test
// of TraceCoversCurrentFrame(). A range that is set, whether or not it covers the current frame,
// sends the hot entries through the full frame, which tests it exactly.
inline bool NoTraceRangeSet() {
    return mora::detail::gTraceRangeWord.load(std::memory_order_acquire) == mora::detail::kNoTraceRangeWord;
}

// The frame in the common case, plain loads and stores without a call: the thread has counted
// before and draws with the GL state, no trace range is set and, while recording, the stream has
// room for the record. Then
// the call is counted on the thread's own block and the body runs inline. Any other call (a
// thread's first, one while a trace range is set, one that must grow the stream) runs
// RunEntryFrame, with the same effects. kBody must not throw.
template <EntryId kId, uint64_t kRecordBytes, auto kBody, class... Args>
[[gnu::always_inline]] inline void RunHotEntry(Args... args) noexcept {
    EntryCounterBlock* counters = CurrentEntryCounters();
    const bool recording = RecordingOn();
    if (counters != nullptr && CurrentThreadRecord().drawsGlState && NoTraceRangeSet() &&
        (!recording || CommandBufferHasRoom(TheCommandRecording().stream, kRecordBytes))) [[likely]] {
        CountEntryRowIn(*counters, static_cast<std::size_t>(kId));
        kBody(recording, args...);
        return;
    }
    RunEntryFrame<kId, kRecordBytes, kBody>(args...);
}

// The PendingKeyframe the texture calls touch before changing a slot: only while recording, since
// only a recorded frame is replayed from its Keyframe, and never into a display list being
// compiled, whose calls do not change the frame's textures.
inline PendingKeyframe* TextureTouch(bool recording) {
    return recording && !detail::gListCompiling ? &ThePendingKeyframe() : nullptr;
}

}  // namespace mora::api
