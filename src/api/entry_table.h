// EntryTable: one row per exported entry point (363), in the fixed row order of the export list
// (api/entry_list.inc): the entry's standard name and its 64-bit call counter, which only grows.
// Every entry point counts itself here; the call summary reads the rows at any time.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace mora {

// Row index of every entry: EntryId::glVertex3f, EntryId::wglSwapBuffers...
enum class EntryId : uint16_t {
#define MORA_GL_ENTRY(Name, Ret, Params, Args, Bytes, Format) gl##Name,
#define MORA_WGL(Name, Ret, Params, Args, Bytes, Format) wgl##Name,
#include "api/entry_list.inc"
};

inline constexpr std::size_t kGlEntryCount = 342;    // 336 GL 1.1 entries and 6 extension entries
inline constexpr std::size_t kEntryCount = 363;      // GL rows, then the 21 WGL rows
static_assert(static_cast<std::size_t>(EntryId::wglSwapLayerBuffers) + 1 == kEntryCount);
static_assert(static_cast<std::size_t>(EntryId::wglChoosePixelFormat) == kGlEntryCount);

struct EntryRow {
    const char* name;                   // standard name, e.g. "glVertex3f"
    std::atomic<uint64_t> calls{0};     // lock-free 64-bit counter, never reset
};
static_assert(std::atomic<uint64_t>::is_always_lock_free, "entry counters are updated without locks");

struct EntryTable {
    EntryRow rows[kEntryCount];
};

namespace detail {
extern constinit EntryTable gEntryTable;
}

// The process-wide table, built at compile time.
inline EntryTable& Entries() { return detail::gEntryTable; }

inline void CountEntryCall(EntryId id) {
    detail::gEntryTable.rows[static_cast<std::size_t>(id)].calls.fetch_add(1, std::memory_order_relaxed);
}
inline uint64_t EntryCalls(EntryId id) {
    return detail::gEntryTable.rows[static_cast<std::size_t>(id)].calls.load(std::memory_order_relaxed);
}
inline const char* EntryName(EntryId id) { return detail::gEntryTable.rows[static_cast<std::size_t>(id)].name; }

// Trace context of each entry: "MORA::GL::" or "MORA::WGL::" and the name without its prefix.
inline constexpr const char* kEntryTraceNames[kEntryCount] = {
#define MORA_GL_ENTRY(Name, Ret, Params, Args, Bytes, Format) "MORA::GL::" #Name,
#define MORA_WGL(Name, Ret, Params, Args, Bytes, Format) "MORA::WGL::" #Name,
#include "api/entry_list.inc"
};

// Trace message format of each entry (its arguments as name=value pairs).
inline constexpr const char* kEntryTraceFormats[kEntryCount] = {
#define MORA_GL_ENTRY(Name, Ret, Params, Args, Bytes, Format) Format,
#define MORA_WGL(Name, Ret, Params, Args, Bytes, Format) Format,
#include "api/entry_list.inc"
};

// Argument bytes of each entry: the N of its decorated alias "_moraName@N" / "_vwgl2Name@N".
inline constexpr uint8_t kEntryArgumentBytes[kEntryCount] = {
#define MORA_GL_ENTRY(Name, Ret, Params, Args, Bytes, Format) Bytes,
#define MORA_WGL(Name, Ret, Params, Args, Bytes, Format) Bytes,
#include "api/entry_list.inc"
};

}  // namespace mora
