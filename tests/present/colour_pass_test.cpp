// Colour pass: settings conversion, the folded colour path against the step-by-step shader
// reference, the documented colour cases, and the linear filter at the image edges.
#include <gtest/gtest.h>

#include <cmath>

#include "present/colour_pass.h"
#include "present/post_process_reference.h"
#include "present/test_image.h"

namespace mora {
namespace {

using test::ChannelDistance;
using test::ReferencePixel;
using test::TestImage;

PostProcessConstants Constants(int32_t gamma, int32_t hue, int32_t saturation, int32_t brightness,
                               int32_t videoRange) {
  DriverSettings settings;
  SetSettingValue(settings.GammaX100, gamma);
  SetSettingValue(settings.HueDeg, hue);
  SetSettingValue(settings.SaturationX100, saturation);
  SetSettingValue(settings.BrightnessX100, brightness);
  SetSettingValue(settings.VideoRangeX100, videoRange);
  return PostProcessConstantsFrom(settings);
}

// Runs the pass on a one-row image of the given pixels (equal sizes) and returns the output.
std::vector<uint32_t> RunRow(const std::vector<uint32_t>& pixels, const PostProcessConstants& constants) {
  const auto width = static_cast<int32_t>(pixels.size());
  TestImage source(width, 1);
  TestImage target(width, 1);
  for (int32_t x = 0; x < width; ++x) source.Set(x, 0, pixels[static_cast<size_t>(x)]);
  ColourPass pass;
  EXPECT_TRUE(PrepareColourPass(pass, width, 1, width, 1));
  EXPECT_TRUE(RunColourPass(pass, constants, source.view, target.view));
  std::vector<uint32_t> out(pixels.size());
  for (int32_t x = 0; x < width; ++x) out[static_cast<size_t>(x)] = target.Get(x, 0);
  return out;
}

std::vector<uint32_t> RandomPixels(uint32_t seed, size_t count) {
  std::vector<uint32_t> pixels(count);
  for (auto& p : pixels) p = test::NextPixel(seed);
  // Include the corners of the colour cube.
  const uint32_t corners[] = {0xFF000000u, 0xFFFFFFFFu, 0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0x80808080u};
  for (size_t i = 0; i < std::size(corners) && i < count; ++i) pixels[i] = corners[i];
  return pixels;
}

TEST(PostProcessConstants, ConvertAndClampSettings) {
  const struct {
    int32_t gamma, hue, saturation, brightness, video;
    float expected[5];  // gamma, hue in radians, saturation, brightness, video range
  } cases[] = {
      {100, 0, 100, 100, 0, {1.0f, 0.0f, 1.0f, 1.0f, 0.0f}},
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
  EXPECT_TRUE(IsNeutral(Constants(100, 0, 100, 100, 0)));
  EXPECT_FALSE(IsNeutral(Constants(100, 1, 100, 100, 0)));
}

TEST(ColourPass, NeutralIsACopyAndTheShaderAgreesWithinRounding) {
  const std::vector<uint32_t> pixels = RandomPixels(7, 4096);
  const PostProcessConstants neutral = Constants(100, 0, 100, 100, 0);
  EXPECT_EQ(RunRow(pixels, neutral), pixels);
  for (uint32_t p : pixels) EXPECT_LE(ChannelDistance(ReferencePixel(p, neutral), p), 1) << std::hex << p;
}

TEST(ColourPass, MatchesTheShaderReferenceAcrossSettings) {
  struct Case {
    int32_t gamma, hue, saturation, brightness, video;
  };
  const Case cases[] = {{100, 0, 100, 100, 1},   {100, 37, 100, 100, 0},  {100, -120, 150, 100, 0},
                        {100, 0, 0, 100, 0},     {100, 0, 200, 100, 0},   {50, 0, 100, 100, 0},
                        {150, 0, 100, 100, 0},   {100, 0, 100, 50, 0},    {100, 0, 100, 150, 0},
                        {100, 0, 100, 100, 100}, {73, 90, 130, 120, 40},  {300, 180, 300, 300, 100},
                        {10, -45, 20, 80, 60}};
  const std::vector<uint32_t> pixels = RandomPixels(12345, 2048);
  for (const Case& c : cases) {
    const PostProcessConstants k = Constants(c.gamma, c.hue, c.saturation, c.brightness, c.video);
    const std::vector<uint32_t> out = RunRow(pixels, k);
    int worst = 0;
    for (size_t i = 0; i < pixels.size(); ++i) {
      const int d = ChannelDistance(out[i], ReferencePixel(pixels[i], k));
      worst = d > worst ? d : worst;
      if (d > 1) {
        ADD_FAILURE() << "gamma " << c.gamma << " hue " << c.hue << " sat " << c.saturation << " bright "
                      << c.brightness << " video " << c.video << ": input 0x" << std::hex << pixels[i] << " got 0x"
                      << out[i] << " want 0x" << ReferencePixel(pixels[i], k);
        break;
      }
    }
    EXPECT_LE(worst, 1);
  }
}

TEST(ColourPass, HueEndpointsAndZero) {
  const std::vector<uint32_t> pixels = RandomPixels(99, 1024);
  const std::vector<uint32_t> plus = RunRow(pixels, Constants(100, 180, 100, 100, 0));
  const std::vector<uint32_t> minus = RunRow(pixels, Constants(100, -180, 100, 100, 0));
  // Brightness 90 forces the matrix path; hue 0 must then only scale each channel.
  const std::vector<uint32_t> zero = RunRow(pixels, Constants(100, 0, 100, 90, 0));
  int changed = 0;
  for (size_t i = 0; i < pixels.size(); ++i) {
    EXPECT_LE(ChannelDistance(plus[i], minus[i]), 1) << std::hex << pixels[i];
    changed += plus[i] != pixels[i];
  }
  EXPECT_GT(changed, 900);  // a half turn really changes colours
  for (size_t i = 0; i < pixels.size(); ++i) {
    for (int shift = 0; shift < 24; shift += 8) {
      const float in = static_cast<float>((pixels[i] >> shift) & 0xFF);
      const int want = static_cast<int>(std::floor(in * 0.9f + 0.5f));
      EXPECT_NEAR(static_cast<int>((zero[i] >> shift) & 0xFF), want, 1);
    }
  }
}

TEST(ColourPass, SaturationZeroIsGreyAtRec709Luma) {
  const std::vector<uint32_t> pixels = RandomPixels(5, 1024);
  const std::vector<uint32_t> out = RunRow(pixels, Constants(100, 0, 0, 100, 0));
  for (size_t i = 0; i < pixels.size(); ++i) {
    const uint32_t r = (out[i] >> 16) & 0xFF, g = (out[i] >> 8) & 0xFF, b = out[i] & 0xFF;
    EXPECT_LE(std::max({r, g, b}) - std::min({r, g, b}), 1u) << std::hex << pixels[i];
    const double luma = 0.2126 * ((pixels[i] >> 16) & 0xFF) + 0.7152 * ((pixels[i] >> 8) & 0xFF) +
                        0.0722 * (pixels[i] & 0xFF);
    EXPECT_NEAR(static_cast<double>(g), luma, 1.0) << std::hex << pixels[i];
  }
  // With a hue rotation the grey is the luma of the rotated colour: still grey, other level.
  const std::vector<uint32_t> rotated = RunRow({0xFFFF0000u}, Constants(100, 120, 0, 100, 0));
  const uint32_t r = (rotated[0] >> 16) & 0xFF, g = (rotated[0] >> 8) & 0xFF, b = rotated[0] & 0xFF;
  EXPECT_LE(std::max({r, g, b}) - std::min({r, g, b}), 1u);
  EXPECT_NE(g, 54u);  // 0.2126 x 255 is the unrotated red's grey
}

TEST(ColourPass, VideoRangeEndpointsAndMidpoint) {
  // Full range maps 0..255 to 16..235; half range goes halfway (8 and 245).
  EXPECT_EQ(RunRow({0xFF000000u, 0xFFFFFFFFu}, Constants(100, 0, 100, 100, 100)),
            (std::vector<uint32_t>{0xFF101010u, 0xFFEBEBEBu}));
  EXPECT_EQ(RunRow({0xFF000000u, 0xFFFFFFFFu}, Constants(100, 0, 100, 100, 50)),
            (std::vector<uint32_t>{0xFF080808u, 0xFFF5F5F5u}));
}

TEST(ColourPass, BrightnessClipsBeforeGammaAndAlphaPasses) {
  // 200 x 1.5 clips to 1; gamma 1.5 cannot bring it down again. 100 x 1.5 = 150 -> (150/255)^1.5.
  const std::vector<uint32_t> out = RunRow({0x40C8C8C8u, 0x7F646464u}, Constants(150, 0, 100, 150, 0));
  EXPECT_EQ(out[0], 0x40FFFFFFu);
  const int want = static_cast<int>(std::floor(std::pow(150.0 / 255.0, 1.5) * 255.0 + 0.5));
  EXPECT_NEAR(static_cast<int>(out[1] & 0xFF), want, 1);
  EXPECT_EQ(out[1] >> 24, 0x7Fu);
}

TEST(ColourPass, ScalesWithLinearFilteringAndClamping) {
  // A 2x2 source: black and white columns, alpha 0xFF.
  TestImage source(2, 2);
  for (int32_t y = 0; y < 2; ++y) {
    source.Set(0, y, 0xFF000000u);
    source.Set(1, y, 0xFFFFFFFFu);
  }
  TestImage target(4, 3);
  ColourPass pass;
  ASSERT_TRUE(PrepareColourPass(pass, 2, 2, 4, 3));
  ASSERT_TRUE(RunColourPass(pass, Constants(100, 0, 100, 100, 0), source.view, target.view));
  // Texel x at output 0..3: -0.25 (clamped to black), 0.25, 0.75, 1.25 (clamped to white).
  const uint32_t expected[4] = {0xFF000000u, 0xFF404040u, 0xFFBFBFBFu, 0xFFFFFFFFu};
  for (int32_t y = 0; y < 3; ++y) {
    for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(target.Get(x, y), expected[x]) << x << "," << y;
  }
  // Downscaling 4 -> 2 averages neighbours; colour settings apply after filtering.
  TestImage wide(4, 1);
  wide.Set(0, 0, 0xFF000000u);
  wide.Set(1, 0, 0xFF646464u);
  wide.Set(2, 0, 0xFFC8C8C8u);
  wide.Set(3, 0, 0xFFFFFFFFu);
  TestImage narrow(2, 1);
  ASSERT_TRUE(PrepareColourPass(pass, 4, 1, 2, 1));
  ASSERT_TRUE(RunColourPass(pass, Constants(100, 0, 100, 100, 100), wide.view, narrow.view));
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
  ASSERT_TRUE(RunColourPass(pass, Constants(100, 0, 100, 100, 0), source.view, target.view));
  for (int32_t y = 0; y < 4; ++y) {
    for (int32_t x = 0; x < 6; ++x) EXPECT_EQ(target.Get(x, y), 0xFF102030u);
    const uint8_t* padding = target.view.pixels + static_cast<size_t>(y) * target.view.rowPitch + 24;
    for (int i = 0; i < 8; ++i) EXPECT_EQ(padding[i], 0x77) << "row " << y;
  }
  TestImage other(5, 4);
  EXPECT_FALSE(RunColourPass(pass, Constants(100, 0, 100, 100, 0), source.view, other.view));
  EXPECT_FALSE(PrepareColourPass(pass, 0, 2, 6, 4));
  EXPECT_FALSE(PrepareColourPass(pass, 3, 2, 6, 16385));
}

}  // namespace
}  // namespace mora
