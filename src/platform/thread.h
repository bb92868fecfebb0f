// Operating-system threads: start with a name, join (with or without a
// timeout), processor affinity, sleep, yield and thread ids. Used by the render
// job queue, the frame executor thread and the debug panel thread.
#pragma once

#include <cstdint>

#include "platform/topology.h"

namespace mora::platform {

using ThreadEntry = void (*)(void* argument);

// A started thread. `native` holds the OS handle; `joinable` is set between a
// successful StartThread and the join that ends it.
struct Thread {
    std::uint64_t native = 0;
    bool joinable = false;
};

// Waits forever in JoinThreadTimeout and WaitOnAddress.
inline constexpr std::uint32_t kWaitForever = 0xFFFFFFFFu;

// Starts entry(argument) on a new thread named `name` (cut to 15 characters,
// the longest name the OS keeps). Returns false, leaving `thread` not
// joinable, when the thread cannot be created.
bool StartThread(Thread& thread, const char* name, ThreadEntry entry, void* argument);

// Waits for the thread to end. Does nothing for a thread that is not joinable.
void JoinThread(Thread& thread);

// Waits at most `milliseconds` (kWaitForever: no limit) for the thread to end.
// Returns true when it ended and was joined; false on timeout (the thread stays
// joinable) or for a thread that is not joinable.
bool JoinThreadTimeout(Thread& thread, std::uint32_t milliseconds);

// Binds the calling thread to one logical processor. Returns false when the
// processor is unknown to the OS or the call is refused.
bool SetCurrentThreadAffinity(const LogicalProcessor& processor);

// Prefers a processor for the calling thread without binding it. Linux has no
// such hint, so this only checks the processor number and returns true.
bool SetCurrentThreadIdealProcessor(const LogicalProcessor& processor);

// Kernel id of the calling thread (unique among live threads of the system).
std::uint32_t CurrentThreadId();

void SleepMilliseconds(std::uint32_t milliseconds);

// Gives the rest of the time slice to another ready thread.
void YieldThread();

// Lets the threads whose start was held back run, and waits until each has started. Windows holds
// back the threads the DLL starts under the loader lock (a thread cannot start while it is held, so
// one that FreeLibrary came to join there could never be waited for); the first entry call runs
// this. Nothing is held back elsewhere.
void RunHeldBackThreads();

// One processor pause for spin loops (no system call).
inline void CpuPause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__)
    asm volatile("yield");
#endif
}

}  // namespace mora::platform
