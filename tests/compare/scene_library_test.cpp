// The pieces of the scene tools the comparisons rest on: the mip chain rounding that must match
// MORA's (both renderers must sample the same texels) and the image agreement metrics that judge every
// comparison.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "image_compare.h"
#include "scene_textures.h"

namespace mora_compare {
namespace {

using namespace mora::scene;

TEST(MipChain, OddSizesHalveAndRoundLikeTheDriver) {
    TextureImage base = MakeImage(5, 3);
    // Red channel of the 2x2 block under level-1 texel (1, 0): 1 + 2 + 2 + 2 = 7; the driver's
    // rule gives (7 + 2) >> 2 = 2 where truncating would give 1.
    Texel(base, 2, 0)[0] = 1;
    Texel(base, 3, 0)[0] = Texel(base, 2, 1)[0] = Texel(base, 3, 1)[0] = 2;
    Texel(base, 4, 0)[1] = 200;  // column 4 of a 5-wide level has no partner below 2 x 2: unused
    Texel(base, 0, 0)[2] = 100;
    Texel(base, 1, 0)[2] = 51;
    const std::vector<TextureImage> chain = BuildMipChain(base);
    ASSERT_EQ(chain.size(), 3u);
    EXPECT_EQ((std::vector<int>{chain[1].width, chain[1].height, chain[2].width, chain[2].height}),
              (std::vector<int>{2, 1, 1, 1}));
    EXPECT_EQ(Texel(chain[1], 1, 0)[0], 2);
    EXPECT_EQ(Texel(chain[1], 1, 0)[1], 0);
    EXPECT_EQ(Texel(chain[1], 0, 0)[2], (100 + 51 + 0 + 0 + 2) >> 2);
    // Level 2 from the 2 x 1 level: its one row is used twice.
    const int a = Texel(chain[1], 0, 0)[2];
    const int b = Texel(chain[1], 1, 0)[2];
    EXPECT_EQ(Texel(chain[2], 0, 0)[2], (a + b + a + b + 2) >> 2);
}

TEST(CompareImages, CountsPixelsAboveEightLevelsOnColourOnly) {
    std::vector<uint32_t> a(8, 0xFF404040u);
    std::vector<uint32_t> b = a;
    const ImageDifference same = CompareImages(a, b, 4, 2);
    EXPECT_EQ(same.maxChannelDifference, 0);
    EXPECT_TRUE(std::isinf(same.psnr));
    EXPECT_EQ(same.pixelsOver8, 0u);

    b[1] = 0xFF404048u;  // blue +8: not above 8
    b[2] = 0xFF494040u;  // red +9: above
    b[3] = 0x00404040u;  // alpha only: ignored
    b[6] = 0xFF403740u;  // green -9: above, the first largest in row order is pixel 2
    const ImageDifference d = CompareImages(a, b, 4, 2);
    EXPECT_EQ(d.maxChannelDifference, 9);
    EXPECT_EQ(d.pixelsOver8, 2u);
    EXPECT_DOUBLE_EQ(d.shareOver8, 2.0 / 8.0);
    // Mean square over 8 pixels x 3 channels: (64 + 81 + 81) / 24.
    EXPECT_NEAR(d.psnr, 10.0 * std::log10(255.0 * 255.0 * 24.0 / 226.0), 1e-9);

    // Mismatched sizes count as completely different.
    EXPECT_DOUBLE_EQ(CompareImages(std::vector<uint32_t>(6, 0u), std::vector<uint32_t>(5, 0u), 3, 2).shareOver8, 1.0);
}

}  // namespace
}  // namespace mora_compare
