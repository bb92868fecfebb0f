// The per-thread record every entry point fetches first: it holds the thread's current rendering
// context (set by wglMakeCurrent). Zero-initialised on the thread's first use, it lives as long
// as its thread.
#pragma once

namespace mora {

struct ThreadRecord {
    void* currentContext = nullptr;  // the HGLRC current on this thread, or null
};

namespace detail {
extern constinit thread_local ThreadRecord tThreadRecord;
}

// The calling thread's record. Constant-initialised, so the fetch is a plain thread-local access.
inline ThreadRecord& CurrentThreadRecord() { return detail::tThreadRecord; }

}  // namespace mora
