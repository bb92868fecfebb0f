// State calls, queries, viewport growth, colour packing and float conversions.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "gl/colour_packing.h"
#include "gl/float_conversion.h"
#include "gl/gl_hooks.h"
#include "gl/gl_state.h"
#include "gl/matrix_stack.h"

namespace mora {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// Packing through the colour entries (NaN, infinity, clamping) is checked in tests/api/recording_test.cpp;
// here the rounding edges.
TEST(ColourPacking, ChannelsRoundHalfUpAndTruncate) {
    EXPECT_EQ(PackColourChannel(0.998f), 254u);  // 254.49 + 0.5 truncates
    EXPECT_EQ(PackColourChannel(0.5f), 128u);    // 127.5 rounds up
}

TEST(FloatConversion, TruncationAndNarrowingAreDefinedEverywhere) {
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max(), kMin = std::numeric_limits<int32_t>::min();
    const std::pair<float, int32_t> cases[] = {{8448.7f, 8448},
                                               {-2.9f, -2},
                                               {kNaN, 0},
                                               {kInf, kMax},
                                               {-kInf, kMin},
                                               {2147483648.0f, kMax},
                                               {-2147483648.0f, kMin},
                                               {2147483520.0f, 2147483520}};  // below 2^31
    for (const auto& [in, out] : cases) EXPECT_EQ(TruncateToInt32(in), out) << in;
    EXPECT_EQ(NarrowToFloat(-1e300), -kInf);
    EXPECT_EQ(NarrowToFloat(double{std::numeric_limits<float>::max()}), std::numeric_limits<float>::max());
    EXPECT_TRUE(std::isnan(NarrowToFloat(std::numeric_limits<double>::quiet_NaN())));
}

class GlStateTest : public ::testing::Test {
protected:
    void SetUp() override { TheGlHooks() = GlHooks{}; }
    void TearDown() override { TheGlHooks() = GlHooks{}; }
    std::unique_ptr<GlContext> owned = std::make_unique<GlContext>();
    GlContext& ctx = *owned;
};

TEST_F(GlStateTest, ClearUsesTheValuesInForceAtTheCall) {
    ApplyClearColor(ctx, 1.0f, 0.0f, 0.0f, 1.0f);
    ApplyClearDepth(ctx, 0.25f);
    ApplyClear(ctx, gle::kColorBufferBit);
    ApplyClearColor(ctx, 0.0f, 1.0f, 0.0f, 1.0f);
    EXPECT_TRUE(ctx.colourClearPending);
    EXPECT_EQ(ctx.colourClearValue, 0xFFFF0000u);
    EXPECT_FALSE(ctx.depthClearPending);
    ApplyClear(ctx, gle::kDepthBufferBit | 0x0400);  // stencil bit ignored
    ApplyClearDepth(ctx, 0.75f);
    EXPECT_TRUE(ctx.depthClearPending);
    EXPECT_EQ(ctx.depthClearValue, 0.25f);
    EXPECT_EQ(ctx.colourClearValue, 0xFFFF0000u);
}

TEST_F(GlStateTest, GetFloatvAnswersViewportAndWritesOneZeroForUnknownNames) {
    ApplyViewport(ctx, 10, -20, 300, 200);
    float v[4] = {};
    GetFloatv(ctx, gle::kViewport, v);
    EXPECT_EQ(std::vector<float>(v, v + 4), (std::vector<float>{10, -20, 300, 200}));
    float unknown[2] = {9.0f, 9.0f};
    GetFloatv(ctx, 0x0B21, unknown);
    EXPECT_EQ(std::vector<float>(unknown, unknown + 2), (std::vector<float>{0, 9}));
    GetFloatv(ctx, gle::kViewport, nullptr);  // must not crash
}

TEST_F(GlStateTest, TileCountsRoundUpAndSurviveTheLargestSize) {
    const auto counts = [&] {
        return std::vector<int32_t>{ctx.microTilesX, ctx.microTilesY, ctx.macroTilesX, ctx.macroTilesY};
    };
    SetTileGridSize(ctx, 33, 1);
    EXPECT_EQ(counts(), (std::vector<int32_t>{5, 1, 2, 1}));
    SetTileGridSize(ctx, std::numeric_limits<int32_t>::max(), 0);
    EXPECT_EQ(counts(), (std::vector<int32_t>{kMaxFramebufferSide / 8, 0, kMaxFramebufferSide / 32, 0}));
}

struct HookLog {
    std::vector<std::pair<int32_t, int32_t>> surface;
    std::vector<std::pair<int32_t, int32_t>> resize;
    bool hasStorage = false;
};
HookLog* gLog = nullptr;

TEST_F(GlStateTest, ViewportAsksTheSurfaceAndResizesThroughTheHooks) {
    HookLog log;
    gLog = &log;
    GlHooks& hooks = TheGlHooks();
    hooks.ensureSurfaceSize = [](int32_t w, int32_t h) { gLog->surface.emplace_back(w, h); };
    hooks.resizeTileGrid = [](int32_t w, int32_t h) {
        gLog->resize.emplace_back(w, h);
        gLog->hasStorage = true;
        SetTileGridSize(TheGlContext(), w, h);
    };
    hooks.tileGridHasStorage = [] { return gLog->hasStorage; };
    GlContext& global = TheGlContext();
    const GlContext saved = global;

    ApplyViewport(global, 0, 0, 0, 0);  // unsized grid: sized to 0 x 0 once
    ApplyViewport(global, 0, 0, 0, 0);  // now it has storage: nothing
    ApplyViewport(global, 0, 0, 1024, 300);
    ApplyViewport(global, 5, 5, 800, 600);   // grows to 1024 x 600
    ApplyViewport(global, 0, 0, -5, -7);     // negative sizes ask for nothing
    ApplyViewport(global, 0, 0, 100000, 7);  // nothing past the largest framebuffer is asked for
    constexpr int32_t kMax = kMaxFramebufferSide;
    EXPECT_EQ(log.surface,
              (std::vector<std::pair<int32_t, int32_t>>{{0, 0}, {0, 0}, {1024, 300}, {800, 600}, {0, 0}, {kMax, 7}}));
    EXPECT_EQ(log.resize, (std::vector<std::pair<int32_t, int32_t>>{{0, 0}, {1024, 300}, {1024, 600}, {kMax, 600}}));
    EXPECT_EQ(global.framebufferHeight, 600);
    EXPECT_EQ(global.viewport[2], 100000) << "the viewport transform keeps the size asked for";
    global = saved;
    gLog = nullptr;
}

}  // namespace
}  // namespace mora
