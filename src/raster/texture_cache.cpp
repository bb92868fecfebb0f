// Builds the per-frame texture cache from the texture table.
#include "raster/texture_cache.h"

#include <cstring>

#include "diag/profile_scope_names.h"
#include "diag/profiler.h"
#include "gl/gl_context.h"
#include "gl/texture_slot.h"
#include "panel/driver_settings.h"

namespace mora {
namespace {

constexpr uint32_t kGlLinear = 0x2601;
constexpr uint32_t kGlClamp = 0x2900;
constexpr uint32_t kGlClampToBorder = 0x812D;
constexpr uint32_t kGlClampToEdge = 0x812F;

// The kernels form texel offsets in signed 32-bit lanes, so larger storage cannot be addressed.
constexpr int64_t kMaxAddressableBytes = INT32_MAX;

bool IsClampMode(uint32_t wrap) { return wrap == kGlClamp || wrap == kGlClampToEdge || wrap == kGlClampToBorder; }

// True when every filled level lies inside the texel storage, so that any wrapped texel index of
// any filled level addresses a texel of that storage.
bool LevelsInsideStorage(const TextureSlot& slot) {
    const int64_t storageBytes = static_cast<int64_t>(slot.texels.size()) * 4;
    if (storageBytes > kMaxAddressableBytes) return false;
    for (int level = 0; level < slot.levelCount; ++level) {
        const int64_t w = slot.levelWidth[level];
        const int64_t h = slot.levelHeight[level];
        const int64_t pitch = slot.levelPitch[level];
        const int64_t offset = slot.levelOffset[level];
        if (w < 1 || h < 1 || offset < 0 || pitch < 4 * w) return false;
        if (offset + (h - 1) * pitch + 4 * w > storageBytes) return false;
    }
    return true;
}

}  // namespace

TextureCacheEntry MakeTextureCacheEntry(const TextureSlot& slot, int32_t forceWrap) {
    TextureCacheEntry entry;
    std::memset(&entry, 0, sizeof(entry));
    const bool usable = slot.hasImage != 0 && !slot.texels.empty() && slot.width != 0 && slot.height != 0 &&
                        slot.levelCount >= 1 && slot.levelCount <= kTextureCacheLevels && LevelsInsideStorage(slot);
    if (!usable) return entry;

    entry.width = slot.width;
    entry.height = slot.height;
    entry.lodBias = 0;
    for (int level = 0; level < kTextureCacheLevels; ++level) {
        entry.levelWidth[level] = slot.levelWidth[level];
        entry.levelHeight[level] = slot.levelHeight[level];
        entry.levelPitch[level] = slot.levelPitch[level];
        entry.levelBytesPerTexel[level] = slot.levelBytesPerTexel[level];
        entry.levelOffset[level] = slot.levelOffset[level];
    }
    entry.levelCount = slot.levelCount;

    if (slot.minFilter == kGlLinear && slot.magFilter == kGlLinear) {
        entry.clampS = 1;
        entry.clampT = 1;
    } else {
        entry.clampS = IsClampMode(slot.wrapS) ? 1 : 0;
        entry.clampT = IsClampMode(slot.wrapT) ? 1 : 0;
    }
    if (forceWrap == kForceWrapRepeat) {
        entry.clampS = 0;
        entry.clampT = 0;
    } else if (forceWrap == kForceWrapClamp) {
        entry.clampS = 1;
        entry.clampT = 1;
    }
    entry.levelData[0] = reinterpret_cast<const uint8_t*>(slot.texels.data());
    return entry;
}

void BuildTextureCache(std::span<const TextureSlot> table, int32_t forceWrap, std::vector<TextureCacheEntry>& cache) {
    TextureCacheEntry zero;
    std::memset(&zero, 0, sizeof(zero));
    cache.assign(table.empty() ? 1 : table.size(), zero);
    for (size_t i = 0; i < table.size(); ++i) cache[i] = MakeTextureCacheEntry(table[i], forceWrap);
}

void BuildTextureCache(FrameTextureCache& cache) {
    diag::ProfileScope scope(diag::kScopeBuildTextureCache);
    GlContext& gl = TheGlContext();
    const std::vector<TextureSlot>& table = gl.textureTable;
    const int32_t forceWrap = SettingValue(TheDriverSettings().ForceWrap);
    TextureCacheEntry zero;
    std::memset(&zero, 0, sizeof(zero));
    if (!RefreshTextureNameIndex(gl.textureNames, table)) {
        // No index (out of memory): the whole table, as a cache without one is built.
        cache.filled.clear();
        BuildTextureCache(std::span<const TextureSlot>(table.data(), table.size()), forceWrap, cache.entries);
        for (uint32_t i = 0; i < cache.entries.size(); ++i) cache.filled.push_back(i);
        return;
    }
    std::size_t count = 1;
    ForEachTextureWithImage(gl.textureNames, [&](uint32_t name) { count = std::size_t{name} + 1; });
    if (cache.entries.size() > count) cache.entries.resize(count);
    for (uint32_t name : cache.filled) {
        if (name < cache.entries.size()) cache.entries[name] = zero;
    }
    cache.entries.resize(count, zero);
    cache.filled.clear();
    ForEachTextureWithImage(gl.textureNames, [&](uint32_t name) {
        cache.entries[name] = MakeTextureCacheEntry(table[name], forceWrap);
        cache.filled.push_back(name);
    });
}

void ClearTextureCache(FrameTextureCache& cache) {
    TextureCacheEntry zero;
    std::memset(&zero, 0, sizeof(zero));
    for (uint32_t name : cache.filled) {
        if (name < cache.entries.size()) cache.entries[name] = zero;
    }
    cache.filled.clear();
}

}  // namespace mora
