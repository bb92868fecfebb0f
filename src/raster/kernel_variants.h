// The four builds of the micro-tile raster kernel, one per instruction-set level. Each lives in its
// own namespace and translation unit compiled with that level's flags; only call one that
// IsaSupported() allows. The dispatcher and the tests reach them through this header.
#pragma once

#include <cstdint>

#include "raster/raster_job.h"

namespace mora::raster {

namespace sse41 {
void RasterizeTile(const RasterJob& job, int32_t x0, int32_t y0, int32_t x1, int32_t y1, const uint32_t* bin,
                   int32_t binCount, float* hiz);
}
namespace avx {
void RasterizeTile(const RasterJob& job, int32_t x0, int32_t y0, int32_t x1, int32_t y1, const uint32_t* bin,
                   int32_t binCount, float* hiz);
}
namespace avx2 {
void RasterizeTile(const RasterJob& job, int32_t x0, int32_t y0, int32_t x1, int32_t y1, const uint32_t* bin,
                   int32_t binCount, float* hiz);
}
namespace avx512 {
void RasterizeTile(const RasterJob& job, int32_t x0, int32_t y0, int32_t x1, int32_t y1, const uint32_t* bin,
                   int32_t binCount, float* hiz);
}

}  // namespace mora::raster
