// RenderState derivation: GL state plus driver overrides -> the resolved raster words.
#include "gl/render_state.h"

#include "gl/gl_hooks.h"

namespace mora {

namespace {

// GL enumerant values compared here.
constexpr uint32_t kGlZero = 0;
constexpr uint32_t kGlOne = 1;
constexpr uint32_t kGlSrcColor = 0x0300;
constexpr uint32_t kGlOneMinusSrcColor = 0x0301;
constexpr uint32_t kGlSrcAlpha = 0x0302;
constexpr uint32_t kGlOneMinusSrcAlpha = 0x0303;
constexpr uint32_t kGlDstColor = 0x0306;
constexpr uint32_t kGlNever = 0x0200;
constexpr uint32_t kGlLess = 0x0201;
constexpr uint32_t kGlEqual = 0x0202;
constexpr uint32_t kGlLequal = 0x0203;
constexpr uint32_t kGlGreater = 0x0204;
constexpr uint32_t kGlNotequal = 0x0205;
constexpr uint32_t kGlGequal = 0x0206;
constexpr uint32_t kGlAlways = 0x0207;
constexpr uint32_t kGlReplace = 0x1E01;
constexpr uint32_t kGlDecal = 0x2101;
constexpr uint32_t kGlBlend = 0x0BE2;
constexpr uint32_t kGlNearest = 0x2600;
constexpr uint32_t kGlLinear = 0x2601;
constexpr uint32_t kGlNearestMipmapNearest = 0x2700;
constexpr uint32_t kGlLinearMipmapNearest = 0x2701;

}  // namespace

RenderOverrides ReadRenderOverrides(const DriverSettings& settings) {
    RenderOverrides o;
    o.forceFilter = SettingValue(settings.ForceFilter);
    o.disableBlend = SettingValue(settings.DisableBlend) != 0;
    o.disableAlphaTest = SettingValue(settings.DisableAlphaTest) != 0;
    o.disableDepthTest = SettingValue(settings.DisableDepthTest) != 0;
    o.forceDepthFunc = SettingValue(settings.ForceDepthFunc);
    o.seedSubset = TheGlHooks().seedSubset != nullptr && TheGlHooks().seedSubset();
    return o;
}

uint32_t BlendModeCode(bool enabled, uint32_t src, uint32_t dst, bool seedSubset) {
    // Every pair whose arithmetic one of the kernel's blend codes performs (the codes of
    // raster/setup_triangle.h); `seed` marks the three pairs the seed subset knows.
    // (DST_COLOR, ZERO) is the modulate code's product with its factors swapped; (ONE, ZERO) writes
    // the source unchanged, as every pair not listed does.
    struct Pair {
        uint32_t src, dst, code;
        bool seed;
    };
    static constexpr Pair kPairs[] = {
        {kGlOne, kGlOne, 1, true},
        {kGlZero, kGlSrcColor, 2, true},
        {kGlSrcAlpha, kGlOneMinusSrcAlpha, 3, true},
        {kGlDstColor, kGlZero, 2, false},
        {kGlSrcAlpha, kGlOne, 4, false},
        {kGlDstColor, kGlSrcColor, 5, false},
        {kGlZero, kGlOneMinusSrcColor, 6, false},
        {kGlOne, kGlOneMinusSrcAlpha, 7, false},
    };
    if (!enabled) return 0;
    for (const Pair& pair : kPairs) {
        if (pair.src == src && pair.dst == dst && (pair.seed || !seedSubset)) return pair.code;
    }
    return 0;
}

uint32_t DepthFuncCode(uint32_t func) {
    switch (func) {
        case kGlAlways: return 0;
        case kGlLess: return 1;
        case kGlLequal: return 2;
        case kGlEqual: return 3;
        case kGlGequal: return 4;
        case kGlGreater: return 5;
        case kGlNotequal: return 6;
        case kGlNever: return 7;
        default: return 1;
    }
}

uint32_t TexEnvCode(uint32_t mode) {
    switch (mode) {
        case kGlReplace: return 1;
        case kGlDecal: return 2;
        case kGlBlend: return 3;
        default: return 0;
    }
}

uint32_t FilterClassCode(uint32_t magFilter, uint32_t minFilter) {
    if (magFilter == kGlNearest) return 0;
    if (minFilter == kGlNearest || minFilter == kGlLinear || minFilter == kGlNearestMipmapNearest ||
        minFilter == kGlLinearMipmapNearest) {
        return 2;
    }
    return 1;
}

RenderState ResolveRenderState(const GlContext& ctx, const RenderOverrides& overrides) {
    RenderState rs{};
    uint32_t* w = rs.words;

    const TextureSlot* slot = nullptr;
    if (ctx.texture2DEnabled && ctx.boundTexture < ctx.textureTable.size() &&
        ctx.textureTable[ctx.boundTexture].hasImage) {
        slot = &ctx.textureTable[ctx.boundTexture];
    }
    w[kRsTextureSlot] = slot ? ctx.boundTexture : kNoTexture;

    w[kRsBlendMode] =
        overrides.disableBlend ? 0 : BlendModeCode(ctx.blendEnabled, ctx.blendSrc, ctx.blendDst, overrides.seedSubset);
    w[kRsAlphaTest] = (ctx.alphaTestEnabled && ctx.alphaFunc == kGlGreater && !overrides.disableAlphaTest) ? 1 : 0;

    const bool depthTest = ctx.depthTestEnabled;
    w[kRsDepthTest] = depthTest ? 1 : 0;
    w[kRsDepthFunc] = depthTest ? DepthFuncCode(ctx.depthFunc) : 0;
    w[kRsDepthWrite] = (depthTest && ctx.depthMask) ? 1 : 0;
    if (overrides.disableDepthTest) {
        w[kRsDepthTest] = 0;
        w[kRsDepthFunc] = 0;
        w[kRsDepthWrite] = 0;
    }
    // ForceDepthFunc 1..8 gives code value - 1 (compared before subtracting: no overflow).
    if (overrides.forceDepthFunc >= 1 && overrides.forceDepthFunc <= 8 && w[kRsDepthTest] == 1) {
        w[kRsDepthFunc] = static_cast<uint32_t>(overrides.forceDepthFunc - 1);
    }

    w[kRsTexEnv] = TexEnvCode(ctx.texEnvMode);
    w[kRsTexEnvColour] = ctx.texEnvColour;

    uint32_t filter = 0;
    if (slot) {
        switch (overrides.forceFilter) {
            case 1: filter = 0; break;
            case 2: filter = 2; break;
            case 3: filter = 1; break;
            default: filter = FilterClassCode(slot->magFilter, slot->minFilter); break;
        }
    }
    w[kRsFilterClass] = filter;
    return rs;
}

}  // namespace mora
