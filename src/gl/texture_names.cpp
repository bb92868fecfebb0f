#include "gl/texture_names.h"

#include <bit>
#include <new>
#include <stdexcept>

#include "gl/texture_slot.h"

namespace mora {

namespace {

constexpr std::size_t WordsFor(std::size_t bits) { return (bits + 63) / 64; }

void SetBit(TextureNameIndex& index, std::size_t bit, bool value) {
    for (std::vector<uint64_t>& level : index.levels) {
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
void SizeLevels(TextureNameIndex& index, std::size_t slots) {
    std::size_t levelCount = 1;
    for (std::size_t words = WordsFor(slots); words > 1; words = WordsFor(words)) ++levelCount;
    const std::size_t oldCount = index.levels.size();
    index.levels.resize(levelCount);
    std::size_t bits = slots;
    for (std::vector<uint64_t>& level : index.levels) {
        level.resize(WordsFor(bits) == 0 ? 1 : WordsFor(bits), 0);
        bits = WordsFor(bits);
    }
    for (std::size_t k = oldCount == 0 ? 1 : oldCount; k < levelCount; ++k) {
        const std::vector<uint64_t>& below = index.levels[k - 1];
        for (std::size_t w = 0; w < below.size(); ++w) {
            if (below[w] != 0) index.levels[k][w / 64] |= uint64_t{1} << (w % 64);
        }
    }
}

}  // namespace

bool RefreshTextureNameIndex(TextureNameIndex& index, const std::vector<TextureSlot>& table) {
    if (!index.stale && index.slots == table.size()) return true;
    try {
        index.levels.clear();
        SizeLevels(index, table.size());
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    index.slots = table.size();
    for (std::size_t name = 1; name < table.size(); ++name) {
        if (table[name].inUse == 0) SetBit(index, name, true);
    }
    index.stale = false;
    return true;
}

uint32_t LowestFreeTextureName(const TextureNameIndex& index) {
    if (index.levels.empty() || index.levels.back()[0] == 0) return 0;
    std::size_t word = 0;
    for (std::size_t level = index.levels.size(); level-- > 0;) {
        word = word * 64 + static_cast<std::size_t>(std::countr_zero(index.levels[level][word]));
    }
    return static_cast<uint32_t>(word);
}

void SetTextureNameFree(TextureNameIndex& index, uint32_t name, bool free) {
    if (index.stale || name == 0 || name >= index.slots) return;
    SetBit(index, name, free);
}

bool GrowTextureNameIndex(TextureNameIndex& index, std::size_t slots) {
    if (index.stale || slots <= index.slots) return !index.stale;
    try {
        SizeLevels(index, slots);
    } catch (const std::bad_alloc&) {
        index.stale = true;
        return false;
    } catch (const std::length_error&) {
        index.stale = true;
        return false;
    }
    for (std::size_t name = index.slots == 0 ? 1 : index.slots; name < slots; ++name) SetBit(index, name, true);
    index.slots = slots;
    return true;
}

}  // namespace mora
