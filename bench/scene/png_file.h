// Writes a rendered frame (0xAARRGGBB words, top row first) as an 8-bit RGB PNG through libpng,
// for the scene benchmark's --png-frames and for the comparison tests' failure pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mora::scene {

// False with a message in *error when the file cannot be written or the size does not match.
bool WritePng(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height, std::string* error);

}  // namespace mora::scene
