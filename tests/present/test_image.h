// Images in memory for the presentation tests: rows with padding bytes after each row (filled
// with a marker) so that a reader that ignores the pitch is caught.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "present/image_view.h"

namespace mora::test {

struct TestImage {
    std::vector<uint8_t> bytes;
    ImageView view;

    TestImage(int32_t width, int32_t height, uint32_t padding = 20, uint8_t marker = 0xEE) {
        const uint32_t pitch = static_cast<uint32_t>(width) * 4u + padding;
        bytes.assign(static_cast<size_t>(pitch) * static_cast<size_t>(height), marker);
        view = ImageView{bytes.data(), pitch, width, height};
    }
    uint32_t Get(int32_t x, int32_t y) const { return ImageRow(view, y)[x]; }
    void Set(int32_t x, int32_t y, uint32_t pixel) { ImageRow(view, y)[x] = pixel; }
    void Fill(uint32_t pixel) {
        for (int32_t y = 0; y < view.height; ++y) {
            for (int32_t x = 0; x < view.width; ++x) Set(x, y, pixel);
        }
    }
};

// Deterministic pseudo-random pixels (xorshift), so a failure can be reproduced from its seed.
inline uint32_t NextPixel(uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

}  // namespace mora::test
