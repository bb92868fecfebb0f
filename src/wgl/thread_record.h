// The per-thread record every entry point fetches first: it holds the thread's current rendering
// context (set by wglMakeCurrent). Zero-initialised on the thread's first use, it lives as long
// as its thread.
#pragma once

#include "platform/fast_thread_local.h"

namespace mora {

struct ThreadRecord {
    void* currentContext = nullptr;  // the HGLRC current on this thread, or null
};

namespace detail {
struct ThreadRecordTag;
}

// The calling thread's record: a fast thread-local, so the fetch is one load.
inline ThreadRecord& CurrentThreadRecord() { return platform::FastThreadLocal<ThreadRecord, detail::ThreadRecordTag>(); }

}  // namespace mora
