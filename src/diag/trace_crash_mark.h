// The crash handler's mark on an open trace: the pending lines and the CRASH line, written even
// when the faulting thread itself holds the trace lock (it crashed inside a trace write), where
// waiting for the lock would hang the dying process.
#pragma once

#include "platform/mutex.h"

namespace mora {

// Writes the pending text and "\n=== CRASH (vectored handler triggered) ===\n" and flushes,
// leaving the file open; nothing when no trace file is open. The trace lock is taken when it
// comes free within a few milliseconds; otherwise the mark is written without it. Returns
// whether the lock was held for the write.
bool MarkTraceCrashedWithoutWaiting();

namespace detail {
// The trace lock itself, so a test can crash while holding it; null where it is not reachable.
platform::Mutex* TraceLockForTests();
}  // namespace detail

}  // namespace mora
