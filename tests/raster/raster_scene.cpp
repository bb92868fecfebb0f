// Test scaffolding for the raster kernels.
#include "raster_scene.h"

#include <bit>
#include <cstdio>

#include "raster/cpu_features.h"
#include "raster/kernel_variants.h"

namespace mora::raster::test {

const std::vector<KernelVariant>& KernelVariants() {
    static const std::vector<KernelVariant> variants = {
        {"SSE4.1", kIsaSse41, &sse41::RasterizeTile, {false, true}},
        {"AVX", kIsaAvx, &avx::RasterizeTile, {false, false}},
        {"AVX2", kIsaAvx2, &avx2::RasterizeTile, {true, false}},
        {"AVX-512", kIsaAvx512, &avx512::RasterizeTile, {true, false}},
    };
    return variants;
}

std::string VariantName(const ::testing::TestParamInfo<int>& param) {
    static const char* const kNames[] = {"Sse41", "Avx", "Avx2", "Avx512"};
    return kNames[param.param];
}

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

std::string Surface::DamagedGuard() const {
    char text[128];
    for (int32_t y = -guard; y < height + guard; ++y) {
        for (int32_t x = -guard; x < colourStride - guard; ++x) {
            const bool inside = x >= 0 && x < width && y >= 0 && y < height;
            if (inside) continue;
            const uint32_t c = colour[size_t(y + guard) * colourStride + size_t(x + guard)];
            if (c != kGuardColour) {
                std::snprintf(text, sizeof(text), "colour guard (%d, %d) = 0x%08X", x, y, c);
                return text;
            }
            if (x < width + guard) {
                const float d = depth[size_t(y + guard) * depthStride + size_t(x + guard)];
                if (std::bit_cast<uint32_t>(d) != std::bit_cast<uint32_t>(kGuardDepth)) {
                    std::snprintf(text, sizeof(text), "depth guard (%d, %d) = %g", x, y, d);
                    return text;
                }
            }
        }
    }
    return {};
}

TextureSlot MakeTextureSlot(int32_t width, int32_t height, const std::function<uint32_t(int, int, int)>& texel,
                            uint32_t minFilter, uint32_t magFilter, uint32_t wrapS, uint32_t wrapT) {
    TextureSlot slot;
    slot.width = width, slot.height = height;
    slot.minFilter = minFilter, slot.magFilter = magFilter, slot.wrapS = wrapS, slot.wrapT = wrapT;
    slot.inUse = slot.hasImage = 1;
    int32_t w = width, h = height;
    int64_t texels = 0;
    for (int level = 0; level < kMaxTextureLevels; ++level) {
        slot.levelWidth[level] = w;
        slot.levelHeight[level] = h;
        slot.levelPitch[level] = 4 * w;
        slot.levelBytesPerTexel[level] = 4;
        slot.levelOffset[level] = static_cast<int32_t>(4 * texels);
        texels += int64_t{w} * h;
        slot.levelCount = level + 1;
        if (w < 2 && h < 2) break;
        if (w >= 2) w /= 2;
        if (h >= 2) h /= 2;
    }
    slot.texels.assign(size_t(texels), 0);
    for (int level = 0; level < slot.levelCount; ++level)
        for (int32_t y = 0; y < slot.levelHeight[level]; ++y)
            for (int32_t x = 0; x < slot.levelWidth[level]; ++x)
                slot.texels[size_t(slot.levelOffset[level] / 4 + y * slot.levelWidth[level] + x)] = texel(level, x, y);
    return slot;
}

RasterJob MakeJob(Surface& surface, const std::vector<SetupTriangle>& triangles,
                  const std::vector<TextureCacheEntry>& cache, uint32_t vrsMode) {
    RasterJob job;
    job.colourPitch = surface.colourStride * 4;
    job.colourBase = reinterpret_cast<uint8_t*>(&surface.Colour(0, 0));
    job.depthBase = &surface.Depth(0, 0);
    job.depthPitch = surface.depthStride * 4;
    job.triangles = triangles.data();
    job.textureCache = cache.empty() ? nullptr : cache.data();
    job.textureCount = static_cast<uint32_t>(cache.size());
    job.vrsMode = vrsMode;
    return job;
}

void RenderSurface(const TileFunction& tile, const RasterJob& job, Surface& surface, size_t triangleCount) {
    std::vector<uint32_t> bin(triangleCount);
    for (size_t i = 0; i < triangleCount; ++i) bin[i] = static_cast<uint32_t>(i);
    for (int32_t my = 0; my < surface.TilesY(); ++my)
        for (int32_t mx = 0; mx < surface.TilesX(); ++mx) {
            const int32_t x0 = 8 * mx, y0 = 8 * my;
            tile(job, x0, y0, std::min(surface.width, x0 + 8), std::min(surface.height, y0 + 8), bin.data(),
                 static_cast<int32_t>(bin.size()), &surface.hiz[size_t(my) * surface.TilesX() + size_t(mx)]);
        }
}

TileFunction KernelTile(RasterizeTileFn kernel) { return kernel; }

TileFunction ReferenceTile(const ReferenceOptions& options) {
    return
        [options](const RasterJob& job, int32_t x0, int32_t y0, int32_t x1, int32_t y1, const uint32_t* bin,
                  int32_t count, float* hiz) { ReferenceRasterizeTile(job, x0, y0, x1, y1, bin, count, hiz, options); };
}

SetupTriangle PlainTriangle(float x0, float y0, float x1, float y1, float x2, float y2, uint32_t colour) {
    SetupTriangle t{};
    t.x0 = x0, t.y0 = y0, t.x1 = x1, t.y1 = y1, t.x2 = x2, t.y2 = y2;
    t.colour0 = t.colour1 = t.colour2 = colour;
    t.invw0 = t.invw1 = t.invw2 = 1.0f;
    t.textureSlot = kNoTextureSlot;
    return t;
}

std::string DescribeTriangle(const SetupTriangle& t) {
    char text[640];
    std::snprintf(text, sizeof(text),
                  "xy (%a,%a) (%a,%a) (%a,%a) z %a %a %a colours %08X %08X %08X s %a %a %a t %a %a %a q %a %a %a "
                  "tex %u blend %u alpha %u depth %u/%u/%u env %u/%08X filter %u zmin %a zmax %a",
                  t.x0, t.y0, t.x1, t.y1, t.x2, t.y2, t.z0, t.z1, t.z2, t.colour0, t.colour1, t.colour2, t.s0, t.s1,
                  t.s2, t.t0, t.t1, t.t2, t.invw0, t.invw1, t.invw2, t.textureSlot, t.blendCode, t.alphaTest,
                  t.depthTest, t.depthFunc, t.depthWrite, t.texEnv, t.texEnvColour, t.filterClass, t.zmin, t.zmax);
    return text;
}

}  // namespace mora::raster::test
