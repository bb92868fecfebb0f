// A per-thread value the per-call path reaches with one load and no call: FastThreadLocal<T,
// Tag>() is the calling thread's T, zero on a new thread. T is trivially copyable; Tag only tells
// values apart. Most systems get an initial-exec thread_local.
// MinGW compiles thread_local to emulated TLS (a call to __emutls_get_address on every access),
// so the Windows build keeps the value in a TLS slot of its own and reads it straight from the
// thread environment block.
#pragma once

#include <type_traits>

#if defined(_WIN32)
#include "platform/win32/fast_thread_local_slots.h"
#else
namespace mora::platform {

namespace detail {
template <class T, class Tag>
inline constinit thread_local T tFastThreadLocal [[gnu::tls_model("initial-exec")]]{};
}  // namespace detail

template <class T, class Tag>
inline T& FastThreadLocal() noexcept {
    static_assert(std::is_trivially_copyable_v<T>);
    return detail::tFastThreadLocal<T, Tag>;
}

template <class T, class Tag>
inline T* FastThreadLocalIfPresent() noexcept {
    return &detail::tFastThreadLocal<T, Tag>;
}

// Nothing to free: the thread's storage ends with it.
template <class T, class Tag>
inline void FreeFastThreadLocal() noexcept {}

}  // namespace mora::platform
#endif
