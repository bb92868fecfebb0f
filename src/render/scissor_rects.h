// Scissor boxes (GL window coordinates, y up) turned into the window rectangles (y down) that
// binning, the raster kernel and the clears use, clipped to the surface being drawn.
#pragma once

#include <cstdint>
#include <vector>

#include "gl/gl_context.h"
#include "raster/setup_triangle.h"

namespace mora {

// `box` as window pixels of a width x height surface; empty (x0 == x1 or y0 == y1) when it
// selects none of them.
ScissorRect WindowScissorRect(const ScissorBox& box, int32_t width, int32_t height);

inline bool CoversSurface(const ScissorRect& r, int32_t width, int32_t height) {
    return r.x0 == 0 && r.y0 == 0 && r.x1 == width && r.y1 == height;
}

// out[i] = WindowScissorRect(boxes[i]); out keeps its storage between frames.
void BuildScissorRects(const std::vector<ScissorBox>& boxes, int32_t width, int32_t height,
                       std::vector<ScissorRect>& out);

}  // namespace mora
