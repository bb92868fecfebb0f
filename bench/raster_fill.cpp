// Fill rate of each raster kernel build: a 512x512 surface covered by two large triangles, or by
// 8-pixel triangles binned per micro tile; untextured Gouraud, nearest texturing, trilinear with
// MODULATE and alpha blending; full-rate and adaptive quarter-rate shading. Reports megapixels
// per second (Mpix/s) of covered pixels.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "gl/texture_slot.h"
#include "raster/cpu_features.h"
#include "raster/isa_dispatch.h"
#include "raster/kernel_variants.h"
#include "raster/raster_job.h"
#include "raster/setup_triangle.h"
#include "raster/texture_cache.h"

namespace mora::raster {
namespace {

constexpr int kSize = 512;  // surface side in pixels; a multiple of 8
constexpr int kTiles = kSize / 8;
constexpr int kTextureSize = 256;  // power of two

enum class Shading { Gouraud, Nearest, TrilinearModulate, AlphaBlend };

struct Variant {
    const char* name;
    int32_t isa;
    RasterizeTileFn kernel;
};

const Variant kVariants[] = {
    {"SSE4.1", kIsaSse41, &sse41::RasterizeTile},
    {"AVX", kIsaAvx, &avx::RasterizeTile},
    {"AVX2", kIsaAvx2, &avx2::RasterizeTile},
    {"AVX-512", kIsaAvx512, &avx512::RasterizeTile},
};

// A 256x256 texture with its mip chain, texels from a hash so neighbouring texels differ.
TextureSlot MakeTexture() {
    TextureSlot slot;
    slot.width = slot.height = kTextureSize;
    slot.hasImage = slot.inUse = 1;
    int32_t w = kTextureSize, h = kTextureSize, texels = 0;
    for (int level = 0;; ++level) {
        slot.levelWidth[level] = w;
        slot.levelHeight[level] = h;
        slot.levelPitch[level] = 4 * w;
        slot.levelBytesPerTexel[level] = 4;
        slot.levelOffset[level] = 4 * texels;
        texels += w * h;
        slot.levelCount = level + 1;
        if (w < 2 && h < 2) break;
        w = w > 1 ? w / 2 : 1;
        h = h > 1 ? h / 2 : 1;
    }
    slot.texels.resize(size_t(texels));
    for (size_t i = 0; i < slot.texels.size(); ++i) {
        uint32_t x = uint32_t(i) * 0x9E3779B9u;
        x ^= x >> 16;
        slot.texels[i] = x | 0xC0000000u;
    }
    return slot;
}

SetupTriangle StateFor(Shading shading) {
    SetupTriangle t{};
    t.colour0 = 0xFFFF8040u;
    t.colour1 = 0xFF40FF80u;
    t.colour2 = 0xFF8040FFu;
    t.invw0 = 1.0f;
    t.invw1 = 0.5f;
    t.invw2 = 0.75f;
    t.textureSlot = kNoTextureSlot;
    t.depthTest = 1;
    t.depthFunc = kDepthLequal;
    t.depthWrite = 1;
    t.z0 = t.z1 = t.z2 = 0.5f;
    t.zmin = t.zmax = 0.5f;
    if (shading == Shading::Nearest || shading == Shading::TrilinearModulate) {
        t.textureSlot = 0;
        t.texEnv = kEnvModulate;
        t.filterClass = shading == Shading::Nearest ? kFilterNearest : kFilterTrilinear;
    }
    if (shading == Shading::AlphaBlend) {
        t.colour0 = 0x80FF8040u;
        t.colour1 = 0x4040FF80u;
        t.colour2 = 0xC08040FFu;
        t.blendCode = kBlendSrcAlpha;
        t.depthWrite = 0;
    }
    return t;
}

void SetCorners(SetupTriangle& t, float x0, float y0, float x1, float y1, float x2, float y2, float texScale) {
    t.x0 = x0;
    t.y0 = y0;
    t.x1 = x1;
    t.y1 = y1;
    t.x2 = x2;
    t.y2 = y2;
    t.s0 = x0 * texScale;
    t.s1 = x1 * texScale;
    t.s2 = x2 * texScale;
    t.t0 = y0 * texScale;
    t.t1 = y1 * texScale;
    t.t2 = y2 * texScale;
}

struct Scene {
    std::vector<uint32_t> colour = std::vector<uint32_t>(size_t(kSize) * kSize, 0xFF000000u);
    std::vector<float> depth = std::vector<float>(size_t(kSize) * kSize, 1.0f);
    std::vector<float> hiz = std::vector<float>(size_t(kTiles) * kTiles, 1.0f);
    std::vector<SetupTriangle> triangles;
    std::vector<std::vector<uint32_t>> bins = std::vector<std::vector<uint32_t>>(size_t(kTiles) * kTiles);
    std::vector<TextureSlot> slots;
    std::vector<TextureCacheEntry> cache;
    double coveredPixels = 0;
};

// Large: two triangles forming the whole surface, in every bin. Small: right triangles with 4-pixel
// legs (8 pixels of area) tiling the surface, each binned to the micro tiles its bounds touch.
void BuildScene(Scene& scene, Shading shading, bool small) {
    scene.slots.push_back(MakeTexture());
    BuildTextureCache(scene.slots, 0, scene.cache);
    const SetupTriangle state = StateFor(shading);
    const float texScale = 1.5f / kTextureSize;  // slightly minified: trilinear blends levels 0 and 1
    if (!small) {
        SetupTriangle a = state, b = state;
        SetCorners(a, 0, 0, kSize, 0, kSize, kSize, texScale);
        SetCorners(b, 0, 0, kSize, kSize, 0, kSize, texScale);
        scene.triangles = {a, b};
        for (auto& bin : scene.bins) bin = {0, 1};
        scene.coveredPixels = double(kSize) * kSize;
        return;
    }
    for (int y = 0; y < kSize; y += 4)
        for (int x = 0; x < kSize; x += 4) {
            const float fx = float(x), fy = float(y);
            SetupTriangle a = state, b = state;
            SetCorners(a, fx, fy, fx + 4, fy, fx + 4, fy + 4, texScale);
            SetCorners(b, fx, fy, fx + 4, fy + 4, fx, fy + 4, texScale);
            for (const SetupTriangle& t : {a, b}) {
                const uint32_t index = uint32_t(scene.triangles.size());
                scene.triangles.push_back(t);
                scene.bins[size_t(y / 8) * kTiles + size_t(x / 8)].push_back(index);
            }
        }
    scene.coveredPixels = double(kSize) * kSize;
}

void RunFill(benchmark::State& state, const Variant& variant, Shading shading, bool small, uint32_t vrsMode) {
    if (!IsaSupported(variant.isa)) {
        state.SkipWithError("not supported by this processor");
        return;
    }
    Scene scene;
    BuildScene(scene, shading, small);
    RasterJob job;
    job.colourPitch = kSize * 4;
    job.colourBase = reinterpret_cast<uint8_t*>(scene.colour.data());
    job.depthBase = scene.depth.data();
    job.depthPitch = kSize * 4;
    job.triangles = scene.triangles.data();
    job.textureCache = scene.cache.data();
    job.textureCount = uint32_t(scene.cache.size());
    job.vrsMode = vrsMode;
    for (auto _ : state) {
        for (int my = 0; my < kTiles; ++my)
            for (int mx = 0; mx < kTiles; ++mx) {
                const auto& bin = scene.bins[size_t(my) * kTiles + size_t(mx)];
                variant.kernel(job, 8 * mx, 8 * my, 8 * mx + 8, 8 * my + 8, bin.data(), int32_t(bin.size()),
                               &scene.hiz[size_t(my) * kTiles + size_t(mx)]);
            }
        benchmark::DoNotOptimize(scene.colour.data());
        benchmark::ClobberMemory();
    }
    state.counters["Mpix/s"] =
        benchmark::Counter(scene.coveredPixels * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
}

const char* ShadingName(Shading s) {
    switch (s) {
        case Shading::Gouraud: return "Gouraud";
        case Shading::Nearest: return "NearestTex";
        case Shading::TrilinearModulate: return "TrilinearModulate";
        default: return "AlphaBlend";
    }
}

[[maybe_unused]] const bool kRegistered = [] {
    for (const Variant& variant : kVariants)
        for (Shading shading : {Shading::Gouraud, Shading::Nearest, Shading::TrilinearModulate, Shading::AlphaBlend})
            for (bool small : {false, true})
                for (uint32_t vrs : {0u, 1u}) {
                    const std::string name = std::string("Fill/") + ShadingName(shading) +
                                             (small ? "/Tri8px" : "/Large") + (vrs ? "/VrsAdaptive/" : "/VrsOff/") +
                                             variant.name;
                    benchmark::RegisterBenchmark(name.c_str(), [&variant, shading, small, vrs](benchmark::State& s) {
                        RunFill(s, variant, shading, small, vrs);
                    })->Unit(benchmark::kMillisecond);
                }
    return true;
}();

}  // namespace
}  // namespace mora::raster
