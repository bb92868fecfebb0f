// Setup of one clipped fan triangle: viewport mapping, depth bounds, facing cull, and the
// SetupTriangle write. Called by the per-triangle emit step (triangle_emit.h).
#pragma once

#include <cstdint>

#include "geometry/clip.h"
#include "gl/native_packet.h"
#include "render/setup_triangle.h"

namespace mora {

// Driver-setting overrides that act at triangle setup, read once per frame so that every job of
// the emit stage sees the same values.
struct EmitOptions {
    bool disableHiZ;       // depth bounds become -1e30 .. 1e30
    bool disableFaceCull;  // never cull by facing
};

// GL enumerants the cull test compares against (values, as the packet stores them).
inline constexpr uint32_t kFrontFaceDefault = 0x0901;  // the default front face; A < 0 is front
inline constexpr uint32_t kCullFront = 0x0404;
inline constexpr uint32_t kCullBack = 0x0405;
inline constexpr uint32_t kCullFrontAndBack = 0x0408;

// True when a triangle with window-space doubled signed area `area` is discarded by the
// packet's cull state (cullEnabled, cullFace, frontFace).
bool CullsTriangle(const NativePacket& packet, float area);

// Maps (a, b, c) to window space and writes `out` unless the triangle is discarded (a w <= 0,
// non-finite window values, or culled). Returns 1 when written, else 0.
uint32_t SetupFanTriangle(const NativePacket& packet, const EmitOptions& options, const ClipVertex& a,
                          const ClipVertex& b, const ClipVertex& c, SetupTriangle& out);

}  // namespace mora
