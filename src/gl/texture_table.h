// TextureTable: the context's TextureSlots indexed by texture name. Slots live in pages of
// kTexturePageSlots that are allocated the first time one of their slots is written; a slot in a
// page never written reads as a default slot. A program that binds one far-out name (1000000, or
// the largest accepted) thus pays one page and a directory pointer per kTexturePageSlots names,
// not a whole slot per name below it.
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <vector>

#include "gl/texture_slot.h"

namespace mora {

inline constexpr std::size_t kTexturePageSlots = 64;

struct TextureTable {
    // Null: every slot of the page is a default slot. Slots at and past `count` are default.
    std::vector<std::unique_ptr<TextureSlot[]>> pages;
    std::size_t count = 0;

    TextureTable() = default;
    TextureTable(const TextureTable& other);
    TextureTable& operator=(const TextureTable& other);
    TextureTable(TextureTable&&) noexcept = default;
    TextureTable& operator=(TextureTable&&) noexcept = default;

    std::size_t size() const { return count; }
    bool empty() const { return count == 0; }
    // Below size(). Reading never allocates.
    const TextureSlot& operator[](std::size_t name) const;
    // Below size(). Allocates the slot's page on first write (std::bad_alloc when that fails).
    TextureSlot& operator[](std::size_t name);
    // Grows with default slots or cuts (cut slots become default); allocates only the directory.
    void resize(std::size_t slots);
    void emplace_back() { resize(count + 1); }
    // As operator[] const, std::out_of_range at and past size().
    const TextureSlot& at(std::size_t name) const;
};

// True when `name`'s page was ever written: a slot outside such a page is a default slot.
bool TextureSlotStored(const TextureTable& table, std::size_t name);
// Pages allocated, for the memory a table holds.
std::size_t StoredTexturePages(const TextureTable& table);

// Every slot in name order, for the capture file (which stores one record per name).
void CopyTextureTable(const TextureTable& table, std::vector<TextureSlot>& out);
std::vector<TextureSlot> TextureTableSlots(const TextureTable& table);
// The table becomes `slots` (a capture's table being replayed).
void AssignTextureTable(TextureTable& table, std::span<const TextureSlot> slots);

}  // namespace mora
