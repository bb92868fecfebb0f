#include "platform/mutex.h"

#include "platform/address_wait.h"

namespace mora::platform {

// Three-state lock: 0 free, 1 held, 2 held and someone may sleep. The holder
// issues a wake only when the state says a sleeper may exist.

bool TryLockMutex(Mutex& mutex) {
    std::uint32_t expected = 0;
    return mutex.state.compare_exchange_strong(expected, 1, std::memory_order_acquire, std::memory_order_relaxed);
}

void LockMutex(Mutex& mutex) {
    std::uint32_t state = 0;
    if (mutex.state.compare_exchange_strong(state, 1, std::memory_order_acquire, std::memory_order_relaxed)) return;
    if (state != 2) state = mutex.state.exchange(2, std::memory_order_acquire);
    while (state != 0) {
        WaitOnAddress(mutex.state, 2);
        state = mutex.state.exchange(2, std::memory_order_acquire);
    }
}

void UnlockMutex(Mutex& mutex) {
    if (mutex.state.exchange(0, std::memory_order_release) == 2) WakeByAddressSingle(mutex.state);
}

}  // namespace mora::platform
