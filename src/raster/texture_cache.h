// Per-frame texture cache: one fixed-size sampling record per texture-table slot, indexed by the
// SetupTriangle's texture slot. RenderFrame builds it once per frame before any raster job runs;
// the raster kernels read only these records, never the texture objects.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace mora {

struct TextureSlot;

inline constexpr int kTextureCacheLevels = 16;  // must match the texture slot's level tables

// Texel (i, j) of level L is the 32-bit word at levelData[0] + levelOffset[L] + j x levelPitch[L]
// + 4i. An all-zero entry is unusable: triangles that name it shade untextured.
struct TextureCacheEntry {
    int32_t width;    // level-0 width; 0 marks an unusable entry
    int32_t height;   // level-0 height; 0 marks an unusable entry
    int32_t lodBias;  // added to the computed mip level; always 0
    int32_t levelWidth[kTextureCacheLevels];
    int32_t levelHeight[kTextureCacheLevels];
    int32_t levelPitch[kTextureCacheLevels];          // row pitch in bytes
    int32_t levelBytesPerTexel[kTextureCacheLevels];  // 4 for every filled level; not read by the kernels
    int32_t levelOffset[kTextureCacheLevels];         // byte offset from levelData[0]
    uint32_t clampS;                                  // 1 clamp, 0 repeat
    uint32_t clampT;
    int32_t levelCount;                             // filled levels (1..16): sampling never goes past them
    const uint8_t* levelData[kTextureCacheLevels];  // only levelData[0] is set and read
};

static_assert(offsetof(TextureCacheEntry, levelWidth) == 12);
static_assert(offsetof(TextureCacheEntry, levelOffset) == 12 + 4 * 64);
static_assert(offsetof(TextureCacheEntry, clampS) == 332);
static_assert(offsetof(TextureCacheEntry, levelCount) == 340);
static_assert(sizeof(void*) != 8 || offsetof(TextureCacheEntry, levelData) == 344);
static_assert(sizeof(void*) != 8 || sizeof(TextureCacheEntry) == 472);

// DriverSettings ForceWrap values.
inline constexpr int32_t kForceWrapNone = 0;
inline constexpr int32_t kForceWrapRepeat = 1;
inline constexpr int32_t kForceWrapClamp = 2;

// The sampling record of one slot, all zero when the slot has no usable image. A slot whose level
// tables would let a sample reach outside its texel storage is unusable too.
TextureCacheEntry MakeTextureCacheEntry(const TextureSlot& slot, int32_t forceWrap);

// Fills `cache` with max(1, table.size()) entries, entry i describing table[i]. Reuses the
// vector's capacity, so a steady frame allocates nothing.
void BuildTextureCache(std::span<const TextureSlot> table, int32_t forceWrap, std::vector<TextureCacheEntry>& cache);

// The frame's cache, kept from frame to frame: entries up to the last slot with an image (a
// triangle naming a slot past them shades untextured, as with an all-zero entry), and the slots
// whose entries the last build filled.
struct FrameTextureCache {
    std::vector<TextureCacheEntry> entries;
    std::vector<uint32_t> filled;
};

// The frame's build from the current context's texture table and the ForceWrap setting. It
// visits the slots with an image and clears the entries filled last frame, so its work and memory
// follow the textures that exist rather than the largest name bound.
void BuildTextureCache(FrameTextureCache& cache);

// After the frame: the filled entries become all-zero again (none keeps pointing at texels that
// may be freed before the next build); the storage is kept.
void ClearTextureCache(FrameTextureCache& cache);

}  // namespace mora
