// Clip-space vertices and polygon clipping against the six planes of the view volume.
// Used by the per-triangle emit step (triangle_emit.h); pure arithmetic, no GL state.
#pragma once

#include <cstdint>

namespace mora {

struct ClipVertex {
    float x, y, z, w;  // clip space
    uint32_t colour;   // 0xAARRGGBB, interpolated per byte when clipped
    float s, t;        // copied from the vertex; the texture matrix is not applied
};

// The clipper keeps at most this many vertices per polygon; further appends are dropped.
// Six planes can add at most six vertices to a triangle, so 12 is never reached by finite input.
inline constexpr int kMaxClipVertices = 12;

struct ClipPolygon {
    int count;
    ClipVertex v[kMaxClipVertices];
};

// True when v lies inside all six planes of the view volume (-w <= x, y, z <= w).
inline bool InsideViewVolume(const ClipVertex& v) {
    return v.w + v.x >= 0.0f && v.w - v.x >= 0.0f && v.w + v.y >= 0.0f && v.w - v.y >= 0.0f && v.w + v.z >= 0.0f &&
           v.w - v.z >= 0.0f;
}

// clip[r] = m[r] x + m[4 + r] y + m[8 + r] z + m[12 + r], m column-major.
inline ClipVertex TransformToClip(const float m[16], float x, float y, float z, uint32_t colour, float s, float t) {
    ClipVertex v;
    v.x = m[0] * x + m[4] * y + m[8] * z + m[12];
    v.y = m[1] * x + m[5] * y + m[9] * z + m[13];
    v.z = m[2] * x + m[6] * y + m[10] * z + m[14];
    v.w = m[3] * x + m[7] * y + m[11] * z + m[15];
    v.colour = colour;
    v.s = s;
    v.t = t;
    return v;
}

// Colour of the intersection point at fraction f from prev to cur: each byte is
// trunc(prev * (1 - f) + cur * f + 0.5). A NaN result (from non-finite input) gives 0.
uint32_t LerpColour(uint32_t prev, uint32_t cur, float f);

// The point at fraction f from a to b: every attribute a + f * (b - a), the colour by LerpColour.
// Polygon clipping and segment clipping share it, so a line's clipped end matches a triangle's.
ClipVertex LerpClipVertex(const ClipVertex& a, const ClipVertex& b, float f);

// Sutherland-Hodgman against w+x, w-x, w+y, w-y, w+z, w-z (in that order; inside is d >= 0).
// Returns false (polygon emptied) when some plane leaves fewer than 3 vertices.
bool ClipTriangle(const ClipVertex& a, const ClipVertex& b, const ClipVertex& c, ClipPolygon& out);

}  // namespace mora
