// Transform, clip, fan and set up one triangle of a packet.
#include "geometry/triangle_emit.h"

#include "geometry/clip.h"

namespace mora {

namespace {

ClipVertex ToClip(const float m[16], const GlVertex& v) {
    return TransformToClip(m, v.x, v.y, v.z, v.colour, v.s, v.t);
}

}  // namespace

uint32_t EmitTriangle(const NativePacket& packet, const EmitOptions& options, const GlVertex& a, const GlVertex& b,
                      const GlVertex& c, std::vector<SetupTriangle>& out) {
    ClipPolygon poly;
    if (!ClipTriangle(ToClip(packet.mvp, a), ToClip(packet.mvp, b), ToClip(packet.mvp, c), poly)) return 0;
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

}  // namespace mora
