// State-setting calls and queries of the GL context: capabilities, blend, alpha, depth, cull,
// clears, current colour and texture coordinate, texture environment, viewport. The API entries
// and the replay executor both call these, so a call and its replay have the same effect.
#pragma once

#include <cstdint>

#include "gl/gl_context.h"

namespace mora {

// GL_CULL_FACE, GL_DEPTH_TEST, GL_ALPHA_TEST, GL_BLEND, GL_TEXTURE_2D, GL_SCISSOR_TEST; other caps
// are ignored.
void ApplyEnable(GlContext& ctx, uint32_t cap);
void ApplyDisable(GlContext& ctx, uint32_t cap);

void ApplyAlphaFunc(GlContext& ctx, uint32_t func, float ref);  // both stored unchanged
void ApplyBlendFunc(GlContext& ctx, uint32_t sfactor, uint32_t dfactor);
void ApplyDepthFunc(GlContext& ctx, uint32_t func);
void ApplyCullFace(GlContext& ctx, uint32_t mode);
void ApplyFrontFace(GlContext& ctx, uint32_t mode);
void ApplyDepthMask(GlContext& ctx, uint32_t flag);                        // stores flag != 0
void ApplyDepthRange(GlContext& ctx, float zNear, float zFar);             // unclamped (use NarrowToFloat)
void ApplyClearColor(GlContext& ctx, float r, float g, float b, float a);  // packed
void ApplyClearDepth(GlContext& ctx, float depth);                         // unclamped
// Colour bit 0x4000: colour clear pending with the current clearColour; depth bit 0x0100: depth
// clear pending with the current clearDepth; each limited to the scissor box while the test is on.
// Other bits are ignored.
void ApplyClear(GlContext& ctx, uint32_t mask);
// The box x..x+width, y..y+height clamped (ScissorBox); a negative size is an error that changes
// nothing, as in GL.
void ApplyScissor(GlContext& ctx, int32_t x, int32_t y, int32_t width, int32_t height);
// The box a draw or clear is limited to now: the scissor box with the test on, else the default.
inline ScissorBox ActiveScissorBox(const GlContext& ctx) { return ctx.scissorEnabled ? ctx.scissorBox : ScissorBox{}; }

inline void ApplyColor(GlContext& ctx, uint32_t packed) { ctx.currentColour = packed; }
inline void ApplyTexCoord(GlContext& ctx, float s, float t) {
    ctx.currentS = s;
    ctx.currentT = t;
}

// GL_TEXTURE_ENV / GL_TEXTURE_ENV_MODE sets texEnvMode = param; anything else is ignored.
void ApplyTexEnvi(GlContext& ctx, uint32_t target, uint32_t pname, int32_t param);
// GL_TEXTURE_ENV: GL_TEXTURE_ENV_MODE takes params[0] truncated (TruncateToInt32);
// GL_TEXTURE_ENV_COLOR packs params[0..3]. Only params[0] is read for other pnames.
void ApplyTexEnvfv(GlContext& ctx, uint32_t target, uint32_t pname, const float* params);

// Stores the viewport, asks the current surface (hook) for at least w x h pixels, then grows the
// tile grid: to max(w, width) x max(h, height) when either exceeds the grid, or to w x h when the
// grid has no storage yet. Negative sizes ask for 0, sizes past kMaxFramebufferSide for that
// side; the grid never shrinks here.
void ApplyViewport(GlContext& ctx, int32_t x, int32_t y, int32_t width, int32_t height);

// Sets framebufferWidth/Height and the micro (8-pixel) and macro (32-pixel) tile counts for a
// width x height framebuffer (each side at most kMaxFramebufferSide). The render side's grid resize
// uses it for the six fields.
void SetTileGridSize(GlContext& ctx, int32_t width, int32_t height);

// glGetFloatv: GL_DEPTH_RANGE (2 floats), GL_VIEWPORT (4), the three matrix queries (16 of the
// stack's top); any other name writes one 0.0. Null params writes nothing.
void GetFloatv(const GlContext& ctx, uint32_t pname, float* params);
// True inside the ranges where GL 1.1 defines its glGet names (the 1.0 state block 0x0B00..0x0DFF,
// the clip planes and lights, polygon offset, texture bindings and vertex arrays); the query
// entries raise GL_INVALID_ENUM for any other name and leave their output as it was.
bool IsQueryName(uint32_t pname);
// glIsEnabled: the flag of the six capabilities above, false for any other.
bool IsEnabled(const GlContext& ctx, uint32_t cap);

}  // namespace mora
