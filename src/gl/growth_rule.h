// The growth rule of every array the driver grows while it runs (the command buffers, the tile
// grid's bins): when an append does not fit, the capacity becomes the larger of the needed size
// and 1.5 times the old capacity. Written once here; the command buffer and the binning use it.
#pragma once

#include <cstddef>
#include <vector>

namespace mora {

// The capacity an array of `capacity` grows to when it must hold `needed` (> capacity) elements.
template <typename Size>
constexpr Size GrownCapacity(Size capacity, Size needed) {
    const Size grown = capacity + capacity / 2;
    return needed > grown ? needed : grown;
}

// Makes room for `extra` more elements after the current size, following the growth rule.
// Does nothing (and allocates nothing) when the capacity already suffices.
template <typename T>
inline void ReserveForAppend(std::vector<T>& array, std::size_t extra) {
    const std::size_t needed = array.size() + extra;
    if (needed <= array.capacity()) return;
    array.reserve(GrownCapacity(array.capacity(), needed));
}

}  // namespace mora
