// Primitive assembly: the immediate-mode vertex calls (gl/immediate_mode.h, shared with the
// replay executor) and the split of each primitive mode into triangles, which the emit stage
// runs for every NativePacket before transforming and clipping the triangles.
#pragma once

#include <cstdint>

#include "gl/gl_enums.h"
#include "gl/gl_vertex.h"
#include "gl/immediate_mode.h"

namespace mora {

// Number of triangles DecomposePrimitive produces for `mode` with n vertices.
uint32_t PrimitiveTriangleCount(uint32_t mode, uint32_t n);

// Calls step(a, b, c) for each triangle of the primitive, in GL order with the vertex order that
// decides facing; returns the sum of step's results (SetupTriangles written). Points, lines,
// modes above 9 and primitives below their minimum vertex count produce no triangles.
template <class Step>
uint32_t DecomposePrimitive(uint32_t mode, const GlVertex* v, uint32_t n, Step&& step) {
    uint32_t written = 0;
    switch (mode) {
        case gle::kTriangles:
            for (uint32_t i = 0; i + 2 < n; i += 3) {
                written += step(v[i], v[i + 1], v[i + 2]);
            }
            break;
        case gle::kTriangleStrip:
            for (uint32_t i = 0; i + 2 < n; ++i) {
                written += (i & 1u) == 0 ? step(v[i], v[i + 1], v[i + 2]) : step(v[i + 1], v[i], v[i + 2]);
            }
            break;
        case gle::kTriangleFan:
        case gle::kPolygon:
            for (uint32_t k = 1; k + 1 < n; ++k) {
                written += step(v[0], v[k], v[k + 1]);
            }
            break;
        case gle::kQuads:
            for (uint32_t i = 0; i + 3 < n; i += 4) {
                written += step(v[i], v[i + 1], v[i + 2]);
                written += step(v[i], v[i + 2], v[i + 3]);
            }
            break;
        case gle::kQuadStrip:
            for (uint32_t i = 0; i + 3 < n; i += 2) {
                written += step(v[i], v[i + 1], v[i + 3]);
                written += step(v[i], v[i + 3], v[i + 2]);
            }
            break;
        default: break;
    }
    return written;
}

}  // namespace mora
