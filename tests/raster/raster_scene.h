// Test scaffolding for the raster kernels: the variant list, a framebuffer with guard bands around
// it, texture slots built the way the texture entries build them, and whole-surface rendering
// through a kernel (every micro tile gets every triangle in its bin).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "gl/texture_slot.h"
#include "raster/raster_job.h"
#include "raster/texture_cache.h"
#include "reference_raster.h"
#include "raster/setup_triangle.h"

namespace mora::raster::test {

struct KernelVariant {
    const char* name;
    int32_t isa;  // variant index for IsaSupported
    RasterizeTileFn kernel;
    ReferenceOptions reference;  // how the scalar reference must run to match it bit for bit
};

// SSE4.1, AVX, AVX2, AVX-512 in that order; tests run per variant index and are named by it.
const std::vector<KernelVariant>& KernelVariants();
std::string VariantName(const ::testing::TestParamInfo<int>& param);

inline constexpr uint32_t kGuardColour = 0xDEADBEEFu;
inline constexpr float kGuardDepth = -12345.0f;

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
    // The first guard-band word or depth that changed, as text; empty when all are intact.
    std::string DamagedGuard() const;
};

Surface MakeSurface(int32_t width, int32_t height, int32_t guard, uint32_t clearColour, float clearDepth,
                    float clearHiZ);

// A slot with a level-0 image of width x height and its whole mip chain, every texel from `texel`
// (called with level, x, y).
TextureSlot MakeTextureSlot(int32_t width, int32_t height, const std::function<uint32_t(int, int, int)>& texel,
                            uint32_t minFilter = 0x2703, uint32_t magFilter = 0x2601, uint32_t wrapS = 0x2901,
                            uint32_t wrapT = 0x2901);

RasterJob MakeJob(Surface& surface, const std::vector<SetupTriangle>& triangles,
                  const std::vector<TextureCacheEntry>& cache, uint32_t vrsMode);

using TileFunction =
    std::function<void(const RasterJob&, int32_t, int32_t, int32_t, int32_t, const uint32_t*, int32_t, float*)>;

// Runs `tile` over every micro tile of the surface with the bin 0, 1, ..., triangle count - 1.
void RenderSurface(const TileFunction& tile, const RasterJob& job, Surface& surface, size_t triangleCount);

TileFunction KernelTile(RasterizeTileFn kernel);
TileFunction ReferenceTile(const ReferenceOptions& options);

// A triangle with every state word at its "plain opaque, depth off" value.
SetupTriangle PlainTriangle(float x0, float y0, float x1, float y1, float x2, float y2, uint32_t colour);

std::string DescribeTriangle(const SetupTriangle& t);

}  // namespace mora::raster::test
