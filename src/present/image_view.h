// A view of a BGRA image in memory (bytes B, G, R, A per pixel, i.e. 0xAARRGGBB little-endian
// words, top row first, rows rowPitch bytes apart): the staging buffers, the presented image and
// the window image that the colour pass and the overlay read and write.
#pragma once

#include <cstdint>

namespace mora {

struct ImageView {
    uint8_t* pixels = nullptr;
    uint32_t rowPitch = 0;  // bytes between the starts of two rows, at least width x 4
    int32_t width = 0;
    int32_t height = 0;
};

inline uint32_t* ImageRow(const ImageView& image, int32_t y) {
    return reinterpret_cast<uint32_t*>(image.pixels + static_cast<uint64_t>(y) * image.rowPitch);
}

inline bool IsUsable(const ImageView& image) {
    return image.pixels != nullptr && image.width > 0 && image.height > 0 &&
           static_cast<uint64_t>(image.rowPitch) >= static_cast<uint64_t>(image.width) * 4u;
}

}  // namespace mora
