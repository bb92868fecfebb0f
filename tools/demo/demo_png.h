// Writes one presented frame (BGRA words, top row first) as an 8-bit RGB PNG through libpng.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace demo {

// False (with a message on stderr) when the file cannot be written.
bool WritePng(const std::string& path, int width, int height, const std::vector<uint32_t>& argb);

}  // namespace demo
