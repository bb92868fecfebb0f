// Packed colour: every colour the driver keeps (current colour, clear colour, environment colour,
// texels, pixels) is a u32 0xAARRGGBB. Used by the colour entries, glClearColor, glTexEnvfv
// and their replay.
#pragma once

#include <cstdint>

namespace mora {

// 0 when c <= 0 (and for NaN), 255 when c >= 1, else the integer part of c * 255 + 0.5.
constexpr uint32_t PackColourChannel(float c) {
    if (!(c > 0.0f)) {
        return 0;
    }
    if (c >= 1.0f) {
        return 255;
    }
    return static_cast<uint32_t>(c * 255.0f + 0.5f);
}

constexpr uint32_t PackColourBytes(uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
    return (a & 0xFFu) << 24 | (r & 0xFFu) << 16 | (g & 0xFFu) << 8 | (b & 0xFFu);
}

constexpr uint32_t PackColour(float r, float g, float b, float a) {
    return PackColourBytes(PackColourChannel(r), PackColourChannel(g), PackColourChannel(b), PackColourChannel(a));
}

}  // namespace mora
