// TextureSlot: one texture name's wrap and filter parameters, level table and texels (all mip
// levels as 0xAARRGGBB words in one array). The texture entries, the replay executor, the raster
// texture cache and the capture file read and write it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "gl/gl_enums.h"

namespace mora {

// Most levels a slot describes; a chain stops here even when the image is larger.
inline constexpr int kMaxTextureLevels = 16;

// The slot's parameter words (0..6) and level tables (10..90) keep their 32-bit word numbering
// on every platform; the texel array between them (words 7..9 on a 32-bit build) takes the
// platform's pointer size.
struct TextureSlot {
    int32_t width = 0;                                   // word 0: level-0 width
    int32_t height = 0;                                  // word 1: level-0 height
    uint32_t wrapS = gle::kRepeat;                       // word 2
    uint32_t wrapT = gle::kRepeat;                       // word 3
    uint32_t magFilter = gle::kLinear;                   // word 4
    uint32_t minFilter = gle::kLinearMipmapLinear;       // word 5
    uint8_t inUse = 0;                                   // word 6 byte 0: name allocated or bound
    uint8_t hasImage = 0;                                // word 6 byte 1: a level-0 image is defined
    uint8_t reserved[2] = {0, 0};                        // word 6 bytes 2, 3
    std::vector<uint32_t> texels;                        // every level, level 0 first
    int32_t levelCount = 0;                              // word 10
    int32_t levelWidth[kMaxTextureLevels] = {};          // words 11..26
    int32_t levelHeight[kMaxTextureLevels] = {};         // words 27..42
    int32_t levelPitch[kMaxTextureLevels] = {};          // words 43..58: bytes per row (width x 4)
    int32_t levelBytesPerTexel[kMaxTextureLevels] = {};  // words 59..74: always 4
    int32_t levelOffset[kMaxTextureLevels] = {};         // words 75..90: byte offset into texels
};
static_assert(offsetof(TextureSlot, wrapS) == 8);
static_assert(offsetof(TextureSlot, minFilter) == 20);
static_assert(offsetof(TextureSlot, inUse) == 24);
static_assert(offsetof(TextureSlot, hasImage) == 25);
static_assert(offsetof(TextureSlot, levelWidth) - offsetof(TextureSlot, levelCount) == 4);
static_assert(offsetof(TextureSlot, levelOffset) - offsetof(TextureSlot, levelCount) == 4 + 4 * 4 * 16);

}  // namespace mora
