// Points and line segments: clip, map to window space, widen into two triangles, set up.
#include "geometry/line_point_emit.h"

#include <cmath>

#include "geometry/clip.h"
#include "gl/gl_enums.h"

namespace mora {

namespace {

// Half the width of a line and half the size of a point, in pixels (width and size 1).
constexpr float kHalfPixel = 0.5f;

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

// Clips segment (a, b) to the view volume in place (parametric, all six planes); false when
// nothing of it is inside.
bool ClipSegment(ClipVertex& a, ClipVertex& b) {
    float enter = 0.0f;
    float leave = 1.0f;
    for (int plane = 0; plane < 6; ++plane) {
        const float da = PlaneDistance(a, plane);
        const float db = PlaneDistance(b, plane);
        if (!(da >= 0.0f) && !(db >= 0.0f)) return false;  // NaN counts as outside
        if (da < 0.0f) enter = std::fmax(enter, da / (da - db));
        if (db < 0.0f) leave = std::fmin(leave, da / (da - db));
    }
    if (!(enter <= leave)) return false;
    const ClipVertex from = a;
    if (enter > 0.0f) a = LerpClipVertex(from, b, enter);
    if (leave < 1.0f) b = LerpClipVertex(from, b, leave);
    return true;
}

// Sets up the quad (c0, c1, c2, c3), in window space, as triangles (0, 1, 2) and (0, 2, 3); the
// clip vertices give each corner its colour and texture coordinate.
uint32_t EmitQuad(const NativePacket& packet, const EmitOptions& options, const ClipVertex* clip,
                  const WindowVertex* corner, std::vector<SetupTriangle>& out) {
    uint32_t written = 0;
    for (int k = 1; k < 3; ++k) {
        SetupTriangle& t = out.emplace_back();
        if (SetupWindowTriangle(packet, options, clip[0], clip[k], clip[k + 1], corner[0], corner[k], corner[k + 1],
                                t) != 0) {
            ++written;
        } else {
            out.pop_back();
        }
    }
    return written;
}

uint32_t EmitPoint(const NativePacket& packet, const EmitOptions& options, const PreparedVertex& p,
                   std::vector<SetupTriangle>& out) {
    // A point is drawn when its vertex is inside the view volume, and then not clipped.
    if (!p.usable) return 0;
    // Centred on the pixel GL lights, the one holding the point (x, y up rounded down; y runs
    // downward here): the square's edges then lie on pixel boundaries, away from every centre.
    WindowVertex centre = p.window;
    centre.x = std::floor(centre.x) + kHalfPixel;
    centre.y = std::ceil(centre.y) - kHalfPixel;
    const ClipVertex clip[4] = {p.clip, p.clip, p.clip, p.clip};
    WindowVertex corner[4] = {centre, centre, centre, centre};
    corner[0].x -= kHalfPixel;
    corner[0].y -= kHalfPixel;
    corner[1].x += kHalfPixel;
    corner[1].y -= kHalfPixel;
    corner[2].x += kHalfPixel;
    corner[2].y += kHalfPixel;
    corner[3].x -= kHalfPixel;
    corner[3].y += kHalfPixel;
    return EmitQuad(packet, options, clip, corner, out);
}

uint32_t EmitSegment(const NativePacket& packet, const EmitOptions& options, const PreparedVertex& from,
                     const PreparedVertex& to, std::vector<SetupTriangle>& out) {
    ClipVertex a = from.clip;
    ClipVertex b = to.clip;
    if (packet.flatShading != 0) a.colour = b.colour;
    if (!(from.inside && to.inside) && !ClipSegment(a, b)) return 0;
    const WindowVertex wa = ToWindow(packet, options, a);
    const WindowVertex wb = ToWindow(packet, options, b);
    if (!UsableVertex(a, wa) || !UsableVertex(b, wb)) return 0;
    const float dx = wb.x - wa.x;
    const float dy = wb.y - wa.y;
    if (dx == 0.0f && dy == 0.0f) return 0;  // exits no pixel's diamond
    // Widened across the minor axis only, so each column (row) holds exactly one pixel.
    const bool xMajor = std::fabs(dx) >= std::fabs(dy);
    const float ox = xMajor ? 0.0f : kHalfPixel;
    const float oy = xMajor ? kHalfPixel : 0.0f;
    const ClipVertex clip[4] = {a, b, b, a};
    WindowVertex corner[4] = {wa, wb, wb, wa};
    corner[0].x -= ox;
    corner[0].y -= oy;
    corner[1].x -= ox;
    corner[1].y -= oy;
    corner[2].x += ox;
    corner[2].y += oy;
    corner[3].x += ox;
    corner[3].y += oy;
    return EmitQuad(packet, options, clip, corner, out);
}

}  // namespace

uint32_t EmitLinesAndPoints(const NativePacket& packet, const EmitOptions& options, const PreparedVertex* prepared,
                            uint32_t n, std::vector<SetupTriangle>& out) {
    // Facing means nothing for points and lines: their quads are set up without culling.
    NativePacket unculled = packet;
    unculled.cullEnabled = 0;
    uint32_t written = 0;
    switch (packet.mode) {
        case gle::kPoints:
            for (uint32_t i = 0; i < n; ++i) written += EmitPoint(unculled, options, prepared[i], out);
            break;
        case gle::kLines:
            for (uint32_t i = 0; i + 1 < n; i += 2)
                written += EmitSegment(unculled, options, prepared[i], prepared[i + 1], out);
            break;
        case gle::kLineLoop:
        case gle::kLineStrip:
            for (uint32_t i = 0; i + 1 < n; ++i)
                written += EmitSegment(unculled, options, prepared[i], prepared[i + 1], out);
            if (packet.mode == gle::kLineLoop && n >= 2) {
                written += EmitSegment(unculled, options, prepared[n - 1], prepared[0], out);
            }
            break;
        default: break;
    }
    return written;
}

}  // namespace mora
