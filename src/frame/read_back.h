// Pixel read-back: glReadPixels' work after its entry frame. The frame so far is flushed into the
// current context's Surface (frame_sequence.h), then a rectangle of the colour memory is copied out
// in one of four component orders and one of seven component types (converted from the stored
// bytes), bottom row first as GL counts rows. Called by the glReadPixels entry.
#pragma once

#include <cstdint>

namespace mora {

// Destination formats.
inline constexpr uint32_t kReadFormatBgra = 0x80E1;  // GL_BGRA_EXT: B, G, R, A
inline constexpr uint32_t kReadFormatRgba = 0x1908;  // GL_RGBA: R, G, B, A
inline constexpr uint32_t kReadFormatBgr = 0x80E0;   // GL_BGR_EXT: B, G, R
inline constexpr uint32_t kReadFormatRgb = 0x1907;   // GL_RGB: R, G, B
// Destination component types: each stored 8-bit component c becomes c / 255 in the type's
// range, as GL converts colours (GL_FLOAT: c / 255.0f; GL_UNSIGNED_SHORT: c x 257; signed
// types: c x their largest value / 255, rounded to nearest).
inline constexpr uint32_t kReadTypeByte = 0x1400;
inline constexpr uint32_t kReadTypeUnsignedByte = 0x1401;
inline constexpr uint32_t kReadTypeShort = 0x1402;
inline constexpr uint32_t kReadTypeUnsignedShort = 0x1403;
inline constexpr uint32_t kReadTypeInt = 0x1404;
inline constexpr uint32_t kReadTypeUnsignedInt = 0x1405;
inline constexpr uint32_t kReadTypeFloat = 0x1406;

// The colour memory a read copies from: 0xAARRGGBB words, top row first, rows `pitch` bytes apart.
struct ReadSource {
    const uint8_t* colourBase = nullptr;
    int64_t pitch = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// Copies the width x height rectangle at (x, y) (GL window coordinates, y from the bottom) into
// `pixels`, tightly packed, row 0 the bottom row. Writes nothing and returns false unless pixels
// is non-null, the source has memory and a pitch of at least width x 4 bytes, the rectangle is
// not empty and lies inside the source (tested in 64-bit arithmetic, so no combination of
// arguments reaches outside it), and type and format are ones above.
bool CopyReadRectangle(const ReadSource& source, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t format,
                       uint32_t type, void* pixels);

// glReadPixels after its frame: nothing for a null destination or an empty rectangle, nothing
// without a current context; otherwise the flush, then the copy when the Surface has both its
// colour memory and its depth buffer.
void ReadPixelsFromCurrentSurface(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t format, uint32_t type,
                                  void* pixels);

}  // namespace mora
