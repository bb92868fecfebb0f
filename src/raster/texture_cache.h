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
struct SetupTriangle;

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

// The frame's cache, kept from frame to frame. Names below `nameLimit` (the last name with an
// image, plus one) are in range: a triangle naming one without an image samples an all-zero
// entry; a triangle naming one past it shades as if it named no texture.
// While the names in use are dense, entries are indexed by name, up to nameLimit. When they are
// sparse (a few textures under large names), entries[i] describes filled[i] and one all-zero entry
// follows; the triangles then carry entry indices for the frame (PointTrianglesAtCacheEntries).
struct FrameTextureCache {
    std::vector<TextureCacheEntry> entries;
    std::vector<uint32_t> filled;  // names with an image, ascending
    uint32_t nameLimit = 1;
    bool byName = true;
    std::vector<uint32_t> triangleNames;  // while triangles carry entry indices: their names
};

// The frame's build from the current context's texture table and the ForceWrap setting. It
// visits the slots with an image and clears the entries filled last frame, so its work and memory
// follow the textures that exist rather than the largest name bound.
void BuildTextureCache(FrameTextureCache& cache);

// For a cache not indexed by name: each triangle's texture name becomes the index of its entry
// (the all-zero entry for an in-range name without an image, kNoTextureSlot past nameLimit), so
// the kernels sample exactly what the by-name cache would give. The names are kept aside.
void PointTrianglesAtCacheEntries(FrameTextureCache& cache, std::span<SetupTriangle> triangles);

// After the frame: the triangles get their texture names back, and the filled entries become
// all-zero again (none keeps pointing at texels that may be freed before the next build); the
// storage is kept.
void ClearTextureCache(FrameTextureCache& cache, std::span<SetupTriangle> triangles);

}  // namespace mora
