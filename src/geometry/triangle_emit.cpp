// Transform, clip, fan and set up one triangle of a packet; vertices are prepared once per packet.
#include "geometry/triangle_emit.h"

#include "geometry/clip.h"

namespace mora {

namespace {

ClipVertex ToClip(const float m[16], const GlVertex& v) {
    return TransformToClip(m, v.x, v.y, v.z, v.colour, v.s, v.t);
}

// Clips (a, b, c) and sets up each triangle of the resulting fan.
uint32_t EmitClippedTriangle(const NativePacket& packet, const EmitOptions& options, const ClipVertex& a,
                             const ClipVertex& b, const ClipVertex& c, std::vector<SetupTriangle>& out) {
    ClipPolygon poly;
    if (!ClipTriangle(a, b, c, poly)) return 0;
    uint32_t written = 0;
    for (int k = 1; k + 1 < poly.count; ++k) {
        // Set up in place; a discarded triangle is taken back (cheaper than a copy per kept one).
        SetupTriangle& t = out.emplace_back();
        if (SetupFanTriangle(packet, options, poly.v[0], poly.v[k], poly.v[k + 1], t) != 0) {
            ++written;
        } else {
            out.pop_back();
        }
    }
    return written;
}

}  // namespace

PreparedVertex PrepareVertex(const NativePacket& packet, const EmitOptions& options, const GlVertex& v) {
    PreparedVertex p;
    p.clip = ToClip(packet.mvp, v);
    p.inside = InsideViewVolume(p.clip);
    // Vertices outside are only ever clipped, and clipping maps its own output vertices.
    p.window = p.inside ? ToWindow(packet, options, p.clip) : WindowVertex{};
    p.usable = p.inside && UsableVertex(p.clip, p.window);
    return p;
}

uint32_t EmitPreparedTriangle(const NativePacket& packet, const EmitOptions& options, const PreparedVertex& a,
                              const PreparedVertex& b, const PreparedVertex& c, std::vector<SetupTriangle>& out) {
    if (!(a.inside && b.inside && c.inside)) return EmitClippedTriangle(packet, options, a.clip, b.clip, c.clip, out);
    // Nothing to clip: the triangle is its own one-triangle fan, set up from the mapped vertices
    // (a vertex at the eye or with non-finite values drops it, as SetupFanTriangle would).
    if (!(a.usable && b.usable && c.usable)) return 0;
    SetupTriangle& t = out.emplace_back();
    if (SetupWindowTriangle(packet, options, a.clip, b.clip, c.clip, a.window, b.window, c.window, t) != 0) return 1;
    out.pop_back();
    return 0;
}

}  // namespace mora
