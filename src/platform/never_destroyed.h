// NeverDestroyed<T>: storage for a process-wide record that is constructed (at compile time where
// T allows) and never destroyed. Programs call GL from their own static destructors and atexit
// handlers (SFML releases its shared context and textures that way), which run in no order we
// control relative to ours: the driver's records must stay usable until the process is gone, as
// the system reclaims their memory anyway.
#pragma once

#include <new>
#include <utility>

namespace mora::platform {

template <class T>
union NeverDestroyed {
    T value;
    constexpr NeverDestroyed() : value() {}
    template <class... Args>
    constexpr explicit NeverDestroyed(std::in_place_t, Args&&... args) : value(std::forward<Args>(args)...) {}
    NeverDestroyed(const NeverDestroyed&) = delete;
    NeverDestroyed& operator=(const NeverDestroyed&) = delete;
    ~NeverDestroyed() {}  // deliberately leaves `value` alive
};

}  // namespace mora::platform
