// The global frame counter: wglSwapBuffers advances it once per frame; traces, captures and the
// panel read it. The current frame number is its value before the advance. Starts at 0.
#pragma once

#include <atomic>
#include <cstdint>

namespace mora {

namespace detail {
extern std::atomic<int32_t> gFrameCounter;
}

// The current frame number (relaxed load; entry points on any thread read it for trace checks).
inline int32_t CurrentFrame() { return detail::gFrameCounter.load(std::memory_order_relaxed); }

// Advances the counter by one and returns the new value (wraps like a 32-bit counter).
inline int32_t AdvanceFrameCounter() {
    return static_cast<int32_t>(static_cast<uint32_t>(detail::gFrameCounter.fetch_add(1, std::memory_order_acq_rel)) +
                                1u);
}

// Sets the counter; only tests and replay tools use it.
inline void SetFrameCounter(int32_t frame) { detail::gFrameCounter.store(frame, std::memory_order_release); }

}  // namespace mora
