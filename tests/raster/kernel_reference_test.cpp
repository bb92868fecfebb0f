// Every kernel build against the scalar reference on random scenes: all blend codes, depth
// functions, texture environments, filter classes, wrap modes and unusable textures, stale and
// lowered HiZ, both windings, shading rates 0/1/2 and partial tiles. Colour, depth and HiZ must
// match bit for bit; nothing outside the surface may change. The fill rule on shared edges is
// checked outright, since the reference could share a wrong rule.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <random>

#include "raster/cpu_features.h"
#include "raster/isa_dispatch.h"
#include "raster_scene.h"

namespace mora::raster::test {
namespace {

struct Scene {
    Surface surface;
    std::vector<TextureSlot> slots;
    std::vector<TextureCacheEntry> cache;
    std::vector<SetupTriangle> triangles;
    std::vector<ScissorRect> scissors;
    uint32_t vrsMode = 0;
};

struct Random {
    std::mt19937 rng;
    float Uniform(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); }
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    bool Chance(int percent) { return Pick(100) < percent; }
    uint32_t Word() { return static_cast<uint32_t>(rng()); }
    // `value` most of the time, now and then one past the valid codes.
    uint32_t CodeBelow(int n, int invalidPercent, uint32_t invalid) {
        return Chance(invalidPercent) ? invalid : static_cast<uint32_t>(Pick(n));
    }
};

// Vertex positions: free floats, half-pixel grid points (edges through pixel centres), a large
// triangle over the surface, or a small one.
void PlaceVertices(Random& r, const Surface& s, SetupTriangle& t) {
    float* xs[3] = {&t.x0, &t.x1, &t.x2};
    float* ys[3] = {&t.y0, &t.y1, &t.y2};
    const int mode = r.Pick(4);
    const float cx = r.Uniform(-2.0f, s.width + 2.0f), cy = r.Uniform(-2.0f, s.height + 2.0f);
    for (int k = 0; k < 3; ++k) {
        if (mode == 0) {
            *xs[k] = r.Uniform(-6.0f, s.width + 6.0f);
            *ys[k] = r.Uniform(-6.0f, s.height + 6.0f);
        } else if (mode == 1) {
            *xs[k] = std::round(r.Uniform(-6.0f, s.width + 6.0f) * 2.0f) * 0.5f;
            *ys[k] = std::round(r.Uniform(-6.0f, s.height + 6.0f) * 2.0f) * 0.5f;
        } else if (mode == 2) {
            *xs[k] = r.Uniform(-3.0f * s.width, 4.0f * s.width);
            *ys[k] = r.Uniform(-3.0f * s.height, 4.0f * s.height);
        } else {
            *xs[k] = cx + r.Uniform(-3.0f, 3.0f);
            *ys[k] = cy + r.Uniform(-3.0f, 3.0f);
        }
    }
}

void RandomState(Random& r, const Scene& scene, SetupTriangle& t) {
    const bool flatDepth = r.Chance(20);
    t.z0 = r.Uniform(0.0f, 1.0f);
    t.z1 = flatDepth ? t.z0 : r.Uniform(0.0f, 1.0f);
    t.z2 = flatDepth ? t.z0 : r.Uniform(0.0f, 1.0f);
    t.zmin = std::min(t.z0, std::min(t.z1, t.z2));
    t.zmax = std::max(t.z0, std::max(t.z1, t.z2));
    if (r.Chance(10)) t.zmin = -1e30f, t.zmax = 1e30f;
    t.colour0 = r.Word();
    t.colour1 = r.Chance(30) ? t.colour0 : r.Word();
    t.colour2 = r.Chance(30) ? t.colour1 : r.Word();
    const float scale = std::array<float, 4>{0.1f, 1.0f, 4.0f, 40.0f}[size_t(r.Pick(4))];
    const float s0 = r.Uniform(-2.0f, 2.0f), t0 = r.Uniform(-2.0f, 2.0f);
    for (float* s : {&t.s0, &t.s1, &t.s2}) *s = s0 + r.Uniform(0.0f, scale);
    for (float* tt : {&t.t0, &t.t1, &t.t2}) *tt = t0 + r.Uniform(0.0f, scale);
    t.invw0 = r.Uniform(0.25f, 4.0f);
    t.invw1 = r.Chance(30) ? t.invw0 : r.Uniform(0.25f, 4.0f);
    t.invw2 = r.Chance(30) ? t.invw0 : r.Uniform(0.25f, 4.0f);
    // A slot of the table, no texture, or an index past the cache.
    const int slots = static_cast<int>(scene.slots.size());
    const int texChoice = r.Pick(slots + 2);
    t.textureSlot = texChoice < slots ? static_cast<uint32_t>(texChoice)
                                      : (texChoice == slots ? kNoTextureSlot : static_cast<uint32_t>(slots + 3));
    t.blendCode = r.CodeBelow(kBlendLast + 1, 5, 99);
    // A scissor rectangle of the scene's table, or a number past it (nothing drawn).
    if (r.Chance(25)) t.blendCode |= uint32_t(1 + r.Pick(int(scene.scissors.size()) + 1)) << kScissorNumberShift;
    t.alphaTest = r.Chance(20) ? 1u : 0u;
    t.depthTest = r.Chance(70) ? 1u : 0u;
    t.depthFunc = t.depthTest ? r.CodeBelow(8, 5, 9) : 0u;
    t.depthWrite = (t.depthTest || r.Chance(10)) && r.Chance(70) ? 1u : 0u;
    t.texEnv = r.CodeBelow(4, 5, 7);
    t.texEnvColour = r.Word();
    t.filterClass = r.CodeBelow(3, 5, 5);
}

TextureSlot RandomSlot(Random& r) {
    static constexpr int kSizes[] = {1, 2, 4, 8, 16, 32, 64, 3, 5, 12};
    static constexpr uint32_t kMin[] = {0x2600, 0x2601, 0x2700, 0x2703, 0x2702};
    static constexpr uint32_t kWrap[] = {0x2901, 0x2900, 0x812F};
    const uint32_t seed = r.Word();
    const int width = kSizes[r.Pick(10)], height = kSizes[r.Pick(10)];
    const uint32_t minFilter = kMin[r.Pick(5)], magFilter = 0x2600u + uint32_t(r.Pick(2));
    const uint32_t wrapS = kWrap[r.Pick(3)], wrapT = kWrap[r.Pick(3)];
    TextureSlot slot = MakeTextureSlot(
        width, height,
        [seed](int level, int x, int y) {
            uint32_t h =
                seed ^ (uint32_t(level) * 0x9E3779B9u) ^ (uint32_t(x) * 0x85EBCA6Bu) ^ (uint32_t(y) * 0xC2B2AE35u);
            h ^= h >> 15;
            h *= 0x2C1B3C6Du;
            return h ^ (h >> 12);
        },
        minFilter, magFilter, wrapS, wrapT);
    if (r.Chance(10)) slot.hasImage = 0;  // unusable entry
    return slot;
}

Scene RandomScene(uint32_t seed) {
    Random r{std::mt19937(seed)};
    Scene scene;
    const int width = 9 + r.Pick(32), height = 9 + r.Pick(32);
    const uint32_t clear = r.Word();
    const float depth = r.Uniform(0.3f, 1.0f);
    scene.surface = MakeSurface(width, height, 8, clear, depth, r.Chance(70) ? 1.0f : r.Uniform(0.2f, 1.0f));
    for (int i = 0; i < 3; ++i) {
        const int x0 = r.Pick(width), y0 = r.Pick(height);
        scene.scissors.push_back({x0, y0, x0 + r.Pick(width - x0 + 1), y0 + r.Pick(height - y0 + 1)});
    }
    const int slotCount = r.Pick(4);
    for (int i = 0; i < slotCount; ++i) scene.slots.push_back(RandomSlot(r));
    BuildTextureCache(scene.slots, r.Pick(3), scene.cache);
    if (slotCount == 0 && r.Chance(50)) scene.cache.clear();
    const int count = 1 + r.Pick(10);
    for (int i = 0; i < count; ++i) {
        SetupTriangle t{};
        PlaceVertices(r, scene.surface, t);
        RandomState(r, scene, t);
        scene.triangles.push_back(t);
        if (r.Chance(20)) {  // its neighbour across the edge 0->1, same winding, same state
            SetupTriangle n = t;
            n.x0 = t.x1, n.y0 = t.y1, n.x1 = t.x0, n.y1 = t.y0;
            n.x2 = t.x0 + t.x1 - t.x2, n.y2 = t.y0 + t.y1 - t.y2;
            n.colour0 = r.Word();
            scene.triangles.push_back(n);
        }
    }
    scene.vrsMode = r.CodeBelow(3, 5, 7);
    return scene;
}

std::string DescribeScene(const Scene& scene, uint32_t seed) {
    std::string text = "seed " + std::to_string(seed) + ", surface " + std::to_string(scene.surface.width) + "x" +
                       std::to_string(scene.surface.height) + ", vrs " + std::to_string(scene.vrsMode) + "\n";
    for (size_t i = 0; i < scene.triangles.size(); ++i)
        text += "  [" + std::to_string(i) + "] " + DescribeTriangle(scene.triangles[i]) + "\n";
    return text;
}

// The first difference of one plane of two rendered surfaces, as text; empty when identical.
template <typename T>
std::string FirstDifference(const char* plane, const std::vector<T>& got, const std::vector<T>& want, int32_t stride,
                            int32_t guard) {
    for (size_t i = 0; i < want.size(); ++i) {
        if (std::bit_cast<uint32_t>(got[i]) == std::bit_cast<uint32_t>(want[i])) continue;
        char text[160];
        std::snprintf(text, sizeof(text), "%s at (%d, %d): kernel 0x%08X, reference 0x%08X", plane,
                      int(i % size_t(stride)) - guard, int(i / size_t(stride)) - guard, std::bit_cast<uint32_t>(got[i]),
                      std::bit_cast<uint32_t>(want[i]));
        return text;
    }
    return {};
}

std::string FirstDifference(const Surface& got, const Surface& want) {
    return FirstDifference("colour", got.colour, want.colour, want.colourStride, want.guard) +
           FirstDifference("depth", got.depth, want.depth, want.depthStride, want.guard) +
           FirstDifference("HiZ tile", got.hiz, want.hiz, want.TilesX(), 0);
}

Surface Rendered(const TileFunction& tile, const Scene& scene) {
    Surface s = scene.surface;
    RasterJob job = MakeJob(s, scene.triangles, scene.cache, scene.vrsMode);
    job.scissorRects = scene.scissors.data();
    job.scissorCount = uint32_t(scene.scissors.size());
    RenderSurface(tile, job, s, scene.triangles.size());
    return s;
}

class KernelReferenceTest : public ::testing::TestWithParam<int> {};

TEST_P(KernelReferenceTest, RandomScenesMatchTheScalarReferenceBitForBit) {
    const KernelVariant& variant = KernelVariants()[size_t(GetParam())];
    if (!IsaSupported(variant.isa)) GTEST_SKIP() << variant.name << " is not supported by this processor";
    int mismatches = 0;
    for (uint32_t seed = 1; seed <= 600 && mismatches < 3; ++seed) {
        const Scene scene = RandomScene(seed);
        const Surface want = Rendered(ReferenceTile(variant.reference), scene);
        const Surface got = Rendered(KernelTile(variant.kernel), scene);
        const std::string difference = FirstDifference(got, want) + got.DamagedGuard();
        if (!difference.empty()) {
            ++mismatches;
            ADD_FAILURE() << variant.name << ": " << difference << "\n" << DescribeScene(scene, seed);
        }
    }
}

// Meshes whose shared edges run through pixel centres, in both windings and at every shading rate:
// one additive "1" per triangle onto black shows a pixel drawn twice or never.
TEST_P(KernelReferenceTest, SharedEdgesThroughPixelCentresAreDrawnExactlyOnce) {
    const KernelVariant& variant = KernelVariants()[size_t(GetParam())];
    if (!IsaSupported(variant.isa)) GTEST_SKIP() << variant.name << " is not supported by this processor";
    using Corners = std::array<float, 6>;
    const std::vector<std::vector<Corners>> meshes = {
        // A fan around the pixel centre (8.5, 8.5), and a square split along a column and a row of centres.
        {{8.5f, 8.5f, 0, 0, 17, 0},
         {8.5f, 8.5f, 17, 0, 17, 17},
         {8.5f, 8.5f, 17, 17, 0, 17},
         {8.5f, 8.5f, 0, 17, 0, 0}},
        {{0, 0, 5.5f, 0, 5.5f, 17},
         {0, 0, 5.5f, 17, 0, 17},
         {5.5f, 0, 17, 0, 17, 9.5f},
         {5.5f, 0, 17, 9.5f, 5.5f, 9.5f},
         {5.5f, 9.5f, 17, 9.5f, 17, 17},
         {5.5f, 9.5f, 17, 17, 5.5f, 17}}};
    for (const auto& mesh : meshes)
        for (const bool reversed : {false, true})
            for (const uint32_t vrs : {0u, 1u, 2u}) {
                Scene scene{MakeSurface(17, 17, 8, 0, 1.0f, 1.0f)};
                scene.vrsMode = vrs;
                for (const Corners& c : mesh) {
                    const int a = reversed ? 4 : 2, b = reversed ? 2 : 4;
                    scene.triangles.push_back(PlainTriangle(c[0], c[1], c[a], c[a + 1], c[b], c[b + 1], 0x00010101u));
                    scene.triangles.back().blendCode = kBlendAdditive;
                }
                Surface s = Rendered(KernelTile(variant.kernel), scene);
                ASSERT_EQ(s.DamagedGuard(), "");
                for (int y = 0; y < 17; ++y)
                    for (int x = 0; x < 17; ++x)
                        ASSERT_EQ(s.Colour(x, y), 0x00010101u) << x << "," << y << " vrs " << vrs << " " << reversed;
            }
}

// The reference itself must not be trivially satisfied: the random scenes have to draw.
TEST(KernelReferenceScenes, RandomScenesDrawPixelsAndLeaveTheGuardBandAlone) {
    size_t changed = 0, total = 0;
    for (uint32_t seed = 1; seed <= 50; ++seed) {
        const Scene scene = RandomScene(seed);
        const Surface want = Rendered(ReferenceTile({}), scene);
        EXPECT_EQ(want.DamagedGuard(), "") << DescribeScene(scene, seed);
        for (size_t i = 0; i < want.colour.size(); ++i) changed += want.colour[i] != scene.surface.colour[i];
        total += size_t(want.width) * size_t(want.height);
    }
    EXPECT_GT(changed, total / 5);
}

INSTANTIATE_TEST_SUITE_P(AllVariants, KernelReferenceTest, ::testing::Range(0, 4), VariantName);

}  // namespace
}  // namespace mora::raster::test
