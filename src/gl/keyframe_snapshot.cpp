#include "gl/keyframe_snapshot.h"

#include <algorithm>
#include <cstring>

namespace mora {

namespace {

namespace so = snapshot_offset;

// Little-endian field access at fixed offsets (the host is little-endian, checked in
// command_records.h, so a plain byte copy is the encoding).
template <class T>
void Put(KeyframeSnapshot& out, uint32_t offset, const T& value) {
    std::memcpy(out.bytes + offset, &value, sizeof(T));
}
void PutFlag(KeyframeSnapshot& out, uint32_t offset, bool value) { out.bytes[offset] = value ? 1 : 0; }

template <class T>
void Get(const KeyframeSnapshot& in, uint32_t offset, T& value) {
    std::memcpy(&value, in.bytes + offset, sizeof(T));
}
bool GetFlag(const KeyframeSnapshot& in, uint32_t offset) { return in.bytes[offset] != 0; }

constexpr uint32_t kStackBytes = kMatrixStackDepth * 16 * sizeof(float);
static_assert(so::kProjectionStack - so::kModelviewStack == kStackBytes);
static_assert(so::kTextureStack - so::kProjectionStack == kStackBytes);
static_assert(so::kMvp - so::kTextureStack == kStackBytes);
static_assert(so::kCullFaceFrontFacePrimitiveMode + 12 == kKeyframeSnapshotBytes);
static_assert(so::kScissorEnabled == so::kCullEnabled + 1 && so::kScissorX0 == so::kMatricesDirty + 2 &&
              so::kScissorY0 == so::kColourClearPending + 2 && so::kScissorX1Gap == so::kDepthClearPending + 2 &&
              so::kScissorY1Gap == so::kTexture2DEnabled + 2);
static_assert(kMaxFramebufferSide <= 0xFFFF);

void PutEdge(KeyframeSnapshot& out, uint32_t offset, int32_t value) { Put(out, offset, static_cast<uint16_t>(value)); }
int32_t GetEdge(const KeyframeSnapshot& in, uint32_t offset) {
    uint16_t value;
    Get(in, offset, value);
    return std::min<int32_t>(value, kMaxFramebufferSide);
}

}  // namespace

void SerializeKeyframeSnapshot(const GlContext& ctx, KeyframeSnapshot& out) {
    std::memset(out.bytes, 0, sizeof(out.bytes));
    Put(out, so::kMatrixMode, ctx.matrixMode);
    Put(out, so::kStackTop, ctx.stackTop);
    Put(out, so::kModelviewStack, ctx.modelviewStack);
    Put(out, so::kProjectionStack, ctx.projectionStack);
    Put(out, so::kTextureStack, ctx.textureStack);
    Put(out, so::kMvp, ctx.mvp);
    PutFlag(out, so::kMatricesDirty, ctx.matricesDirty);
    Put(out, so::kViewport, ctx.viewport);
    const int32_t grid[6] = {ctx.framebufferWidth, ctx.framebufferHeight, ctx.microTilesX,
                             ctx.microTilesY,      ctx.macroTilesX,       ctx.macroTilesY};
    Put(out, so::kTileGridSize, grid);
    Put(out, so::kClearColour, ctx.clearColour);
    PutFlag(out, so::kColourClearPending, ctx.colourClearPending);
    Put(out, so::kColourClearValue, ctx.colourClearValue);
    PutFlag(out, so::kDepthClearPending, ctx.depthClearPending);
    Put(out, so::kDepthClearValue, ctx.depthClearValue);
    Put(out, so::kClearDepth, ctx.clearDepth);
    Put(out, so::kCurrentColour, ctx.currentColour);
    const float st[2] = {ctx.currentS, ctx.currentT};
    Put(out, so::kCurrentST, st);
    PutFlag(out, so::kTexture2DEnabled, ctx.texture2DEnabled);
    Put(out, so::kBoundTexture, ctx.boundTexture);
    PutFlag(out, so::kBlendEnabled, ctx.blendEnabled);
    const uint32_t blend[2] = {ctx.blendSrc, ctx.blendDst};
    Put(out, so::kBlendFactors, blend);
    PutFlag(out, so::kAlphaTestEnabled, ctx.alphaTestEnabled);
    Put(out, so::kAlphaFunc, ctx.alphaFunc);
    Put(out, so::kAlphaRef, ctx.alphaRef);
    PutFlag(out, so::kDepthTestEnabled, ctx.depthTestEnabled);
    PutFlag(out, so::kDepthMask, ctx.depthMask);
    Put(out, so::kDepthFunc, ctx.depthFunc);
    const float depthRange[2] = {ctx.depthNear, ctx.depthFar};
    Put(out, so::kDepthNearFar, depthRange);
    Put(out, so::kTexEnvMode, ctx.texEnvMode);
    Put(out, so::kTexEnvColour, ctx.texEnvColour);
    PutFlag(out, so::kCullEnabled, ctx.cullEnabled);
    const uint32_t tail[3] = {ctx.cullFace, ctx.frontFace, ctx.primitiveMode};
    Put(out, so::kCullFaceFrontFacePrimitiveMode, tail);
    PutFlag(out, so::kScissorEnabled, ctx.scissorEnabled);
    PutEdge(out, so::kScissorX0, ctx.scissorBox.x0);
    PutEdge(out, so::kScissorY0, ctx.scissorBox.y0);
    PutEdge(out, so::kScissorX1Gap, kMaxFramebufferSide - ctx.scissorBox.x1);
    PutEdge(out, so::kScissorY1Gap, kMaxFramebufferSide - ctx.scissorBox.y1);
}

void DeserializeKeyframeSnapshot(GlContext& ctx, const KeyframeSnapshot& in) {
    Get(in, so::kMatrixMode, ctx.matrixMode);
    if (ctx.matrixMode > kMatrixTexture) {
        ctx.matrixMode = kMatrixModelview;
    }
    Get(in, so::kStackTop, ctx.stackTop);
    for (int32_t& top : ctx.stackTop) {
        top = std::clamp(top, 0, kMatrixStackDepth - 1);
    }
    Get(in, so::kModelviewStack, ctx.modelviewStack);
    Get(in, so::kProjectionStack, ctx.projectionStack);
    Get(in, so::kTextureStack, ctx.textureStack);
    Get(in, so::kMvp, ctx.mvp);
    ctx.matricesDirty = GetFlag(in, so::kMatricesDirty);
    Get(in, so::kViewport, ctx.viewport);
    int32_t grid[6];
    Get(in, so::kTileGridSize, grid);
    ctx.framebufferWidth = grid[0];
    ctx.framebufferHeight = grid[1];
    ctx.microTilesX = grid[2];
    ctx.microTilesY = grid[3];
    ctx.macroTilesX = grid[4];
    ctx.macroTilesY = grid[5];
    Get(in, so::kClearColour, ctx.clearColour);
    ctx.colourClearPending = GetFlag(in, so::kColourClearPending);
    Get(in, so::kColourClearValue, ctx.colourClearValue);
    ctx.depthClearPending = GetFlag(in, so::kDepthClearPending);
    Get(in, so::kDepthClearValue, ctx.depthClearValue);
    // The snapshot has no room for the pending clears' boxes: a restored clear is whole, so that
    // a capture replays it as the driver drew it.
    ctx.colourClearBox = ScissorBox{};
    ctx.depthClearBox = ScissorBox{};
    Get(in, so::kClearDepth, ctx.clearDepth);
    Get(in, so::kCurrentColour, ctx.currentColour);
    float st[2];
    Get(in, so::kCurrentST, st);
    ctx.currentS = st[0];
    ctx.currentT = st[1];
    ctx.texture2DEnabled = GetFlag(in, so::kTexture2DEnabled);
    Get(in, so::kBoundTexture, ctx.boundTexture);
    ctx.blendEnabled = GetFlag(in, so::kBlendEnabled);
    uint32_t blend[2];
    Get(in, so::kBlendFactors, blend);
    ctx.blendSrc = blend[0];
    ctx.blendDst = blend[1];
    ctx.alphaTestEnabled = GetFlag(in, so::kAlphaTestEnabled);
    Get(in, so::kAlphaFunc, ctx.alphaFunc);
    Get(in, so::kAlphaRef, ctx.alphaRef);
    ctx.depthTestEnabled = GetFlag(in, so::kDepthTestEnabled);
    ctx.depthMask = GetFlag(in, so::kDepthMask);
    Get(in, so::kDepthFunc, ctx.depthFunc);
    float depthRange[2];
    Get(in, so::kDepthNearFar, depthRange);
    ctx.depthNear = depthRange[0];
    ctx.depthFar = depthRange[1];
    Get(in, so::kTexEnvMode, ctx.texEnvMode);
    Get(in, so::kTexEnvColour, ctx.texEnvColour);
    ctx.cullEnabled = GetFlag(in, so::kCullEnabled);
    uint32_t tail[3];
    Get(in, so::kCullFaceFrontFacePrimitiveMode, tail);
    ctx.cullFace = tail[0];
    ctx.frontFace = tail[1];
    ctx.primitiveMode = tail[2];
    ctx.scissorEnabled = GetFlag(in, so::kScissorEnabled);
    // Bytes from a file: each edge clamped, and an inverted box selects nothing.
    ctx.scissorBox.x0 = GetEdge(in, so::kScissorX0);
    ctx.scissorBox.y0 = GetEdge(in, so::kScissorY0);
    ctx.scissorBox.x1 = std::max(ctx.scissorBox.x0, kMaxFramebufferSide - GetEdge(in, so::kScissorX1Gap));
    ctx.scissorBox.y1 = std::max(ctx.scissorBox.y0, kMaxFramebufferSide - GetEdge(in, so::kScissorY1Gap));
}

}  // namespace mora
