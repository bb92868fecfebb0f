// GL's conversions of vertex, colour and texture-coordinate components to the floats and packed
// colours the records hold: coordinates convert as values (doubles narrowed without undefined
// behaviour), colour components are normalised (signed c to (2c + 1) / (2^b - 1), unsigned c to
// c / (2^b - 1)), unsigned bytes keep their exact value. Used by the immediate-mode variants and
// the vertex arrays alike, so both give the same records.
#pragma once

#include <cstdint>
#include <type_traits>

#include "gl/colour_packing.h"
#include "gl/float_conversion.h"

namespace mora::api {

template <class T>
constexpr float Coordinate(T value) {
    if constexpr (std::is_same_v<T, double>) {
        return NarrowToFloat(value);
    } else {
        return static_cast<float>(value);
    }
}

// One colour component as the float GL defines for its type (before clamping to [0, 1]).
template <class T>
constexpr float ColourComponent(T c) {
    if constexpr (std::is_same_v<T, float>) {
        return c;
    } else if constexpr (std::is_same_v<T, double>) {
        return NarrowToFloat(c);
    } else if constexpr (std::is_same_v<T, int8_t>) {
        return (2.0f * static_cast<float>(c) + 1.0f) / 255.0f;
    } else if constexpr (std::is_same_v<T, int16_t>) {
        return (2.0f * static_cast<float>(c) + 1.0f) / 65535.0f;
    } else if constexpr (std::is_same_v<T, int32_t>) {
        return static_cast<float>((2.0 * static_cast<double>(c) + 1.0) / 4294967295.0);
    } else if constexpr (std::is_same_v<T, uint8_t>) {
        return static_cast<float>(c) / 255.0f;
    } else if constexpr (std::is_same_v<T, uint16_t>) {
        return static_cast<float>(c) / 65535.0f;
    } else {
        static_assert(std::is_same_v<T, uint32_t>, "a GL colour component type");
        return static_cast<float>(static_cast<double>(c) / 4294967295.0);
    }
}

// The packed colour of (r, g, b, a); unsigned bytes pack exactly, as glColor4ub does.
template <class T>
constexpr uint32_t PackedColour(T r, T g, T b, T a) {
    if constexpr (std::is_same_v<T, uint8_t>) {
        return PackColourBytes(r, g, b, a);
    } else {
        return PackColour(ColourComponent(r), ColourComponent(g), ColourComponent(b), ColourComponent(a));
    }
}

// The packed colour of (r, g, b) with GL's default alpha of 1.
template <class T>
constexpr uint32_t PackedColour(T r, T g, T b) {
    if constexpr (std::is_same_v<T, uint8_t>) {
        return PackColourBytes(r, g, b, 255);
    } else {
        return PackColour(ColourComponent(r), ColourComponent(g), ColourComponent(b), 1.0f);
    }
}

}  // namespace mora::api
