// Sleep and wake on a 32-bit word: a thread sleeps while the word holds an
// expected value and is woken by a thread that changed it. The render job
// queue's idle workers, WaitIdle and the platform Mutex/OnceFlag use this.
#pragma once

#include <atomic>
#include <cstdint>

namespace mora::platform {

// Sleeps while word == expected, at most `milliseconds` (kWaitForever from
// thread.h, 0xFFFFFFFF: no limit). Returns false only on timeout. May return
// early (a spurious wake), so callers re-check the word in a loop.
bool WaitOnAddress(const std::atomic<std::uint32_t>& word, std::uint32_t expected,
                   std::uint32_t milliseconds = 0xFFFFFFFFu);

// Wakes every thread sleeping on the word / at most one of them.
void WakeByAddressAll(const std::atomic<std::uint32_t>& word);
void WakeByAddressSingle(const std::atomic<std::uint32_t>& word);

}  // namespace mora::platform
