#include "platform/address_wait.h"

#include <errno.h>
#include <linux/futex.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <climits>

namespace mora::platform {

// The futex system call works on the 32-bit word itself.
static_assert(sizeof(std::atomic<std::uint32_t>) == sizeof(std::uint32_t));
static_assert(std::atomic<std::uint32_t>::is_always_lock_free);

namespace {

long Futex(const std::atomic<std::uint32_t>& word, int operation, std::uint32_t value, const timespec* timeout) {
    return syscall(SYS_futex, const_cast<std::atomic<std::uint32_t>*>(&word), operation | FUTEX_PRIVATE_FLAG, value,
                   timeout, nullptr, 0);
}

}  // namespace

bool WaitOnAddress(const std::atomic<std::uint32_t>& word, std::uint32_t expected, std::uint32_t milliseconds) {
    if (word.load(std::memory_order_acquire) != expected) return true;
    timespec relative{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    const timespec* timeout = milliseconds == 0xFFFFFFFFu ? nullptr : &relative;
    if (Futex(word, FUTEX_WAIT, expected, timeout) == 0) return true;
    return errno != ETIMEDOUT;
}

void WakeByAddressAll(const std::atomic<std::uint32_t>& word) { Futex(word, FUTEX_WAKE, INT_MAX, nullptr); }

void WakeByAddressSingle(const std::atomic<std::uint32_t>& word) { Futex(word, FUTEX_WAKE, 1, nullptr); }

}  // namespace mora::platform
