// Targeted kernel behaviour, run on every build the processor supports: the fill rule on shared
// edges, HiZ, depth functions, partial tiles, texture sampling corners, blending and packing, and
// quarter-rate shading.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdlib>

#include "raster/cpu_features.h"
#include "raster/isa_dispatch.h"
#include "raster_scene.h"

namespace mora::raster::test {
namespace {

constexpr uint32_t kBlack = 0xFF000000u;

int ChannelOf(uint32_t word, int shift) { return static_cast<int>((word >> shift) & 0xFFu); }

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

    const KernelVariant* variant_ = nullptr;
};

// Additive "1" per triangle onto black: a pixel written twice would read 2.
SetupTriangle Counter(float x0, float y0, float x1, float y1, float x2, float y2) {
    SetupTriangle t = PlainTriangle(x0, y0, x1, y1, x2, y2, 0x00010101u);
    t.blendCode = kBlendAdditive;
    return t;
}

std::vector<SetupTriangle> Reversed(std::vector<SetupTriangle> triangles) {
    for (SetupTriangle& t : triangles) {
        std::swap(t.x1, t.x2);
        std::swap(t.y1, t.y2);
    }
    return triangles;
}

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
    for (const auto& mesh : {fan, Reversed(fan), cross, Reversed(cross)}) {
        for (uint32_t vrs : {0u, 1u, 2u}) {
            Surface s = MakeSurface(17, 17, 8, 0, 1.0f, 1.0f);
            Render(s, mesh, vrs);
            for (int y = 0; y < 17; ++y)
                for (int x = 0; x < 17; ++x)
                    ASSERT_EQ(s.Colour(x, y), 0x00010101u) << "pixel " << x << "," << y << " vrs " << vrs;
        }
    }
}

SetupTriangle Opaque(float z, uint32_t colour) {
    SetupTriangle t = PlainTriangle(-20, -20, 60, -20, -20, 60, colour);
    t.z0 = t.z1 = t.z2 = z;
    t.zmin = t.zmax = z;
    t.depthTest = 1;
    t.depthFunc = kDepthLequal;
    t.depthWrite = 1;
    return t;
}

SetupTriangle MovedTo(SetupTriangle t, float x0, float y0, float x1, float y1, float x2, float y2) {
    t.x0 = x0, t.y0 = y0, t.x1 = x1, t.y1 = y1, t.x2 = x2, t.y2 = y2;
    return t;
}

TEST_P(KernelCaseTest, StaleHiZRejectsOnlyOpaqueLequalTriangles) {
    Surface s = MakeSurface(8, 8, 4, kBlack, 1.0f, 0.3f);
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
    const SetupTriangle hidden = Opaque(0.5f, 0xFFFF0000u);

    Surface s = MakeSurface(8, 8, 4, kBlack, 1.0f, 1.0f);
    Render(s, {hidden, occluder});
    EXPECT_EQ(s.hiz[0], 0.2f);
    for (int y = 0; y < 8; ++y) {
        EXPECT_EQ(s.Colour(7, y), kBlack) << y;
        EXPECT_EQ(s.Colour(6, y), 0xFF00FF00u) << y;
    }

    SetupTriangle unbounded = hidden;  // HiZ disabled upstream: depth bounds never reject
    unbounded.zmin = -1e30f;
    unbounded.zmax = 1e30f;
    Surface control = MakeSurface(8, 8, 4, kBlack, 1.0f, 1.0f);
    Render(control, {unbounded, occluder});
    EXPECT_EQ(control.Colour(7, 2), 0xFFFF0000u);
}

TEST_P(KernelCaseTest, EveryDepthFunctionComparesFragmentWithStoredDepth) {
    const std::array<float, 3> stored = {0.25f, 0.5f, 0.75f};
    // Passing stored values for a fragment at 0.5, per code 0..7.
    const std::array<std::array<bool, 3>, 8> passes = {{{true, true, true},
                                                        {false, false, true},
                                                        {false, true, true},
                                                        {false, true, false},
                                                        {true, true, false},
                                                        {true, false, false},
                                                        {true, false, true},
                                                        {false, false, false}}};
    for (uint32_t code = 0; code <= 8; ++code) {
        Surface s = MakeSurface(3, 1, 4, kBlack, 0.0f, 1.0f);
        for (int x = 0; x < 3; ++x) s.Depth(x, 0) = stored[size_t(x)];
        SetupTriangle t = Opaque(0.5f, 0xFFFFFFFFu);
        t.depthFunc = code;
        t.zmin = -1e30f;
        Render(s, {t});
        for (int x = 0; x < 3; ++x) {
            const bool expected = code < 8 && passes[code][size_t(x)];
            EXPECT_EQ(s.Colour(x, 0), expected ? 0xFFFFFFFFu : kBlack)
                << "code " << code << " stored " << stored[size_t(x)];
            EXPECT_EQ(s.Depth(x, 0), expected ? 0.5f : stored[size_t(x)]) << "code " << code;
        }
    }
}

TEST_P(KernelCaseTest, ClearDepthTestFlagNeitherTestsNorWritesDepth) {
    Surface s = MakeSurface(8, 8, 4, kBlack, 0.1f, 1.0f);
    SetupTriangle t = Opaque(0.5f, 0xFF123456u);
    t.depthTest = 0;
    t.depthFunc = kDepthNever;  // ignored without the test
    Render(s, {t});
    EXPECT_EQ(s.Colour(4, 4), 0xFF123456u);
    EXPECT_EQ(s.Depth(4, 4), 0.1f);
}

TEST_P(KernelCaseTest, ZeroAreaTrianglesAndEmptyBinsChangeNothing) {
    Surface s = MakeSurface(8, 8, 4, kBlack, 1.0f, 1.0f);
    const SetupTriangle point = MovedTo(Opaque(0.1f, 0xFFFFFFFFu), 3, 3, 3, 3, 3, 3);
    const SetupTriangle line = MovedTo(Opaque(0.1f, 0xFFFFFFFFu), 0, 0, 8, 8, 4, 4);
    Render(s, {point, line});
    EXPECT_EQ(s.hiz[0], 1.0f);
    EXPECT_EQ(s.Colour(4, 4), kBlack);

    float hiz = 0.75f;
    const SetupTriangle full = Opaque(0.1f, 0xFFFFFFFFu);
    RasterJob job = MakeJob(s, {full}, {}, 0);
    variant_->kernel(job, 0, 0, 8, 8, nullptr, 0, &hiz);
    const uint32_t bin[1] = {0};
    variant_->kernel(job, 0, 0, 8, 8, bin, -1, &hiz);
    EXPECT_EQ(hiz, 0.75f);
    EXPECT_EQ(s.Colour(4, 4), kBlack);
}

TEST_P(KernelCaseTest, PartialEdgeTilesStopAtTheSurfaceAndUseClippedCorners) {
    // 13x11: the right and bottom tiles are 5 and 3 pixels. The occluder's corner lies just past
    // the pixel centre (12.5, 10.5): it covers the clipped corner tile but not a full one.
    const SetupTriangle occluder =
        MovedTo(Opaque(0.4f, 0xFF0000FFu), -100.0f, 10.75f, 12.75f, 10.75f, 12.75f, -100.0f);
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

// A slot sampled at one texture coordinate everywhere (equal s, t at all vertices).
struct TextureFixture {
    std::vector<TextureSlot> slots;
    std::vector<TextureCacheEntry> cache;
};

SetupTriangle TexturedAt(float s, float t, uint32_t filter, uint32_t env = kEnvReplace) {
    SetupTriangle tri = PlainTriangle(-20, -20, 60, -20, -20, 60, 0xFF808080u);
    tri.s0 = tri.s1 = tri.s2 = s;
    tri.t0 = tri.t1 = tri.t2 = t;
    tri.textureSlot = 0;
    tri.filterClass = filter;
    tri.texEnv = env;
    return tri;
}

constexpr std::array<uint32_t, 4> kRow = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu};

TEST_P(KernelCaseTest, NearestSampleAtOneWrapsOrClamps) {
    for (uint32_t wrap : {0x2901u, 0x812Fu}) {
        TextureFixture f;
        f.slots.push_back(MakeTextureSlot(
            4, 1, [](int, int x, int) { return kRow[size_t(x)]; }, 0x2600, 0x2600, wrap, wrap));
        BuildTextureCache(f.slots, 0, f.cache);
        Surface s = MakeSurface(8, 8, 4, kBlack, 1.0f, 1.0f);
        Render(s, {TexturedAt(1.0f, 0.5f, kFilterNearest)}, 0, f.cache);
        EXPECT_EQ(s.Colour(5, 5), wrap == 0x2901u ? kRow[0] : kRow[3]) << std::hex << wrap;
    }
}

TEST_P(KernelCaseTest, BilinearAtZeroOnARepeatingRowBlendsLastAndFirstTexel) {
    TextureFixture f;
    f.slots.push_back(MakeTextureSlot(
        4, 1, [](int, int x, int) { return x == 3 ? 0xFFC86400u : 0xFF000000u; }, 0x2600,
        0x2601));  // min NEAREST keeps repeat
    BuildTextureCache(f.slots, 0, f.cache);
    Surface s = MakeSurface(8, 8, 4, kBlack, 1.0f, 1.0f);
    Render(s, {TexturedAt(0.0f, 0.5f, kFilterBilinear)}, 0, f.cache);
    const uint32_t c = s.Colour(2, 6);
    EXPECT_NEAR(ChannelOf(c, 16), 100, 1);  // half of 200
    EXPECT_NEAR(ChannelOf(c, 8), 50, 1);
    EXPECT_EQ(ChannelOf(c, 0), 0);
}

// Level 0 white, level 1 and below black or green: which level a trilinear sample reads shows.
TextureFixture Chain(int size) {
    TextureFixture f;
    f.slots.push_back(MakeTextureSlot(size, size, [](int level, int, int) {
        return level == 0 ? 0xFFFFFFFFu : (level == 1 ? 0xFF000000u : 0xFF00FF00u);
    }));
    BuildTextureCache(f.slots, 0, f.cache);
    return f;
}

TEST_P(KernelCaseTest, TrilinearBelowOneTexelPerPixelReadsLevelZeroOnly) {
    TextureFixture f = Chain(8);
    SetupTriangle t = TexturedAt(0, 0, kFilterTrilinear);
    t.s1 = 0.5f;  // 0.5 over 80 pixels: rho far below 1
    t.t2 = 0.5f;
    Surface s = MakeSurface(16, 16, 4, kBlack, 1.0f, 1.0f);
    Render(s, {t}, 0, f.cache);
    EXPECT_EQ(s.Colour(7, 9), 0xFFFFFFFFu);
}

TEST_P(KernelCaseTest, TrilinearPastTheLastLevelSamplesTheLastFilledLevel) {
    TextureFixture f = Chain(4);  // levels 4x4, 2x2, 1x1
    ASSERT_EQ(f.cache[0].levelCount, 3);
    SetupTriangle t = TexturedAt(0, 0, kFilterTrilinear);
    t.s1 = 5000.0f;
    t.t2 = 5000.0f;
    Surface s = MakeSurface(16, 16, 4, kBlack, 1.0f, 1.0f);
    Render(s, {t}, 0, f.cache);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(s.Colour(x, y), 0xFF00FF00u) << x << "," << y;
}

TEST_P(KernelCaseTest, UnusableTexturesShadeUntextured) {
    TextureFixture f = Chain(4);
    f.cache.push_back(TextureCacheEntry{});  // index 1: unusable
    SetupTriangle beyond = TexturedAt(0.5f, 0.5f, kFilterNearest, kEnvModulate);
    beyond.textureSlot = 7;
    beyond.colour0 = beyond.colour1 = beyond.colour2 = 0xFF336699u;
    Surface s = MakeSurface(8, 8, 4, kBlack, 1.0f, 1.0f);
    Render(s, {beyond}, 0, f.cache);
    EXPECT_EQ(s.Colour(1, 1), 0xFF336699u);

    // REPLACE naming an in-range but unusable entry takes vertex 0's colour unchanged.
    SetupTriangle replace = beyond;
    replace.textureSlot = 1;
    replace.texEnv = kEnvReplace;
    replace.colour1 = 0xFFFFFFFFu;
    replace.colour2 = 0xFF000000u;
    Render(s, {replace}, 0, f.cache);
    EXPECT_EQ(s.Colour(1, 1), 0xFF336699u);
    EXPECT_EQ(s.Colour(6, 6), 0xFF336699u);
}

TEST_P(KernelCaseTest, EnvironmentModesCombineTexelAndVertexAlphaAsDefined) {
    TextureFixture f;
    f.slots.push_back(MakeTextureSlot(
        1, 1, [](int, int, int) { return 0x80FF0000u; }, 0x2600, 0x2600));
    BuildTextureCache(f.slots, 0, f.cache);
    SetupTriangle decal = TexturedAt(0.5f, 0.5f, kFilterNearest, kEnvDecal);
    decal.colour0 = decal.colour1 = decal.colour2 = 0x400000FFu;
    Surface s = MakeSurface(8, 8, 4, kBlack, 1.0f, 1.0f);
    Render(s, {decal}, 0, f.cache);
    uint32_t c = s.Colour(3, 3);
    EXPECT_EQ(ChannelOf(c, 24), 0x40);      // vertex alpha kept
    EXPECT_NEAR(ChannelOf(c, 16), 128, 1);  // red: texel x a
    EXPECT_NEAR(ChannelOf(c, 0), 127, 1);   // blue: vertex x (1 - a)

    SetupTriangle blend = decal;
    blend.texEnv = kEnvBlend;
    blend.texEnvColour = 0x0000FF00u;
    Render(s, {blend}, 0, f.cache);
    c = s.Colour(3, 3);
    EXPECT_NEAR(ChannelOf(c, 24), 0x80 * 0x40 / 255, 1);  // alphas multiplied
    EXPECT_EQ(ChannelOf(c, 16), 0);                       // k = 1: environment red (0)
    EXPECT_NEAR(ChannelOf(c, 0), 255, 1);                 // k = 0: vertex blue
}

TEST_P(KernelCaseTest, BlendingClampsAtPackingAndMultipliesAlpha) {
    Surface s = MakeSurface(8, 8, 4, 0x80643200u, 1.0f, 1.0f);
    SetupTriangle add = PlainTriangle(-20, -20, 60, -20, -20, 60, 0xC8C8C8C8u);
    add.blendCode = kBlendAdditive;
    Render(s, {add});
    EXPECT_EQ(s.Colour(0, 0), 0xFFFFFAC8u);  // 200 + 128, 200 + 100, 200 + 50, 200 + 0

    Surface m = MakeSurface(8, 8, 4, 0x80FF4020u, 1.0f, 1.0f);
    SetupTriangle mul = PlainTriangle(-20, -20, 60, -20, -20, 60, 0x80808080u);
    mul.blendCode = kBlendModulateDst;
    Render(m, {mul});
    const uint32_t c = m.Colour(5, 5);
    EXPECT_NEAR(ChannelOf(c, 24), 0x80 * 0x80 / 255, 1);
    EXPECT_NEAR(ChannelOf(c, 16), 0x80, 1);
    EXPECT_NEAR(ChannelOf(c, 8), 0x40 * 0x80 / 255, 1);
    EXPECT_NEAR(ChannelOf(c, 0), 0x20 * 0x80 / 255, 1);
}

TEST_P(KernelCaseTest, AlphaTestKeepsOnlyAlphaAboveTwoThirds) {
    for (const auto& [alpha, drawn] : {std::pair{169u, false}, std::pair{170u, true}}) {
        Surface s = MakeSurface(8, 8, 4, kBlack, 1.0f, 1.0f);
        SetupTriangle t = Opaque(0.5f, (alpha << 24) | 0x00FFFFFFu);
        t.alphaTest = 1;
        Render(s, {t});
        EXPECT_EQ(s.Colour(2, 2) != kBlack, drawn) << alpha;
        EXPECT_EQ(s.Depth(2, 2), drawn ? 0.5f : 1.0f) << alpha;
    }
}

// A triangle over a 16x16 surface whose red and blue rise by about `range` across it (range < 100).
SetupTriangle Gradient(int range) {
    SetupTriangle t = PlainTriangle(-1, -1, 40, -1, -1, 40, 0xFF000000u);
    t.colour1 = 0xFF000000u | (uint32_t(range * 41 / 16) << 16);
    t.colour2 = 0xFF000000u | uint32_t(range * 41 / 16);
    return t;
}

// Green rising from 0 to 255 over 16 pixels in x + y: every shading pass varies strongly.
SetupTriangle Steep() {
    SetupTriangle t = PlainTriangle(0, 0, 16, 0, 0, 16, 0xFF000000u);
    t.colour1 = t.colour2 = 0xFF00FF00u;
    return t;
}

TEST_P(KernelCaseTest, ForcedQuarterRateGivesEachQuadItsTopLeftColour) {
    Surface full = MakeSurface(16, 16, 4, kBlack, 1.0f, 1.0f), quarter = full;
    Render(full, {Steep()}, 0);
    Render(quarter, {Steep()}, 2);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            if (full.Colour(x & ~1, y & ~1) != kBlack && quarter.Colour(x, y) != kBlack) {
                ASSERT_EQ(quarter.Colour(x, y), full.Colour(x & ~1, y & ~1)) << x << "," << y;
            }
        }
    EXPECT_NE(full.Colour(1, 0), full.Colour(0, 0));
}

TEST_P(KernelCaseTest, AdaptiveRateRefinesSteepGradientsFullyAndAveragesGentleOnes) {
    Surface full = MakeSurface(16, 16, 4, kBlack, 1.0f, 1.0f), adaptive = full;
    Render(full, {Steep()}, 0);
    Render(adaptive, {Steep()}, 1);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(adaptive.Colour(x, y), full.Colour(x, y)) << x << "," << y;

    // A gentle gradient stops after the (1,1) pixels: (1,0) and (0,1) average (0,0) and (1,1).
    Surface gentleFull = MakeSurface(16, 16, 4, kBlack, 1.0f, 1.0f), gentle = gentleFull;
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
    slanted.alphaTest = 1;
    Surface rate[3];
    for (uint32_t vrs = 0; vrs < 3; ++vrs) {
        rate[vrs] = MakeSurface(16, 16, 4, kBlack, 1.0f, 1.0f);
        SetupTriangle opaque = slanted;
        opaque.alphaTest = 0;
        Render(rate[vrs], {opaque}, vrs);
    }
    EXPECT_EQ(rate[1].depth, rate[0].depth);
    EXPECT_EQ(rate[2].depth, rate[0].depth);

    Surface forced = MakeSurface(16, 16, 4, kBlack, 1.0f, 1.0f);
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

std::string VariantName(const ::testing::TestParamInfo<int>& param) {
    static const char* const kNames[] = {"Sse41", "Avx", "Avx2", "Avx512"};
    return kNames[param.param];
}

INSTANTIATE_TEST_SUITE_P(AllVariants, KernelCaseTest, ::testing::Range(0, 4), VariantName);

}  // namespace
}  // namespace mora::raster::test
