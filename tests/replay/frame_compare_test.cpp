// The per-frame difference: largest channel difference, differing pixel count and PSNR.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "frame_compare.h"

namespace mora_replay_test {
namespace {

using mora::replay::CompareBgra;
using mora::replay::WithinTolerance;

TEST(FrameCompare, IdenticalImagesHaveInfinitePsnrAndOtherSizesAreAMismatch) {
    std::vector<uint8_t> image(4 * 50);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 13);
    const auto same = CompareBgra(image, image);
    EXPECT_FALSE(same.sizeMismatch);
    EXPECT_EQ(same.maxChannelDifference, 0);
    EXPECT_EQ(same.differingPixels, 0u);
    EXPECT_EQ(same.pixelCount, 50u);
    EXPECT_TRUE(std::isinf(same.psnr));
    EXPECT_TRUE(WithinTolerance(same, 0));
    // A size mismatch is never within any tolerance, even with every byte equal.
    const auto mismatch = CompareBgra(image, std::vector<uint8_t>(image.begin(), image.end() - 4));
    EXPECT_TRUE(mismatch.sizeMismatch);
    EXPECT_FALSE(WithinTolerance(mismatch, 255));
}

TEST(FrameCompare, CountsPixelsNotChannels) {
    std::vector<uint8_t> reference(4 * 100, 128);
    std::vector<uint8_t> actual = reference;
    actual[4 * 7 + 0] = 128 + 20;  // one pixel, three channels, up and down
    actual[4 * 7 + 1] = 128 - 3;
    actual[4 * 7 + 3] = 128 + 1;
    actual[4 * 50 + 2] = 255;      // a second pixel: difference 127
    const auto difference = CompareBgra(actual, reference);
    EXPECT_EQ(difference.maxChannelDifference, 127);
    EXPECT_EQ(difference.differingPixels, 2u);
    EXPECT_EQ(difference.pixelCount, 100u);
    const double meanSquared = (400.0 + 9.0 + 1.0 + 127.0 * 127.0) / 400.0;
    EXPECT_NEAR(difference.psnr, 10.0 * std::log10(255.0 * 255.0 / meanSquared), 1e-9);
    EXPECT_TRUE(WithinTolerance(difference, 127));
    EXPECT_FALSE(WithinTolerance(difference, 126));
}

}  // namespace
}  // namespace mora_replay_test
