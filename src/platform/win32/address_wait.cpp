// Address waits on Windows: WaitOnAddress / WakeByAddress* (synchronization.lib, Windows 8 and
// later), the same primitive the POSIX build emulates with futexes.
#include "platform/address_wait.h"

#include <windows.h>

namespace mora::platform {

bool WaitOnAddress(const std::atomic<std::uint32_t>& word, std::uint32_t expected, std::uint32_t milliseconds) {
    static_assert(sizeof(word) == sizeof(std::uint32_t));
    auto* address = const_cast<std::atomic<std::uint32_t>*>(&word);
    const DWORD wait = milliseconds == 0xFFFFFFFFu ? INFINITE : milliseconds;
    if (::WaitOnAddress(address, &expected, sizeof(expected), wait)) return true;
    return GetLastError() != ERROR_TIMEOUT;
}

void WakeByAddressAll(const std::atomic<std::uint32_t>& word) {
    ::WakeByAddressAll(const_cast<std::atomic<std::uint32_t>*>(&word));
}

void WakeByAddressSingle(const std::atomic<std::uint32_t>& word) {
    ::WakeByAddressSingle(const_cast<std::atomic<std::uint32_t>*>(&word));
}

}  // namespace mora::platform
