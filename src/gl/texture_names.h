// The free-name index of the texture table: which slots are free (not in use), so that
// glGenTextures finds the lowest free name in a few word operations instead of walking the table.
// It is derived from the table's inUse flags; anything that changes those flags other than the
// texture object calls (a Keyframe restore, a table loaded whole) marks it stale, and a stale
// or mis-sized index is rebuilt from the table on the next look-up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mora {

struct TextureSlot;

struct TextureNameIndex {
    // levels[0] has one bit per slot, set while the slot is free; each next level one bit per
    // word of the level below, set while that word has a bit set. The last level is one word.
    std::vector<std::vector<uint64_t>> levels;
    std::size_t slots = 0;  // table size the index describes
    bool stale = true;
};

// Rebuilds the index when stale or sized for another table. False when out of memory (the index
// stays stale).
bool RefreshTextureNameIndex(TextureNameIndex& index, const std::vector<TextureSlot>& table);

// The lowest free name from 1 up, or 0 when every slot is in use. The index must be fresh.
uint32_t LowestFreeTextureName(const TextureNameIndex& index);

// Marks `name` (below the indexed size) free or in use.
void SetTextureNameFree(TextureNameIndex& index, uint32_t name, bool free);

// Describes `slots` slots after the table grew to that size: the new slots are free. False when
// out of memory (the index is then stale).
bool GrowTextureNameIndex(TextureNameIndex& index, std::size_t slots);

}  // namespace mora
