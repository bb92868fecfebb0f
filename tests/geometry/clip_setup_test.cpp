// Clipping against the view volume and fan-triangle setup (window rows, discarded w, culling).
// Positions and attributes at the clip intersections are checked by the OSMesa scene comparisons;
// viewport, depth range and carried state through the whole pipeline in execute_frame_test.cpp.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "geometry/clip.h"
#include "geometry/triangle_setup.h"

namespace mora {
namespace {

ClipVertex V(float x, float y, float z, float w, uint32_t colour = 0xFFFFFFFFu, float s = 0, float t = 0) {
    return ClipVertex{x, y, z, w, colour, s, t};
}

NativePacket Packet(int width = 640, int height = 480) {
    NativePacket p;
    std::memset(&p, 0, sizeof(p));
    p.mode = 4;
    p.viewport[2] = width;
    p.viewport[3] = height;
    p.depthNear = 0.0f;
    p.depthFar = 1.0f;
    p.cullFace = kCullBack;
    p.frontFace = kFrontFaceDefault;
    return p;
}

TEST(Clip, ColourRoundsHalfUp) {
    // 255 * 0.5 + 0 * 0.5 + 0.5 = 128 (round half up), per byte independently.
    EXPECT_EQ(LerpColour(0xFF00FF00u, 0x00FF00FFu, 0.5f), 0x80808080u);
    EXPECT_EQ(LerpColour(0x01020304u, 0x01020304u, 0.3f), 0x01020304u);
    // Non-finite fractions (from inf distances) must not reach a float-to-int conversion.
    EXPECT_EQ(LerpColour(0xFFFFFFFFu, 0xFFFFFFFFu, std::numeric_limits<float>::quiet_NaN()), 0u);
}

TEST(Clip, TriangleBehindTheEyeIsDiscarded) {
    ClipPolygon poly;
    EXPECT_FALSE(ClipTriangle(V(0, 0, 0, -1), V(0.5f, 0, 0, -1), V(0, 0.5f, 0, -2), poly));
    EXPECT_EQ(poly.count, 0);
    // A triangle straddling w = 0 keeps only its front part, and every kept w is >= 0.
    ASSERT_TRUE(ClipTriangle(V(0, 0, 0, 1), V(0, 0, 0, -1), V(0.5f, 0.5f, 0, 1), poly));
    for (int i = 0; i < poly.count; ++i) EXPECT_GE(poly.v[i].w, 0.0f);
}

// Viewport y counts up from the drawable's bottom, window rows down from its top: with the
// drawable's height known, a viewport's top edge lands at height - vy - vh; unknown (0), at vy.
TEST(TriangleSetup, ViewportRowsCountFromDrawableBottom) {
    struct Case {
        int32_t vy, vh, surfaceHeight;
        float topRow;
    };
    const Case cases[] = {{20, 40, 128, 68}, {20, 40, 0, 20}, {0, 480, 480, 0}, {0, 480, 0, 0}};
    for (const Case& c : cases) {
        NativePacket packet = Packet(60, c.vh);
        packet.viewport[1] = c.vy;
        EmitOptions options{false, false};
        options.surfaceHeight = c.surfaceHeight;
        const WindowVertex top = ToWindow(packet, options, V(0, 1, 0, 1));
        const WindowVertex bottom = ToWindow(packet, options, V(0, -1, 0, 1));
        EXPECT_EQ(top.y, c.topRow) << c.vy << " " << c.vh << " " << c.surfaceHeight;
        EXPECT_EQ(bottom.y, c.topRow + static_cast<float>(c.vh)) << c.vy << " " << c.vh << " " << c.surfaceHeight;
    }
}

TEST(TriangleSetup, NonPositiveOrNonFiniteWIsDiscarded) {
    NativePacket packet = Packet();
    SetupTriangle t;
    EXPECT_EQ(SetupFanTriangle(packet, {}, V(0, 0, 0, 0), V(0, 0, 0, 1), V(0, 0, 0, 1), t), 0u);
    EXPECT_EQ(SetupFanTriangle(packet, {}, V(0, 0, 0, 1), V(0, 0, 0, -1), V(0, 0, 0, 1), t), 0u);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(SetupFanTriangle(packet, {}, V(0, 0, 0, 1), V(0, 0, 0, 1), V(0, 0, 0, nan), t), 0u);
    EXPECT_EQ(SetupFanTriangle(packet, {}, V(nan, 0, 0, 1), V(0, 0, 0, 1), V(0, 0, 0, 1), t), 0u);
}

// Window-space doubled area A for these clip triangles, viewport 640 x 480 (y flipped):
// kNegative has A < 0, kPositive has A > 0, kFlat has A = 0.
struct Tri {
    ClipVertex a, b, c;
};
const Tri kNegative{V(-0.5f, -0.5f, 0, 1), V(0.5f, -0.5f, 0, 1), V(0, 0.5f, 0, 1)};
const Tri kPositive{V(-0.5f, -0.5f, 0, 1), V(0, 0.5f, 0, 1), V(0.5f, -0.5f, 0, 1)};
const Tri kFlat{V(-0.5f, 0, 0, 1), V(0, 0, 0, 1), V(0.5f, 0, 0, 1)};

uint32_t Emit(const NativePacket& p, const Tri& tri, bool disableCull = false) {
    SetupTriangle t;
    return SetupFanTriangle(p, {false, disableCull}, tri.a, tri.b, tri.c, t);
}

TEST(TriangleSetup, CullDecisionsForBothWindingsAndEveryFace) {
    const Tri* tris[3] = {&kNegative, &kPositive, &kFlat};
    // Surviving (1) or discarded (0) for kNegative, kPositive, kFlat.
    const struct {
        uint32_t frontFace, cullFace;
        uint32_t expect[3];
    } cases[] = {
        {0x0901, kCullBack, {1, 0, 0}}, {0x0901, kCullFront, {0, 1, 1}}, {0x0901, kCullFrontAndBack, {0, 0, 0}},
        {0x0900, kCullBack, {0, 1, 0}}, {0x0900, kCullFront, {1, 0, 1}}, {0x0900, kCullFrontAndBack, {0, 0, 0}},
        {0x0901, 0x1234, {1, 1, 1}},  // an unknown face culls nothing
    };
    for (const auto& c : cases) {
        NativePacket p = Packet();
        p.cullEnabled = 1;
        p.frontFace = c.frontFace;
        p.cullFace = c.cullFace;
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(Emit(p, *tris[i]), c.expect[i]) << std::hex << c.frontFace << " " << c.cullFace << " " << i;
            EXPECT_EQ(Emit(p, *tris[i], /*disableCull=*/true), 1u);
        }
        p.cullEnabled = 0;
        EXPECT_EQ(Emit(p, kPositive) + Emit(p, kNegative), 2u);
    }
}

}  // namespace
}  // namespace mora
