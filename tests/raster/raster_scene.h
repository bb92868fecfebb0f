// Texture slots for the raster tests, built the way the texture entries build them.
#pragma once

#include <cstdint>
#include <functional>

#include "gl/texture_slot.h"

namespace mora::raster::test {

// A slot with a level-0 image of width x height and its whole mip chain, every texel from `texel`
// (called with level, x, y).
TextureSlot MakeTextureSlot(int32_t width, int32_t height, const std::function<uint32_t(int, int, int)>& texel,
                            uint32_t minFilter = 0x2703, uint32_t magFilter = 0x2601, uint32_t wrapS = 0x2901,
                            uint32_t wrapT = 0x2901);

}  // namespace mora::raster::test
