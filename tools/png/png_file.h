// Writes a frame as an 8-bit RGB PNG through libpng (the alpha channel of a framebuffer is not
// part of the picture). Shared by mora-demo, mora-replay, mora-scenebench and the comparison
// tests' failure pictures.
#pragma once

#include <bit>
#include <cstdint>
#include <span>
#include <string>

namespace mora::png {

// Writes width x height pixels, rows top first, 4 bytes each in the order B, G, R, A. False with
// a message in *error (when given) if the size does not match the bytes or writing fails.
bool WriteBgraPng(const std::string& path, int width, int height, std::span<const uint8_t> bgra, std::string* error);

// The same for 0xAARRGGBB words, which lie in memory as B, G, R, A on a little-endian machine.
inline bool WriteArgbPng(const std::string& path, int width, int height, std::span<const uint32_t> argb,
                         std::string* error) {
    static_assert(std::endian::native == std::endian::little);
    return WriteBgraPng(path, width, height,
                        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(argb.data()), argb.size_bytes()),
                        error);
}

}  // namespace mora::png
