// File names of mora-replay's --png output (written by mora::png::WriteBgraPng).
#pragma once

#include <cstdint>
#include <string>

namespace mora::replay {

// "DIR/frame_%05d.png" for capture frame `index`.
std::string FramePngPath(const std::string& directory, uint32_t index);

}  // namespace mora::replay
