#include "platform/once.h"

#include "platform/address_wait.h"

namespace mora::platform {

namespace {
constexpr std::uint32_t kNotRun = 0;
constexpr std::uint32_t kRunning = 1;
constexpr std::uint32_t kDone = 2;

// Undoes the claim when the function exits by exception, so a later caller
// can try again instead of waiting forever.
struct RunningClaim {
    OnceFlag& flag;
    bool finished = false;
    ~RunningClaim() {
        if (finished) return;
        flag.state.store(kNotRun, std::memory_order_release);
        WakeByAddressAll(flag.state);
    }
};
}  // namespace

void CallOnce(OnceFlag& flag, void (*function)(void* argument), void* argument) {
    for (;;) {
        std::uint32_t state = flag.state.load(std::memory_order_acquire);
        if (state == kDone) return;
        if (state == kNotRun) {
            if (!flag.state.compare_exchange_strong(state, kRunning, std::memory_order_acquire)) continue;
            RunningClaim claim{flag};
            function(argument);
            claim.finished = true;
            flag.state.store(kDone, std::memory_order_release);
            WakeByAddressAll(flag.state);
            return;
        }
        WaitOnAddress(flag.state, kRunning);
    }
}

bool OnceDone(const OnceFlag& flag) { return flag.state.load(std::memory_order_acquire) == kDone; }

}  // namespace mora::platform
