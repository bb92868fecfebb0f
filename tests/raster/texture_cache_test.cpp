// The per-frame texture cache: which slots become usable entries, the wrap resolution with the
// ForceWrap override, and the frame's build. That a steady frame's build reuses its storage, the
// steady-frame allocation test shows.
#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "gl/gl_context.h"
#include "panel/driver_settings.h"
#include "raster/setup_triangle.h"
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

TEST(TextureCache, SlotsWithoutAUsableImageGiveZeroEntries) {
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

    BuildTextureCache({}, kForceWrapNone, cache);  // an empty table still gives one (unusable) entry
    ASSERT_EQ(cache.size(), 1u);
    EXPECT_TRUE(IsZero(cache[0]));
}

// The frame's build: indexed by name while names are dense; with a texture under a far-out name,
// one entry per texture, triangles pointed at their entries for the frame and given their names
// back after it. Either way a triangle samples what its name gives (an in-range name without an
// image the all-zero entry, a name past the last image none).
TEST(TextureCache, FrameBuildFollowsTheTexturesThatExist) {
    GlContext& context = TheGlContext();
    const std::vector<TextureSlot> saved = TextureTableSlots(context.textureTable);
    const int32_t savedWrap = SettingValue(TheDriverSettings().ForceWrap);
    SetSettingValue(TheDriverSettings().ForceWrap, kForceWrapRepeat);
    for (const uint32_t far : {3u, 1000000u}) {
        AssignTextureTable(context.textureTable,
                           std::vector<TextureSlot>{TextureSlot{}, Slot(kNearest, kLinear, kClamp, kClamp)});
        context.textureTable.resize(far + 2);
        context.textureTable[far] = Slot(kNearest);
        context.textureNames.stale = true;
        std::vector<SetupTriangle> triangles(5);
        const uint32_t names[5] = {far, 1, 2, far + 1, kNoTextureSlot};
        for (int i = 0; i < 5; ++i) triangles[i].textureSlot = names[i];
        FrameTextureCache cache;
        BuildTextureCache(cache);
        PointTrianglesAtCacheEntries(cache, triangles);
        const bool byName = far == 3;
        EXPECT_EQ(cache.byName, byName);
        ASSERT_EQ(cache.entries.size(), byName ? 4u : 3u);
        const auto entry = [&](int i) -> const TextureCacheEntry* {
            const uint32_t at = triangles[i].textureSlot;
            return at < cache.entries.size() ? &cache.entries[at] : nullptr;
        };
        ASSERT_TRUE(entry(0) && entry(1) && entry(2));
        EXPECT_EQ(entry(0)->levelData[0],
                  reinterpret_cast<const uint8_t*>(std::as_const(context.textureTable)[far].texels.data()));
        EXPECT_EQ((std::pair{entry(1)->width, entry(1)->clampS}), (std::pair{8, 0u}));  // ForceWrap repeat
        EXPECT_TRUE(IsZero(*entry(2)));
        EXPECT_TRUE(entry(3) == nullptr && entry(4) == nullptr);
        ClearTextureCache(cache, triangles);
        for (int i = 0; i < 5; ++i) EXPECT_EQ(triangles[i].textureSlot, names[i]);
        for (const TextureCacheEntry& e : cache.entries) EXPECT_TRUE(IsZero(e));
    }
    SetSettingValue(TheDriverSettings().ForceWrap, savedWrap);
    AssignTextureTable(context.textureTable, saved);
    context.textureNames.stale = true;
}

}  // namespace
}  // namespace mora::raster::test
