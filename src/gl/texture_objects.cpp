#include "gl/texture_objects.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>

#include "gl/command_records.h"
#include "gl/pending_keyframe.h"

namespace mora {

namespace {

constexpr uint32_t kOpaqueBlack = 0xFF000000u;

void Touch(PendingKeyframe* touch, const GlContext& ctx, uint32_t index) {
    if (touch != nullptr) {
        TouchTextureSlot(*touch, ctx, index);
    }
}

// The slot `name` (below the table size) for writing: its page is allocated on the first write,
// so this is null when that allocation fails.
TextureSlot* WritableSlot(GlContext& ctx, uint32_t name) {
    try {
        return &ctx.textureTable[name];
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// Creates the default slot 0 (in use, no image) on an empty table.
TextureResult EnsureSlotZero(GlContext& ctx) {
    if (!ctx.textureTable.empty()) {
        return TextureResult::Applied;
    }
    try {
        ctx.textureTable.emplace_back();
        ctx.textureTable[0].inUse = 1;
    } catch (const std::bad_alloc&) {
        ctx.textureTable.resize(0);
        return TextureResult::OutOfMemory;
    } catch (const std::length_error&) {
        return TextureResult::OutOfMemory;
    }
    ctx.textureNames.stale = true;
    return TextureResult::Applied;
}

// The slot GL_TEXTURE_2D refers to: slot 0 is created on an empty table; null when the bound
// name is not below the table size.
TextureSlot* BoundSlot(GlContext& ctx) {
    if (EnsureSlotZero(ctx) != TextureResult::Applied || ctx.boundTexture >= ctx.textureTable.size()) {
        return nullptr;
    }
    return WritableSlot(ctx, ctx.boundTexture);
}

void ClearLevelTables(TextureSlot& slot) {
    slot.levelCount = 0;
    std::fill(std::begin(slot.levelWidth), std::end(slot.levelWidth), 0);
    std::fill(std::begin(slot.levelHeight), std::end(slot.levelHeight), 0);
    std::fill(std::begin(slot.levelPitch), std::end(slot.levelPitch), 0);
    std::fill(std::begin(slot.levelBytesPerTexel), std::end(slot.levelBytesPerTexel), 0);
    std::fill(std::begin(slot.levelOffset), std::end(slot.levelOffset), 0);
}

// Level sizes of a width x height chain: fills `slot`'s tables when given, returns the total
// texel count.
struct ChainLayout {
    int32_t levels = 0;
    int32_t width[kMaxTextureLevels] = {};
    int32_t height[kMaxTextureLevels] = {};
    uint64_t offset[kMaxTextureLevels] = {};  // in texels
    uint64_t totalTexels = 0;
};

ChainLayout LayoutChain(int32_t width, int32_t height) {
    ChainLayout chain;
    int64_t w = width;
    int64_t h = height;
    for (int level = 0; level < kMaxTextureLevels; ++level) {
        chain.width[level] = static_cast<int32_t>(w);
        chain.height[level] = static_cast<int32_t>(h);
        chain.offset[level] = chain.totalTexels;
        chain.totalTexels += static_cast<uint64_t>(w) * static_cast<uint64_t>(h);
        chain.levels = level + 1;
        if (w < 2 && h < 2) {
            break;
        }
        if (w >= 2) {
            w /= 2;
        }
        if (h >= 2) {
            h /= 2;
        }
    }
    return chain;
}

// Averages 2x2 source blocks (clamped at odd edges) of level L - 1 into level L.
void FilterLevel(const uint32_t* source, int32_t sw, int32_t sh, uint32_t* dest, int32_t dw, int32_t dh) {
    for (int32_t y = 0; y < dh; ++y) {
        const int32_t y0 = 2 * y;
        const int32_t y1 = 2 * y + 1 < sh ? 2 * y + 1 : y0;
        for (int32_t x = 0; x < dw; ++x) {
            const int32_t x0 = 2 * x;
            const int32_t x1 = 2 * x + 1 < sw ? 2 * x + 1 : x0;
            const uint32_t a = source[static_cast<size_t>(y0) * sw + x0];
            const uint32_t b = source[static_cast<size_t>(y0) * sw + x1];
            const uint32_t c = source[static_cast<size_t>(y1) * sw + x0];
            const uint32_t d = source[static_cast<size_t>(y1) * sw + x1];
            uint32_t texel = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                const uint32_t sum = ((a >> shift) & 0xFFu) + ((b >> shift) & 0xFFu) + ((c >> shift) & 0xFFu) +
                                     ((d >> shift) & 0xFFu) + 2u;
                texel |= (sum >> 2) << shift;
            }
            dest[static_cast<size_t>(y) * dw + x] = texel;
        }
    }
}

// True when source row `row` lies wholly inside the pixelBytes the caller can vouch for.
bool RowAvailable(size_t rowBytes, int32_t row, uint64_t pixelBytes) {
    return (static_cast<uint64_t>(row) + 1) * rowBytes <= pixelBytes;
}

}  // namespace

uint32_t TexelSourceBytes(uint32_t format) {
    switch (format) {
        case gle::kRgba:
        case gle::kBgraExt: return 4;
        case gle::kRgb:
        case gle::kBgrExt: return 3;
        case gle::kLuminance:
        case gle::kAlpha: return 1;
        default: return 0;
    }
}

bool ConvertTexelRow(uint32_t format, uint32_t type, const uint8_t* source, int32_t n, uint32_t* texels) {
    if (type != gle::kUnsignedByte || TexelSourceBytes(format) == 0) {
        return false;
    }
    const auto argb = [](uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return a << 24 | r << 16 | g << 8 | b; };
    for (int32_t i = 0; i < n; ++i) {
        switch (format) {
            case gle::kRgba: {
                const uint8_t* p = source + 4 * static_cast<size_t>(i);
                texels[i] = argb(p[3], p[0], p[1], p[2]);
                break;
            }
            case gle::kBgraExt: {
                const uint8_t* p = source + 4 * static_cast<size_t>(i);
                texels[i] = argb(p[3], p[2], p[1], p[0]);  // B, G, R, A in memory is the ARGB word
                break;
            }
            case gle::kRgb: {
                const uint8_t* p = source + 3 * static_cast<size_t>(i);
                texels[i] = argb(0xFF, p[0], p[1], p[2]);
                break;
            }
            case gle::kBgrExt: {
                const uint8_t* p = source + 3 * static_cast<size_t>(i);
                texels[i] = argb(0xFF, p[2], p[1], p[0]);
                break;
            }
            case gle::kLuminance: {
                const uint32_t l = source[i];
                texels[i] = argb(0xFF, l, l, l);
                break;
            }
            default: {  // GL_ALPHA
                texels[i] = argb(source[i], 0xFF, 0xFF, 0xFF);
                break;
            }
        }
    }
    return true;
}

bool BuildMipChain(TextureSlot& slot, int32_t width, int32_t height) {
    if (width < 1 || height < 1) {
        return false;
    }
    const ChainLayout chain = LayoutChain(width, height);
    if (chain.totalTexels > kMaxTexelBytes / 4) {
        return false;
    }
    try {
        slot.texels.resize(static_cast<size_t>(chain.totalTexels), 0u);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    ClearLevelTables(slot);
    slot.levelCount = chain.levels;
    for (int level = 0; level < chain.levels; ++level) {
        slot.levelWidth[level] = chain.width[level];
        slot.levelHeight[level] = chain.height[level];
        slot.levelPitch[level] = static_cast<int32_t>(static_cast<int64_t>(chain.width[level]) * 4);
        slot.levelBytesPerTexel[level] = 4;
        slot.levelOffset[level] = static_cast<int32_t>(chain.offset[level] * 4);
    }
    uint32_t* texels = slot.texels.data();
    for (int level = 1; level < chain.levels; ++level) {
        FilterLevel(texels + chain.offset[level - 1], chain.width[level - 1], chain.height[level - 1],
                    texels + chain.offset[level], chain.width[level], chain.height[level]);
    }
    return true;
}

TextureResult GenTextures(GlContext& ctx, int32_t n, uint32_t* names, PendingKeyframe* touch) {
    if (n < 1) {
        return TextureResult::Ignored;
    }
    TextureResult result = TextureResult::Applied;
    int32_t i = 0;
    for (; i < n; ++i) {
        result = EnsureSlotZero(ctx);
        if (result != TextureResult::Applied) {
            break;
        }
        if (!RefreshTextureNameIndex(ctx.textureNames, ctx.textureTable)) {
            result = TextureResult::OutOfMemory;
            break;
        }
        uint32_t name = LowestFreeTextureName(ctx.textureNames);
        if (name != 0) {
            TextureSlot* slot = WritableSlot(ctx, name);
            if (slot == nullptr) {
                result = TextureResult::OutOfMemory;
                break;
            }
            Touch(touch, ctx, name);
            slot->inUse = 1;
            slot->hasImage = 0;
            SetTextureNameFree(ctx.textureNames, name, false);
            SetTextureNameHasImage(ctx.textureNames, name, false);
        } else {
            if (ctx.textureTable.size() >= kMaxTextureSlots) {
                result = TextureResult::Refused;
                break;
            }
            try {
                ctx.textureTable.emplace_back();
                ctx.textureTable[ctx.textureTable.size() - 1].inUse = 1;
            } catch (const std::bad_alloc&) {
                ctx.textureTable.resize(ctx.textureTable.size() - 1);  // the new slot's page failed
                result = TextureResult::OutOfMemory;
                break;
            } catch (const std::length_error&) {
                result = TextureResult::OutOfMemory;
                break;
            }
            name = static_cast<uint32_t>(ctx.textureTable.size() - 1);
            GrowTextureNameIndex(ctx.textureNames, ctx.textureTable.size());
            SetTextureNameFree(ctx.textureNames, name, false);
        }
        if (names != nullptr) {
            names[i] = name;
        }
    }
    if (names != nullptr) {
        for (; i < n; ++i) {
            names[i] = 0;  // never a valid generated name
        }
    }
    return result;
}

TextureResult DeleteTextures(GlContext& ctx, int32_t n, const uint32_t* names, PendingKeyframe* touch) {
    if (n < 1 || names == nullptr) {
        return TextureResult::Ignored;
    }
    for (int32_t i = 0; i < n; ++i) {
        const uint32_t name = names[i];
        // A slot in a page never written is a default slot, which deleting leaves as it is.
        if (name == 0 || !TextureSlotStored(ctx.textureTable, name)) {
            continue;
        }
        Touch(touch, ctx, name);
        TextureSlot& slot = ctx.textureTable[name];
        slot.inUse = 0;
        SetTextureNameFree(ctx.textureNames, name, true);
        SetTextureNameHasImage(ctx.textureNames, name, false);
        slot.hasImage = 0;
        slot.width = 0;
        slot.height = 0;
        std::vector<uint32_t>().swap(slot.texels);  // release the storage
        ClearLevelTables(slot);
        if (name == ctx.boundTexture) {
            ctx.boundTexture = 0;
        }
    }
    return TextureResult::Applied;
}

TextureResult BindTexture(GlContext& ctx, uint32_t target, uint32_t texture, PendingKeyframe* touch) {
    if (target != gle::kTexture2D) {
        return TextureResult::Ignored;
    }
    if (const TextureResult zero = EnsureSlotZero(ctx); zero != TextureResult::Applied) {
        return zero;
    }
    if (texture < ctx.textureTable.size()) {
        if (std::as_const(ctx.textureTable)[texture].inUse == 0) {
            Touch(touch, ctx, texture);
        }
    } else {
        if (static_cast<uint64_t>(texture) + 1 > kMaxTextureSlots) {
            return TextureResult::Refused;
        }
        try {
            ctx.textureTable.resize(static_cast<size_t>(texture) + 1);
        } catch (const std::bad_alloc&) {
            return TextureResult::OutOfMemory;
        } catch (const std::length_error&) {
            return TextureResult::OutOfMemory;
        }
        GrowTextureNameIndex(ctx.textureNames, ctx.textureTable.size());
    }
    try {
        ctx.textureTable[texture].inUse = 1;
    } catch (const std::bad_alloc&) {
        return TextureResult::OutOfMemory;
    }
    SetTextureNameFree(ctx.textureNames, texture, false);
    ctx.boundTexture = texture;
    return TextureResult::Applied;
}

bool IsTexture(const GlContext& ctx, uint32_t texture) {
    return texture != 0 && texture < ctx.textureTable.size() && ctx.textureTable[texture].hasImage != 0;
}

TextureResult TexParameteri(GlContext& ctx, uint32_t target, uint32_t pname, int32_t param, PendingKeyframe* touch) {
    if (target != gle::kTexture2D) {
        return TextureResult::Ignored;
    }
    TextureSlot* slot = BoundSlot(ctx);
    if (slot == nullptr) {
        return TextureResult::Ignored;
    }
    uint32_t* field = nullptr;
    switch (pname) {
        case gle::kTextureMagFilter: field = &slot->magFilter; break;
        case gle::kTextureMinFilter: field = &slot->minFilter; break;
        case gle::kTextureWrapS: field = &slot->wrapS; break;
        case gle::kTextureWrapT: field = &slot->wrapT; break;
        default: return TextureResult::Ignored;
    }
    const uint32_t value = static_cast<uint32_t>(param);
    if (*field != value) {
        Touch(touch, ctx, ctx.boundTexture);
        *field = value;
    }
    return TextureResult::Applied;
}

TextureResult TexImage2D(GlContext& ctx, uint32_t target, int32_t level, int32_t width, int32_t height, uint32_t format,
                         uint32_t type, const void* pixels, PendingKeyframe* touch) {
    return TexImage2DBounded(ctx, target, level, width, height, format, type, pixels, kUnboundedPixelBytes, touch);
}

TextureResult TexImage2DBounded(GlContext& ctx, uint32_t target, int32_t level, int32_t width, int32_t height,
                                uint32_t format, uint32_t type, const void* pixels, uint64_t pixelBytes,
                                PendingKeyframe* touch) {
    if (target != gle::kTexture2D || width < 1 || height < 1 || level != 0) {
        return TextureResult::Ignored;
    }
    TextureSlot* bound = BoundSlot(ctx);
    if (bound == nullptr) {
        return TextureResult::Ignored;
    }
    const ChainLayout chain = LayoutChain(width, height);
    if (chain.totalTexels > kMaxTexelBytes / 4) {
        return TextureResult::Refused;
    }
    // Build the new storage aside so that a failed allocation leaves the slot as it was.
    std::vector<uint32_t> texels;
    try {
        texels.assign(static_cast<size_t>(chain.totalTexels), 0u);
    } catch (const std::bad_alloc&) {
        return TextureResult::OutOfMemory;
    } catch (const std::length_error&) {
        return TextureResult::OutOfMemory;
    }
    const size_t levelZero = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::fill(texels.begin(), texels.begin() + static_cast<std::ptrdiff_t>(levelZero), kOpaqueBlack);
    if (pixels != nullptr) {
        const size_t rowBytes = static_cast<size_t>(CmdPixelBytes(format)) * static_cast<size_t>(width);
        const uint8_t* source = static_cast<const uint8_t*>(pixels);
        for (int32_t row = 0; row < height; ++row) {
            if (!RowAvailable(rowBytes, row, pixelBytes) ||
                !ConvertTexelRow(format, type, source + rowBytes * static_cast<size_t>(row), width,
                                 texels.data() + static_cast<size_t>(row) * static_cast<size_t>(width))) {
                break;
            }
        }
    }
    Touch(touch, ctx, ctx.boundTexture);
    TextureSlot& slot = ctx.textureTable[ctx.boundTexture];  // Touch may not move the table, but be plain
    slot.texels.swap(texels);
    slot.width = width;
    slot.height = height;
    BuildMipChain(slot, width, height);  // storage already holds the whole chain: cannot fail
    slot.hasImage = 1;
    SetTextureNameHasImage(ctx.textureNames, ctx.boundTexture, true);
    return TextureResult::Applied;
}

TextureResult TexSubImage2D(GlContext& ctx, uint32_t target, int32_t level, int32_t xoffset, int32_t yoffset,
                            int32_t width, int32_t height, uint32_t format, uint32_t type, const void* pixels,
                            PendingKeyframe* touch) {
    return TexSubImage2DBounded(ctx, target, level, xoffset, yoffset, width, height, format, type, pixels,
                                kUnboundedPixelBytes, touch);
}

TextureResult TexSubImage2DBounded(GlContext& ctx, uint32_t target, int32_t level, int32_t xoffset, int32_t yoffset,
                                   int32_t width, int32_t height, uint32_t format, uint32_t type, const void* pixels,
                                   uint64_t pixelBytes, PendingKeyframe* touch) {
    if (target != gle::kTexture2D || level != 0 || width < 1 || height < 1 || pixels == nullptr) {
        return TextureResult::Ignored;
    }
    TextureSlot* bound = BoundSlot(ctx);
    if (bound == nullptr || bound->hasImage == 0 || xoffset < 0 || yoffset < 0 ||
        static_cast<int64_t>(xoffset) + width > bound->width ||
        static_cast<int64_t>(yoffset) + height > bound->height) {
        return TextureResult::Ignored;
    }
    Touch(touch, ctx, ctx.boundTexture);
    TextureSlot& slot = ctx.textureTable[ctx.boundTexture];
    const size_t rowBytes = static_cast<size_t>(CmdPixelBytes(format)) * static_cast<size_t>(width);
    const uint8_t* source = static_cast<const uint8_t*>(pixels);
    for (int32_t row = 0; row < height; ++row) {
        uint32_t* dest = slot.texels.data() + static_cast<size_t>(yoffset + row) * static_cast<size_t>(slot.width) +
                         static_cast<size_t>(xoffset);
        if (!RowAvailable(rowBytes, row, pixelBytes) ||
            !ConvertTexelRow(format, type, source + rowBytes * static_cast<size_t>(row), width, dest)) {
            break;
        }
    }
    return TextureResult::Applied;
}

}  // namespace mora
