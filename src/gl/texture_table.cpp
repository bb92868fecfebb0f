#include "gl/texture_table.h"

#include <stdexcept>

namespace mora {
namespace {

// Never destroyed: a table read while the process is ending still finds it.
const TextureSlot& DefaultSlot() {
    static const TextureSlot* const slot = new TextureSlot();
    return *slot;
}

std::unique_ptr<TextureSlot[]> CopyPage(const std::unique_ptr<TextureSlot[]>& page) {
    if (!page) return nullptr;
    std::unique_ptr<TextureSlot[]> copy(new TextureSlot[kTexturePageSlots]);
    for (std::size_t i = 0; i < kTexturePageSlots; ++i) copy[i] = page[i];
    return copy;
}

}  // namespace

TextureTable::TextureTable(const TextureTable& other) : count(other.count) {
    pages.reserve(other.pages.size());
    for (const auto& page : other.pages) pages.push_back(CopyPage(page));
}

TextureTable& TextureTable::operator=(const TextureTable& other) {
    if (this != &other) {
        TextureTable copy(other);
        *this = std::move(copy);
    }
    return *this;
}

const TextureSlot& TextureTable::operator[](std::size_t name) const {
    const std::unique_ptr<TextureSlot[]>& page = pages[name / kTexturePageSlots];
    return page ? page[name % kTexturePageSlots] : DefaultSlot();
}

const TextureSlot& TextureTable::at(std::size_t name) const {
    if (name >= count) throw std::out_of_range("texture name past the table");
    return (*this)[name];
}

TextureSlot& TextureTable::operator[](std::size_t name) {
    std::unique_ptr<TextureSlot[]>& page = pages[name / kTexturePageSlots];
    if (!page) page.reset(new TextureSlot[kTexturePageSlots]);
    return page[name % kTexturePageSlots];
}

void TextureTable::resize(std::size_t slots) {
    if (slots < count) {
        // Keep "slots past count are default" so that a later grow brings back default slots.
        const std::size_t keptPages = (slots + kTexturePageSlots - 1) / kTexturePageSlots;
        if (keptPages > 0 && pages[keptPages - 1]) {
            std::unique_ptr<TextureSlot[]>& page = pages[keptPages - 1];
            for (std::size_t name = slots; name < keptPages * kTexturePageSlots && name < count; ++name) {
                page[name % kTexturePageSlots] = TextureSlot{};
            }
        }
        pages.resize(keptPages);
    } else {
        pages.resize((slots + kTexturePageSlots - 1) / kTexturePageSlots);
    }
    count = slots;
}

bool TextureSlotStored(const TextureTable& table, std::size_t name) {
    return name < table.count && table.pages[name / kTexturePageSlots] != nullptr;
}

std::size_t StoredTexturePages(const TextureTable& table) {
    std::size_t stored = 0;
    for (const auto& page : table.pages) stored += page ? 1 : 0;
    return stored;
}

void CopyTextureTable(const TextureTable& table, std::vector<TextureSlot>& out) {
    out.resize(table.size());
    for (std::size_t name = 0; name < table.size(); ++name) out[name] = table[name];
}

std::vector<TextureSlot> TextureTableSlots(const TextureTable& table) {
    std::vector<TextureSlot> slots;
    CopyTextureTable(table, slots);
    return slots;
}

void AssignTextureTable(TextureTable& table, std::span<const TextureSlot> slots) {
    TextureTable loaded;
    loaded.resize(slots.size());
    for (std::size_t name = 0; name < slots.size(); ++name) loaded[name] = slots[name];
    table = std::move(loaded);
}

}  // namespace mora
