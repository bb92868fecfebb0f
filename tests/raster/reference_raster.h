// Scalar reference of the micro-tile raster kernel: plain C++, one pixel at a time, the same
// operations in the same order as the vector builds, in the order the rasterizer is defined
// (pass outer, triangle inner at full rate; triangle outer with quarter-rate shading).
#pragma once

#include <cstdint>

#include "raster/raster_job.h"

namespace mora::raster::test {

struct ReferenceOptions {
    bool fused = false;            // fuse multiply-add pairs as the FMA builds do
    bool halfTileShading = false;  // adaptive shading decides per 8x4 half (8-lane build)
};

void ReferenceRasterizeTile(const RasterJob& job, int32_t x0, int32_t y0, int32_t x1, int32_t y1, const uint32_t* bin,
                            int32_t binCount, float* hiz, const ReferenceOptions& options);

}  // namespace mora::raster::test
