// A plain lock record built on address waits: zero-initialised, no
// constructor, usable as a process-wide static. Guards the trace file, the
// profiler's thread list and other cold paths; hot paths take no locks.
#pragma once

#include <atomic>
#include <cstdint>

namespace mora::platform {

// state: 0 unlocked, 1 locked, 2 locked with sleepers.
struct Mutex {
    std::atomic<std::uint32_t> state{0};
};

void LockMutex(Mutex& mutex);
bool TryLockMutex(Mutex& mutex);
void UnlockMutex(Mutex& mutex);

// Holds a Mutex for the lifetime of the object.
struct MutexLock {
    explicit MutexLock(Mutex& m) : mutex(m) { LockMutex(mutex); }
    ~MutexLock() { UnlockMutex(mutex); }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;
    Mutex& mutex;
};

}  // namespace mora::platform
