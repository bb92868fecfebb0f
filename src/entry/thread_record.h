// The per-thread record every entry point fetches first: it holds the thread's current rendering
// context (set by wglMakeCurrent) and whether the process-wide GL state serves this thread.
// Zero-initialised on the thread's first use, it lives as long as its thread.
#pragma once

#include <cstdint>

#include "platform/fast_thread_local.h"

namespace mora {

struct ThreadRecord {
    void* currentContext = nullptr;  // the ContextRecord current on this thread, or null
    uint32_t serial = 0;             // this thread's number, given when it first selects a context; 0 before
    // True while this thread's current context is the one the GL state serves. Written only by
    // the thread itself (under the context registry's lock), so the entries read it plainly.
    bool drawsGlState = false;
};

namespace detail {
struct ThreadRecordTag;
}

// The calling thread's record: a fast thread-local, so the fetch is one load.
inline ThreadRecord& CurrentThreadRecord() {
    return platform::FastThreadLocal<ThreadRecord, detail::ThreadRecordTag>();
}

// The calling thread's record when it has one, without making it (an ending thread's), and the
// freeing of it once the thread is done with the driver.
inline ThreadRecord* CurrentThreadRecordIfPresent() {
    return platform::FastThreadLocalIfPresent<ThreadRecord, detail::ThreadRecordTag>();
}
inline void ForgetCurrentThreadRecord() { platform::FreeFastThreadLocal<ThreadRecord, detail::ThreadRecordTag>(); }

// There is one GL state per process, so one thread at a time may change it: the first thread to
// make a context current, until it releases it. A GL entry on any other thread changes nothing.
// Called by the entries when `thread` does not draw yet: true when it has a current context and
// no other thread draws, and it now does.
[[gnu::cold, gnu::noinline]] bool ClaimGlState(ThreadRecord& thread) noexcept;

// True when the GL entries on the calling thread may change the GL state.
inline bool MayDrawHere(ThreadRecord& thread) noexcept { return thread.drawsGlState || ClaimGlState(thread); }

}  // namespace mora
