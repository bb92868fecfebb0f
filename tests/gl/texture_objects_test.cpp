// Texture names, binding, parameters, uploads in the six formats, mip chains and limits.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>
#include <vector>

#include "gl/pending_keyframe.h"
#include "gl/texture_objects.h"

namespace mora {
namespace {

constexpr uint32_t kTex2D = gle::kTexture2D;
constexpr uint32_t kUByte = gle::kUnsignedByte;

class TextureTest : public ::testing::Test {
protected:
    std::unique_ptr<GlContext> owned = std::make_unique<GlContext>();
    GlContext& ctx = *owned;

    const TextureSlot& Slot(uint32_t name) { return ctx.textureTable.at(name); }
    uint32_t Texel(uint32_t name, int level, int x, int y) {
        const TextureSlot& s = Slot(name);
        return s.texels.at(static_cast<size_t>(s.levelOffset[level] / 4 + y * s.levelWidth[level] + x));
    }
};

// Random generation, deletion and binding (growing the table past several index levels), and a
// table changed behind the index's back, against the rule: the lowest free name from 1 up.
TEST_F(TextureTest, GeneratedNamesFollowTheLowestFreeRuleThroughAnyHistory) {
    std::set<uint32_t> used = {0};
    const auto expectedNext = [&] {
        uint32_t name = 1;
        while (used.count(name) != 0 && name < ctx.textureTable.size()) ++name;
        return name;
    };
    std::mt19937 random(13);
    for (int step = 0; step < 3000; ++step) {
        const uint32_t pick = random() % 300000u;
        switch (random() % 4) {
            case 0:
                BindTexture(ctx, kTex2D, pick, nullptr);
                used.insert(pick);
                break;
            case 1: {
                const auto it = used.lower_bound(pick % (ctx.textureTable.size() + 1));
                if (it == used.end() || *it == 0) break;
                const uint32_t name = *it;
                DeleteTextures(ctx, 1, &name, nullptr);
                used.erase(name);
                break;
            }
            default: {
                const uint32_t want = expectedNext();
                uint32_t name = 0;
                ASSERT_EQ(GenTextures(ctx, 1, &name, nullptr), TextureResult::Applied);
                ASSERT_EQ(name, want) << "step " << step;
                used.insert(name);
            }
        }
        if (step == 1500) {  // as a Keyframe restore does: slots change without the texture calls
            for (uint32_t name = 1; name < 64; ++name) {
                ctx.textureTable[name].inUse = 0;
                used.erase(name);
            }
            ctx.textureNames.stale = true;
        }
    }
}

TEST_F(TextureTest, BindingCreatesTheNameWithoutAnImage) {
    ASSERT_EQ(BindTexture(ctx, 0x0DE0, 7, nullptr), TextureResult::Ignored);  // GL_TEXTURE_1D
    EXPECT_TRUE(ctx.textureTable.empty());
    ASSERT_EQ(BindTexture(ctx, kTex2D, 7, nullptr), TextureResult::Applied);
    ASSERT_EQ(ctx.textureTable.size(), 8u);
    EXPECT_EQ(ctx.boundTexture, 7u);
    EXPECT_EQ((std::vector<int32_t>{Slot(0).inUse, Slot(3).inUse, Slot(7).inUse}), (std::vector<int32_t>{1, 0, 1}));
    EXPECT_FALSE(IsTexture(ctx, 7) || IsTexture(ctx, 0) || IsTexture(ctx, 1000));
}

TEST_F(TextureTest, MipChainsOfFiveByThreeAndOfTheLongestSixteenLevels) {
    std::vector<uint8_t> rgb(5 * 3 * 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(i * 5 + 1);
    ASSERT_EQ(TexImage2D(ctx, kTex2D, 0, 5, 3, gle::kRgb, kUByte, rgb.data(), nullptr), TextureResult::Applied);
    const TextureSlot& s = Slot(0);
    ASSERT_EQ(s.levelCount, 3);
    const auto levels = [](const int32_t* field, int count) { return std::vector<int32_t>(field, field + count); };
    EXPECT_EQ(levels(s.levelWidth, 4), (std::vector<int32_t>{5, 2, 1, 0}));  // unused levels stay 0
    EXPECT_EQ(levels(s.levelHeight, 3), (std::vector<int32_t>{3, 1, 1}));
    EXPECT_EQ(levels(s.levelOffset, 3), (std::vector<int32_t>{0, 60, 68}));
    // Level 1's second texel averages columns 2 and 3 of rows 0 and 1 (column 4 and row 2 drop
    // out), rounding half up; checked on blue.
    const auto blue = [&](int x, int y) { return uint32_t{rgb[static_cast<size_t>((y * 5 + x) * 3 + 2)]}; };
    EXPECT_EQ(Texel(0, 1, 1, 0) & 255u, (blue(2, 0) + blue(3, 0) + blue(2, 1) + blue(3, 1) + 2) >> 2);
    // The longest chain fills all sixteen levels.
    ASSERT_EQ(TexImage2D(ctx, kTex2D, 0, 65536, 1, gle::kRgba, kUByte, nullptr, nullptr), TextureResult::Applied);
    EXPECT_EQ((std::vector<int32_t>{s.levelCount, s.levelWidth[15], s.levelHeight[15],
                                    static_cast<int32_t>(s.texels.size())}),
              (std::vector<int32_t>{16, 2, 1, 131070}));
}

// Two texels per format: the second shows how far each format advances per texel.
TEST_F(TextureTest, SixUploadFormatsConvertToArgb) {
    const uint8_t bytes[8] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
    struct Case {
        uint32_t format;
        std::vector<uint32_t> expected;
    };
    const Case cases[] = {{gle::kRgba, {0x44112233u, 0x88556677u}},      {gle::kRgb, {0xFF112233u, 0xFF445566u}},
                          {gle::kBgraExt, {0x44332211u, 0x88776655u}},   {gle::kBgrExt, {0xFF332211u, 0xFF665544u}},
                          {gle::kLuminance, {0xFF111111u, 0xFF222222u}}, {gle::kAlpha, {0x11FFFFFFu, 0x22FFFFFFu}}};
    for (const Case& c : cases) {
        std::vector<uint32_t> texels(2);
        ASSERT_TRUE(ConvertTexelRow(c.format, kUByte, bytes, 2, texels.data())) << c.format;
        EXPECT_EQ(texels, c.expected) << std::hex << c.format;
    }
    uint32_t untouched = 7;
    EXPECT_FALSE(ConvertTexelRow(0x190A, kUByte, bytes, 1, &untouched));      // GL_LUMINANCE_ALPHA
    EXPECT_FALSE(ConvertTexelRow(gle::kRgba, 0x1406, bytes, 1, &untouched));  // GL_FLOAT
    EXPECT_EQ(untouched, 7u);
}

TEST_F(TextureTest, RejectedFormatsLeaveAnOpaqueBlackImage) {
    const uint8_t bytes[32] = {0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F};
    ASSERT_EQ(TexImage2D(ctx, kTex2D, 0, 2, 2, 0x190A, kUByte, bytes, nullptr), TextureResult::Applied);
    EXPECT_EQ(Slot(0).hasImage, 1);
    EXPECT_EQ(Slot(0).texels, std::vector<uint32_t>(5, 0xFF000000u));  // 2 x 2 and its 1 x 1 level
    ASSERT_EQ(TexImage2D(ctx, kTex2D, 0, 2, 2, gle::kRgba, 0x1406, bytes, nullptr), TextureResult::Applied);
    EXPECT_EQ(Texel(0, 0, 0, 0), 0xFF000000u);
}

TEST_F(TextureTest, SubImageWritesInsideTheImageOnly) {
    ASSERT_EQ(TexImage2D(ctx, kTex2D, 0, 4, 4, gle::kRgba, kUByte, nullptr, nullptr), TextureResult::Applied);
    const uint8_t rgba[8] = {10, 20, 30, 40, 50, 60, 70, 80};
    const uint32_t mipBefore = Texel(0, 1, 1, 1);
    ASSERT_EQ(TexSubImage2D(ctx, kTex2D, 0, 2, 3, 2, 1, gle::kRgba, kUByte, rgba, nullptr), TextureResult::Applied);
    EXPECT_EQ(Texel(0, 0, 2, 3), 0x280A141Eu);
    EXPECT_EQ(Texel(0, 0, 3, 3), 0x50323C46u);
    EXPECT_EQ(Texel(0, 0, 1, 3), 0xFF000000u);
    EXPECT_EQ(Texel(0, 1, 1, 1), mipBefore);  // levels 1 and up are not rebuilt

    const std::vector<uint32_t> before = Slot(0).texels;
    EXPECT_EQ(TexSubImage2D(ctx, kTex2D, 0, 3, 0, 2, 1, gle::kRgba, kUByte, rgba, nullptr), TextureResult::Ignored);
    EXPECT_EQ(TexSubImage2D(ctx, kTex2D, 0, -1, 0, 1, 1, gle::kRgba, kUByte, rgba, nullptr), TextureResult::Ignored);
    EXPECT_EQ(TexSubImage2D(ctx, kTex2D, 1, 0, 0, 1, 1, gle::kRgba, kUByte, rgba, nullptr), TextureResult::Ignored);
    EXPECT_EQ(TexSubImage2D(ctx, kTex2D, 0, 0, 0, 1, 1, gle::kRgba, kUByte, nullptr, nullptr), TextureResult::Ignored);
    EXPECT_EQ(TexSubImage2D(ctx, kTex2D, 0, 0x7FFFFFFF, 0, 1, 1, gle::kRgba, kUByte, rgba, nullptr),
              TextureResult::Ignored);
    EXPECT_EQ(Slot(0).texels, before);
}

// Other levels and targets, empty images and a bound name beyond the table are ignored; limits are
// refused; neither changes anything.
TEST_F(TextureTest, IgnoredAndRefusedCallsChangeNothing) {
    const uint8_t rgba[4] = {1, 2, 3, 4};
    EXPECT_EQ(TexImage2D(ctx, kTex2D, 1, 1, 1, gle::kRgba, kUByte, rgba, nullptr), TextureResult::Ignored);
    EXPECT_EQ(TexImage2D(ctx, 0x0DE0, 0, 1, 1, gle::kRgba, kUByte, rgba, nullptr), TextureResult::Ignored);
    EXPECT_EQ(TexImage2D(ctx, kTex2D, 0, 0, 1, gle::kRgba, kUByte, rgba, nullptr), TextureResult::Ignored);
    EXPECT_FALSE(!ctx.textureTable.empty() && ctx.textureTable[0].hasImage);
    ctx.boundTexture = 50;  // a bound name beyond the table: no bound slot
    EXPECT_EQ(TexImage2D(ctx, kTex2D, 0, 1, 1, gle::kRgba, kUByte, rgba, nullptr), TextureResult::Ignored);
    EXPECT_EQ(TexParameteri(ctx, kTex2D, gle::kTextureWrapS, 0x2900, nullptr), TextureResult::Ignored);
    ctx.boundTexture = 0;
    EXPECT_EQ(BindTexture(ctx, kTex2D, 0xB40B40u, nullptr), TextureResult::Refused);
    EXPECT_EQ(BindTexture(ctx, kTex2D, 0xFFFFFFFFu, nullptr), TextureResult::Refused);
    EXPECT_EQ(ctx.boundTexture, 0u);
    // 23171 x 23171 texels need just over 2 GiB with their chain.
    EXPECT_EQ(TexImage2D(ctx, kTex2D, 0, 23171, 23171, gle::kRgba, kUByte, nullptr, nullptr), TextureResult::Refused);
    EXPECT_EQ(TexImage2D(ctx, kTex2D, 0, 0x7FFFFFFF, 0x7FFFFFFF, gle::kRgba, kUByte, nullptr, nullptr),
              TextureResult::Refused);
    EXPECT_EQ(Slot(0).hasImage, 0);
}

TEST_F(TextureTest, BoundedPixelsStopAtTheLastCompleteRow) {
    const uint8_t rgb[9] = {1, 1, 1, 2, 2, 2, 3, 3, 3};
    ASSERT_EQ(TexImage2DBounded(ctx, kTex2D, 0, 1, 3, gle::kRgb, kUByte, rgb, 7, nullptr), TextureResult::Applied);
    EXPECT_EQ(Texel(0, 0, 0, 0), 0xFF010101u);
    EXPECT_EQ(Texel(0, 0, 0, 1), 0xFF020202u);
    EXPECT_EQ(Texel(0, 0, 0, 2), 0xFF000000u);
}

TEST_F(TextureTest, ParameterTouchesTheSlotOnlyWhenTheValueChanges) {
    uint32_t name = 0;
    GenTextures(ctx, 1, &name, nullptr);
    BindTexture(ctx, kTex2D, name, nullptr);
    PendingKeyframe pending;
    ASSERT_TRUE(ClosePendingKeyframe(pending, ctx));
    TexParameteri(ctx, kTex2D, gle::kTextureMinFilter, static_cast<int32_t>(gle::kLinearMipmapLinear), &pending);
    EXPECT_TRUE(pending.slotIndices.empty());
    TexParameteri(ctx, kTex2D, gle::kTextureMinFilter, 0x2600, &pending);
    ASSERT_EQ(pending.slotIndices, std::vector<uint32_t>{name});
    EXPECT_EQ(pending.savedSlots[0].minFilter, gle::kLinearMipmapLinear);
    EXPECT_EQ(Slot(name).minFilter, 0x2600u);
}

}  // namespace
}  // namespace mora
