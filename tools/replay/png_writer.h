// PNG output of replayed frames through libpng: tightly packed BGRA rows in, 8-bit RGB out (the
// alpha channel of a framebuffer is not part of the picture). Used by mora-replay's --png.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace mora::replay {

// Writes width x height pixels (rows top first, bytes B, G, R, A) to `path`. False with `error`
// set when the size does not match the bytes or the file cannot be written.
bool WriteBgraPng(const std::string& path, int32_t width, int32_t height, std::span<const uint8_t> bgra,
                  std::string& error);

// "DIR/frame_%05d.png" for capture frame `index`.
std::string FramePngPath(const std::string& directory, uint32_t index);

}  // namespace mora::replay
