// The per-triangle step of the emit stage: transform three vertices with the packet's matrix,
// clip against the view volume, re-triangulate as a fan and set up each fan triangle.
// Called by primitive assembly for every triangle of a packet's decomposition.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/triangle_setup.h"
#include "gl/gl_vertex.h"
#include "gl/native_packet.h"
#include "raster/setup_triangle.h"

namespace mora {

// A packet vertex transformed once for all the triangles that share it (strips, fans, quads and
// polygons reuse vertices): its clip-space form, and its window mapping when it lies inside the
// view volume, where it can be used without clipping.
struct PreparedVertex {
    ClipVertex clip;
    WindowVertex window;  // set for vertices inside the view volume
    bool inside;          // inside all six planes of the view volume
    bool usable;          // inside, with w > 0 and a finite window position
};

PreparedVertex PrepareVertex(const NativePacket& packet, const EmitOptions& options, const GlVertex& v);

// Appends the surviving fan triangles of (a, b, c) to `out` and returns their count: 0 when
// clipped away or culled; at most 7 for finite input (six planes add at most six vertices to a
// triangle).
uint32_t EmitPreparedTriangle(const NativePacket& packet, const EmitOptions& options, const PreparedVertex& a,
                              const PreparedVertex& b, const PreparedVertex& c, std::vector<SetupTriangle>& out);

}  // namespace mora
