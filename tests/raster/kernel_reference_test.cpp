// Every kernel build against the scalar reference on random scenes: all blend codes, depth
// functions, texture environments, filter classes, wrap modes and unusable textures, stale and
// lowered HiZ, both windings, shading rates 0/1/2 and partial tiles. Colour, depth and HiZ must
// match bit for bit; nothing outside the surface may change. The fill rule on shared edges is
// checked outright, since the reference could share a wrong rule.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "raster/cpu_features.h"
#include "raster/isa_dispatch.h"
#include "raster/kernel_variants.h"
#include "raster/setup_triangle.h"
#include "raster/texture_cache.h"
#include "raster_scene.h"
#include "reference_raster.h"

namespace mora::raster::test {
namespace {

// Kernel builds, in the order of the instruction-set indices; tests run per index and are named by it.
struct KernelVariant {
    const char* name;
    int32_t isa;  // variant index for IsaSupported
    RasterizeTileFn kernel;
    ReferenceOptions reference;  // how the scalar reference must run to match it bit for bit
};

const KernelVariant kVariants[] = {
    {"Sse41", kIsaSse41, &sse41::RasterizeTile, {false, true}},
    {"Avx", kIsaAvx, &avx::RasterizeTile, {false, false}},
    {"Avx2", kIsaAvx2, &avx2::RasterizeTile, {true, false}},
    {"Avx512", kIsaAvx512, &avx512::RasterizeTile, {true, false}},
};

std::string VariantName(const ::testing::TestParamInfo<int>& param) { return kVariants[param.param].name; }

constexpr uint32_t kGuardColour = 0xDEADBEEFu;
constexpr float kGuardDepth = -12345.0f;

// Colour and depth storage of width x height pixels inside a guard band of `guard` pixels on every
// side (and spare bytes at the end of each colour row).
struct Surface {
    int32_t width = 0, height = 0, guard = 0;
    int32_t colourStride = 0, depthStride = 0;  // in words and floats
    std::vector<uint32_t> colour;
    std::vector<float> depth;
    std::vector<float> hiz;  // one per micro tile, row-major

    uint32_t& Colour(int32_t x, int32_t y) { return colour[size_t(y + guard) * colourStride + size_t(x + guard)]; }
    float& Depth(int32_t x, int32_t y) { return depth[size_t(y + guard) * depthStride + size_t(x + guard)]; }
    int32_t TilesX() const { return (width + 7) / 8; }
    int32_t TilesY() const { return (height + 7) / 8; }
};

Surface MakeSurface(int32_t width, int32_t height, int32_t guard, uint32_t clearColour, float clearDepth,
                    float clearHiZ) {
    Surface s{width, height, guard, width + 2 * guard + 3, width + 2 * guard};  // spare words: pitch > width x 4
    s.colour.assign(size_t(s.colourStride) * size_t(height + 2 * guard), kGuardColour);
    s.depth.assign(size_t(s.depthStride) * size_t(height + 2 * guard), kGuardDepth);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            s.Colour(x, y) = clearColour;
            s.Depth(x, y) = clearDepth;
        }
    s.hiz.assign(size_t(s.TilesX()) * size_t(s.TilesY()), clearHiZ);
    return s;
}

// A triangle with every state word at its "plain opaque, depth off" value.
SetupTriangle PlainTriangle(float x0, float y0, float x1, float y1, float x2, float y2, uint32_t colour) {
    SetupTriangle t{};
    t.x0 = x0, t.y0 = y0, t.x1 = x1, t.y1 = y1, t.x2 = x2, t.y2 = y2;
    t.colour0 = t.colour1 = t.colour2 = colour;
    t.invw0 = t.invw1 = t.invw2 = 1.0f;
    t.textureSlot = kNoTextureSlot;
    return t;
}

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

// The scene of `seed` (a failure names its seed, which rebuilds the scene).
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

// Colour, depth and HiZ bit for bit, guard band and row spares included.
bool SameBits(const Surface& a, const Surface& b) {
    return a.colour == b.colour && a.depth.size() == b.depth.size() && a.hiz.size() == b.hiz.size() &&
           std::memcmp(a.depth.data(), b.depth.data(), a.depth.size() * 4) == 0 &&
           std::memcmp(a.hiz.data(), b.hiz.data(), a.hiz.size() * 4) == 0;
}

// The scene drawn by `kernel` (null: the reference with `options`) over every micro tile of its
// surface, with the bin 0, 1, ..., count - 1.
Surface Rendered(RasterizeTileFn kernel, const Scene& scene, const ReferenceOptions& options = {}) {
    Surface s = scene.surface;
    RasterJob job;
    job.colourPitch = s.colourStride * 4;
    job.colourBase = reinterpret_cast<uint8_t*>(&s.Colour(0, 0));
    job.depthBase = &s.Depth(0, 0);
    job.depthPitch = s.depthStride * 4;
    job.triangles = scene.triangles.data();
    job.textureCache = scene.cache.empty() ? nullptr : scene.cache.data();
    job.textureCount = static_cast<uint32_t>(scene.cache.size());
    job.vrsMode = scene.vrsMode;
    job.scissorRects = scene.scissors.data();
    job.scissorCount = uint32_t(scene.scissors.size());
    std::vector<uint32_t> bin(scene.triangles.size());
    for (size_t i = 0; i < bin.size(); ++i) bin[i] = static_cast<uint32_t>(i);
    for (int32_t my = 0; my < s.TilesY(); ++my)
        for (int32_t mx = 0; mx < s.TilesX(); ++mx) {
            const int32_t x0 = 8 * mx, y0 = 8 * my, x1 = std::min(s.width, x0 + 8), y1 = std::min(s.height, y0 + 8);
            float* hiz = &s.hiz[size_t(my) * s.TilesX() + size_t(mx)];
            const int32_t count = static_cast<int32_t>(bin.size());
            if (kernel != nullptr) {
                kernel(job, x0, y0, x1, y1, bin.data(), count, hiz);
            } else {
                ReferenceRasterizeTile(job, x0, y0, x1, y1, bin.data(), count, hiz, options);
            }
        }
    return s;
}

class KernelReferenceTest : public ::testing::TestWithParam<int> {};

TEST_P(KernelReferenceTest, RandomScenesMatchTheScalarReferenceBitForBit) {
    const KernelVariant& variant = kVariants[GetParam()];
    if (!IsaSupported(variant.isa)) GTEST_SKIP() << variant.name << " is not supported by this processor";
    int mismatches = 0;
    for (uint32_t seed = 1; seed <= 600 && mismatches < 3; ++seed) {
        const Scene scene = RandomScene(seed);
        const Surface want = Rendered(nullptr, scene, variant.reference);
        const Surface got = Rendered(variant.kernel, scene);
        if (!SameBits(got, want)) {
            ++mismatches;
            ADD_FAILURE() << variant.name << ", scene " << seed;
        }
    }
}

// Meshes whose shared edges run through pixel centres, in both windings and at every shading rate:
// one additive "1" per triangle onto black shows a pixel drawn twice or never.
TEST_P(KernelReferenceTest, SharedEdgesThroughPixelCentresAreDrawnExactlyOnce) {
    const KernelVariant& variant = kVariants[GetParam()];
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
                const Surface want = MakeSurface(17, 17, 8, 0x00010101u, 1.0f, 1.0f);
                ASSERT_TRUE(SameBits(Rendered(variant.kernel, scene), want)) << "vrs " << vrs << " " << reversed;
            }
}

// The reference itself must not be trivially satisfied: the random scenes have to draw.
TEST(KernelReferenceScenes, RandomScenesDrawPixels) {
    size_t changed = 0, total = 0;
    for (uint32_t seed = 1; seed <= 50; ++seed) {
        const Scene scene = RandomScene(seed);
        const Surface want = Rendered(nullptr, scene);
        for (size_t i = 0; i < want.colour.size(); ++i) changed += want.colour[i] != scene.surface.colour[i];
        total += size_t(want.width) * size_t(want.height);
    }
    EXPECT_GT(changed, total / 5);
}

INSTANTIATE_TEST_SUITE_P(AllVariants, KernelReferenceTest, ::testing::Range(0, 4), VariantName);

}  // namespace
}  // namespace mora::raster::test
