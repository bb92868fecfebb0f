// The per-frame texture cache: which slots become usable entries, the wrap resolution with the
// ForceWrap override, the copied level tables, and reuse of the caller's storage.
#include <gtest/gtest.h>

#include <cstring>

#include "gl/gl_context.h"
#include "panel/driver_settings.h"
#include "raster/texture_cache.h"
#include "raster_scene.h"

namespace mora::raster::test {
namespace {

constexpr uint32_t kNearest = 0x2600, kLinear = 0x2601, kLinearMipmapLinear = 0x2703;
constexpr uint32_t kRepeat = 0x2901, kClamp = 0x2900, kClampToEdge = 0x812F, kClampToBorder = 0x812D,
                   kMirroredRepeat = 0x8370;

TextureSlot Slot(uint32_t minFilter, uint32_t magFilter = kNearest, uint32_t wrapS = kRepeat,
                 uint32_t wrapT = kRepeat) {
    const auto texel = [](int level, int x, int y) { return uint32_t(level << 16 | y << 8 | x); };
    return MakeTextureSlot(8, 4, texel, minFilter, magFilter, wrapS, wrapT);
}

bool IsZero(const TextureCacheEntry& e) {
    const TextureCacheEntry zero{};
    return std::memcmp(&e, &zero, sizeof(e)) == 0;
}

// The five per-level tables, one after the other.
template <typename Record>
std::vector<int32_t> LevelTables(const Record& r) {
    std::vector<int32_t> tables;
    for (const int32_t* t : {r.levelWidth, r.levelHeight, r.levelPitch, r.levelBytesPerTexel, r.levelOffset})
        tables.insert(tables.end(), t, t + kTextureCacheLevels);
    return tables;
}

TEST(TextureCache, CopiesSizesLevelTablesAndTheTexelAddress) {
    const std::vector<TextureSlot> table = {Slot(kLinearMipmapLinear, kLinear)};
    std::vector<TextureCacheEntry> cache;
    BuildTextureCache(table, kForceWrapNone, cache);
    ASSERT_EQ(cache.size(), 1u);
    const TextureCacheEntry& e = cache[0];
    EXPECT_EQ((std::vector<int32_t>{e.width, e.height, e.lodBias, e.levelCount}), (std::vector<int32_t>{8, 4, 0, 4}));
    EXPECT_EQ(LevelTables(e), LevelTables(table[0]));
    EXPECT_EQ(e.levelOffset[3], 4 * (32 + 8 + 2));  // after 8x4, 4x2, 2x1
    EXPECT_EQ(e.levelData[0], reinterpret_cast<const uint8_t*>(table[0].texels.data()));
    for (int level = 1; level < kTextureCacheLevels; ++level) EXPECT_EQ(e.levelData[level], nullptr) << level;
}

TEST(TextureCache, WrapModesResolveToClampOrRepeatPerAxis) {
    const struct {
        uint32_t minFilter, magFilter, wrapS, wrapT;
        int32_t forceWrap;
        uint32_t clampS, clampT;
    } cases[] = {
        {kNearest, kLinear, kClampToEdge, kRepeat, kForceWrapNone, 1, 0},
        {kNearest, kLinear, kRepeat, kClamp, kForceWrapNone, 0, 1},
        {kNearest, kNearest, kClampToBorder, kMirroredRepeat, kForceWrapNone, 1, 0},
        {kLinear, kLinear, kRepeat, kRepeat, kForceWrapNone, 1, 1},  // both LINEAR: always clamp
        {kLinearMipmapLinear, kLinear, kRepeat, kRepeat, kForceWrapNone, 0, 0},
        {kNearest, kLinear, kClamp, kClamp, kForceWrapRepeat, 0, 0},
        {kLinear, kLinear, kRepeat, kRepeat, kForceWrapRepeat, 0, 0},
        {kNearest, kLinear, kRepeat, kRepeat, kForceWrapClamp, 1, 1},
    };
    for (const auto& c : cases) {
        std::vector<TextureCacheEntry> cache;
        BuildTextureCache(std::vector<TextureSlot>{Slot(c.minFilter, c.magFilter, c.wrapS, c.wrapT)}, c.forceWrap,
                          cache);
        EXPECT_EQ((std::pair{cache[0].clampS, cache[0].clampT}), (std::pair{c.clampS, c.clampT}))
            << std::hex << c.minFilter << " " << c.wrapS << " " << c.wrapT << " force " << c.forceWrap;
    }
}

TEST(TextureCache, SlotsWithoutAUsableImageGiveZeroEntriesAndStorageIsReused) {
    std::vector<TextureSlot> table(7, Slot(kNearest));
    table[0] = TextureSlot{};  // never uploaded
    table[1].hasImage = 0;
    table[2].texels.clear();
    table[3].levelCount = 0;  // storage filled, no levels
    table[4].width = 0;
    table[5].levelOffset[2] = 1 << 20;  // a level beyond the storage
    std::vector<TextureCacheEntry> cache;
    BuildTextureCache(table, kForceWrapNone, cache);
    ASSERT_EQ(cache.size(), 7u);
    for (int i = 0; i < 6; ++i) EXPECT_TRUE(IsZero(cache[size_t(i)])) << "slot " << i;
    EXPECT_FALSE(IsZero(cache[6]));

    const TextureCacheEntry* storage = cache.data();
    BuildTextureCache(std::span<const TextureSlot>(table.data(), 2), kForceWrapNone, cache);
    BuildTextureCache(table, kForceWrapNone, cache);
    EXPECT_EQ(cache.data(), storage);
    EXPECT_EQ(cache.size(), 7u);

    BuildTextureCache({}, kForceWrapNone, cache);  // an empty table still gives one (unusable) entry
    ASSERT_EQ(cache.size(), 1u);
    EXPECT_TRUE(IsZero(cache[0]));
}

// The frame's build describes the slots up to the last one with an image (a triangle naming a slot
// past them shades untextured), however many empty names lie beyond.
TEST(TextureCache, FrameBuildReadsTheContextTableAndTheForceWrapSetting) {
    GlContext& context = TheGlContext();
    const std::vector<TextureSlot> saved = context.textureTable;
    const int32_t savedWrap = SettingValue(TheDriverSettings().ForceWrap);
    context.textureTable = {TextureSlot{}, Slot(kNearest, kLinear, kClamp, kClamp)};
    context.textureTable.resize(100000);
    context.textureNames.stale = true;
    SetSettingValue(TheDriverSettings().ForceWrap, kForceWrapRepeat);
    FrameTextureCache cache;
    BuildTextureCache(cache);
    SetSettingValue(TheDriverSettings().ForceWrap, savedWrap);
    ASSERT_EQ(cache.entries.size(), 2u);
    EXPECT_TRUE(IsZero(cache.entries[0]));
    EXPECT_EQ(cache.entries[1].width, 8);
    EXPECT_EQ(cache.entries[1].clampS, 0u);
    EXPECT_EQ(cache.entries[1].levelData[0], reinterpret_cast<const uint8_t*>(context.textureTable[1].texels.data()));
    ClearTextureCache(cache);
    EXPECT_TRUE(IsZero(cache.entries[1]));
    context.textureTable = saved;
    context.textureNames.stale = true;
}

}  // namespace
}  // namespace mora::raster::test
