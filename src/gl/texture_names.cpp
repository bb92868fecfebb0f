#include "gl/texture_names.h"

#include <bit>
#include <new>
#include <stdexcept>

#include "gl/texture_table.h"

namespace mora {

namespace {

constexpr std::size_t WordsFor(std::size_t bits) { return (bits + 63) / 64; }

void SetBit(NameBitmap& bitmap, std::size_t bit, bool value) {
    for (std::vector<uint64_t>& level : bitmap.levels) {
        uint64_t& word = level[bit / 64];
        const uint64_t mask = uint64_t{1} << (bit % 64);
        const bool wasEmpty = word == 0;
        word = value ? word | mask : word & ~mask;
        // The level above changes only when this word turns empty or stops being empty.
        if (wasEmpty == (word == 0)) return;
        bit /= 64;
    }
}

// Sizes every level for `slots` bits, new bits clear; a level added on top is filled from the one
// below. Throws bad_alloc or length_error.
void SizeLevels(NameBitmap& bitmap, std::size_t slots) {
    std::size_t levelCount = 1;
    for (std::size_t words = WordsFor(slots); words > 1; words = WordsFor(words)) ++levelCount;
    const std::size_t oldCount = bitmap.levels.size();
    bitmap.levels.resize(levelCount);
    std::size_t bits = slots;
    for (std::vector<uint64_t>& level : bitmap.levels) {
        level.resize(WordsFor(bits) == 0 ? 1 : WordsFor(bits), 0);
        bits = WordsFor(bits);
    }
    for (std::size_t k = oldCount == 0 ? 1 : oldCount; k < levelCount; ++k) {
        const std::vector<uint64_t>& below = bitmap.levels[k - 1];
        for (std::size_t w = 0; w < below.size(); ++w) {
            if (below[w] != 0) bitmap.levels[k][w / 64] |= uint64_t{1} << (w % 64);
        }
    }
}

}  // namespace

bool RefreshTextureNameIndex(TextureNameIndex& index, const TextureTable& table) {
    if (!index.stale && index.slots == table.size()) return true;
    try {
        index.free.levels.clear();
        index.images.levels.clear();
        SizeLevels(index.free, table.size());
        SizeLevels(index.images, table.size());
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    index.slots = table.size();
    for (std::size_t name = 0; name < table.size(); ++name) {
        if (name != 0 && table[name].inUse == 0) SetBit(index.free, name, true);
        if (table[name].hasImage != 0) SetBit(index.images, name, true);
    }
    index.stale = false;
    return true;
}

uint32_t LowestFreeTextureName(const TextureNameIndex& index) {
    const auto& levels = index.free.levels;
    if (levels.empty() || levels.back()[0] == 0) return 0;
    std::size_t word = 0;
    for (std::size_t level = levels.size(); level-- > 0;) {
        word = word * 64 + static_cast<std::size_t>(std::countr_zero(levels[level][word]));
    }
    return static_cast<uint32_t>(word);
}

void SetTextureNameFree(TextureNameIndex& index, uint32_t name, bool free) {
    if (index.stale || name == 0 || name >= index.slots) return;
    SetBit(index.free, name, free);
}

void SetTextureNameHasImage(TextureNameIndex& index, uint32_t name, bool hasImage) {
    if (index.stale || name >= index.slots) return;
    SetBit(index.images, name, hasImage);
}

bool GrowTextureNameIndex(TextureNameIndex& index, std::size_t slots) {
    if (index.stale || slots <= index.slots) return !index.stale;
    try {
        SizeLevels(index.free, slots);
        SizeLevels(index.images, slots);
    } catch (const std::bad_alloc&) {
        index.stale = true;
        return false;
    } catch (const std::length_error&) {
        index.stale = true;
        return false;
    }
    for (std::size_t name = index.slots == 0 ? 1 : index.slots; name < slots; ++name) SetBit(index.free, name, true);
    index.slots = slots;
    return true;
}

void ResizeTextureNameIndex(TextureNameIndex& index, std::size_t slots) {
    if (index.stale) return;
    if (slots >= index.slots) {
        GrowTextureNameIndex(index, slots);
        return;
    }
    for (std::size_t name = slots; name < index.slots; ++name) {
        SetBit(index.free, name, false);
        SetBit(index.images, name, false);
    }
    index.slots = slots;
}

void NoteTextureSlotChanged(TextureNameIndex& index, const TextureTable& table, uint32_t name) {
    if (index.stale || name >= index.slots || name >= table.size()) return;
    if (name != 0) SetBit(index.free, name, table[name].inUse == 0);
    SetBit(index.images, name, table[name].hasImage != 0);
}

}  // namespace mora
