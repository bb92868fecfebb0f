// Setup of one clipped fan triangle: viewport mapping, depth bounds, facing cull, and the
// SetupTriangle write. Called by the per-triangle emit step (triangle_emit.h).
#pragma once

#include <cstdint>

#include "geometry/clip.h"
#include "gl/native_packet.h"
#include "raster/setup_triangle.h"

namespace mora {

// Driver-setting overrides that act at triangle setup, read once per frame so that every job of
// the emit stage sees the same values.
struct EmitOptions {
    bool disableHiZ;       // depth bounds become -1e30 .. 1e30
    bool disableFaceCull;  // never cull by facing
    // Height of the drawable the frame renders into. Viewport y counts up from its bottom while
    // window rows count down from its top; 0 (unknown) places the viewport from the top.
    int32_t surfaceHeight = 0;
};

// GL enumerants the cull test compares against (values, as the packet stores them).
inline constexpr uint32_t kFrontFaceDefault = 0x0901;  // the default front face; A < 0 is front
inline constexpr uint32_t kCullFront = 0x0404;
inline constexpr uint32_t kCullBack = 0x0405;
inline constexpr uint32_t kCullFrontAndBack = 0x0408;

// True when a triangle with window-space doubled signed area `area` is discarded by the
// packet's cull state (cullEnabled, cullFace, frontFace).
bool CullsTriangle(const NativePacket& packet, float area);

// A clip-space vertex mapped to window space: pixels with y downward, depth in the depth range,
// and q = 1 / w.
struct WindowVertex {
    float x, y, z, q;
};

// The window row of the viewport's top edge. A viewport as tall as the drawable at y 0 gives 0,
// the same as the unknown-height case, so full-window frames map bit for bit as before.
inline int64_t ViewportTopRow(const NativePacket& packet, const EmitOptions& options) {
    if (options.surfaceHeight <= 0) return packet.viewport[1];
    return int64_t{options.surfaceHeight} - packet.viewport[3] - packet.viewport[1];
}

// The viewport mapping of v (whose w must be positive for the result to mean anything).
inline WindowVertex ToWindow(const NativePacket& packet, const EmitOptions& options, const ClipVertex& v) {
    const float vx = static_cast<float>(packet.viewport[0]);
    const float vy = static_cast<float>(ViewportTopRow(packet, options));
    const float width = static_cast<float>(packet.viewport[2]);
    const float height = static_cast<float>(packet.viewport[3]);
    const float q = 1.0f / v.w;
    WindowVertex o;
    o.x = (v.x * q * 0.5f + 0.5f) * width + vx;
    o.y = (1.0f - (v.y * q * 0.5f + 0.5f)) * height + vy;
    o.z = (packet.depthFar - packet.depthNear) * (v.z * q * 0.5f + 0.5f) + packet.depthNear;
    o.q = q;
    return o;
}

// True when v has a positive w and a finite window position: otherwise no triangle using it is
// set up. Non-finite values only arise from NaN/inf matrices or vertices (or a vertex at the eye).
bool UsableVertex(const ClipVertex& v, const WindowVertex& window);

// Maps (a, b, c) to window space and writes `out` unless the triangle is discarded (a w <= 0,
// non-finite window values, or culled). Returns 1 when written, else 0.
uint32_t SetupFanTriangle(const NativePacket& packet, const EmitOptions& options, const ClipVertex& a,
                          const ClipVertex& b, const ClipVertex& c, SetupTriangle& out);

// The rest of SetupFanTriangle for usable vertices already mapped to window space (w0..w2 are
// ToWindow of a..c): depth bounds, facing cull and the write. Returns 1 when written, else 0.
uint32_t SetupWindowTriangle(const NativePacket& packet, const EmitOptions& options, const ClipVertex& a,
                             const ClipVertex& b, const ClipVertex& c, const WindowVertex& w0, const WindowVertex& w1,
                             const WindowVertex& w2, SetupTriangle& out);

}  // namespace mora
