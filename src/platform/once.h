// One-time initialisation: the first caller runs the function, concurrent
// callers wait until it has finished, later callers return at once. Used for
// the diagnostics start-up and the profiler's counter frequency.
#pragma once

#include <atomic>
#include <cstdint>
#include <type_traits>

namespace mora::platform {

// state: 0 not run, 1 running, 2 done.
struct OnceFlag {
    std::atomic<std::uint32_t> state{0};
};

void CallOnce(OnceFlag& flag, void (*function)(void* argument), void* argument);

template <typename Function>
void CallOnce(OnceFlag& flag, Function&& function) {
    using Callable = std::remove_reference_t<Function>;
    CallOnce(
        flag, [](void* argument) { (*static_cast<Callable*>(argument))(); },
        const_cast<void*>(static_cast<const void*>(&function)));
}

bool OnceDone(const OnceFlag& flag);

}  // namespace mora::platform
