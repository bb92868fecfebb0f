// RasterJob: the per-frame argument block of the micro-tile raster kernel, and the kernel's function
// type. RenderFrame fills one per frame; every RasterizeTile call on every worker reads it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "raster/setup_triangle.h"

namespace mora {

struct TextureCacheEntry;
struct FrameOptions;  // the frame driver's options record; the kernel never reads it
struct RasterJob;

// One micro tile: rasterize bin[0..binCount) into the pixels [x0, x1) x [y0, y1) (x0 and y0
// multiples of 8, x1 <= x0 + 8, y1 <= y0 + 8) and update the tile's HiZ word.
using RasterizeTileFn = void (*)(const RasterJob& job, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                                 const uint32_t* bin, int32_t binCount, float* hiz);

// Field order is the kernel's argument order; pointer fields take the platform's word size.
struct RasterJob {
    int32_t colourPitch = 0;                          // bytes between colour rows
    uint8_t* colourBase = nullptr;                    // pixel (0,0), 0xAARRGGBB words
    float* depthBase = nullptr;                       // pixel (0,0) of the depth buffer
    int32_t depthPitch = 0;                           // bytes between depth rows (width x 4)
    const SetupTriangle* triangles = nullptr;         // the frame's triangle array
    const TextureCacheEntry* textureCache = nullptr;  // the frame's texture cache
    uint32_t textureCount = 0;                        // entries in textureCache
    uint32_t vrsMode = 0;                             // 0 full rate, 1 adaptive quarter rate, other forced quarter rate
    RasterizeTileFn kernel = nullptr;                 // the variant chosen for the frame; not read by the kernel
    const FrameOptions* frameOptions = nullptr;       // not read by the kernel
};

static_assert(sizeof(void*) != 8 || sizeof(RasterJob) == 72, "64-bit layout: ten fields, pointers 8 bytes");
static_assert(offsetof(RasterJob, colourBase) > offsetof(RasterJob, colourPitch));
static_assert(offsetof(RasterJob, depthPitch) > offsetof(RasterJob, depthBase));
static_assert(offsetof(RasterJob, textureCount) > offsetof(RasterJob, textureCache));
static_assert(offsetof(RasterJob, frameOptions) > offsetof(RasterJob, kernel));

}  // namespace mora
