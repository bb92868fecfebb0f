// Every kernel build against the scalar reference on random scenes: all blend codes, depth
// functions, texture environments, filter classes and wrap modes, both windings, shading rates
// 0/1/2 and partial tiles. Colour, depth and HiZ must match bit for bit; nothing outside the
// surface may change.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
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
    uint32_t vrsMode = 0;
};

float Uniform(std::mt19937& rng, float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); }
int Pick(std::mt19937& rng, int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
bool Chance(std::mt19937& rng, int percent) { return Pick(rng, 100) < percent; }

// Vertex positions: free floats, half-pixel grid points (edges through pixel centres), a large
// triangle over the surface, or a small one.
void PlaceVertices(std::mt19937& rng, const Surface& s, SetupTriangle& t) {
    float xs[3], ys[3];
    const int mode = Pick(rng, 4);
    const float cx = Uniform(rng, -2.0f, s.width + 2.0f), cy = Uniform(rng, -2.0f, s.height + 2.0f);
    for (int k = 0; k < 3; ++k) {
        if (mode == 0) {
            xs[k] = Uniform(rng, -6.0f, s.width + 6.0f);
            ys[k] = Uniform(rng, -6.0f, s.height + 6.0f);
        } else if (mode == 1) {
            xs[k] = std::round(Uniform(rng, -6.0f, s.width + 6.0f) * 2.0f) * 0.5f;
            ys[k] = std::round(Uniform(rng, -6.0f, s.height + 6.0f) * 2.0f) * 0.5f;
        } else if (mode == 2) {
            xs[k] = Uniform(rng, -3.0f * s.width, 4.0f * s.width);
            ys[k] = Uniform(rng, -3.0f * s.height, 4.0f * s.height);
        } else {
            xs[k] = cx + Uniform(rng, -3.0f, 3.0f);
            ys[k] = cy + Uniform(rng, -3.0f, 3.0f);
        }
    }
    t.x0 = xs[0], t.x1 = xs[1], t.x2 = xs[2];
    t.y0 = ys[0], t.y1 = ys[1], t.y2 = ys[2];
}

void RandomState(std::mt19937& rng, const Scene& scene, SetupTriangle& t) {
    const float z[3] = {Uniform(rng, 0.0f, 1.0f), Uniform(rng, 0.0f, 1.0f), Uniform(rng, 0.0f, 1.0f)};
    const bool flatDepth = Chance(rng, 20);
    t.z0 = z[0];
    t.z1 = flatDepth ? z[0] : z[1];
    t.z2 = flatDepth ? z[0] : z[2];
    t.zmin = std::min(t.z0, std::min(t.z1, t.z2));
    t.zmax = std::max(t.z0, std::max(t.z1, t.z2));
    if (Chance(rng, 10)) t.zmin = -1e30f, t.zmax = 1e30f;
    t.colour0 = static_cast<uint32_t>(rng());
    t.colour1 = Chance(rng, 30) ? t.colour0 : static_cast<uint32_t>(rng());
    t.colour2 = Chance(rng, 30) ? t.colour1 : static_cast<uint32_t>(rng());
    const float scale = std::array<float, 4>{0.1f, 1.0f, 4.0f, 40.0f}[size_t(Pick(rng, 4))];
    const float s0 = Uniform(rng, -2.0f, 2.0f), t0 = Uniform(rng, -2.0f, 2.0f);
    t.s0 = s0 + Uniform(rng, 0.0f, scale);
    t.s1 = s0 + Uniform(rng, 0.0f, scale);
    t.s2 = s0 + Uniform(rng, 0.0f, scale);
    t.t0 = t0 + Uniform(rng, 0.0f, scale);
    t.t1 = t0 + Uniform(rng, 0.0f, scale);
    t.t2 = t0 + Uniform(rng, 0.0f, scale);
    t.invw0 = Uniform(rng, 0.25f, 4.0f);
    t.invw1 = Chance(rng, 30) ? t.invw0 : Uniform(rng, 0.25f, 4.0f);
    t.invw2 = Chance(rng, 30) ? t.invw0 : Uniform(rng, 0.25f, 4.0f);
    const int slots = static_cast<int>(scene.slots.size());
    const int texChoice = Pick(rng, slots + 2);
    t.textureSlot = texChoice < slots ? static_cast<uint32_t>(texChoice)
                                      : (texChoice == slots ? kNoTextureSlot : static_cast<uint32_t>(slots + 3));
    t.blendCode = Chance(rng, 5) ? 6u : static_cast<uint32_t>(Pick(rng, 4));
    t.alphaTest = Chance(rng, 20) ? 1u : 0u;
    t.depthTest = Chance(rng, 70) ? 1u : 0u;
    t.depthFunc = t.depthTest ? (Chance(rng, 5) ? 9u : static_cast<uint32_t>(Pick(rng, 8))) : 0u;
    t.depthWrite = (t.depthTest || Chance(rng, 10)) && Chance(rng, 70) ? 1u : 0u;
    t.texEnv = Chance(rng, 5) ? 7u : static_cast<uint32_t>(Pick(rng, 4));
    t.texEnvColour = static_cast<uint32_t>(rng());
    t.filterClass = Chance(rng, 5) ? 5u : static_cast<uint32_t>(Pick(rng, 3));
}

TextureSlot RandomSlot(std::mt19937& rng) {
    static constexpr int kSizes[] = {1, 2, 4, 8, 16, 32, 64, 3, 5, 12};
    static constexpr uint32_t kMin[] = {0x2600, 0x2601, 0x2700, 0x2703, 0x2702};
    static constexpr uint32_t kMag[] = {0x2600, 0x2601};
    static constexpr uint32_t kWrap[] = {0x2901, 0x2900, 0x812F};
    const uint32_t seed = static_cast<uint32_t>(rng());
    TextureSlot slot = MakeTextureSlot(
        kSizes[Pick(rng, 10)], kSizes[Pick(rng, 10)],
        [seed](int level, int x, int y) {
            uint32_t h =
                seed ^ (uint32_t(level) * 0x9E3779B9u) ^ (uint32_t(x) * 0x85EBCA6Bu) ^ (uint32_t(y) * 0xC2B2AE35u);
            h ^= h >> 15;
            h *= 0x2C1B3C6Du;
            h ^= h >> 12;
            return h;
        },
        kMin[Pick(rng, 5)], kMag[Pick(rng, 2)], kWrap[Pick(rng, 3)], kWrap[Pick(rng, 3)]);
    if (Chance(rng, 10)) slot.hasImage = 0;  // unusable entry
    return slot;
}

Scene RandomScene(uint32_t seed) {
    std::mt19937 rng(seed);
    Scene scene;
    const int width = 9 + Pick(rng, 32), height = 9 + Pick(rng, 32);
    scene.surface = MakeSurface(width, height, 8, static_cast<uint32_t>(rng()), Uniform(rng, 0.3f, 1.0f),
                                Chance(rng, 70) ? 1.0f : Uniform(rng, 0.2f, 1.0f));
    const int slotCount = Pick(rng, 4);
    for (int i = 0; i < slotCount; ++i) scene.slots.push_back(RandomSlot(rng));
    BuildTextureCache(scene.slots, Pick(rng, 3), scene.cache);
    if (slotCount == 0 && Chance(rng, 50)) scene.cache.clear();
    const int count = 1 + Pick(rng, 10);
    for (int i = 0; i < count; ++i) {
        SetupTriangle t{};
        PlaceVertices(rng, scene.surface, t);
        RandomState(rng, scene, t);
        scene.triangles.push_back(t);
        if (Chance(rng, 20)) {  // its neighbour across the edge 0->1, same winding, same state
            SetupTriangle n = t;
            n.x0 = t.x1, n.y0 = t.y1, n.x1 = t.x0, n.y1 = t.y0;
            n.x2 = t.x0 + t.x1 - t.x2, n.y2 = t.y0 + t.y1 - t.y2;
            n.colour0 = static_cast<uint32_t>(rng());
            scene.triangles.push_back(n);
        }
    }
    scene.vrsMode = Chance(rng, 5) ? 7u : static_cast<uint32_t>(Pick(rng, 3));
    return scene;
}

std::string DescribeScene(const Scene& scene, uint32_t seed) {
    std::string text = "seed " + std::to_string(seed) + ", surface " + std::to_string(scene.surface.width) + "x" +
                       std::to_string(scene.surface.height) + ", vrs " + std::to_string(scene.vrsMode) + "\n";
    for (size_t i = 0; i < scene.triangles.size(); ++i)
        text += "  [" + std::to_string(i) + "] " + DescribeTriangle(scene.triangles[i]) + "\n";
    return text;
}

// The first difference between two rendered surfaces, as text; empty when identical.
std::string FirstDifference(Surface& got, Surface& want) {
    char text[160];
    for (size_t i = 0; i < want.colour.size(); ++i)
        if (got.colour[i] != want.colour[i]) {
            const int x = int(i % size_t(want.colourStride)) - want.guard,
                      y = int(i / size_t(want.colourStride)) - want.guard;
            std::snprintf(text, sizeof(text), "colour at (%d, %d): kernel 0x%08X, reference 0x%08X", x, y,
                          got.colour[i], want.colour[i]);
            return text;
        }
    for (size_t i = 0; i < want.depth.size(); ++i)
        if (std::bit_cast<uint32_t>(got.depth[i]) != std::bit_cast<uint32_t>(want.depth[i])) {
            const int x = int(i % size_t(want.depthStride)) - want.guard,
                      y = int(i / size_t(want.depthStride)) - want.guard;
            std::snprintf(text, sizeof(text), "depth at (%d, %d): kernel %a, reference %a", x, y, got.depth[i],
                          want.depth[i]);
            return text;
        }
    for (size_t i = 0; i < want.hiz.size(); ++i)
        if (std::bit_cast<uint32_t>(got.hiz[i]) != std::bit_cast<uint32_t>(want.hiz[i])) {
            std::snprintf(text, sizeof(text), "HiZ of tile %zu: kernel %a, reference %a", i, got.hiz[i], want.hiz[i]);
            return text;
        }
    return {};
}

class KernelReferenceTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        variant_ = &KernelVariants()[size_t(GetParam())];
        if (!IsaSupported(variant_->isa)) GTEST_SKIP() << variant_->name << " is not supported by this processor";
    }
    const KernelVariant* variant_ = nullptr;
};

TEST_P(KernelReferenceTest, RandomScenesMatchTheScalarReferenceBitForBit) {
    constexpr uint32_t kScenes = 600;
    int mismatches = 0;
    for (uint32_t seed = 1; seed <= kScenes && mismatches < 3; ++seed) {
        Scene scene = RandomScene(seed);
        Surface want = scene.surface;
        RenderSurface(ReferenceTile(variant_->reference), MakeJob(want, scene.triangles, scene.cache, scene.vrsMode),
                      want, scene.triangles.size());
        Surface got = scene.surface;
        RenderSurface(KernelTile(variant_->kernel), MakeJob(got, scene.triangles, scene.cache, scene.vrsMode), got,
                      scene.triangles.size());
        const std::string difference = FirstDifference(got, want);
        const std::string guard = got.DamagedGuard();
        if (!difference.empty() || !guard.empty()) {
            ++mismatches;
            ADD_FAILURE() << variant_->name << ": " << difference << guard << "\n" << DescribeScene(scene, seed);
        }
    }
}

// The reference itself must not be trivially satisfied: the random scenes have to draw.
TEST(KernelReferenceScenes, RandomScenesDrawPixelsAndLeaveTheGuardBandAlone) {
    size_t changed = 0, total = 0;
    for (uint32_t seed = 1; seed <= 50; ++seed) {
        Scene scene = RandomScene(seed);
        Surface want = scene.surface;
        RenderSurface(ReferenceTile({}), MakeJob(want, scene.triangles, scene.cache, scene.vrsMode), want,
                      scene.triangles.size());
        EXPECT_EQ(want.DamagedGuard(), "") << DescribeScene(scene, seed);
        for (size_t i = 0; i < want.colour.size(); ++i) changed += want.colour[i] != scene.surface.colour[i];
        total += size_t(want.width) * size_t(want.height);
    }
    EXPECT_GT(changed, total / 5);
}

std::string VariantName(const ::testing::TestParamInfo<int>& param) {
    static const char* const kNames[] = {"Sse41", "Avx", "Avx2", "Avx512"};
    return kNames[param.param];
}

INSTANTIATE_TEST_SUITE_P(AllVariants, KernelReferenceTest, ::testing::Range(0, 4), VariantName);

}  // namespace
}  // namespace mora::raster::test
