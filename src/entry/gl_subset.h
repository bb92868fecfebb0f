// Which GL subset the driver serves: by default the vertex arrays, display lists and every
// immediate-mode variant are lowered at the entry onto the records the driver already has;
// MORA_GL_SUBSET=seed turns that off again, so those entries only count and trace (for comparing
// against the original subset and for fidelity tests). Read once, on the first lowered call.
#pragma once

#include <atomic>
#include <cstdint>
#include <span>
#include <string_view>

namespace mora::api {

namespace detail {
// 0: not read yet, 1: lowering on, 2: seed subset.
extern constinit std::atomic<uint8_t> gSubsetState;
uint8_t ReadSubsetState() noexcept;
}  // namespace detail

// True unless MORA_GL_SUBSET=seed. One relaxed load after the first call; the first calls of
// several threads may each read the environment, and all store the same answer.
inline bool LoweringOn() noexcept {
    uint8_t state = detail::gSubsetState.load(std::memory_order_relaxed);
    if (state == 0) [[unlikely]] {
        state = detail::ReadSubsetState();
    }
    return state == 1;
}

// Reads MORA_GL_SUBSET again (tests switching the subset within one process).
void ReloadSubsetSetting() noexcept;

// The entries a replay reproduces: those with a Cmd record of their own and, while lowering is
// on, those lowered onto such records. The call summary's capture-drift scan uses it.
std::span<const std::string_view> ReproducedEntryNames() noexcept;

}  // namespace mora::api
