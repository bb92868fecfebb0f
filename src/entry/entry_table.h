// EntryTable: one row per exported entry point (363), in the fixed row order of the export list
// (entry/entry_list.inc): the entry's standard name and its call count, which only grows.
// Every entry point counts itself here; the call summary reads the rows at any time.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "entry/entry_counters.h"

namespace mora {

// Row index of every entry: EntryId::glVertex3f, EntryId::wglSwapBuffers...
enum class EntryId : uint16_t {
#define MORA_GL_ENTRY(Name, Ret, Params, Args, Bytes, Format) gl##Name,
#define MORA_WGL(Name, Ret, Params, Args, Bytes, Format) wgl##Name,
#include "entry/entry_list.inc"
};

inline constexpr std::size_t kGlEntryCount = 342;  // 336 GL 1.1 entries and 6 extension entries
static_assert(static_cast<std::size_t>(EntryId::wglSwapLayerBuffers) + 1 == kEntryCount);
static_assert(static_cast<std::size_t>(EntryId::wglChoosePixelFormat) == kGlEntryCount);

// A row's call count: the sum of its counters over every thread (entry/entry_counters.h), read
// like an atomic counter. Starts at 0 and is never reset.
struct EntryCallCount {
    uint16_t row;
    uint64_t load(std::memory_order order = std::memory_order_seq_cst) const noexcept {
        return SumEntryRow(row, order);
    }
};

struct EntryRow {
    const char* name;      // standard name, e.g. "glVertex3f"
    EntryCallCount calls;  // all calls of the entry so far
};

struct EntryTable {
    EntryRow rows[kEntryCount];
};

namespace detail {
extern constinit EntryTable gEntryTable;
}

// The process-wide table, built at compile time.
inline EntryTable& TheEntryTable() { return detail::gEntryTable; }

// Counts one call of `id` on the calling thread (no locked instruction; see entry/entry_counters.h).
inline void CountEntryCall(EntryId id) noexcept { CountEntryRow(static_cast<std::size_t>(id)); }
// All calls of `id` so far, over every thread.
inline uint64_t EntryCalls(EntryId id) noexcept { return SumEntryRow(static_cast<std::size_t>(id)); }
inline const char* EntryName(EntryId id) { return detail::gEntryTable.rows[static_cast<std::size_t>(id)].name; }

// Trace context of each entry: "MORA::GL::" or "MORA::WGL::" and the name without its prefix.
inline constexpr const char* kEntryTraceNames[kEntryCount] = {
#define MORA_GL_ENTRY(Name, Ret, Params, Args, Bytes, Format) "MORA::GL::" #Name,
#define MORA_WGL(Name, Ret, Params, Args, Bytes, Format) "MORA::WGL::" #Name,
#include "entry/entry_list.inc"
};

// Trace message format of each entry (its arguments as name=value pairs).
inline constexpr const char* kEntryTraceFormats[kEntryCount] = {
#define MORA_GL_ENTRY(Name, Ret, Params, Args, Bytes, Format) Format,
#define MORA_WGL(Name, Ret, Params, Args, Bytes, Format) Format,
#include "entry/entry_list.inc"
};

// Argument bytes of each entry: the N of its decorated alias "_moraName@N" / "_vwgl2Name@N".
inline constexpr uint8_t kEntryArgumentBytes[kEntryCount] = {
#define MORA_GL_ENTRY(Name, Ret, Params, Args, Bytes, Format) Bytes,
#define MORA_WGL(Name, Ret, Params, Args, Bytes, Format) Bytes,
#include "entry/entry_list.inc"
};

}  // namespace mora
