// Sutherland-Hodgman clipping in clip space, one plane after the other.
#include "geometry/clip.h"

namespace mora {

uint32_t LerpColour(uint32_t prev, uint32_t cur, float f) {
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        float p = static_cast<float>((prev >> shift) & 0xFFu);
        float c = static_cast<float>((cur >> shift) & 0xFFu);
        float v = p * (1.0f - f) + c * f + 0.5f;
        // f lies in [0, 1] for finite distances; guard the conversion against NaN and overshoot.
        uint32_t byte = 0;
        if (v >= 255.0f) {
            byte = 255;
        } else if (v > 0.0f) {
            byte = static_cast<uint32_t>(v);
        }
        out |= byte << shift;
    }
    return out;
}

ClipVertex LerpClipVertex(const ClipVertex& a, const ClipVertex& b, float f) {
    ClipVertex v;
    v.x = a.x + f * (b.x - a.x);
    v.y = a.y + f * (b.y - a.y);
    v.z = a.z + f * (b.z - a.z);
    v.w = a.w + f * (b.w - a.w);
    v.s = a.s + f * (b.s - a.s);
    v.t = a.t + f * (b.t - a.t);
    v.colour = LerpColour(a.colour, b.colour, f);
    return v;
}

namespace {

float PlaneDistance(const ClipVertex& v, int plane) {
    switch (plane) {
        case 0: return v.w + v.x;
        case 1: return v.w - v.x;
        case 2: return v.w + v.y;
        case 3: return v.w - v.y;
        case 4: return v.w + v.z;
        default: return v.w - v.z;
    }
}

ClipVertex Intersect(const ClipVertex& p, const ClipVertex& c, float dp, float dc) {
    return LerpClipVertex(p, c, dp / (dp - dc));
}

void Append(ClipPolygon& poly, const ClipVertex& v) {
    if (poly.count < kMaxClipVertices) poly.v[poly.count++] = v;
}

// Clips `in` against one plane into `out`; returns the output vertex count.
int ClipAgainstPlane(const ClipPolygon& in, int plane, ClipPolygon& out) {
    out.count = 0;
    const ClipVertex* prev = &in.v[in.count - 1];
    float dPrev = PlaneDistance(*prev, plane);
    for (int i = 0; i < in.count; ++i) {
        const ClipVertex& cur = in.v[i];
        float dCur = PlaneDistance(cur, plane);
        bool prevInside = dPrev >= 0.0f;
        bool curInside = dCur >= 0.0f;
        if (prevInside != curInside) Append(out, Intersect(*prev, cur, dPrev, dCur));
        if (curInside) Append(out, cur);
        prev = &cur;
        dPrev = dCur;
    }
    return out.count;
}

}  // namespace

bool ClipTriangle(const ClipVertex& a, const ClipVertex& b, const ClipVertex& c, ClipPolygon& out) {
    // Fast path: every vertex inside every plane leaves the triangle unchanged.
    out.count = 3;
    out.v[0] = a;
    out.v[1] = b;
    out.v[2] = c;
    if (InsideViewVolume(a) && InsideViewVolume(b) && InsideViewVolume(c)) return true;

    ClipPolygon scratch;
    ClipPolygon* src = &out;
    ClipPolygon* dst = &scratch;
    for (int plane = 0; plane < 6; ++plane) {
        if (ClipAgainstPlane(*src, plane, *dst) < 3) {
            out.count = 0;
            return false;
        }
        ClipPolygon* t = src;
        src = dst;
        dst = t;
    }
    // Six swaps: the result is back in `out`.
    return true;
}

}  // namespace mora
