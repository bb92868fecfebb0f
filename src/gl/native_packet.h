// NativePacket: one executed glBegin/glEnd primitive with everything later stages need
// (matrix, viewport, depth range, cull state, resolved RenderState). Built by the command
// executor at each glEnd; read by the triangle emit stage, which never looks at GlContext state.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mora {

// The 32-word raster state block. Words 21..29 are resolved from GL state when the packet is
// built; the other words stay 0 here and are filled with vertex data when a SetupTriangle is
// written from the packet (the SetupTriangle starts as a copy of these 32 words).
struct RenderState {
    uint32_t words[32];
};
static_assert(sizeof(RenderState) == 128, "RenderState must match the 128-byte SetupTriangle");

// Word indices of the resolved fields (shared with the SetupTriangle layout: word = offset / 4).
inline constexpr uint32_t kRsTextureSlot = 21;   // texture table index, or kNoTexture
inline constexpr uint32_t kRsBlendMode = 22;     // blend code (raster/setup_triangle.h), 0 none
inline constexpr uint32_t kRsAlphaTest = 23;     // 1: alpha test GREATER on
inline constexpr uint32_t kRsDepthTest = 24;     // 0/1
inline constexpr uint32_t kRsDepthFunc = 25;     // 0 ALWAYS .. 7 NEVER
inline constexpr uint32_t kRsDepthWrite = 26;    // 0/1
inline constexpr uint32_t kRsTexEnv = 27;        // 0 modulate, 1 replace, 2 decal, 3 blend
inline constexpr uint32_t kRsTexEnvColour = 28;  // packed 0xAARRGGBB
inline constexpr uint32_t kRsFilterClass = 29;   // 0 nearest, 1 trilinear, 2 bilinear level 0
inline constexpr uint32_t kNoTexture = 0xFFFFFFFFu;
// The blend word's upper half: the number of the frame's scissor box (GlContext::scissorBoxes,
// from 1) the draw is limited to, 0 for none. Blend codes stay below 1 << kRsScissorShift.
inline constexpr uint32_t kRsScissorShift = 16;
inline constexpr uint32_t kMaxScissorBoxes = 0xFFFF;

struct NativePacket {
    uint32_t sequence;     // value of packetSequence when built
    uint32_t mode;         // primitive mode of the glBegin
    uint32_t firstVertex;  // index of the first vertex in frameVertices
    uint32_t vertexCount;
    float mvp[16];        // projection top x modelview top, column-major
    int32_t viewport[4];  // x, y, width, height
    float depthNear;
    float depthFar;
    uint32_t cullEnabled;  // 0 or 1
    uint32_t cullFace;
    uint32_t frontFace;
    RenderState renderState;
    uint32_t flatShading;  // 1: each triangle, line or point takes its provoking vertex's colour
};
static_assert(offsetof(NativePacket, mvp) == 16);
static_assert(offsetof(NativePacket, viewport) == 80);
static_assert(offsetof(NativePacket, depthNear) == 96);
static_assert(offsetof(NativePacket, cullEnabled) == 104);
static_assert(offsetof(NativePacket, renderState) == 116);
static_assert(sizeof(NativePacket) == 248);

}  // namespace mora
