#include "gl/gl_state.h"

#include <algorithm>

#include "gl/colour_packing.h"
#include "gl/float_conversion.h"
#include "gl/gl_hooks.h"
#include "gl/matrix_stack.h"

namespace mora {

namespace {

// The flag a capability controls, or null for the capabilities the driver ignores.
bool* CapabilityFlag(GlContext& ctx, uint32_t cap) {
    switch (cap) {
        case gle::kCullFace: return &ctx.cullEnabled;
        case gle::kDepthTest: return &ctx.depthTestEnabled;
        case gle::kAlphaTest: return &ctx.alphaTestEnabled;
        case gle::kBlend: return &ctx.blendEnabled;
        case gle::kTexture2D: return &ctx.texture2DEnabled;
        case gle::kScissorTest: return &ctx.scissorEnabled;
        default: return nullptr;
    }
}

}  // namespace

void ApplyEnable(GlContext& ctx, uint32_t cap) {
    if (bool* flag = CapabilityFlag(ctx, cap)) {
        *flag = true;
    }
}

void ApplyDisable(GlContext& ctx, uint32_t cap) {
    if (bool* flag = CapabilityFlag(ctx, cap)) {
        *flag = false;
    }
}

bool IsEnabled(const GlContext& ctx, uint32_t cap) {
    const bool* flag = CapabilityFlag(const_cast<GlContext&>(ctx), cap);
    return flag != nullptr && *flag;
}

void ApplyAlphaFunc(GlContext& ctx, uint32_t func, float ref) {
    ctx.alphaFunc = func;
    ctx.alphaRef = ref;
}

void ApplyBlendFunc(GlContext& ctx, uint32_t sfactor, uint32_t dfactor) {
    ctx.blendSrc = sfactor;
    ctx.blendDst = dfactor;
}

void ApplyDepthFunc(GlContext& ctx, uint32_t func) { ctx.depthFunc = func; }
void ApplyCullFace(GlContext& ctx, uint32_t mode) { ctx.cullFace = mode; }
void ApplyFrontFace(GlContext& ctx, uint32_t mode) { ctx.frontFace = mode; }
void ApplyDepthMask(GlContext& ctx, uint32_t flag) { ctx.depthMask = flag != 0; }

void ApplyDepthRange(GlContext& ctx, float zNear, float zFar) {
    ctx.depthNear = zNear;
    ctx.depthFar = zFar;
}

void ApplyClearColor(GlContext& ctx, float r, float g, float b, float a) { ctx.clearColour = PackColour(r, g, b, a); }
void ApplyClearDepth(GlContext& ctx, float depth) { ctx.clearDepth = depth; }

void ApplyClear(GlContext& ctx, uint32_t mask) {
    if ((mask & gle::kColorBufferBit) != 0) {
        ctx.colourClearPending = true;
        ctx.colourClearValue = ctx.clearColour;
        ctx.colourClearBox = ActiveScissorBox(ctx);
    }
    if ((mask & gle::kDepthBufferBit) != 0) {
        ctx.depthClearPending = true;
        ctx.depthClearValue = ctx.clearDepth;
        ctx.depthClearBox = ActiveScissorBox(ctx);
    }
}

void ApplyScissor(GlContext& ctx, int32_t x, int32_t y, int32_t width, int32_t height) {
    if (width < 0 || height < 0) return;
    // In 64 bits: x + width may pass the i32 range.
    auto edge = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, 0, kMaxFramebufferSide)); };
    ctx.scissorBox = {edge(x), edge(y), edge(int64_t{x} + width), edge(int64_t{y} + height)};
}

void ApplyTexEnvi(GlContext& ctx, uint32_t target, uint32_t pname, int32_t param) {
    if (target == gle::kTextureEnv && pname == gle::kTextureEnvMode) {
        ctx.texEnvMode = static_cast<uint32_t>(param);
    }
}

void ApplyTexEnvfv(GlContext& ctx, uint32_t target, uint32_t pname, const float* params) {
    if (target != gle::kTextureEnv || params == nullptr) {
        return;
    }
    if (pname == gle::kTextureEnvMode) {
        ctx.texEnvMode = static_cast<uint32_t>(TruncateToInt32(params[0]));
    } else if (pname == gle::kTextureEnvColor) {
        ctx.texEnvColour = PackColour(params[0], params[1], params[2], params[3]);
    }
}

void SetTileGridSize(GlContext& ctx, int32_t width, int32_t height) {
    width = std::min(width, kMaxFramebufferSide);
    height = std::min(height, kMaxFramebufferSide);
    const int64_t w = width;
    const int64_t h = height;
    ctx.framebufferWidth = width;
    ctx.framebufferHeight = height;
    ctx.microTilesX = static_cast<int32_t>((w + 7) >> 3);
    ctx.microTilesY = static_cast<int32_t>((h + 7) >> 3);
    ctx.macroTilesX = static_cast<int32_t>((w + 31) >> 5);
    ctx.macroTilesY = static_cast<int32_t>((h + 31) >> 5);
}

namespace {

void ResizeGrid(GlContext& ctx, int32_t width, int32_t height) {
    if (auto resize = TheGlHooks().resizeTileGrid) {
        resize(width, height);
    } else {
        SetTileGridSize(ctx, width, height);
    }
}

bool GridHasStorage(const GlContext& ctx) {
    if (auto hasStorage = TheGlHooks().tileGridHasStorage) {
        return hasStorage();
    }
    return ctx.framebufferWidth != 0 || ctx.framebufferHeight != 0;
}

}  // namespace

void ApplyViewport(GlContext& ctx, int32_t x, int32_t y, int32_t width, int32_t height) {
    ctx.viewport[0] = x;
    ctx.viewport[1] = y;
    ctx.viewport[2] = width;
    ctx.viewport[3] = height;
    // A negative size (undefined in GL) asks for nothing rather than a negative grid; nothing past
    // the largest framebuffer drawn is asked for.
    const int32_t w = std::clamp(width, 0, kMaxFramebufferSide);
    const int32_t h = std::clamp(height, 0, kMaxFramebufferSide);
    if (auto ensureSurface = TheGlHooks().ensureSurfaceSize) {
        ensureSurface(w, h);
    }
    if (w > ctx.framebufferWidth || h > ctx.framebufferHeight) {
        ResizeGrid(ctx, std::max(w, ctx.framebufferWidth), std::max(h, ctx.framebufferHeight));
    } else if (!GridHasStorage(ctx)) {
        ResizeGrid(ctx, w, h);
    }
}

bool IsQueryName(uint32_t pname) {
    const auto within = [pname](uint32_t first, uint32_t last) { return pname >= first && pname <= last; };
    return within(0x0B00, 0x0DFF) ||  // current values through the texture and selection state
           within(0x3000, 0x3005) ||  // GL_CLIP_PLANE0..5
           within(0x4000, 0x4007) ||  // GL_LIGHT0..7
           within(0x2A00, 0x2A02) ||  // polygon offset point, line, units
           within(0x8037, 0x8038) ||  // polygon offset fill, factor
           within(0x8068, 0x8069) ||  // GL_TEXTURE_BINDING_1D, _2D
           within(0x8074, 0x808C);    // vertex arrays: enables, sizes, types, strides
}

void GetFloatv(const GlContext& ctx, uint32_t pname, float* params) {
    if (params == nullptr) {
        return;
    }
    switch (pname) {
        case gle::kDepthRange:
            params[0] = ctx.depthNear;
            params[1] = ctx.depthFar;
            return;
        case gle::kViewport:
            for (int i = 0; i < 4; ++i) {
                params[i] = static_cast<float>(ctx.viewport[i]);
            }
            return;
        case gle::kModelviewMatrix:
        case gle::kProjectionMatrix:
        case gle::kTextureMatrix: {
            const float* top = StackTopMatrix(ctx, pname - gle::kModelviewMatrix);
            std::copy(top, top + 16, params);
            return;
        }
        default: params[0] = 0.0f; return;
    }
}

}  // namespace mora
