// The in-memory surface a replay renders into: two colour buffers used alternately, as the
// driver's double-buffered presenter hands them out (a frame that does not clear draws over the
// frame before the last one), with rows pitched wider than the image, and one CPU depth buffer.
// The replay session owns one per capture; the PNG writer and the reference comparison read the
// last rendered buffer back tightly packed.
#pragma once

#include <cstdint>
#include <vector>

#include "render/surface_view.h"

namespace mora::replay {

// Extra bytes past width x 4 on every colour row; rows start 64-byte aligned (multiple of 64).
inline constexpr int32_t kRowPaddingBytes = 64;
// Largest width or height a replay surface may have.
inline constexpr int32_t kMaxSurfaceSide = 8192;
// Colour buffers the presenter alternates between (must match the driver's staging ring).
inline constexpr int32_t kColourBufferCount = 2;

struct ReplaySurface {
    int32_t width = 0;
    int32_t height = 0;
    int32_t colourPitch = 0;                                // bytes between colour rows, more than width x 4
    std::vector<uint32_t> colourWords[kColourBufferCount];  // height x colourPitch bytes each
    std::vector<float> depth;                               // width x height values
    int32_t drawBuffer = 0;                                 // the buffer the next frame renders into
    int32_t shownBuffer = 0;                                // the buffer the last frame rendered into
};

// Sizes the surface for width x height (1..kMaxSurfaceSide each) and resets it; false (surface
// left empty) for any other size.
bool CreateReplaySurface(ReplaySurface& surface, int32_t width, int32_t height);

// Both colour buffers all 0 (transparent black), depth all 1.0, buffer 0 next: the state every
// replay starts from.
void ResetReplaySurface(ReplaySurface& surface);

// The view the next frame renders into.
SurfaceView ViewOfReplaySurface(ReplaySurface& surface);

// The end of a frame: the buffer just drawn becomes the shown one, the other one is drawn next.
void PresentReplaySurface(ReplaySurface& surface);

// The shown image as tightly packed rows, top row first, bytes B, G, R, A: the layout of captured
// reference pixels. `out` is resized to width x height x 4.
void CopyTightBgra(const ReplaySurface& surface, std::vector<uint8_t>& out);

}  // namespace mora::replay
