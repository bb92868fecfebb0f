// Resource limits a replay puts on a capture before running it. The reader checks the file's
// structure; these checks bound what replaying its commands would allocate or loop over (surface
// and tile-grid size, texture images, texture names), so that a damaged or hostile capture is
// refused with a message instead of exhausting memory. Called by mora-replay after loading.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "capture/capture_reader.h"

namespace mora::replay {

// Largest viewport or framebuffer side a replay accepts (the surface limit).
inline constexpr int32_t kMaxReplayViewportSide = 8192;
// Largest width or height of one texture image.
inline constexpr int32_t kMaxReplayTextureSide = 8192;
// Texture names a replay may bind beyond the captured table; also the most names all
// glGenTextures records of a capture may ask for together.
inline constexpr uint32_t kMaxReplayTextureNames = 65536;
// Most names one glGenTextures record may ask for.
inline constexpr int32_t kMaxReplayGeneratedNames = 4096;

// True when every frame's commands and the frame-start state stay inside the limits above and
// the surface size is 1..kMaxReplayViewportSide on each side; otherwise false with `error`
// naming the first offending frame and command.
bool CheckReplayLimits(const CaptureData& capture, std::string& error);

// The command-stream part of the check for one frame; `generatedNames` carries the running sum
// of glGenTextures counts across frames.
bool CheckFrameCommandLimits(std::span<const uint8_t> stream, std::size_t textureTableSize, uint64_t& generatedNames,
                             std::string& error);

}  // namespace mora::replay
