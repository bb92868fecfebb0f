// Window mapping, culling and SetupTriangle writing for one fan triangle.
#include "geometry/triangle_setup.h"

#include <cmath>
#include <cstddef>
#include <cstring>

namespace mora {

bool CullsTriangle(const NativePacket& packet, float area) {
    if (packet.cullEnabled != 1) return false;
    bool front = packet.frontFace == kFrontFaceDefault ? (area < 0.0f) : (area > 0.0f);
    switch (packet.cullFace) {
        case kCullFront: return front;
        case kCullBack: return !front;
        case kCullFrontAndBack: return true;
        default: return false;
    }
}

bool UsableVertex(const ClipVertex& v, const WindowVertex& window) {
    // !(w > 0) also rejects a NaN w.
    return v.w > 0.0f && std::isfinite(window.x) && std::isfinite(window.y) && std::isfinite(window.z) &&
           std::isfinite(window.q);
}

uint32_t SetupFanTriangle(const NativePacket& packet, const EmitOptions& options, const ClipVertex& a,
                          const ClipVertex& b, const ClipVertex& c, SetupTriangle& out) {
    const WindowVertex w0 = ToWindow(packet, options, a);
    const WindowVertex w1 = ToWindow(packet, options, b);
    const WindowVertex w2 = ToWindow(packet, options, c);
    if (!UsableVertex(a, w0) || !UsableVertex(b, w1) || !UsableVertex(c, w2)) return 0;
    return SetupWindowTriangle(packet, options, a, b, c, w0, w1, w2, out);
}

uint32_t SetupWindowTriangle(const NativePacket& packet, const EmitOptions& options, const ClipVertex& a,
                             const ClipVertex& b, const ClipVertex& c, const WindowVertex& w0, const WindowVertex& w1,
                             const WindowVertex& w2, SetupTriangle& out) {
    float zmin, zmax;
    if (options.disableHiZ) {
        zmin = -1e30f;
        zmax = 1e30f;
    } else {
        // Plain comparisons: the depths are finite here (checked above).
        zmin = w0.z < w1.z ? w0.z : w1.z;
        zmin = w2.z < zmin ? w2.z : zmin;
        zmax = w0.z > w1.z ? w0.z : w1.z;
        zmax = w2.z > zmax ? w2.z : zmax;
    }

    if (!options.disableFaceCull) {
        float area = (w1.x - w0.x) * (w2.y - w0.y) - (w2.x - w0.x) * (w1.y - w0.y);
        if (CullsTriangle(packet, area)) return 0;
    }

    // The SetupTriangle starts as the packet's RenderState; every word outside the resolved block
    // (21..29) is written below, so only that block is copied.
    static_assert(sizeof(RenderState) == sizeof(SetupTriangle));
    static_assert(offsetof(SetupTriangle, textureSlot) == kRsTextureSlot * 4);
    static_assert(offsetof(SetupTriangle, filterClass) == kRsFilterClass * 4);
    std::memcpy(&out.textureSlot, &packet.renderState.words[kRsTextureSlot],
                (kRsFilterClass - kRsTextureSlot + 1) * sizeof(uint32_t));
    out.x0 = w0.x;
    out.x1 = w1.x;
    out.x2 = w2.x;
    out.y0 = w0.y;
    out.y1 = w1.y;
    out.y2 = w2.y;
    out.z0 = w0.z;
    out.z1 = w1.z;
    out.z2 = w2.z;
    out.colour0 = a.colour;
    out.colour1 = b.colour;
    out.colour2 = c.colour;
    out.s0 = a.s;
    out.s1 = b.s;
    out.s2 = c.s;
    out.t0 = a.t;
    out.t1 = b.t;
    out.t2 = c.t;
    out.invw0 = w0.q;
    out.invw1 = w1.q;
    out.invw2 = w2.q;
    out.zmin = zmin;
    out.zmax = zmax;
    return 1;
}

}  // namespace mora
