// Resolution of a draw's RenderState words (texture slot, blend, alpha and depth tests, texture
// environment, filter class) from the GlContext and the driver-setting overrides. Called by the
// replay executor when it builds a NativePacket at glEnd.
#pragma once

#include "gl/gl_context.h"
#include "gl/native_packet.h"
#include "panel/driver_settings.h"

namespace mora {

// The raster-state overrides, read once per frame replay (a settings change lands between frames).
struct RenderOverrides {
    int32_t forceFilter;  // 0 from GL, 1 nearest, 2 bilinear level 0, 3 trilinear
    bool disableBlend;
    bool disableAlphaTest;
    bool disableDepthTest;    // wins over forceDepthFunc
    int32_t forceDepthFunc;   // 0 from GL; 1..8 give depth-function code value - 1
    bool seedSubset = false;  // MORA_GL_SUBSET=seed: the first three blend pairs only, no scissor
};

RenderOverrides ReadRenderOverrides(const DriverSettings& settings);

// Words 21..29 derived from `ctx`; all other words 0.
RenderState ResolveRenderState(const GlContext& ctx, const RenderOverrides& overrides);

// The single-word derivations, exposed for the packet builder's tests.
uint32_t BlendModeCode(bool enabled, uint32_t src, uint32_t dst, bool seedSubset = false);
uint32_t DepthFuncCode(uint32_t func);
uint32_t TexEnvCode(uint32_t mode);
uint32_t FilterClassCode(uint32_t magFilter, uint32_t minFilter);

}  // namespace mora
