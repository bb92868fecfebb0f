// The name index of the texture table: which slots are free (not in use) and which hold an image,
// so that glGenTextures finds the lowest free name, and the frame's texture cache visits the
// textures that exist, in a few word operations each instead of walking the whole table. It is
// derived from the table's inUse and hasImage flags; anything that changes those flags other than
// the texture object calls (a Keyframe restore, a table loaded whole) marks it stale, and a stale
// or mis-sized index is rebuilt from the table on the next look-up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mora {

struct TextureTable;

// One bit per slot in levels[0]; each next level one bit per word of the level below, set while
// that word has a bit set. The last level is one word.
struct NameBitmap {
    std::vector<std::vector<uint64_t>> levels;
};

struct TextureNameIndex {
    NameBitmap free;        // set: slot not in use (slot 0, the default texture, never)
    NameBitmap images;      // set: slot has a level-0 image
    std::size_t slots = 0;  // table size the index describes
    bool stale = true;
};

// Rebuilds the index when stale or sized for another table. False when out of memory (the index
// stays stale).
bool RefreshTextureNameIndex(TextureNameIndex& index, const TextureTable& table);

// The lowest free name from 1 up, or 0 when every slot is in use. The index must be fresh.
uint32_t LowestFreeTextureName(const TextureNameIndex& index);

// The slots with an image, in ascending order, through `visit(name)`; their count is the work.
// The index must be fresh.
template <class Visit>
void ForEachTextureWithImage(const TextureNameIndex& index, Visit&& visit);

// Record a flag change of slot `name` (below the indexed size; nothing while stale).
void SetTextureNameFree(TextureNameIndex& index, uint32_t name, bool free);
void SetTextureNameHasImage(TextureNameIndex& index, uint32_t name, bool hasImage);

// Describes `slots` slots after the table grew to that size: the new slots are free and without
// image. False when out of memory (the index is then stale).
bool GrowTextureNameIndex(TextureNameIndex& index, std::size_t slots);

// Describes `slots` slots after the table was resized to that size (grown or cut), keeping the
// flags of the slots below both sizes. Its work follows the change in size.
void ResizeTextureNameIndex(TextureNameIndex& index, std::size_t slots);

// Re-reads the flags of one slot (below the indexed size) from the table.
void NoteTextureSlotChanged(TextureNameIndex& index, const TextureTable& table, uint32_t name);

namespace detail {
template <class Visit>
void VisitSetBits(const NameBitmap& bitmap, std::size_t level, std::size_t word, Visit& visit) {
    for (uint64_t bits = bitmap.levels[level][word]; bits != 0; bits &= bits - 1) {
        const std::size_t bit = word * 64 + static_cast<std::size_t>(__builtin_ctzll(bits));
        if (level == 0) {
            visit(static_cast<uint32_t>(bit));
        } else {
            VisitSetBits(bitmap, level - 1, bit, visit);
        }
    }
}
}  // namespace detail

template <class Visit>
void ForEachTextureWithImage(const TextureNameIndex& index, Visit&& visit) {
    if (index.images.levels.empty()) return;
    detail::VisitSetBits(index.images, index.images.levels.size() - 1, 0, visit);
}

}  // namespace mora
