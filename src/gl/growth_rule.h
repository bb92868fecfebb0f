// The growth rule of every growable per-frame array: when an append does not fit, the capacity
// becomes the larger of the needed size and 1.5 times the old capacity. Used by the tile grid's
// bins and by whoever appends to the frame's SetupTriangle array.
#pragma once

#include <cstddef>
#include <vector>

namespace mora {

// Makes room for `extra` more elements after the current size, following the growth rule.
// Does nothing (and allocates nothing) when the capacity already suffices.
template <typename T>
inline void ReserveForAppend(std::vector<T>& array, std::size_t extra) {
    const std::size_t needed = array.size() + extra;
    const std::size_t capacity = array.capacity();
    if (needed <= capacity) return;
    const std::size_t grown = capacity + capacity / 2;
    array.reserve(needed > grown ? needed : grown);
}

// Appends one element under the growth rule.
template <typename T>
inline void AppendGrowing(std::vector<T>& array, const T& value) {
    ReserveForAppend(array, 1);
    array.push_back(value);
}

}  // namespace mora
