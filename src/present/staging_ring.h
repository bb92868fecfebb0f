// The staging ring: two CPU buffers the renderer draws each frame into, used alternately so that
// the buffer being shown is never the one being drawn. DxgiPresent owns one ring per window and
// hands the current buffer to the renderer from BeginFrame.
#pragma once

#include <cstdint>

#include "present/image_view.h"

namespace mora {

// Largest width or height of a staging buffer (the largest 2D texture of the GPU path).
inline constexpr int32_t kMaxStagingExtent = 16384;
// Row starts and the buffer base are aligned to this (one cache line; must be a power of two).
inline constexpr uint32_t kStagingAlignment = 64;

// Row pitch for `width` pixels: width x 4 rounded up to a multiple of 64 plus one more cache
// line. The extra line keeps rows of power-of-two widths from sharing cache sets and makes every
// reader honour the pitch instead of assuming width x 4. 0 for widths outside 1..kMaxStagingExtent.
uint32_t StagingRowPitch(int32_t width);

struct StagingBuffer {
    uint8_t* base = nullptr;  // kStagingAlignment-aligned, owned
    uint64_t capacity = 0;    // bytes allocated
};

struct StagingRing {
    StagingBuffer buffer[2];
    int32_t width = 0;
    int32_t height = 0;
    uint32_t rowPitch = 0;
};

// Sizes the ring for width x height. A buffer is reallocated only when it is too small, and a
// reallocated buffer starts black (all bytes 0); existing buffers keep their bytes. False (ring
// unchanged) for a size outside 1..kMaxStagingExtent or when memory runs out.
bool ResizeStagingRing(StagingRing& ring, int32_t width, int32_t height);

// One buffer sized for width x height with the staging pitch (the offscreen target's presented
// image uses it too): reallocated, black, only when too small. False (buffer unchanged) for a size
// outside 1..kMaxStagingExtent or when memory runs out.
bool ResizeStagingBuffer(StagingBuffer& buffer, int32_t width, int32_t height);
void FreeStagingBuffer(StagingBuffer& buffer);

// The buffer `index` (0 or 1) as an image; an empty view when it does not exist.
ImageView StagingImage(const StagingRing& ring, int32_t index);

void FreeStagingRing(StagingRing& ring);

}  // namespace mora
