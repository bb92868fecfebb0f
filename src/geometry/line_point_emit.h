// Points and lines as thin triangle pairs, so that the raster kernels stay triangle-only. Each
// point of size 1 becomes the square of the pixel GL lights for it (exact); each line segment of width 1,
// clipped to the view volume, becomes a parallelogram one pixel tall along x-major segments (one
// pixel wide along y-major ones). The coverage rule then lights the one pixel per column (row)
// whose centre lies within half a pixel of the segment, from the first endpoint up to but not
// including the last: GL's diamond-exit rule except for the endpoint pixels, which can differ
// where an endpoint lies near a pixel's edge. Called by the emit stage for modes 0 to 3.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/triangle_emit.h"
#include "gl/native_packet.h"
#include "raster/setup_triangle.h"

namespace mora {

// Appends the triangles of GL_POINTS, GL_LINES, GL_LINE_LOOP or GL_LINE_STRIP packet `packet`
// (n prepared vertices) to `out`; returns their count. Never culled. With flat shading a segment
// takes its second vertex's colour (GL's provoking vertex for lines).
uint32_t EmitLinesAndPoints(const NativePacket& packet, const EmitOptions& options, const PreparedVertex* prepared,
                            uint32_t n, std::vector<SetupTriangle>& out);

}  // namespace mora
