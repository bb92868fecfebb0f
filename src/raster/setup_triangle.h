// SetupTriangle: the 128-byte screen-space triangle the vertex pipeline's emit stage writes, the render
// workers bin into micro tiles and the raster kernels read. Header-only record; geometry and raster may
// include it directly.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mora {

// Texture slot value meaning "draw untextured".
inline constexpr uint32_t kNoTextureSlot = 0xFFFFFFFFu;

// Blend codes (byte offset 88, low 16 bits). The word's high 16 bits number the scissor rectangle
// the triangle is limited to (RasterJob::scissorRects[n - 1]; 0: none).
inline constexpr uint32_t kBlendNone = 0;                    // no blending
inline constexpr uint32_t kBlendAdditive = 1;                // (ONE, ONE)
inline constexpr uint32_t kBlendModulateDst = 2;             // (ZERO, SRC_COLOR)
inline constexpr uint32_t kBlendSrcAlpha = 3;                // (SRC_ALPHA, ONE_MINUS_SRC_ALPHA)
inline constexpr uint32_t kBlendAddSrcAlpha = 4;             // (SRC_ALPHA, ONE)
inline constexpr uint32_t kBlendDoubleModulate = 5;          // (DST_COLOR, SRC_COLOR)
inline constexpr uint32_t kBlendInvSrcColour = 6;            // (ZERO, ONE_MINUS_SRC_COLOR)
inline constexpr uint32_t kBlendPremultiplied = 7;           // (ONE, ONE_MINUS_SRC_ALPHA)
inline constexpr uint32_t kBlendLast = kBlendPremultiplied;  // codes above draw unblended
inline constexpr uint32_t kBlendCodeMask = 0xFFFFu;
inline constexpr int kScissorNumberShift = 16;

// A scissor rectangle in window pixels (y downward): [x0, x1) x [y0, y1).
struct ScissorRect {
    int32_t x0, y0, x1, y1;
};

// Depth function codes (byte offset 100); any unknown depth function maps to kDepthLess.
inline constexpr uint32_t kDepthAlways = 0;
inline constexpr uint32_t kDepthLess = 1;
inline constexpr uint32_t kDepthLequal = 2;
inline constexpr uint32_t kDepthEqual = 3;
inline constexpr uint32_t kDepthGequal = 4;
inline constexpr uint32_t kDepthGreater = 5;
inline constexpr uint32_t kDepthNotequal = 6;
inline constexpr uint32_t kDepthNever = 7;

// Texture environment codes (byte offset 108).
inline constexpr uint32_t kEnvModulate = 0;
inline constexpr uint32_t kEnvReplace = 1;
inline constexpr uint32_t kEnvDecal = 2;
inline constexpr uint32_t kEnvBlend = 3;

// Filter classes (byte offset 116): 0 nearest (or untextured), 1 trilinear, 2 bilinear.
inline constexpr uint32_t kFilterNearest = 0;
inline constexpr uint32_t kFilterTrilinear = 1;
inline constexpr uint32_t kFilterBilinear = 2;

// Vertex order 0, 1, 2 is emission order. Coordinates are window pixels with y downward; nothing is
// snapped. Bytes 84..119 are the draw's resolved render state, copied into each of its triangles.
struct alignas(64) SetupTriangle {  // two whole cache lines per triangle
    float x0, x1, x2;
    float y0, y1, y2;
    float z0, z1, z2;
    uint32_t colour0, colour1, colour2;  // 0xAARRGGBB
    float s0, s1, s2;
    float t0, t1, t2;
    float invw0, invw1, invw2;  // 1 / w_clip per vertex
    uint32_t textureSlot;       // index into the texture table, or kNoTextureSlot
    uint32_t blendCode;         // blend code | scissor number << kScissorNumberShift
    uint32_t alphaTest;         // 1: alpha test GREATER enabled
    uint32_t depthTest;         // 1: depth test enabled
    uint32_t depthFunc;         // depth function code; 0 when depth test is off
    uint32_t depthWrite;        // depth mask when depth test is on, else 0
    uint32_t texEnv;            // texture environment code
    uint32_t texEnvColour;      // 0xAARRGGBB
    uint32_t filterClass;
    float zmin;  // min(z0, z1, z2), or -1e30 when HiZ is disabled
    float zmax;  // max(z0, z1, z2), or +1e30 when HiZ is disabled
};

static_assert(sizeof(SetupTriangle) == 128);
static_assert(offsetof(SetupTriangle, x0) == 0);
static_assert(offsetof(SetupTriangle, y0) == 12);
static_assert(offsetof(SetupTriangle, z0) == 24);
static_assert(offsetof(SetupTriangle, colour0) == 36);
static_assert(offsetof(SetupTriangle, s0) == 48);
static_assert(offsetof(SetupTriangle, t0) == 60);
static_assert(offsetof(SetupTriangle, invw0) == 72);
static_assert(offsetof(SetupTriangle, textureSlot) == 84);
static_assert(offsetof(SetupTriangle, blendCode) == 88);
static_assert(offsetof(SetupTriangle, alphaTest) == 92);
static_assert(offsetof(SetupTriangle, depthTest) == 96);
static_assert(offsetof(SetupTriangle, depthFunc) == 100);
static_assert(offsetof(SetupTriangle, depthWrite) == 104);
static_assert(offsetof(SetupTriangle, texEnv) == 108);
static_assert(offsetof(SetupTriangle, texEnvColour) == 112);
static_assert(offsetof(SetupTriangle, filterClass) == 116);
static_assert(offsetof(SetupTriangle, zmin) == 120);
static_assert(offsetof(SetupTriangle, zmax) == 124);

}  // namespace mora
