// Builds the per-frame texture cache from the texture table.
#include "raster/texture_cache.h"

#include <algorithm>
#include <cstring>

#include "diag/profile_scope_names.h"
#include "diag/profiler.h"
#include "gl/gl_context.h"
#include "gl/texture_slot.h"
#include "panel/driver_settings.h"
#include "raster/setup_triangle.h"

namespace mora {
namespace {

constexpr uint32_t kGlLinear = 0x2601;
constexpr uint32_t kGlClamp = 0x2900;
constexpr uint32_t kGlClampToBorder = 0x812D;
constexpr uint32_t kGlClampToEdge = 0x812F;

// The kernels form texel offsets in signed 32-bit lanes, so larger storage cannot be addressed.
constexpr int64_t kMaxAddressableBytes = INT32_MAX;

// Names a by-name cache may skip beyond twice the texture count before it becomes one entry per
// texture (a handful of textures under small names stays indexed by name).
constexpr std::size_t kDenseNameSlack = 256;

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

// The entries the last build filled become all-zero again, so every entry is.
void ZeroFilledEntries(FrameTextureCache& cache) {
    TextureCacheEntry zero;
    std::memset(&zero, 0, sizeof(zero));
    for (std::size_t i = 0; i < cache.filled.size(); ++i) {
        const std::size_t entry = cache.byName ? cache.filled[i] : i;
        if (entry < cache.entries.size()) cache.entries[entry] = zero;
    }
    cache.filled.clear();
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
    const TextureTable& table = gl.textureTable;
    const int32_t forceWrap = SettingValue(TheDriverSettings().ForceWrap);
    ZeroFilledEntries(cache);
    if (RefreshTextureNameIndex(gl.textureNames, table)) {
        ForEachTextureWithImage(gl.textureNames, [&](uint32_t name) { cache.filled.push_back(name); });
    } else {
        // No index (out of memory): the slots with an image are found by walking the table.
        for (std::size_t name = 0; name < table.size(); ++name) {
            if (table[name].hasImage != 0) cache.filled.push_back(static_cast<uint32_t>(name));
        }
    }
    cache.nameLimit = cache.filled.empty() ? 1 : cache.filled.back() + 1;
    // Entries by name while that costs at most about twice the textures; past that, one entry per
    // texture, so that a far-out name costs nothing per name below it.
    cache.byName = cache.nameLimit <= 2 * cache.filled.size() + kDenseNameSlack;
    // Every entry is all-zero here, so only the ones this frame fills are written.
    TextureCacheEntry zero;
    std::memset(&zero, 0, sizeof(zero));
    cache.entries.resize(cache.byName ? cache.nameLimit : cache.filled.size() + 1, zero);
    for (std::size_t i = 0; i < cache.filled.size(); ++i) {
        const uint32_t name = cache.filled[i];
        cache.entries[cache.byName ? name : i] = MakeTextureCacheEntry(table[name], forceWrap);
    }
}

void PointTrianglesAtCacheEntries(FrameTextureCache& cache, std::span<SetupTriangle> triangles) {
    cache.triangleNames.clear();
    if (cache.byName) return;
    cache.triangleNames.resize(triangles.size());
    const auto zeroEntry = static_cast<uint32_t>(cache.filled.size());
    uint32_t lastName = kNoTextureSlot;
    uint32_t lastEntry = kNoTextureSlot;
    for (std::size_t i = 0; i < triangles.size(); ++i) {
        const uint32_t name = triangles[i].textureSlot;
        cache.triangleNames[i] = name;
        if (name != lastName) {
            lastName = name;
            const auto found = std::lower_bound(cache.filled.begin(), cache.filled.end(), name);
            if (found != cache.filled.end() && *found == name) {
                lastEntry = static_cast<uint32_t>(found - cache.filled.begin());
            } else {
                lastEntry = name < cache.nameLimit ? zeroEntry : kNoTextureSlot;
            }
        }
        triangles[i].textureSlot = lastEntry;
    }
}

void ClearTextureCache(FrameTextureCache& cache, std::span<SetupTriangle> triangles) {
    if (cache.triangleNames.size() == triangles.size()) {
        for (std::size_t i = 0; i < triangles.size(); ++i) triangles[i].textureSlot = cache.triangleNames[i];
    }
    cache.triangleNames.clear();
    ZeroFilledEntries(cache);
}

}  // namespace mora
