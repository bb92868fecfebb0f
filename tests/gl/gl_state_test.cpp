// Queries, tile counts, colour packing and float conversions.
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
    const std::pair<float, int32_t> cases[] = {{-2.9f, -2},
                                               {kNaN, 0},
                                               {kInf, kMax},
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

}  // namespace
}  // namespace mora
