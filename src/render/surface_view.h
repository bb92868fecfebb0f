// SurfaceView: the buffers one frame renders into: the colour memory mapped for this frame and the
// CPU depth buffer of the current context's Surface. The window layer fills one per frame; tests
// hand RenderFrame plain in-memory buffers.
#pragma once

#include <cstdint>

namespace mora {

struct SurfaceView {
    uint8_t* colourBase = nullptr;  // pixel (0, 0); 0xAARRGGBB words (bytes B, G, R, A)
    int32_t colourPitch = 0;        // bytes between colour rows, at least width x 4
    int32_t width = 0;              // pixels
    int32_t height = 0;             // pixels
    float* depthBuffer = nullptr;   // width x height values, rows of exactly width values
};

// True when a frame can be drawn into the view: both buffers present, at least 1x1 pixels, and a
// colour layout the 32-bit pixel writes can use (rows of at least width x 4 bytes, 4-byte aligned).
bool SurfaceUsable(const SurfaceView& surface);

}  // namespace mora
