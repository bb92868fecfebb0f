// Texture objects: names as indices into the context's texture table, generation, deletion,
// binding, parameters, image upload with format conversion and mip chain, sub-image updates.
// Called by the API entries (with the PendingKeyframe to touch) and by the replay executor
// (with none). No call throws: limits and allocation failures are reported as a result.
#pragma once

#include <cstdint>

#include "gl/gl_context.h"

namespace mora {

struct PendingKeyframe;

// Most slots the texture table holds; a call that would need more does nothing.
inline constexpr uint64_t kMaxTextureSlots = 0xB40B40u;
// Most bytes a slot's texel storage may take; a larger image is refused.
inline constexpr uint64_t kMaxTexelBytes = 0x7FFFFFFFu;

enum class TextureResult : uint8_t {
    Applied,     // the call changed the context as specified
    Ignored,     // the arguments select no action (wrong target, level, name...)
    Refused,     // a limit (slot count, texel bytes) would be passed: nothing changed
    OutOfMemory  // allocation failed: nothing changed
};

// `touch` is the PendingKeyframe whose TouchTextureSlot runs before a slot changes: the API side
// passes it while recording is on, the replay executor passes null.

// Allocates n names (lowest free index from 1 up, else a new slot) and writes them to `names`
// when not null. Stops at the first name that cannot be allocated; remaining outputs are 0.
TextureResult GenTextures(GlContext& ctx, int32_t n, uint32_t* names, PendingKeyframe* touch);
// Frees each listed name that is not 0 and is below the table size; unbinds a freed bound name.
TextureResult DeleteTextures(GlContext& ctx, int32_t n, const uint32_t* names, PendingKeyframe* touch);
// GL_TEXTURE_2D only: creates the name (growing the table to name + 1) and binds it.
TextureResult BindTexture(GlContext& ctx, uint32_t target, uint32_t texture, PendingKeyframe* touch);
// True when texture is not 0, below the table size and its slot has an image.
bool IsTexture(const GlContext& ctx, uint32_t texture);
// Mag/min filter and S/T wrap of the bound slot; values stored unvalidated.
TextureResult TexParameteri(GlContext& ctx, uint32_t target, uint32_t pname, int32_t param, PendingKeyframe* touch);
// Level 0 only: width x height texels of 0xFF000000, rows converted from `pixels` (may be null;
// row r starts at r x width x CmdPixelBytes(format)),
// then the box-filtered mip chain. internalformat and border are ignored.
TextureResult TexImage2D(GlContext& ctx, uint32_t target, int32_t level, int32_t width, int32_t height, uint32_t format,
                         uint32_t type, const void* pixels, PendingKeyframe* touch);
// Level 0 only, inside the current image; mip levels 1 and up are not rebuilt.
TextureResult TexSubImage2D(GlContext& ctx, uint32_t target, int32_t level, int32_t xoffset, int32_t yoffset,
                            int32_t width, int32_t height, uint32_t format, uint32_t type, const void* pixels,
                            PendingKeyframe* touch);

// As TexImage2D / TexSubImage2D with pixels that hold only `pixelBytes` bytes (a recorded blob):
// rows that would read past them are treated as rejected rows, so the conversion stops there.
inline constexpr uint64_t kUnboundedPixelBytes = ~uint64_t{0};
TextureResult TexImage2DBounded(GlContext& ctx, uint32_t target, int32_t level, int32_t width, int32_t height,
                                uint32_t format, uint32_t type, const void* pixels, uint64_t pixelBytes,
                                PendingKeyframe* touch);
TextureResult TexSubImage2DBounded(GlContext& ctx, uint32_t target, int32_t level, int32_t xoffset, int32_t yoffset,
                                   int32_t width, int32_t height, uint32_t format, uint32_t type, const void* pixels,
                                   uint64_t pixelBytes, PendingKeyframe* touch);

// Source bytes per pixel of the six accepted formats (1, 3 or 4), 0 for a rejected format.
uint32_t TexelSourceBytes(uint32_t format);
// Converts one row of n source pixels into n 0xAARRGGBB texels; false (nothing written) when the
// type is not GL_UNSIGNED_BYTE or the format is not accepted.
bool ConvertTexelRow(uint32_t format, uint32_t type, const uint8_t* source, int32_t n, uint32_t* texels);
// Fills the level table of `slot` for a width x height level 0, resizes its texels to the chain's
// total (new texels 0) and box-filters levels 1 and up from level 0. False when out of memory or
// the chain would pass kMaxTexelBytes (slot unchanged).
bool BuildMipChain(TextureSlot& slot, int32_t width, int32_t height);

}  // namespace mora
