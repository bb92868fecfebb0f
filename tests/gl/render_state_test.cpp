// RenderState resolution: texture slot, blend, alpha and depth words, filter class, and the
// driver-setting overrides in the order they apply.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "gl/render_state.h"
#include "gl/replay_test_support.h"
#include "gl/texture_objects.h"

namespace mora {
namespace {

constexpr RenderOverrides kNone{0, false, false, false, 0};

TEST(RenderState, TextureSlotAndFilterOverride) {
    auto ctx = test::NewContext();
    BindTexture(*ctx, 0x0DE1, 2, nullptr);
    ctx->texture2DEnabled = true;
    EXPECT_EQ(ResolveRenderState(*ctx, kNone).words[kRsTextureSlot], kNoTexture);  // no image yet
    RenderOverrides force = kNone;
    force.forceFilter = 2;
    EXPECT_EQ(ResolveRenderState(*ctx, force).words[kRsFilterClass], 0u);  // acts only with a slot
    TexImage2D(*ctx, 0x0DE1, 0, 2, 2, 0x1907, 0x1401, nullptr, nullptr);
    EXPECT_EQ(ResolveRenderState(*ctx, kNone).words[kRsTextureSlot], 2u);
    ctx->textureTable[2].magFilter = 0x2600;  // class 0 from GL
    const uint32_t expect[4] = {0, 0, 2, 1};
    for (int32_t f = 0; f <= 3; ++f) {
        force.forceFilter = f;
        EXPECT_EQ(ResolveRenderState(*ctx, force).words[kRsFilterClass], expect[f]) << f;
    }
    ctx->texture2DEnabled = false;
    EXPECT_EQ(ResolveRenderState(*ctx, kNone).words[kRsTextureSlot], kNoTexture);
    ctx->texture2DEnabled = true;
    ctx->boundTexture = 9;  // beyond the table
    EXPECT_EQ(ResolveRenderState(*ctx, kNone).words[kRsTextureSlot], kNoTexture);
}

TEST(RenderState, AlphaBlendAndEnvironment) {
    auto ctx = test::NewContext();
    ctx->alphaTestEnabled = true;
    ctx->alphaFunc = 0x0206;  // GEQUAL: no alpha test
    EXPECT_EQ(ResolveRenderState(*ctx, kNone).words[kRsAlphaTest], 0u);
    ctx->alphaFunc = 0x0204;
    EXPECT_EQ(ResolveRenderState(*ctx, kNone).words[kRsAlphaTest], 1u);
    EXPECT_EQ(ResolveRenderState(*ctx, {0, false, true, false, 0}).words[kRsAlphaTest], 0u);
    ctx->blendEnabled = true;
    ctx->blendSrc = ctx->blendDst = 1;
    EXPECT_EQ(ResolveRenderState(*ctx, kNone).words[kRsBlendMode], 1u);
    EXPECT_EQ(ResolveRenderState(*ctx, {0, true, false, false, 0}).words[kRsBlendMode], 0u);
    ctx->texEnvMode = 0x2101;
    ctx->texEnvColour = 0x80FF0000u;
    const RenderState rs = ResolveRenderState(*ctx, kNone);
    EXPECT_EQ(rs.words[kRsTexEnv], 2u);
    EXPECT_EQ(rs.words[kRsTexEnvColour], 0x80FF0000u);
}

TEST(RenderState, DepthWordsAndTheirOverrides) {
    auto ctx = test::NewContext();
    ctx->depthFunc = 0x0203;
    ctx->depthMask = true;
    auto depth = [&](const RenderOverrides& o) {
        const RenderState rs = ResolveRenderState(*ctx, o);
        return std::vector<uint32_t>{rs.words[kRsDepthTest], rs.words[kRsDepthFunc], rs.words[kRsDepthWrite]};
    };
    using W = std::vector<uint32_t>;
    EXPECT_EQ(depth(kNone), (W{0, 0, 0}));                        // test off: all three 0
    EXPECT_EQ(depth({0, false, false, false, 6}), (W{0, 0, 0}));  // forcing needs the test on
    ctx->depthTestEnabled = true;
    EXPECT_EQ(depth(kNone), (W{1, 2, 1}));
    EXPECT_EQ(depth({0, false, false, false, 6}), (W{1, 5, 1}));  // GREATER
    EXPECT_EQ(depth({0, false, false, false, 1}), (W{1, 0, 1}));  // ALWAYS
    EXPECT_EQ(depth({0, false, false, false, 9}), (W{1, 2, 1}));  // out of range: GL's
    EXPECT_EQ(depth({0, false, false, true, 6}), (W{0, 0, 0}));   // DisableDepthTest wins
    ctx->depthMask = false;
    EXPECT_EQ(depth(kNone), (W{1, 2, 0}));
}

// Each pair maps onto the code whose arithmetic it is; the seed subset knows the first three only.
TEST(RenderState, BlendPairsAndTheSeedSubset) {
    const struct {
        uint32_t src, dst, code, seedCode;
    } pairs[] = {
        {1, 1, 1, 1},      {0, 0x0300, 2, 2},      {0x0302, 0x0303, 3, 3}, {0x0306, 0, 2, 0},
        {0x0302, 1, 4, 0}, {0x0306, 0x0300, 5, 0}, {0, 0x0301, 6, 0},      {1, 0x0303, 7, 0},
        {1, 0, 0, 0},      {0, 1, 0, 0},           {0x0303, 0x0302, 0, 0},
    };
    for (const auto& p : pairs) {
        EXPECT_EQ(BlendModeCode(true, p.src, p.dst), p.code) << p.src << "," << p.dst;
        EXPECT_EQ(BlendModeCode(true, p.src, p.dst, true), p.seedCode) << p.src << "," << p.dst;
        EXPECT_EQ(BlendModeCode(false, p.src, p.dst), 0u);
    }
}

}  // namespace
}  // namespace mora
