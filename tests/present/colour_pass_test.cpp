// Colour pass: settings conversion, the folded colour path against the step-by-step shader
// reference (saturation, video range and alpha included), and the linear filter at the image
// edges.
#include <gtest/gtest.h>

#include "present/colour_pass.h"
#include "present/post_process_reference.h"
#include "present/test_image.h"

namespace mora {
namespace {

using test::ChannelDistance;
using test::ReferencePixel;
using test::TestImage;

PostProcessConstants Constants(int32_t gamma, int32_t hue, int32_t saturation, int32_t brightness, int32_t videoRange) {
    DriverSettings settings;
    SetSettingValue(settings.GammaX100, gamma);
    SetSettingValue(settings.HueDeg, hue);
    SetSettingValue(settings.SaturationX100, saturation);
    SetSettingValue(settings.BrightnessX100, brightness);
    SetSettingValue(settings.VideoRangeX100, videoRange);
    return PostProcessConstantsFrom(settings);
}
const PostProcessConstants kNeutral = Constants(100, 0, 100, 100, 0);

// Runs the pass from `source` to a target of the given size; the target's pixels come back.
TestImage RunPass(const TestImage& source, int32_t width, int32_t height, const PostProcessConstants& constants) {
    TestImage target(width, height);
    ColourPass pass;
    EXPECT_TRUE(PrepareColourPass(pass, source.view.width, source.view.height, width, height));
    EXPECT_TRUE(RunColourPass(pass, constants, source.view, target.view));
    return target;
}

// Runs the pass on a one-row image of the given pixels (equal sizes) and returns the output.
std::vector<uint32_t> RunRow(const std::vector<uint32_t>& pixels, const PostProcessConstants& constants) {
    const auto width = static_cast<int32_t>(pixels.size());
    TestImage source(width, 1);
    for (int32_t x = 0; x < width; ++x) source.Set(x, 0, pixels[static_cast<size_t>(x)]);
    const TestImage target = RunPass(source, width, 1, constants);
    std::vector<uint32_t> out(pixels.size());
    for (int32_t x = 0; x < width; ++x) out[static_cast<size_t>(x)] = target.Get(x, 0);
    return out;
}

// Pseudo-random pixels that start with the corners of the colour cube.
std::vector<uint32_t> RandomPixels(uint32_t seed, size_t count) {
    std::vector<uint32_t> pixels(count);
    for (auto& p : pixels) p = test::NextPixel(seed);
    const uint32_t corners[] = {0xFF000000u, 0xFFFFFFFFu, 0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0x80808080u};
    std::copy(std::begin(corners), std::end(corners), pixels.begin());
    return pixels;
}

TEST(PostProcessConstants, ConvertAndClampSettings) {
    const struct {
        int32_t gamma, hue, saturation, brightness, video;
        float expected[5];  // gamma, hue in radians, saturation, brightness, video range
    } cases[] = {
        {5, -500, 100, 100, 0, {0.1f, -180.0f * 0.017453292f, 1.0f, 1.0f, 0.0f}},
        {500, 500, 900, 400, 250, {3.0f, 180.0f * 0.017453292f, 3.0f, 3.0f, 1.0f}},
        // Unsigned fields: a negative word is a huge value and takes the upper bound.
        {-1, 0, -1, -1, -1, {3.0f, 0.0f, 3.0f, 3.0f, 1.0f}},
    };
    for (const auto& c : cases) {
        const PostProcessConstants k = Constants(c.gamma, c.hue, c.saturation, c.brightness, c.video);
        const float got[5] = {k.gamma, k.hueRadians, k.saturation, k.brightness, k.videoRange};
        for (int i = 0; i < 5; ++i) EXPECT_FLOAT_EQ(got[i], c.expected[i]) << "gamma " << c.gamma << " value " << i;
    }
    EXPECT_TRUE(IsNeutral(kNeutral));
    EXPECT_FALSE(IsNeutral(Constants(100, 1, 100, 100, 0)));
}

TEST(ColourPass, NeutralIsACopyAndTheShaderAgreesWithinRounding) {
    const std::vector<uint32_t> pixels = RandomPixels(7, 4096);
    EXPECT_EQ(RunRow(pixels, kNeutral), pixels);
    for (uint32_t p : pixels) EXPECT_LE(ChannelDistance(ReferencePixel(p, kNeutral), p), 1) << std::hex << p;
}

// Both ends of the hue range (a half turn either way), and brightness without hue (the matrix path
// that must only scale), are among the cases.
TEST(ColourPass, MatchesTheShaderReferenceAcrossSettings) {
    const int32_t cases[][5] = {{100, 0, 100, 100, 1},    {100, -120, 150, 100, 0},  {100, 180, 100, 100, 0},
                                {100, -180, 100, 100, 0}, {100, 0, 0, 100, 0},       {50, 0, 100, 100, 0},
                                {100, 0, 100, 90, 0},     {100, 0, 100, 150, 0},     {100, 0, 100, 100, 100},
                                {73, 90, 130, 120, 40},   {300, 180, 300, 300, 100}, {10, -45, 20, 80, 60}};
    const std::vector<uint32_t> pixels = RandomPixels(12345, 2048);
    for (const auto& c : cases) {
        const PostProcessConstants k = Constants(c[0], c[1], c[2], c[3], c[4]);
        const std::vector<uint32_t> out = RunRow(pixels, k);
        int changed = 0;
        for (size_t i = 0; i < pixels.size(); ++i) {
            changed += out[i] != pixels[i];
            if (ChannelDistance(out[i], ReferencePixel(pixels[i], k)) > 1) {
                ADD_FAILURE() << "case " << (&c - cases) << ", input " << std::hex << pixels[i];
                break;
            }
        }
        if (c[1] == 180 || c[1] == -180) {
            EXPECT_GT(changed, 1800) << "hue " << c[1];  // a half turn really changes colours
        }
    }
}

TEST(ColourPass, ScalesWithLinearFilteringAndClamping) {
    TestImage source(2, 2);  // black and white columns
    for (int32_t y = 0; y < 2; ++y) source.Set(0, y, 0xFF000000u), source.Set(1, y, 0xFFFFFFFFu);
    const TestImage target = RunPass(source, 4, 3, kNeutral);
    // Texel x at output 0..3: -0.25 (clamped to black), 0.25, 0.75, 1.25 (clamped to white).
    const uint32_t expected[4] = {0xFF000000u, 0xFF404040u, 0xFFBFBFBFu, 0xFFFFFFFFu};
    for (int32_t y = 0; y < 3; ++y) {
        for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(target.Get(x, y), expected[x]) << x << "," << y;
    }
    // Downscaling 4 -> 2 averages neighbours; colour settings apply after filtering.
    TestImage wide(4, 1);
    const uint32_t row[4] = {0xFF000000u, 0xFF646464u, 0xFFC8C8C8u, 0xFFFFFFFFu};
    for (int32_t x = 0; x < 4; ++x) wide.Set(x, 0, row[x]);
    const TestImage narrow = RunPass(wide, 2, 1, Constants(100, 0, 100, 100, 100));
    // (0 + 100) / 2 = 50 -> 50 x 219/255 + 16 = 58.9; (200 + 255) / 2 = 227.5 -> 211.4.
    EXPECT_EQ(narrow.Get(0, 0), 0xFF3B3B3Bu);
    EXPECT_EQ(narrow.Get(1, 0), 0xFFD3D3D3u);
}

TEST(ColourPass, HonoursPitchAndRejectsUnpreparedSizes) {
    TestImage source(3, 2, 64, 0x55);  // padding bytes must never reach the output
    source.Fill(0xFF102030u);
    TestImage target(6, 4, 8, 0x77);
    ColourPass pass;
    ASSERT_TRUE(PrepareColourPass(pass, 3, 2, 6, 4));
    ASSERT_TRUE(RunColourPass(pass, kNeutral, source.view, target.view));
    for (int32_t y = 0; y < 4; ++y) {
        for (int32_t x = 0; x < 6; ++x) EXPECT_EQ(target.Get(x, y), 0xFF102030u);
        const uint8_t* padding = target.view.pixels + static_cast<size_t>(y) * target.view.rowPitch + 24;
        EXPECT_EQ(std::vector<uint8_t>(padding, padding + 8), std::vector<uint8_t>(8, 0x77)) << "row " << y;
    }
    TestImage other(5, 4);
    EXPECT_FALSE(RunColourPass(pass, kNeutral, source.view, other.view));
    EXPECT_FALSE(PrepareColourPass(pass, 0, 2, 6, 4));
    EXPECT_FALSE(PrepareColourPass(pass, 3, 2, 6, 16385));
}

}  // namespace
}  // namespace mora
