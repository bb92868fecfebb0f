// Targeted kernel behaviour, run on every build the processor supports: the fill rule on shared
// edges, HiZ, partial tiles, trilinear level choice, unusable textures and quarter-rate shading.
// Depth functions, blending, texture environments, filters and the alpha test are held by the
// scalar-reference comparison (kernel_reference_test.cpp) and the OSMesa comparisons.
#include <gtest/gtest.h>

#include "raster/cpu_features.h"
#include "raster/isa_dispatch.h"
#include "raster_scene.h"

namespace mora::raster::test {
namespace {

constexpr uint32_t kBlack = 0xFF000000u;

int ChannelOf(uint32_t word, int shift) { return static_cast<int>((word >> shift) & 0xFFu); }

Surface Black(int32_t width = 8, int32_t height = 8, float depth = 1.0f, float hiz = 1.0f) {
    return MakeSurface(width, height, 4, kBlack, depth, hiz);
}

// A triangle over every pixel of a surface up to 40x40.
SetupTriangle Cover(uint32_t colour) { return PlainTriangle(-20, -20, 60, -20, -20, 60, colour); }

SetupTriangle Opaque(float z, uint32_t colour) {
    SetupTriangle t = Cover(colour);
    t.z0 = t.z1 = t.z2 = t.zmin = t.zmax = z;
    t.depthTest = t.depthWrite = 1;
    t.depthFunc = kDepthLequal;
    return t;
}

SetupTriangle MovedTo(SetupTriangle t, float x0, float y0, float x1, float y1, float x2, float y2) {
    t.x0 = x0, t.y0 = y0, t.x1 = x1, t.y1 = y1, t.x2 = x2, t.y2 = y2;
    return t;
}

// Additive "1" per triangle onto black: a pixel written twice would read 2.
SetupTriangle Counter(float x0, float y0, float x1, float y1, float x2, float y2) {
    SetupTriangle t = PlainTriangle(x0, y0, x1, y1, x2, y2, 0x00010101u);
    t.blendCode = kBlendAdditive;
    return t;
}

// A slot sampled at one texture coordinate everywhere (equal s, t at all vertices).
SetupTriangle TexturedAt(float s, float t, uint32_t filter, uint32_t env = kEnvReplace) {
    SetupTriangle tri = Cover(0xFF808080u);
    tri.s0 = tri.s1 = tri.s2 = s;
    tri.t0 = tri.t1 = tri.t2 = t;
    tri.textureSlot = 0;
    tri.filterClass = filter;
    tri.texEnv = env;
    return tri;
}

// The cache of one slot (the slot is kept alive beside it).
struct OneTexture {
    std::vector<TextureSlot> slots;
    std::vector<TextureCacheEntry> cache;
    explicit OneTexture(TextureSlot slot) : slots{std::move(slot)} { BuildTextureCache(slots, 0, cache); }
};

// Level 0 white, level 1 black, smaller levels green: which level a trilinear sample reads shows.
OneTexture Chain(int size) {
    return OneTexture(MakeTextureSlot(size, size, [](int level, int, int) {
        return level == 0 ? 0xFFFFFFFFu : (level == 1 ? kBlack : 0xFF00FF00u);
    }));
}

class KernelCaseTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        variant_ = &KernelVariants()[size_t(GetParam())];
        if (!IsaSupported(variant_->isa)) GTEST_SKIP() << variant_->name << " is not supported by this processor";
    }

    void Render(Surface& surface, const std::vector<SetupTriangle>& triangles, uint32_t vrsMode = 0,
                const std::vector<TextureCacheEntry>& cache = {}) {
        RenderSurface(KernelTile(variant_->kernel), MakeJob(surface, triangles, cache, vrsMode), surface,
                      triangles.size());
        ASSERT_EQ(surface.DamagedGuard(), "");
    }
    // The colour of pixel (x, y) of a fresh black surface with `t` drawn over it.
    uint32_t Drawn(const SetupTriangle& t, const OneTexture& texture, int32_t x = 3, int32_t y = 3) {
        Surface s = Black();
        Render(s, {t}, 0, texture.cache);
        return s.Colour(x, y);
    }

    const KernelVariant* variant_ = nullptr;
};

TEST_P(KernelCaseTest, EdgesThroughPixelCentresAreDrawnExactlyOnceForBothWindings) {
    // A fan around the pixel centre (8.5, 8.5); its spokes run through pixel centres.
    const std::vector<SetupTriangle> fan = {
        Counter(8.5f, 8.5f, 0.0f, 0.0f, 17.0f, 0.0f), Counter(8.5f, 8.5f, 17.0f, 0.0f, 17.0f, 17.0f),
        Counter(8.5f, 8.5f, 17.0f, 17.0f, 0.0f, 17.0f), Counter(8.5f, 8.5f, 0.0f, 17.0f, 0.0f, 0.0f)};
    // A square split along a vertical and a horizontal line of pixel centres.
    const std::vector<SetupTriangle> cross = {
        Counter(0, 0, 5.5f, 0, 5.5f, 17),      Counter(0, 0, 5.5f, 17, 0, 17),
        Counter(5.5f, 0, 17, 0, 17, 9.5f),     Counter(5.5f, 0, 17, 9.5f, 5.5f, 9.5f),
        Counter(5.5f, 9.5f, 17, 9.5f, 17, 17), Counter(5.5f, 9.5f, 17, 17, 5.5f, 17)};
    for (const auto& mesh : {fan, cross}) {
        for (bool reversed : {false, true}) {
            std::vector<SetupTriangle> triangles = mesh;
            if (reversed)
                for (SetupTriangle& t : triangles) std::swap(t.x1, t.x2), std::swap(t.y1, t.y2);
            for (uint32_t vrs : {0u, 1u, 2u}) {
                Surface s = MakeSurface(17, 17, 8, 0, 1.0f, 1.0f);
                Render(s, triangles, vrs);
                for (int y = 0; y < 17; ++y)
                    for (int x = 0; x < 17; ++x)
                        ASSERT_EQ(s.Colour(x, y), 0x00010101u) << x << "," << y << " vrs " << vrs << " " << reversed;
            }
        }
    }
}

TEST_P(KernelCaseTest, StaleHiZRejectsOnlyOpaqueLequalTriangles) {
    Surface s = Black(8, 8, 1.0f, 0.3f);
    Render(s, {Opaque(0.5f, 0xFFFF0000u)});
    EXPECT_EQ(s.Colour(3, 3), kBlack);
    EXPECT_EQ(s.Depth(3, 3), 1.0f);

    SetupTriangle blended = Opaque(0.5f, 0xFFFF0000u);
    blended.blendCode = kBlendAdditive;  // not a HiZ candidate: the depth buffer decides
    Render(s, {blended});
    EXPECT_EQ(s.Colour(3, 3), 0xFFFF0000u);
    EXPECT_EQ(s.hiz[0], 0.3f);
}

TEST_P(KernelCaseTest, LaterFullTileOccluderHidesAnEarlierTriangle) {
    // The occluder's right edge runs through the centres of column 7: the corner test counts them
    // inside, the fill rule leaves them undrawn, so column 7 shows whether the first triangle ran.
    const SetupTriangle occluder = MovedTo(Opaque(0.2f, 0xFF00FF00u), 7.5f, -100.0f, 7.5f, 100.0f, -100.0f, 0.0f);
    SetupTriangle hidden = Opaque(0.5f, 0xFFFF0000u);
    Surface s = Black();
    Render(s, {hidden, occluder});
    EXPECT_EQ(s.hiz[0], 0.2f);
    for (int y = 0; y < 8; ++y) {
        EXPECT_EQ(s.Colour(7, y), kBlack) << y;
        EXPECT_EQ(s.Colour(6, y), 0xFF00FF00u) << y;
    }
    hidden.zmin = -1e30f;  // HiZ disabled upstream: depth bounds never reject
    hidden.zmax = 1e30f;
    Surface control = Black();
    Render(control, {hidden, occluder});
    EXPECT_EQ(control.Colour(7, 2), 0xFFFF0000u);
}

TEST_P(KernelCaseTest, ZeroAreaTrianglesAndEmptyBinsChangeNothing) {
    Surface s = Black();
    Render(s, {MovedTo(Opaque(0.1f, ~0u), 3, 3, 3, 3, 3, 3), MovedTo(Opaque(0.1f, ~0u), 0, 0, 8, 8, 4, 4)});
    EXPECT_EQ(s.hiz[0], 1.0f);
    EXPECT_EQ(s.Colour(4, 4), kBlack);

    float hiz = 0.75f;
    const RasterJob job = MakeJob(s, {Opaque(0.1f, ~0u)}, {}, 0);
    const uint32_t bin[1] = {0};
    variant_->kernel(job, 0, 0, 8, 8, nullptr, 0, &hiz);
    variant_->kernel(job, 0, 0, 8, 8, bin, -1, &hiz);
    EXPECT_EQ(hiz, 0.75f);
    EXPECT_EQ(s.Colour(4, 4), kBlack);
}

TEST_P(KernelCaseTest, PartialEdgeTilesStopAtTheSurfaceAndUseClippedCorners) {
    // 13x11: the right and bottom tiles are 5 and 3 pixels. The occluder's corner lies just past
    // the pixel centre (12.5, 10.5): it covers the clipped corner tile but not a full one.
    const SetupTriangle occluder = MovedTo(Opaque(0.4f, 0xFF0000FFu), -100.0f, 10.75f, 12.75f, 10.75f, 12.75f, -100.0f);
    Surface s = MakeSurface(13, 11, 8, kBlack, 1.0f, 1.0f);
    Render(s, {occluder});
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 13; ++x) ASSERT_EQ(s.Colour(x, y), 0xFF0000FFu) << x << "," << y;
    EXPECT_EQ(s.hiz, std::vector<float>(4, 0.4f));

    Surface whole = MakeSurface(16, 16, 8, kBlack, 1.0f, 1.0f);
    Render(whole, {occluder});
    EXPECT_EQ(whole.hiz[0], 0.4f);
    EXPECT_EQ(whole.hiz[3], 1.0f);
    EXPECT_EQ(whole.Colour(13, 5), kBlack);
}

TEST_P(KernelCaseTest, TrilinearReadsLevelZeroWhenMagnifiedAndTheLastLevelPastTheChain) {
    SetupTriangle t = TexturedAt(0, 0, kFilterTrilinear);
    t.s1 = t.t2 = 0.5f;  // 0.5 over 80 pixels: rho far below 1
    Surface s = Black(16, 16);
    Render(s, {t}, 0, Chain(8).cache);
    EXPECT_EQ(s.Colour(7, 9), 0xFFFFFFFFu);

    const OneTexture chain = Chain(4);  // levels 4x4, 2x2, 1x1
    ASSERT_EQ(chain.cache[0].levelCount, 3);
    t.s1 = t.t2 = 5000.0f;
    Render(s, {t}, 0, chain.cache);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(s.Colour(x, y), 0xFF00FF00u) << x << "," << y;
}

TEST_P(KernelCaseTest, UnusableTexturesShadeUntextured) {
    OneTexture f = Chain(4);
    f.cache.push_back(TextureCacheEntry{});  // index 1: unusable
    SetupTriangle beyond = TexturedAt(0.5f, 0.5f, kFilterNearest, kEnvModulate);
    beyond.textureSlot = 7;
    beyond.colour0 = beyond.colour1 = beyond.colour2 = 0xFF336699u;
    EXPECT_EQ(Drawn(beyond, f, 1, 1), 0xFF336699u);

    // REPLACE naming an in-range but unusable entry takes vertex 0's colour unchanged.
    SetupTriangle replace = beyond;
    replace.textureSlot = 1;
    replace.texEnv = kEnvReplace;
    replace.colour1 = 0xFFFFFFFFu;
    replace.colour2 = kBlack;
    EXPECT_EQ(Drawn(replace, f, 1, 1), 0xFF336699u);
    EXPECT_EQ(Drawn(replace, f, 6, 6), 0xFF336699u);
}

// A triangle over a 16x16 surface whose red and blue rise by about `range` across it (range < 100).
SetupTriangle Gradient(int range) {
    SetupTriangle t = PlainTriangle(-1, -1, 40, -1, -1, 40, kBlack);
    t.colour1 = kBlack | (uint32_t(range * 41 / 16) << 16);
    t.colour2 = kBlack | uint32_t(range * 41 / 16);
    return t;
}

// Green rising from 0 to 255 over 16 pixels in x + y: every shading pass varies strongly.
SetupTriangle Steep() {
    SetupTriangle t = PlainTriangle(0, 0, 16, 0, 0, 16, kBlack);
    t.colour1 = t.colour2 = 0xFF00FF00u;
    return t;
}

TEST_P(KernelCaseTest, QuarterRateCopiesTheTopLeftColourAndAdaptiveRateRefinesOnlySteepGradients) {
    Surface full = Black(16, 16), quarter = full, adaptive = full;
    Render(full, {Steep()}, 0);
    Render(quarter, {Steep()}, 2);
    Render(adaptive, {Steep()}, 1);
    EXPECT_NE(full.Colour(1, 0), full.Colour(0, 0));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            if (full.Colour(x & ~1, y & ~1) != kBlack && quarter.Colour(x, y) != kBlack) {
                ASSERT_EQ(quarter.Colour(x, y), full.Colour(x & ~1, y & ~1)) << x << "," << y;
            }
            ASSERT_EQ(adaptive.Colour(x, y), full.Colour(x, y)) << x << "," << y;
        }

    // A gentle gradient stops after the (1,1) pixels: (1,0) and (0,1) average (0,0) and (1,1).
    Surface gentleFull = Black(16, 16), gentle = gentleFull;
    Render(gentleFull, {Gradient(12)}, 0);
    Render(gentle, {Gradient(12)}, 1);
    for (int y = 0; y < 16; y += 2)
        for (int x = 0; x < 16; x += 2) {
            ASSERT_EQ(gentle.Colour(x, y), gentleFull.Colour(x, y));
            ASSERT_EQ(gentle.Colour(x + 1, y + 1), gentleFull.Colour(x + 1, y + 1));
            for (int shift : {16, 0}) {
                const int average =
                    (ChannelOf(gentleFull.Colour(x, y), shift) + ChannelOf(gentleFull.Colour(x + 1, y + 1), shift)) / 2;
                EXPECT_NEAR(ChannelOf(gentle.Colour(x + 1, y), shift), average, 1);
                EXPECT_NEAR(ChannelOf(gentle.Colour(x, y + 1), shift), average, 1);
            }
        }
}

TEST_P(KernelCaseTest, QuarterRateKeepsDepthPerPixelAndAlphaTestPerQuad) {
    SetupTriangle slanted = Gradient(90);
    slanted.depthTest = slanted.depthWrite = 1;
    slanted.depthFunc = kDepthLess;
    slanted.z0 = slanted.zmin = 0.1f;
    slanted.z1 = slanted.zmax = 0.9f;
    slanted.z2 = 0.5f;
    slanted.colour1 = 0x00FF0000u;  // alpha falls from 255 to 0 along x
    slanted.colour2 = 0xFF0000FFu;
    Surface rate[3];
    for (uint32_t vrs = 0; vrs < 3; ++vrs) Render(rate[vrs] = Black(16, 16), {slanted}, vrs);
    EXPECT_EQ(rate[1].depth, rate[0].depth);
    EXPECT_EQ(rate[2].depth, rate[0].depth);

    slanted.alphaTest = 1;
    Surface forced = Black(16, 16);
    Render(forced, {slanted}, 2);
    int drawnQuads = 0;
    for (int y = 0; y < 16; y += 2)
        for (int x = 0; x < 16; x += 2) {
            const bool drawn = forced.Colour(x, y) != kBlack;
            drawnQuads += drawn;
            for (int q = 1; q < 4; ++q)
                ASSERT_EQ(forced.Colour(x + (q & 1), y + (q >> 1)) != kBlack, drawn) << x << "," << y;
        }
    EXPECT_GT(drawnQuads, 0);
    EXPECT_LT(drawnQuads, 64);
}

INSTANTIATE_TEST_SUITE_P(AllVariants, KernelCaseTest, ::testing::Range(0, 4), VariantName);

}  // namespace
}  // namespace mora::raster::test
