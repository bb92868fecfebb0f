// Scalar reference of the micro-tile rasterizer. Built with contraction off: every product and
// sum rounds on its own unless written as std::fma, which stands exactly where the FMA builds fuse.
#include "reference_raster.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "raster/setup_triangle.h"
#include "raster/texture_cache.h"

namespace mora::raster::test {
namespace {

constexpr int kLaneX[16] = {0, 2, 0, 2, 4, 6, 4, 6, 0, 2, 0, 2, 4, 6, 4, 6};
constexpr int kLaneY[16] = {0, 2, 2, 0, 0, 2, 2, 0, 4, 6, 6, 4, 4, 6, 6, 4};
const float kInv255 = std::bit_cast<float>(0x3B808081u);
const float kThreshold[3] = {std::bit_cast<float>(0x348637BEu), std::bit_cast<float>(0x3ABD4499u),
                             std::bit_cast<float>(0x3BA9DE8Au)};

struct Arith {
    bool fused;
    float MulAdd(float a, float b, float c) const { return fused ? std::fma(a, b, c) : a * b + c; }
    float NegMulAdd(float a, float b, float c) const { return fused ? std::fma(-a, b, c) : c - a * b; }
};

// x86 min/max: the second operand when either is NaN.
float MaxX86(float a, float b) { return a > b ? a : b; }
float MinX86(float a, float b) { return a < b ? a : b; }

// cvttps2dq: truncation, 0x80000000 for NaN and out-of-range values.
int32_t Truncate(float f) { return f >= -2147483648.0f && f < 2147483648.0f ? static_cast<int32_t>(f) : INT32_MIN; }

int32_t Wrap(int32_t i, int32_t size, bool clamp) {
    const int32_t last = static_cast<int32_t>(static_cast<uint32_t>(size) - 1u);
    return clamp ? std::min(std::max(i, 0), last) : i & last;
}

uint32_t LoadWord(const uint8_t* p) {
    uint32_t w;
    std::memcpy(&w, p, 4);
    return w;
}

float Channel(uint32_t word, int shift) { return static_cast<float>((word >> shift) & 0xFFu); }

struct Rgba {
    float c[4];  // A, R, G, B on the 0..255 scale
};

struct Edges {
    float area = 0, invArea = 0;
    float bias[3] = {};
};

float Area(const SetupTriangle& t, const Arith& m) {
    return m.NegMulAdd(t.y1 - t.y0, t.x2 - t.x0, (t.x1 - t.x0) * (t.y2 - t.y0));
}

// E_k at (px, py): (X(k+1) - Xk)(py - Yk) - (Y(k+1) - Yk)(px - Xk).
float Edge(const SetupTriangle& t, int k, float px, float py, const Arith& m) {
    const float xs[3] = {t.x0, t.x1, t.x2};
    const float ys[3] = {t.y0, t.y1, t.y2};
    const int n = (k + 1) % 3;
    return m.NegMulAdd(ys[n] - ys[k], px - xs[k], (xs[n] - xs[k]) * (py - ys[k]));
}

bool SetUp(const SetupTriangle& t, const Arith& m, Edges& e) {
    e.area = Area(t, m);
    if (e.area == 0.0f) return false;
    e.invArea = 1.0f / e.area;
    const float xs[3] = {t.x0, t.x1, t.x2};
    const float ys[3] = {t.y0, t.y1, t.y2};
    for (int k = 0; k < 3; ++k) {
        const float dx = xs[(k + 1) % 3] - xs[k];
        const float dy = ys[(k + 1) % 3] - ys[k];
        if (e.area > 0.0f)
            e.bias[k] = (dy < 0.0f || (dy == 0.0f && dx > 0.0f)) ? 0.00390625f : -0.00390625f;
        else
            e.bias[k] = (dy > 0.0f || (dy == 0.0f && dx < 0.0f)) ? -0.00390625f : 0.00390625f;
    }
    return true;
}

struct Fragment {
    bool covered = false;
    float l0 = 0, l1 = 0, l2 = 0, z = 0;
};

Fragment Cover(const SetupTriangle& t, const Edges& e, float px, float py, const Arith& m) {
    const float e0 = Edge(t, 0, px, py, m), e1 = Edge(t, 1, px, py, m), e2 = Edge(t, 2, px, py, m);
    Fragment f;
    if (e.area > 0.0f)
        f.covered = e0 + e.bias[0] >= 0.0f && e1 + e.bias[1] >= 0.0f && e2 + e.bias[2] >= 0.0f;
    else
        f.covered = e0 + e.bias[0] <= 0.0f && e1 + e.bias[1] <= 0.0f && e2 + e.bias[2] <= 0.0f;
    f.l0 = e1 * e.invArea;
    f.l1 = e2 * e.invArea;
    f.l2 = e0 * e.invArea;
    f.z = t.depthTest != 0 ? m.MulAdd(f.l2, t.z2, m.MulAdd(f.l0, t.z0, f.l1 * t.z1)) : 0.0f;
    return f;
}

bool DepthPasses(uint32_t func, float z, float d) {
    switch (func) {
        case kDepthAlways: return true;
        case kDepthLess: return z < d;
        case kDepthLequal: return z <= d;
        case kDepthEqual: return z == d;
        case kDepthGequal: return z >= d;
        case kDepthGreater: return z > d;
        case kDepthNotequal: return z != d;
        default: return false;
    }
}

struct Tile {
    const RasterJob* job;
    int32_t x0, y0, x1, y1;
    int32_t X(int pass, int lane) const { return x0 + kLaneX[lane] + (pass & 1); }
    int32_t Y(int pass, int lane) const { return y0 + kLaneY[lane] + (pass >> 1); }
    float PixelX(int pass, int lane) const { return static_cast<float>(X(pass, lane)) + 0.5f; }
    float PixelY(int pass, int lane) const { return static_cast<float>(Y(pass, lane)) + 0.5f; }
    bool Live(int pass, int lane) const { return X(pass, lane) < x1 && Y(pass, lane) < y1; }
    uint8_t* ColourAt(int pass, int lane) const {
        return job->colourBase + int64_t{Y(pass, lane)} * job->colourPitch + 4 * int64_t{X(pass, lane)};
    }
    float* DepthAt(int pass, int lane) const {
        return job->depthBase + int64_t{Y(pass, lane)} * (job->depthPitch / 4) + X(pass, lane);
    }
};

// Perspective-correct interpolation and shading of one lane, with its own barycentrics.
struct Shader {
    const RasterJob& job;
    const SetupTriangle& t;
    const Edges& e;
    const Tile& tile;
    const Arith& m;

    const TextureCacheEntry* Texture() const {
        if (t.textureSlot >= job.textureCount || job.textureCache == nullptr) return nullptr;
        const TextureCacheEntry& entry = job.textureCache[t.textureSlot];
        return (entry.width > 0 && entry.height > 0 && entry.levelData[0] != nullptr) ? &entry : nullptr;
    }

    Fragment At(int pass, int lane) const { return Cover(t, e, tile.PixelX(pass, lane), tile.PixelY(pass, lane), m); }

    float InvQ(const Fragment& f) const {
        return 1.0f / m.MulAdd(f.l2, t.invw2, m.MulAdd(f.l0, t.invw0, f.l1 * t.invw1));
    }

    float Perspective(const Fragment& f, float a0, float a1, float a2, float invQ) const {
        return m.MulAdd(f.l2, t.invw2 * a2, m.MulAdd(f.l0, t.invw0 * a0, f.l1 * (t.invw1 * a1))) * invQ;
    }

    uint32_t Texel(const TextureCacheEntry& tex, int level, int32_t i, int32_t j) const {
        const uint32_t offset = static_cast<uint32_t>(tex.levelOffset[level]) +
                                static_cast<uint32_t>(j) * static_cast<uint32_t>(tex.levelPitch[level]) +
                                (static_cast<uint32_t>(i) << 2);
        return LoadWord(tex.levelData[0] + static_cast<int32_t>(offset & ~3u));
    }

    void Unpack(uint32_t w, float out[4]) const {
        for (int c = 0; c < 4; ++c) out[c] = Channel(w, 24 - 8 * c) * kInv255;
    }

    void Bilinear(const TextureCacheEntry& tex, int level, float s, float tt, float out[4]) const {
        const int32_t w = tex.levelWidth[level], h = tex.levelHeight[level];
        const float x = m.MulAdd(s, static_cast<float>(w), -0.5f);
        const float y = m.MulAdd(tt, static_cast<float>(h), -0.5f);
        const float xf = std::floor(x), yf = std::floor(y);
        const float fx = x - xf, fy = y - yf;
        const int32_t i0raw = Truncate(xf), j0raw = Truncate(yf);
        const int32_t i0 = Wrap(i0raw, w, tex.clampS != 0);
        const int32_t i1 = Wrap(static_cast<int32_t>(static_cast<uint32_t>(i0raw) + 1u), w, tex.clampS != 0);
        const int32_t j0 = Wrap(j0raw, h, tex.clampT != 0);
        const int32_t j1 = Wrap(static_cast<int32_t>(static_cast<uint32_t>(j0raw) + 1u), h, tex.clampT != 0);
        float t00[4], t10[4], t01[4], t11[4];
        Unpack(Texel(tex, level, i0, j0), t00);
        Unpack(Texel(tex, level, i1, j0), t10);
        Unpack(Texel(tex, level, i0, j1), t01);
        Unpack(Texel(tex, level, i1, j1), t11);
        const float gx = 1.0f - fx, gy = 1.0f - fy;
        const float w10 = fx * gy, w00 = gx * gy, w11 = fx * fy, w01 = gx * fy;
        for (int c = 0; c < 4; ++c) {
            float r = w10 * t10[c];
            r = m.MulAdd(w00, t00[c], r);
            r = m.MulAdd(w11, t11[c], r);
            out[c] = m.MulAdd(w01, t01[c], r);
        }
    }

    void TexCoords(int pass, int lane, float& s, float& tt) const {
        const Fragment f = At(pass, lane);
        const float invQ = InvQ(f);
        s = Perspective(f, t.s0, t.s1, t.s2, invQ);
        tt = Perspective(f, t.t0, t.t1, t.t2, invQ);
    }

    void Sample(const TextureCacheEntry& tex, int pass, int lane, float s, float tt, float out[4]) const {
        const uint32_t filter =
            (t.filterClass == kFilterNearest || t.filterClass == kFilterBilinear) ? t.filterClass : kFilterTrilinear;
        if (filter != kFilterTrilinear) {
            const int32_t w = tex.levelWidth[0], h = tex.levelHeight[0];
            if (filter == kFilterNearest)
                Unpack(Texel(tex, 0, Wrap(Truncate(std::floor(s * static_cast<float>(w))), w, tex.clampS != 0),
                             Wrap(Truncate(std::floor(tt * static_cast<float>(h))), h, tex.clampT != 0)),
                       out);
            else
                Bilinear(tex, 0, s, tt, out);
            for (int c = 0; c < 4; ++c) out[c] = out[c] * 255.0f;
            return;
        }
        float sx, tx, sy, ty;
        TexCoords(pass, lane ^ 3, sx, tx);
        TexCoords(pass, lane ^ 2, sy, ty);
        const float w0 = static_cast<float>(tex.levelWidth[0]), h0 = static_cast<float>(tex.levelHeight[0]);
        const float dsx = std::fabs((s - sx) * 0.5f), dtx = std::fabs((tt - tx) * 0.5f);
        const float dsy = std::fabs((s - sy) * 0.5f), dty = std::fabs((tt - ty) * 0.5f);
        const float rho = MaxX86(MaxX86(MaxX86(dsx * w0, dtx * h0), dsy * w0), dty * h0);
        const int32_t exponent = static_cast<int32_t>((std::bit_cast<uint32_t>(std::floor(rho)) >> 23) & 0xFFu);
        const int32_t lod = std::max(exponent, 127) - 127 + tex.lodBias;
        const int32_t level1 = std::min(std::max(lod, 0), 15);
        const int32_t level2 = std::min(std::max(lod + 1, 0), 15);
        const float scale = std::bit_cast<float>(static_cast<uint32_t>(level1 + 127) << 23);
        const float weight = MaxX86((rho - scale) / scale, 0.0f);
        const int32_t last = std::min(std::max(tex.levelCount, 1), 16) - 1;
        float s1[4], s2[4];
        Bilinear(tex, std::min(level1, last), s, tt, s1);
        Bilinear(tex, std::min(level2, last), s, tt, s2);
        for (int c = 0; c < 4; ++c) out[c] = m.MulAdd(1.0f - weight, s1[c], weight * s2[c]) * 255.0f;
    }

    Rgba Shade(int pass, int lane) const {
        const TextureCacheEntry* tex = Texture();
        const bool indexInRange = t.textureSlot < job.textureCount && job.textureCache != nullptr;
        const uint32_t env = t.texEnv <= kEnvBlend ? t.texEnv : kEnvModulate;
        const bool flat = (t.colour0 == t.colour1 && t.colour1 == t.colour2) || (indexInRange && env == kEnvReplace);
        const Fragment f = At(pass, lane);
        Rgba c;
        float invQ = 0.0f;
        if (!flat || tex != nullptr) invQ = InvQ(f);
        for (int k = 0; k < 4; ++k) {
            const int shift = 24 - 8 * k;
            c.c[k] = flat ? Channel(t.colour0, shift)
                          : Perspective(f, Channel(t.colour0, shift), Channel(t.colour1, shift),
                                        Channel(t.colour2, shift), invQ);
        }
        if (tex == nullptr) return c;
        const float s = Perspective(f, t.s0, t.s1, t.s2, invQ);
        const float tt = Perspective(f, t.t0, t.t1, t.t2, invQ);
        float tx[4];
        Sample(*tex, pass, lane, s, tt, tx);
        Rgba out;
        switch (env) {
            case kEnvReplace:
                for (int k = 0; k < 4; ++k) out.c[k] = tx[k];
                break;
            case kEnvDecal: {
                const float a = tx[0] * kInv255;
                out.c[0] = c.c[0];
                for (int k = 1; k < 4; ++k) out.c[k] = m.MulAdd(c.c[k], 1.0f - a, tx[k] * a);
                break;
            }
            case kEnvBlend: {
                const float envRgb[3] = {Channel(t.texEnvColour, 16), Channel(t.texEnvColour, 8),
                                         Channel(t.texEnvColour, 0)};
                for (int k = 1; k < 4; ++k) {
                    const float kk = tx[k] * kInv255;
                    out.c[k] = m.MulAdd(1.0f - kk, c.c[k], kk * envRgb[k - 1]);
                }
                out.c[0] = (tx[0] * c.c[0]) * kInv255;
                break;
            }
            default:
                for (int k = 0; k < 4; ++k) out.c[k] = (tx[k] * c.c[k]) * kInv255;
                break;
        }
        return out;
    }
};

int32_t Pack(float v) { return Truncate(MinX86(MaxX86(v, 0.0f), 255.0f)); }

// Alpha test, blend, pack and store of one pixel, then its depth.
void WritePixel(const SetupTriangle& t, const Arith& m, uint8_t* colour, float* depth, Rgba c, float z,
                bool depthWrite) {
    if (t.alphaTest != 0 && !(c.c[0] > 169.83f)) return;
    const uint32_t blend = t.blendCode & kBlendCodeMask;
    if (blend >= kBlendAdditive && blend <= kBlendLast) {
        const uint32_t dst = LoadWord(colour);
        float d[4];
        for (int k = 0; k < 4; ++k) d[k] = Channel(dst, 24 - 8 * k);
        const float a = c.c[0] * kInv255;
        for (int k = 0; k < 4; ++k) {
            const float s = c.c[k];
            switch (blend) {
                case kBlendAdditive: c.c[k] = s + d[k]; break;
                case kBlendModulateDst: c.c[k] = (s * d[k]) * kInv255; break;
                case kBlendSrcAlpha: c.c[k] = m.MulAdd(d[k], 1.0f - a, s * a); break;
                case kBlendAddSrcAlpha: c.c[k] = m.MulAdd(s, a, d[k]); break;
                case kBlendDoubleModulate: c.c[k] = (s * d[k]) * kInv255 + (s * d[k]) * kInv255; break;
                case kBlendInvSrcColour: c.c[k] = d[k] * (1.0f - s * kInv255); break;
                default: c.c[k] = m.MulAdd(d[k], 1.0f - a, s); break;  // premultiplied
            }
        }
    }
    const uint32_t word = static_cast<uint32_t>(Pack(c.c[0])) << 24 | static_cast<uint32_t>(Pack(c.c[1])) << 16 |
                          static_cast<uint32_t>(Pack(c.c[2])) << 8 | static_cast<uint32_t>(Pack(c.c[3]));
    std::memcpy(colour, &word, 4);
    if (depthWrite) *depth = z;
}

float LowerHiZ(const RasterJob& job, const Tile& tile, const uint32_t* bin, int32_t count, float h, const Arith& m) {
    const float cx[4] = {tile.x0 + 0.5f, tile.x1 - 0.5f, tile.x0 + 0.5f, tile.x1 - 0.5f};
    const float cy[4] = {tile.y0 + 0.5f, tile.y0 + 0.5f, tile.y1 - 0.5f, tile.y1 - 0.5f};
    for (int32_t k = 0; k < count; ++k) {
        const SetupTriangle& t = job.triangles[bin[k]];
        if (!(t.depthTest != 0 && t.depthFunc == kDepthLequal && t.depthWrite != 0 && t.blendCode == 0 &&
              t.alphaTest == 0 && t.zmax < h))
            continue;
        const float area = Area(t, m);
        if (area == 0.0f) continue;
        bool inside = true;
        for (int c = 0; c < 4; ++c) {
            for (int e = 0; e < 3; ++e) {
                const float v = Edge(t, e, cx[c], cy[c], m);
                inside = inside && (area > 0.0f ? v >= 0.0f : v <= 0.0f);
            }
        }
        if (inside) h = t.zmax;
    }
    return h;
}

bool HiZRejects(const SetupTriangle& t, float h) {
    return t.depthTest != 0 && t.depthFunc == kDepthLequal && t.blendCode == 0 && t.alphaTest == 0 && t.zmin > h;
}

// Coverage and depth test of one lane; false when the lane takes no part.
bool LaneVisible(const SetupTriangle& t, const Edges& e, const Tile& tile, int pass, int lane, const Arith& m,
                 Fragment& f) {
    f = Cover(t, e, tile.PixelX(pass, lane), tile.PixelY(pass, lane), m);
    if (!tile.Live(pass, lane) || !f.covered) return false;
    if (const uint32_t number = t.blendCode >> kScissorNumberShift; number != 0) {
        if (number > tile.job->scissorCount) return false;
        const ScissorRect& r = tile.job->scissorRects[number - 1];
        const int32_t x = tile.X(pass, lane), y = tile.Y(pass, lane);
        if (x < r.x0 || x >= r.x1 || y < r.y0 || y >= r.y1) return false;
    }
    return t.depthTest == 0 || DepthPasses(t.depthFunc, f.z, *tile.DepthAt(pass, lane));
}

float LuminanceDeviation(const Rgba* colours, int count, const Arith& m) {
    float lum[16], acc[16];
    for (int i = 0; i < count; ++i) {
        const Rgba& c = colours[i];
        lum[i] = m.MulAdd(0.0722f, c.c[3], m.MulAdd(0.2126f, c.c[1], 0.7152f * c.c[2])) * kInv255;
        acc[i] = lum[i];
    }
    for (int w = count / 2; w >= 1; w /= 2)
        for (int i = 0; i < w; ++i) acc[i] = acc[i] + acc[i + w];
    const float mean = acc[0] * (count == 16 ? 0.0625f : 0.125f);
    for (int i = 0; i < count; ++i) acc[i] = (lum[i] - mean) * (lum[i] - mean);
    for (int w = count / 2; w >= 1; w /= 2)
        for (int i = 0; i < w; ++i) acc[i] = MaxX86(acc[i], acc[i + w]);
    return acc[0];
}

// Quarter-rate shading of one triangle over the lanes [first, first + count) of every pass.
void ShadeQuarterRate(const RasterJob& job, const SetupTriangle& t, const Edges& e, const Tile& tile, int first,
                      int count, const Arith& m) {
    Fragment frag[4][16];
    bool visible[4][16] = {};
    bool any = false;
    for (int p = 0; p < 4; ++p)
        for (int i = first; i < first + count; ++i) any |= visible[p][i] = LaneVisible(t, e, tile, p, i, m, frag[p][i]);
    if (!any) return;
    const Shader shader{job, t, e, tile, m};
    Rgba colour[4][16];
    for (int i = first; i < first + count; ++i) colour[0][i] = shader.Shade(0, i);
    for (int p = 1; p < 4; ++p)
        for (int i = first; i < first + count; ++i) colour[p][i] = colour[0][i];
    if (job.vrsMode == 1 && !(LuminanceDeviation(&colour[0][first], count, m) < kThreshold[0])) {
        for (int i = first; i < first + count; ++i) {
            colour[3][i] = shader.Shade(3, i);
            for (int k = 0; k < 4; ++k) colour[1][i].c[k] = (colour[0][i].c[k] + colour[3][i].c[k]) * 0.5f;
            colour[2][i] = colour[1][i];
        }
        if (!(LuminanceDeviation(&colour[3][first], count, m) < kThreshold[1])) {
            for (int i = first; i < first + count; ++i) {
                colour[2][i] = shader.Shade(2, i);
                for (int k = 0; k < 4; ++k)
                    colour[1][i].c[k] = (colour[0][i].c[k] + colour[3][i].c[k] + colour[2][i].c[k]) * (1.0f / 3.0f);
            }
            if (!(LuminanceDeviation(&colour[2][first], count, m) < kThreshold[2]))
                for (int i = first; i < first + count; ++i) colour[1][i] = shader.Shade(1, i);
        }
    }
    const bool depthWrite = t.depthTest != 0 && t.depthWrite != 0;
    for (int p = 0; p < 4; ++p)
        for (int i = first; i < first + count; ++i)
            if (visible[p][i])
                WritePixel(t, m, tile.ColourAt(p, i), tile.DepthAt(p, i), colour[p][i], frag[p][i].z, depthWrite);
}

}  // namespace

void ReferenceRasterizeTile(const RasterJob& job, int32_t x0, int32_t y0, int32_t x1, int32_t y1, const uint32_t* bin,
                            int32_t binCount, float* hiz, const ReferenceOptions& options) {
    if (binCount <= 0) return;
    const Arith m{options.fused};
    const Tile tile{&job, x0, y0, x1, y1};
    const float h = LowerHiZ(job, tile, bin, binCount, *hiz, m);
    *hiz = h;

    if (job.vrsMode == 0) {
        for (int p = 0; p < 4; ++p) {
            for (int32_t k = 0; k < binCount; ++k) {
                const SetupTriangle& t = job.triangles[bin[k]];
                Edges e;
                if (HiZRejects(t, h) || !SetUp(t, m, e)) continue;
                const Shader shader{job, t, e, tile, m};
                for (int i = 0; i < 16; ++i) {
                    Fragment f;
                    if (!LaneVisible(t, e, tile, p, i, m, f)) continue;
                    WritePixel(t, m, tile.ColourAt(p, i), tile.DepthAt(p, i), shader.Shade(p, i), f.z,
                               t.depthTest != 0 && t.depthWrite != 0);
                }
            }
        }
        return;
    }
    const int groups = options.halfTileShading ? 2 : 1;
    const int lanesPerGroup = 16 / groups;
    for (int g = 0; g < groups; ++g) {
        for (int32_t k = 0; k < binCount; ++k) {
            const SetupTriangle& t = job.triangles[bin[k]];
            Edges e;
            if (HiZRejects(t, h) || !SetUp(t, m, e)) continue;
            ShadeQuarterRate(job, t, e, tile, g * lanesPerGroup, lanesPerGroup, m);
        }
    }
}

}  // namespace mora::raster::test
