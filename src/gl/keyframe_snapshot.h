// KeyframeSnapshot: the fixed 6376-byte little-endian image of the GL context's frame-start state
// (matrix stacks through primitive mode, plus the pending clears). Keyframes restore the context
// from it; capture files store it byte for byte.
#pragma once

#include <cstdint>

#include "gl/gl_context.h"

namespace mora {

inline constexpr uint32_t kKeyframeSnapshotBytes = 6376;

struct KeyframeSnapshot {
    uint8_t bytes[kKeyframeSnapshotBytes];
};
static_assert(sizeof(KeyframeSnapshot) == kKeyframeSnapshotBytes);

// Byte offsets of the fields (a u8 field is followed by zero padding to the next 4-byte boundary).
namespace snapshot_offset {
inline constexpr uint32_t kMatrixMode = 0;
inline constexpr uint32_t kStackTop = 4;
inline constexpr uint32_t kModelviewStack = 16;
inline constexpr uint32_t kProjectionStack = 2064;
inline constexpr uint32_t kTextureStack = 4112;
inline constexpr uint32_t kMvp = 6160;
inline constexpr uint32_t kMatricesDirty = 6224;
inline constexpr uint32_t kViewport = 6228;
inline constexpr uint32_t kTileGridSize = 6244;  // framebuffer width, height, micro x, y, macro x, y
inline constexpr uint32_t kClearColour = 6268;
inline constexpr uint32_t kColourClearPending = 6272;
inline constexpr uint32_t kColourClearValue = 6276;
inline constexpr uint32_t kDepthClearPending = 6280;
inline constexpr uint32_t kDepthClearValue = 6284;
inline constexpr uint32_t kClearDepth = 6288;
inline constexpr uint32_t kCurrentColour = 6292;
inline constexpr uint32_t kCurrentST = 6296;
inline constexpr uint32_t kTexture2DEnabled = 6304;
inline constexpr uint32_t kBoundTexture = 6308;
inline constexpr uint32_t kBlendEnabled = 6312;
inline constexpr uint32_t kBlendFactors = 6316;
inline constexpr uint32_t kAlphaTestEnabled = 6324;
inline constexpr uint32_t kAlphaFunc = 6328;
inline constexpr uint32_t kAlphaRef = 6332;
inline constexpr uint32_t kDepthTestEnabled = 6336;
inline constexpr uint32_t kDepthMask = 6337;
inline constexpr uint32_t kDepthFunc = 6340;
inline constexpr uint32_t kDepthNearFar = 6344;
inline constexpr uint32_t kTexEnvMode = 6352;
inline constexpr uint32_t kTexEnvColour = 6356;
inline constexpr uint32_t kCullEnabled = 6360;
inline constexpr uint32_t kCullFaceFrontFacePrimitiveMode = 6364;
// The scissor state lives in padding bytes, so that a context that never used it (and every older
// snapshot) has them all 0: the test's flag after cullEnabled, and the box as four u16 after other
// flags: x0, y0, kMaxFramebufferSide - x1, kMaxFramebufferSide - y1.
inline constexpr uint32_t kScissorEnabled = 6361;
inline constexpr uint32_t kScissorX0 = 6226;
inline constexpr uint32_t kScissorY0 = 6274;
inline constexpr uint32_t kScissorX1Gap = 6282;
inline constexpr uint32_t kScissorY1Gap = 6306;
}  // namespace snapshot_offset

// Writes the snapshot fields of ctx; every padding byte is 0 except those holding the scissor state
// (snapshot_offset), which are 0 while it has its defaults.
void SerializeKeyframeSnapshot(const GlContext& ctx, KeyframeSnapshot& out);

// Loads the snapshot fields into ctx (and resets the pending clears' scissor boxes; nothing else
// changes). Bytes from a file are not trusted:
// a matrixMode above 2 loads as 0 and each stackTop is clamped to 0..31, so that no later matrix
// call indexes outside its stack; a u8 flag is true when non-zero.
void DeserializeKeyframeSnapshot(GlContext& ctx, const KeyframeSnapshot& in);

}  // namespace mora
