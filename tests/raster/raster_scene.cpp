// Texture slots for the raster tests.
#include "raster_scene.h"

namespace mora::raster::test {

TextureSlot MakeTextureSlot(int32_t width, int32_t height, const std::function<uint32_t(int, int, int)>& texel,
                            uint32_t minFilter, uint32_t magFilter, uint32_t wrapS, uint32_t wrapT) {
    TextureSlot slot;
    slot.width = width, slot.height = height;
    slot.minFilter = minFilter, slot.magFilter = magFilter, slot.wrapS = wrapS, slot.wrapT = wrapT;
    slot.inUse = slot.hasImage = 1;
    int32_t w = width, h = height;
    int64_t texels = 0;
    for (int level = 0; level < kMaxTextureLevels; ++level) {
        slot.levelWidth[level] = w;
        slot.levelHeight[level] = h;
        slot.levelPitch[level] = 4 * w;
        slot.levelBytesPerTexel[level] = 4;
        slot.levelOffset[level] = static_cast<int32_t>(4 * texels);
        texels += int64_t{w} * h;
        slot.levelCount = level + 1;
        if (w < 2 && h < 2) break;
        if (w >= 2) w /= 2;
        if (h >= 2) h /= 2;
    }
    slot.texels.assign(size_t(texels), 0);
    for (int level = 0; level < slot.levelCount; ++level)
        for (int32_t y = 0; y < slot.levelHeight[level]; ++y)
            for (int32_t x = 0; x < slot.levelWidth[level]; ++x)
                slot.texels[size_t(slot.levelOffset[level] / 4 + y * slot.levelWidth[level] + x)] = texel(level, x, y);
    return slot;
}

}  // namespace mora::raster::test
