// The micro-tile raster kernel, written once over a small vector vocabulary and compiled once per
// instruction set. Each kernel_<isa>.cpp defines, inside its own namespace, kLanes (8 or 16 lanes
// per step), kFused (whether multiply-add pairs are fused) and the vector types F (float), I (int32)
// and M (lane mask) with their operations (the AVX and AVX2 builds share kernel_float256.inl, the
// SSE4.1 and AVX builds kernel_lane_loops.inl), FoldToQuadSum / FoldToQuadMax for the reductions,
// and then includes this file inside that namespace. Four-lane work (tile corners, the last
// reduction steps) uses SSE intrinsics directly: every build has them.
// Nothing here may call a function outside the namespace that could be compiled with wider
// instructions than the caller's processor has: only intrinsics and compiler builtins.
//
// Arithmetic contract (the scalar reference in the tests repeats it operation by operation):
// every "a x b + c" written below as MulAdd is one fused operation when kFused and a rounded
// product followed by a rounded sum otherwise; every other operation rounds on its own.

// Lane layout of one pass: lane i is pixel (kLaneX[i] + (p & 1), kLaneY[i] + (p >> 1)) of the
// tile. Lanes 4k..4k+3 hold (0,0), (2,2), (0,2), (2,0) of a 4x4 block, so lane i ^ 3 is the
// horizontal and lane i ^ 2 the vertical neighbour two pixels away.
constexpr int kLaneX[16] = {0, 2, 0, 2, 4, 6, 4, 6, 0, 2, 0, 2, 4, 6, 4, 6};
constexpr int kLaneY[16] = {0, 2, 2, 0, 0, 2, 2, 0, 4, 6, 6, 4, 4, 6, 6, 4};
constexpr int kSteps = 16 / kLanes;  // vector steps per 16-pixel pass

constexpr float kInv255 = __builtin_bit_cast(float, 0x3B808081u);  // 1/255 as single precision
constexpr float kFillBias = 0.00390625f;                           // 1/256, edge-value units
constexpr float kAlphaReference = 169.83f;                         // 0.666 x 255
constexpr float kOneThird = 1.0f / 3.0f;
// Adaptive shading thresholds on the largest squared luminance deviation: 0.0005^2, 0.038^2,
// 0.072^2 as the single-precision squares (bit patterns, not the rounded decimals).
constexpr float kVrsThreshold0 = __builtin_bit_cast(float, 0x348637BEu);
constexpr float kVrsThreshold1 = __builtin_bit_cast(float, 0x3ABD4499u);
constexpr float kVrsThreshold2 = __builtin_bit_cast(float, 0x3BA9DE8Au);
constexpr float kMeanScale = kLanes == 16 ? 0.0625f : 0.125f;

// Small helpers on the per-pixel path are always inlined: a call would pass the lane vectors
// through memory.
#define MORA_KERNEL_HOT [[gnu::always_inline]] inline

inline float ScalarMulAdd(float a, float b, float c) {
    if constexpr (kFused)
        return __builtin_fmaf(a, b, c);
    else
        return a * b + c;
}

// c - a x b, fused when the instruction set has FMA.
inline float ScalarNegMulAdd(float a, float b, float c) {
    if constexpr (kFused)
        return __builtin_fmaf(-a, b, c);
    else
        return c - a * b;
}

struct Colour {
    F a, r, g, b;  // 0..255 scale
};

// Per-lane constants of one tile call: pixel centres, liveness and byte offsets from the tile's
// top-left pixel, for each pass and vector step.
struct TileLanes {
    F px[4][kSteps];
    F py[4][kSteps];
    M live[4][kSteps];
};

// Where the call's pixels are: the top-left pixel of the tile in each buffer, the row pitches and
// the live size (cols x rows, at most 8 x 8).
struct TileView {
    uint8_t* colour;
    uint8_t* depth;
    int64_t colourPitch;
    int64_t depthPitch;
    int32_t cols, rows;
};

// The tile's colour and depth in pass layout for the duration of one call: each buffer is read
// from the framebuffer at most once (live pixels only, when a triangle first needs it) and the
// pixels written are stored back once at the end, so triangles work on plain vector loads and
// stores. The kernel is the only writer of its tile while it runs, so this gives the same pixels
// as touching the framebuffer per triangle.
struct TileBuffers {
    alignas(64) int32_t colour[4][16];  // zeroed by ClearTileBuffers
    alignas(64) int32_t depth[4][16];   // float bits
    bool colourLoaded = false;
    bool depthLoaded = false;
    uint32_t colourDirty[4] = {};  // per pass, lane bits written
    uint32_t depthDirty[4] = {};
};

// Vector stores instead of the string-store loop a zero-initialiser becomes.
MORA_KERNEL_HOT void ClearTileBuffers(TileBuffers& tb) {
    for (int p = 0; p < 4; ++p)
        for (int step = 0; step < kSteps; ++step) {
            IStore(&tb.colour[p][step * kLanes], ISet(0));
            IStore(&tb.depth[p][step * kLanes], ISet(0));
        }
}

#ifndef MORA_KERNEL_HAS_TILE_IO
// Tile transfers between framebuffer rows and pass layout, one pixel at a time. Lanes outside the
// live size read as 0 and are never written.
inline void ReadTile(const uint8_t* tile, int64_t pitch, int32_t cols, int32_t rows, int32_t out[4][16]) {
    for (int p = 0; p < 4; ++p)
        for (int i = 0; i < 16; ++i) {
            const int x = kLaneX[i] + (p & 1), y = kLaneY[i] + (p >> 1);
            out[p][i] = 0;
            if (x < cols && y < rows) __builtin_memcpy(&out[p][i], tile + y * pitch + 4 * x, 4);
        }
}

inline void WriteTile(uint8_t* tile, int64_t pitch, const int32_t in[4][16], const uint32_t dirty[4]) {
    for (int p = 0; p < 4; ++p)
        for (uint32_t bits = dirty[p]; bits != 0; bits &= bits - 1) {
            const int i = __builtin_ctz(bits);
            const int x = kLaneX[i] + (p & 1), y = kLaneY[i] + (p >> 1);
            __builtin_memcpy(tile + y * pitch + 4 * x, &in[p][i], 4);
        }
}
#endif

struct EdgeSetup {
    float x0, y0, x1, y1, x2, y2;
    float dx01, dy01, dx12, dy12, dx20, dy20;
    float area;  // doubled signed area
    float invArea;
    float bias0, bias1, bias2;
};

// Coverage, barycentrics and depth of one pass step.
struct PassState {
    M mask;
    F l0, l1, l2, z;
};

struct ShadeSetup {
    bool flatColour;
    float flat[4];  // A, R, G, B of vertex 0 when flat
    bool needQ;
    float q0, q1, q2;
    float qa[4][3];      // q_k x channel_k for A, R, G, B
    float qs[3], qt[3];  // q_k x s_k, q_k x t_k
    bool textured;
    const TextureCacheEntry* tex;
    const uint8_t* texels;
    uint32_t env;        // 0 modulate, 1 replace, 2 decal, 3 blend
    uint32_t filter;     // 0 nearest, 1 trilinear, 2 bilinear
    float envColour[3];  // R, G, B of the environment colour
    bool clampS, clampT;
    int32_t lastLevel;
};

inline float ChannelByte(uint32_t word, int shift) { return static_cast<float>((word >> shift) & 0xFFu); }

// Doubled signed area A = (X1 - X0)(Y2 - Y0) - (Y1 - Y0)(X2 - X0).
inline float TriangleArea(const SetupTriangle& tri) {
    return ScalarNegMulAdd(tri.y1 - tri.y0, tri.x2 - tri.x0, (tri.x1 - tri.x0) * (tri.y2 - tri.y0));
}

// Edge value dx (py - Ys) - dy (px - Xs) at the lanes' pixel centres.
MORA_KERNEL_HOT F EdgeValue(float dx, float dy, float xs, float ys, F px, F py) {
    return NegMulAdd(FSet(dy), px - FSet(xs), FSet(dx) * (py - FSet(ys)));
}

// Fill-rule bias of an edge running (dx, dy): a centre exactly on a shared edge goes to one side.
inline float EdgeBias(float dx, float dy, bool positiveArea) {
    if (positiveArea) return (dy < 0.0f || (dy == 0.0f && dx > 0.0f)) ? kFillBias : -kFillBias;
    return (dy > 0.0f || (dy == 0.0f && dx < 0.0f)) ? -kFillBias : kFillBias;
}

// False for a zero-area triangle, which draws nothing.
inline bool SetUpEdges(const SetupTriangle& tri, EdgeSetup& e) {
    e.area = TriangleArea(tri);
    if (e.area == 0.0f) return false;
    e.x0 = tri.x0;
    e.y0 = tri.y0;
    e.x1 = tri.x1;
    e.y1 = tri.y1;
    e.x2 = tri.x2;
    e.y2 = tri.y2;
    e.dx01 = tri.x1 - tri.x0;
    e.dy01 = tri.y1 - tri.y0;
    e.dx12 = tri.x2 - tri.x1;
    e.dy12 = tri.y2 - tri.y1;
    e.dx20 = tri.x0 - tri.x2;
    e.dy20 = tri.y0 - tri.y2;
    e.invArea = 1.0f / e.area;
    const bool positive = e.area > 0.0f;
    e.bias0 = EdgeBias(e.dx01, e.dy01, positive);
    e.bias1 = EdgeBias(e.dx12, e.dy12, positive);
    e.bias2 = EdgeBias(e.dx20, e.dy20, positive);
    return true;
}

// c - a x b on four lanes, fused exactly where NegMulAdd is.
inline __m128 QuadNegMulAdd(__m128 a, __m128 b, __m128 c) {
#ifdef __FMA__
    static_assert(kFused);
    return _mm_fnmadd_ps(a, b, c);
#else
    static_assert(!kFused);
    return _mm_sub_ps(c, _mm_mul_ps(a, b));
#endif
}

// Edge value of one edge at the four corners of the tile.
inline __m128 QuadEdge(float dx, float dy, float xs, float ys, __m128 px, __m128 py) {
    return QuadNegMulAdd(_mm_set1_ps(dy), _mm_sub_ps(px, _mm_set1_ps(xs)),
                         _mm_mul_ps(_mm_set1_ps(dx), _mm_sub_ps(py, _mm_set1_ps(ys))));
}

// Occluder pre-pass: lower H to the zmax of every opaque LEQUAL depth-writing triangle that
// contains all four corner pixel centres of the (clipped) tile.
inline float LowerHiZ(const RasterJob& job, int32_t x0, int32_t y0, int32_t x1, int32_t y1, const uint32_t* bin,
                      int32_t binCount, float hiz) {
    const float left = static_cast<float>(x0) + 0.5f, right = static_cast<float>(x1) - 0.5f;
    const float top = static_cast<float>(y0) + 0.5f, bottom = static_cast<float>(y1) - 0.5f;
    const __m128 cx = _mm_setr_ps(left, right, left, right);
    const __m128 cy = _mm_setr_ps(top, top, bottom, bottom);
    const __m128 zero = _mm_setzero_ps();
    // This pass is the tile's first look at its triangles, which are scattered over the frame's
    // array: fetch both cache lines of a triangle a few entries ahead.
    constexpr int32_t kAhead = 6;
    for (int32_t k = 0; k < binCount && k < kAhead; ++k) {
        __builtin_prefetch(&job.triangles[bin[k]]);
        __builtin_prefetch(reinterpret_cast<const char*>(&job.triangles[bin[k]]) + 64);
    }
    for (int32_t k = 0; k < binCount; ++k) {
        if (k + kAhead < binCount) {
            const char* ahead = reinterpret_cast<const char*>(&job.triangles[bin[k + kAhead]]);
            __builtin_prefetch(ahead);
            __builtin_prefetch(ahead + 64);
        }
        const SetupTriangle& tri = job.triangles[bin[k]];
        if (tri.depthTest == 0 || tri.depthFunc != kDepthLequal || tri.depthWrite == 0 || tri.blendCode != 0 ||
            tri.alphaTest != 0 || !(tri.zmax < hiz))
            continue;
        const float area = TriangleArea(tri);
        if (area == 0.0f) continue;
        const __m128 e0 = QuadEdge(tri.x1 - tri.x0, tri.y1 - tri.y0, tri.x0, tri.y0, cx, cy);
        const __m128 e1 = QuadEdge(tri.x2 - tri.x1, tri.y2 - tri.y1, tri.x1, tri.y1, cx, cy);
        const __m128 e2 = QuadEdge(tri.x0 - tri.x2, tri.y0 - tri.y2, tri.x2, tri.y2, cx, cy);
        __m128 inside;
        if (area > 0.0f)
            inside = _mm_and_ps(_mm_and_ps(_mm_cmpge_ps(e0, zero), _mm_cmpge_ps(e1, zero)), _mm_cmpge_ps(e2, zero));
        else
            inside = _mm_and_ps(_mm_and_ps(_mm_cmple_ps(e0, zero), _mm_cmple_ps(e1, zero)), _mm_cmple_ps(e2, zero));
        if (_mm_movemask_ps(inside) == 0xF) hiz = tri.zmax;
    }
    return hiz;
}

MORA_KERNEL_HOT M DepthPasses(uint32_t func, F z, F d) {
    switch (func) {
        case kDepthAlways: return MAll();
        case kDepthLess: return CmpLt(z, d);
        case kDepthLequal: return CmpLe(z, d);
        case kDepthEqual: return CmpEq(z, d);
        case kDepthGequal: return CmpGe(z, d);
        case kDepthGreater: return CmpGt(z, d);
        case kDepthNotequal: return CmpNe(z, d);
        default: return MNone();
    }
}

// Reads a buffer of the tile on first use; lanes already written keep their values.
inline void LoadTileBuffer(const uint8_t* tile, int64_t pitch, const TileView& view, int32_t local[4][16],
                           const uint32_t dirty[4]) {
    alignas(64) int32_t stored[4][16];
    ReadTile(tile, pitch, view.cols, view.rows, stored);
    for (int p = 0; p < 4; ++p)
        for (int step = 0; step < kSteps; ++step) {
            int32_t* lanes = &local[p][step * kLanes];
            const M written = MFromBits(dirty[p] >> (step * kLanes));
            IStore(lanes, ISelect(written, ILoad(lanes), ILoad(&stored[p][step * kLanes])));
        }
}

MORA_KERNEL_HOT F TileDepth(TileBuffers& tb, const TileView& view, int p, int step) {
    if (!tb.depthLoaded) {
        LoadTileBuffer(view.depth, view.depthPitch, view, tb.depth, tb.depthDirty);
        tb.depthLoaded = true;
    }
    return AsFloat(ILoad(&tb.depth[p][step * kLanes]));
}

MORA_KERNEL_HOT I TileColour(TileBuffers& tb, const TileView& view, int p, int step) {
    if (!tb.colourLoaded) {
        LoadTileBuffer(view.colour, view.colourPitch, view, tb.colour, tb.colourDirty);
        tb.colourLoaded = true;
    }
    return ILoad(&tb.colour[p][step * kLanes]);
}

// Coverage with the fill rule, barycentrics, depth and the depth test of one pass step.
// `live` is the step's live-lane mask, narrowed to the triangle's scissor rectangle if it has one.
MORA_KERNEL_HOT void CoverPass(const SetupTriangle& tri, const EdgeSetup& e, const TileLanes& lanes, const M& live,
                               int p, int step, TileBuffers& tb, const TileView& view, PassState& out) {
    const F px = lanes.px[p][step];
    const F py = lanes.py[p][step];
    const F e0 = EdgeValue(e.dx01, e.dy01, e.x0, e.y0, px, py);
    const F e1 = EdgeValue(e.dx12, e.dy12, e.x1, e.y1, px, py);
    const F e2 = EdgeValue(e.dx20, e.dy20, e.x2, e.y2, px, py);
    const F zero = FSet(0.0f);
    M covered;
    if (e.area > 0.0f)
        covered = CmpGe(e0 + FSet(e.bias0), zero) & CmpGe(e1 + FSet(e.bias1), zero) & CmpGe(e2 + FSet(e.bias2), zero);
    else
        covered = CmpLe(e0 + FSet(e.bias0), zero) & CmpLe(e1 + FSet(e.bias1), zero) & CmpLe(e2 + FSet(e.bias2), zero);
    const F invArea = FSet(e.invArea);
    out.l0 = e1 * invArea;
    out.l1 = e2 * invArea;
    out.l2 = e0 * invArea;
    out.mask = live & covered;
    if (tri.depthTest == 0) {
        out.z = zero;
        return;
    }
    out.z = MulAdd(out.l2, FSet(tri.z2), MulAdd(out.l0, FSet(tri.z0), out.l1 * FSet(tri.z1)));
    if (!MBits(out.mask) || tri.depthFunc == kDepthAlways) return;
    out.mask = out.mask & DepthPasses(tri.depthFunc, out.z, TileDepth(tb, view, p, step));
}

inline void SetUpShading(const SetupTriangle& tri, const RasterJob& job, ShadeSetup& s) {
    const bool indexInRange = tri.textureSlot < job.textureCount && job.textureCache != nullptr;
    s.env = tri.texEnv <= kEnvBlend ? tri.texEnv : kEnvModulate;
    s.filter =
        (tri.filterClass == kFilterNearest || tri.filterClass == kFilterBilinear) ? tri.filterClass : kFilterTrilinear;
    s.flatColour = (tri.colour0 == tri.colour1 && tri.colour1 == tri.colour2) || (indexInRange && s.env == kEnvReplace);
    for (int c = 0; c < 4; ++c) s.flat[c] = ChannelByte(tri.colour0, 24 - 8 * c);
    s.tex = nullptr;
    s.texels = nullptr;
    s.textured = false;
    if (indexInRange) {
        const TextureCacheEntry& entry = job.textureCache[tri.textureSlot];
        if (entry.width > 0 && entry.height > 0 && entry.levelData[0] != nullptr) {
            s.textured = true;
            s.tex = &entry;
            s.texels = entry.levelData[0];
            s.clampS = entry.clampS != 0;
            s.clampT = entry.clampT != 0;
            const int32_t count = entry.levelCount < 1 ? 1 : (entry.levelCount > 16 ? 16 : entry.levelCount);
            s.lastLevel = count - 1;
        }
    }
    for (int c = 0; c < 3; ++c) s.envColour[c] = ChannelByte(tri.texEnvColour, 16 - 8 * c);
    s.needQ = !s.flatColour || s.textured;
    s.q0 = tri.invw0;
    s.q1 = tri.invw1;
    s.q2 = tri.invw2;
    const uint32_t colours[3] = {tri.colour0, tri.colour1, tri.colour2};
    const float q[3] = {tri.invw0, tri.invw1, tri.invw2};
    const float sv[3] = {tri.s0, tri.s1, tri.s2};
    const float tv[3] = {tri.t0, tri.t1, tri.t2};
    for (int k = 0; k < 3; ++k) {
        // Only the interpolations Shade performs: colours unless flat, coordinates when textured.
        if (!s.flatColour)
            for (int c = 0; c < 4; ++c) s.qa[c][k] = q[k] * ChannelByte(colours[k], 24 - 8 * c);
        if (s.textured) {
            s.qs[k] = q[k] * sv[k];
            s.qt[k] = q[k] * tv[k];
        }
    }
}

// (l1 (q1 a1) + l0 (q0 a0) + l2 (q2 a2)) x invQ
MORA_KERNEL_HOT F Perspective(const PassState& p, const float qa[3], F invQ) {
    return MulAdd(p.l2, FSet(qa[2]), MulAdd(p.l0, FSet(qa[0]), p.l1 * FSet(qa[1]))) * invQ;
}

MORA_KERNEL_HOT I WrapIndex(I i, I size, bool clamp) {
    const I last = size - ISet(1);
    return clamp ? IMin(IMax(i, ISet(0)), last) : (i & last);
}

// Texel word -> four channels scaled by 1/255.
MORA_KERNEL_HOT void UnpackScaled(I texel, F out[4]) {
    const F k = FSet(kInv255);
    out[0] = ToFloat(ShiftRight<24>(texel)) * k;
    out[1] = ToFloat(ShiftRight<16>(texel) & ISet(0xFF)) * k;
    out[2] = ToFloat(ShiftRight<8>(texel) & ISet(0xFF)) * k;
    out[3] = ToFloat(texel & ISet(0xFF)) * k;
}

struct LevelLanes {
    I width, height, pitch, offset;
    F widthF, heightF;
};

MORA_KERNEL_HOT LevelLanes UniformLevel(const TextureCacheEntry& tex, int level) {
    LevelLanes lv;
    lv.width = ISet(tex.levelWidth[level]);
    lv.height = ISet(tex.levelHeight[level]);
    lv.pitch = ISet(tex.levelPitch[level]);
    lv.offset = ISet(tex.levelOffset[level]);
    lv.widthF = FSet(static_cast<float>(tex.levelWidth[level]));
    lv.heightF = FSet(static_cast<float>(tex.levelHeight[level]));
    return lv;
}

MORA_KERNEL_HOT LevelLanes PerLaneLevel(const TextureCacheEntry& tex, I level) {
    LevelLanes lv;
    lv.width = Lookup16(tex.levelWidth, level);
    lv.height = Lookup16(tex.levelHeight, level);
    lv.pitch = Lookup16(tex.levelPitch, level);
    lv.offset = Lookup16(tex.levelOffset, level);
    lv.widthF = ToFloat(lv.width);
    lv.heightF = ToFloat(lv.height);
    return lv;
}

MORA_KERNEL_HOT I TexelOffset(I row, I column) { return (row + ShiftLeft<2>(column)) & ISet(~3); }

// Bilinear sample of one level, channels on the 0..1 scale. Texels are fetched for the lanes of
// `need` only; the other lanes' results are never used.
MORA_KERNEL_HOT void SampleBilinear(const ShadeSetup& sh, const LevelLanes& lv, const F& s, const F& t, const M& need,
                                    F out[4]) {
    const F x = MulAdd(s, lv.widthF, FSet(-0.5f));
    const F y = MulAdd(t, lv.heightF, FSet(-0.5f));
    const F xFloor = Floor(x);
    const F yFloor = Floor(y);
    const F fx = x - xFloor;
    const F fy = y - yFloor;
    const I i0raw = Cvtt(xFloor);
    const I j0raw = Cvtt(yFloor);
    const I i0 = WrapIndex(i0raw, lv.width, sh.clampS);
    const I i1 = WrapIndex(i0raw + ISet(1), lv.width, sh.clampS);
    const I j0 = WrapIndex(j0raw, lv.height, sh.clampT);
    const I j1 = WrapIndex(j0raw + ISet(1), lv.height, sh.clampT);
    const I row0 = lv.offset + j0 * lv.pitch;
    const I row1 = lv.offset + j1 * lv.pitch;
    F t00[4], t10[4], t01[4], t11[4];
    UnpackScaled(GatherMasked(sh.texels, TexelOffset(row0, i0), need), t00);
    UnpackScaled(GatherMasked(sh.texels, TexelOffset(row0, i1), need), t10);
    UnpackScaled(GatherMasked(sh.texels, TexelOffset(row1, i0), need), t01);
    UnpackScaled(GatherMasked(sh.texels, TexelOffset(row1, i1), need), t11);
    const F one = FSet(1.0f);
    const F gx = one - fx;
    const F gy = one - fy;
    const F w10 = fx * gy;
    const F w00 = gx * gy;
    const F w11 = fx * fy;
    const F w01 = gx * fy;
#pragma GCC unroll 4
    for (int c = 0; c < 4; ++c) {
        F r = w10 * t10[c];
        r = MulAdd(w00, t00[c], r);
        r = MulAdd(w11, t11[c], r);
        out[c] = MulAdd(w01, t01[c], r);
    }
}

// Texel colour on the 0..255 scale.
inline void SampleTexture(const ShadeSetup& sh, const F& s, const F& t, const M& need, F out[4]) {
    const TextureCacheEntry& tex = *sh.tex;
    const F scale255 = FSet(255.0f);
    if (sh.filter == kFilterNearest) {
        const F w = FSet(static_cast<float>(tex.levelWidth[0]));
        const F h = FSet(static_cast<float>(tex.levelHeight[0]));
        const I i = WrapIndex(Cvtt(Floor(s * w)), ISet(tex.levelWidth[0]), sh.clampS);
        const I j = WrapIndex(Cvtt(Floor(t * h)), ISet(tex.levelHeight[0]), sh.clampT);
        const I row = ISet(tex.levelOffset[0]) + j * ISet(tex.levelPitch[0]);
        F texel[4];
        UnpackScaled(GatherMasked(sh.texels, TexelOffset(row, i), need), texel);
#pragma GCC unroll 4
        for (int c = 0; c < 4; ++c) out[c] = texel[c] * scale255;
        return;
    }
    if (sh.filter == kFilterBilinear) {
        F texel[4];
        SampleBilinear(sh, UniformLevel(tex, 0), s, t, need, texel);
#pragma GCC unroll 4
        for (int c = 0; c < 4; ++c) out[c] = texel[c] * scale255;
        return;
    }
    // Trilinear: the footprint rho from the partner lanes two pixels away, hence the halving.
    const F half = FSet(0.5f);
    const F w0 = FSet(static_cast<float>(tex.levelWidth[0]));
    const F h0 = FSet(static_cast<float>(tex.levelHeight[0]));
    const F dsx = Abs((s - PartnerX(s)) * half);
    const F dtx = Abs((t - PartnerX(t)) * half);
    const F dsy = Abs((s - PartnerY(s)) * half);
    const F dty = Abs((t - PartnerY(t)) * half);
    const F rho = Max(Max(Max(dsx * w0, dtx * h0), dsy * w0), dty * h0);
    const I exponent = ShiftRight<23>(AsInt(Floor(rho))) & ISet(0xFF);
    const I lod = IMax(exponent, ISet(127)) - ISet(127) + ISet(tex.lodBias);
    const I level1 = IMin(IMax(lod, ISet(0)), ISet(15));
    const I level2 = IMin(IMax(lod + ISet(1), ISet(0)), ISet(15));
    const F levelScale = AsFloat(ShiftLeft<23>(level1 + ISet(127)));  // 2^level1
    const F weight = Max((rho - levelScale) / levelScale, FSet(0.0f));
    // Levels past the last filled one have no texels: sample the last filled level instead.
    const I last = ISet(sh.lastLevel);
    F s1[4], s2[4];
    SampleBilinear(sh, PerLaneLevel(tex, IMin(level1, last)), s, t, need, s1);
    if ((MBits(CmpGt(weight, FSet(0.0f)) & need)) == 0) {
        // Magnified, or exactly on a level: rest x s1 + 0 x s2 is s1 itself (s2 is finite or the
        // lane is NaN either way), so the second level is not fetched.
#pragma GCC unroll 4
        for (int c = 0; c < 4; ++c) out[c] = s1[c] * scale255;
        return;
    }
    SampleBilinear(sh, PerLaneLevel(tex, IMin(level2, last)), s, t, need, s2);
    const F rest = FSet(1.0f) - weight;
#pragma GCC unroll 4
    for (int c = 0; c < 4; ++c) out[c] = MulAdd(rest, s1[c], weight * s2[c]) * scale255;
}

MORA_KERNEL_HOT Colour ApplyEnvironment(const ShadeSetup& sh, const F tx[4], const Colour& c) {
    const F k = FSet(kInv255);
    const F one = FSet(1.0f);
    Colour out;
    switch (sh.env) {
        case kEnvReplace:
            out.a = tx[0];
            out.r = tx[1];
            out.g = tx[2];
            out.b = tx[3];
            break;
        case kEnvDecal: {
            const F a = tx[0] * k;
            const F rest = one - a;
            out.a = c.a;
            out.r = MulAdd(c.r, rest, tx[1] * a);
            out.g = MulAdd(c.g, rest, tx[2] * a);
            out.b = MulAdd(c.b, rest, tx[3] * a);
            break;
        }
        case kEnvBlend: {
            const F kr = tx[1] * k, kg = tx[2] * k, kb = tx[3] * k;
            out.r = MulAdd(one - kr, c.r, kr * FSet(sh.envColour[0]));
            out.g = MulAdd(one - kg, c.g, kg * FSet(sh.envColour[1]));
            out.b = MulAdd(one - kb, c.b, kb * FSet(sh.envColour[2]));
            out.a = (tx[0] * c.a) * k;
            break;
        }
        default:  // modulate
            out.a = (tx[0] * c.a) * k;
            out.r = (tx[1] * c.r) * k;
            out.g = (tx[2] * c.g) * k;
            out.b = (tx[3] * c.b) * k;
            break;
    }
    return out;
}

// Colour of the lanes of a pass step; texels are fetched only for the lanes of `need` (uncovered
// lanes extrapolate their attributes; quarter-rate shading needs them all).
inline Colour Shade(const ShadeSetup& sh, const PassState& p, const M& need) {
    F invQ = FSet(0.0f);
    if (sh.needQ) {
        const F q = MulAdd(p.l2, FSet(sh.q2), MulAdd(p.l0, FSet(sh.q0), p.l1 * FSet(sh.q1)));
        invQ = FSet(1.0f) / q;
    }
    Colour c;
    if (sh.flatColour) {
        c.a = FSet(sh.flat[0]);
        c.r = FSet(sh.flat[1]);
        c.g = FSet(sh.flat[2]);
        c.b = FSet(sh.flat[3]);
    } else {
        c.a = Perspective(p, sh.qa[0], invQ);
        c.r = Perspective(p, sh.qa[1], invQ);
        c.g = Perspective(p, sh.qa[2], invQ);
        c.b = Perspective(p, sh.qa[3], invQ);
    }
    if (!sh.textured) return c;
    const F s = Perspective(p, sh.qs, invQ);
    const F t = Perspective(p, sh.qt, invQ);
    F tx[4];
    SampleTexture(sh, s, t, need, tx);
    return ApplyEnvironment(sh, tx, c);
}

MORA_KERNEL_HOT I PackChannel(F v) { return Cvtt(Min(Max(v, FSet(0.0f)), FSet(255.0f))); }

// The blend codes added after the first three, kept out of line so that the common codes' path
// stays as it was: source s and destination d on the 0..255 scale, alpha a = s.a / 255.
[[gnu::noinline]] void BlendRare(uint32_t blend, Colour& c, const F& da, const F& dr, const F& dg, const F& db) {
    const F k = FSet(kInv255);
    const F one = FSet(1.0f);
    if (blend == kBlendAddSrcAlpha) {  // s a + d
        const F a = c.a * k;
        c.a = MulAdd(c.a, a, da);
        c.r = MulAdd(c.r, a, dr);
        c.g = MulAdd(c.g, a, dg);
        c.b = MulAdd(c.b, a, db);
    } else if (blend == kBlendDoubleModulate) {  // s d / 255 + d s / 255, the two terms equal
        const F ma = (c.a * da) * k, mr = (c.r * dr) * k, mg = (c.g * dg) * k, mb = (c.b * db) * k;
        c.a = ma + ma;
        c.r = mr + mr;
        c.g = mg + mg;
        c.b = mb + mb;
    } else if (blend == kBlendInvSrcColour) {  // d (1 - s / 255)
        c.a = da * (one - c.a * k);
        c.r = dr * (one - c.r * k);
        c.g = dg * (one - c.g * k);
        c.b = db * (one - c.b * k);
    } else {  // premultiplied: s + d (1 - a)
        const F rest = one - c.a * k;
        c.a = MulAdd(da, rest, c.a);
        c.r = MulAdd(dr, rest, c.r);
        c.g = MulAdd(dg, rest, c.g);
        c.b = MulAdd(db, rest, c.b);
    }
}

// Alpha test, blending, packing and the colour and depth writes of one pass step.
inline void WritePass(const SetupTriangle& tri, Colour c, M mask, const F& z, int p, int step, TileBuffers& tb,
                      const TileView& view, bool depthWrite) {
    if (tri.alphaTest != 0) {
        mask = mask & CmpGt(c.a, FSet(kAlphaReference));
        if (!MBits(mask)) return;
    }
    const uint32_t blend = tri.blendCode & kBlendCodeMask;
    if (blend >= kBlendAdditive && blend <= kBlendLast) {
        const I dst = TileColour(tb, view, p, step);
        const F da = ToFloat(ShiftRight<24>(dst));
        const F dr = ToFloat(ShiftRight<16>(dst) & ISet(0xFF));
        const F dg = ToFloat(ShiftRight<8>(dst) & ISet(0xFF));
        const F db = ToFloat(dst & ISet(0xFF));
        const F k = FSet(kInv255);
        if (blend == kBlendAdditive) {
            c.a = c.a + da;
            c.r = c.r + dr;
            c.g = c.g + dg;
            c.b = c.b + db;
        } else if (blend == kBlendModulateDst) {
            c.a = (c.a * da) * k;
            c.r = (c.r * dr) * k;
            c.g = (c.g * dg) * k;
            c.b = (c.b * db) * k;
        } else if (blend == kBlendSrcAlpha) {
            const F a = c.a * k;
            const F rest = FSet(1.0f) - a;
            c.a = MulAdd(da, rest, c.a * a);
            c.r = MulAdd(dr, rest, c.r * a);
            c.g = MulAdd(dg, rest, c.g * a);
            c.b = MulAdd(db, rest, c.b * a);
        } else {
            BlendRare(blend, c, da, dr, dg, db);
        }
    }
    const I word = ShiftLeft<24>(PackChannel(c.a)) | ShiftLeft<16>(PackChannel(c.r)) | ShiftLeft<8>(PackChannel(c.g)) |
                   PackChannel(c.b);
    const uint32_t written = MBits(mask) << (step * kLanes);
    int32_t* colour = &tb.colour[p][step * kLanes];
    IStore(colour, ISelect(mask, word, ILoad(colour)));
    tb.colourDirty[p] |= written;
    if (depthWrite) {
        int32_t* depth = &tb.depth[p][step * kLanes];
        IStore(depth, ISelect(mask, AsInt(z), ILoad(depth)));
        tb.depthDirty[p] |= written;
    }
}

// Stores the written pixels back into the framebuffer.
inline void FlushTile(const TileBuffers& tb, const TileView& view) {
    if ((tb.colourDirty[0] | tb.colourDirty[1] | tb.colourDirty[2] | tb.colourDirty[3]) != 0)
        WriteTile(view.colour, view.colourPitch, tb.colour, tb.colourDirty);
    if ((tb.depthDirty[0] | tb.depthDirty[1] | tb.depthDirty[2] | tb.depthDirty[3]) != 0)
        WriteTile(view.depth, view.depthPitch, tb.depth, tb.depthDirty);
}

// The last two halving steps on four lanes: lane 0 + lane 2 and lane 1 + lane 3, then their sum.
inline float QuadSum(__m128 x) {
    x = _mm_add_ps(x, _mm_movehl_ps(x, x));
    return _mm_cvtss_f32(_mm_add_ss(x, _mm_shuffle_ps(x, x, 1)));
}

// The same tree with max_ps, lower lane first: max_ps(a, b) is a > b ? a : b, NaN included.
inline float QuadMax(__m128 x) {
    x = _mm_max_ps(x, _mm_movehl_ps(x, x));
    return _mm_cvtss_f32(_mm_max_ss(x, _mm_shuffle_ps(x, x, 1)));
}

// Largest squared deviation of the lanes' luminance from their mean. Sums and maxima are taken as
// a halving tree (lane i with lane i + n/2) so every build adds in the same order.
MORA_KERNEL_HOT float LuminanceDeviation(const Colour& c) {
    const F y = MulAdd(FSet(0.0722f), c.b, MulAdd(FSet(0.2126f), c.r, FSet(0.7152f) * c.g)) * FSet(kInv255);
    const float mean = QuadSum(FoldToQuadSum(y)) * kMeanScale;
    const F d = y - FSet(mean);
    return QuadMax(FoldToQuadMax(d * d));
}

inline Colour Average2(const Colour& a, const Colour& b) {
    const F h = FSet(0.5f);
    return {(a.a + b.a) * h, (a.r + b.r) * h, (a.g + b.g) * h, (a.b + b.b) * h};
}

inline Colour Average3(const Colour& a, const Colour& b, const Colour& c) {
    const F t = FSet(kOneThird);
    return {(a.a + b.a + c.a) * t, (a.r + b.r + c.r) * t, (a.g + b.g + c.g) * t, (a.b + b.b + c.b) * t};
}

inline void BuildTileLanes(int32_t x0, int32_t y0, int32_t x1, int32_t y1, TileLanes& lanes) {
    for (int p = 0; p < 4; ++p) {
        for (int h = 0; h < kSteps; ++h) {
            alignas(64) float px[kLanes], py[kLanes];
            alignas(64) int32_t live[kLanes];
            for (int i = 0; i < kLanes; ++i) {
                const int32_t xo = kLaneX[h * kLanes + i] + (p & 1);
                const int32_t yo = kLaneY[h * kLanes + i] + (p >> 1);
                px[i] = static_cast<float>(x0 + xo) + 0.5f;
                py[i] = static_cast<float>(y0 + yo) + 0.5f;
                live[i] = (x0 + xo < x1 && y0 + yo < y1) ? -1 : 0;
            }
            lanes.px[p][h] = FLoad(px);
            lanes.py[p][h] = FLoad(py);
            lanes.live[p][h] = MLoad(live);
        }
    }
}

// The tile's live lanes that also lie inside scissor rectangle `number` (1-based); false when none
// does, or when the job has no such rectangle.
inline bool ScissorLanes(const RasterJob& job, uint32_t number, const TileLanes& lanes, M out[4][kSteps]) {
    if (number > job.scissorCount || job.scissorRects == nullptr) return false;
    const ScissorRect& r = job.scissorRects[number - 1];
    // Pixel x is inside when x0 <= x < x1, that is when its centre x + 0.5 lies strictly between.
    const F x0 = FSet(static_cast<float>(r.x0)), x1 = FSet(static_cast<float>(r.x1));
    const F y0 = FSet(static_cast<float>(r.y0)), y1 = FSet(static_cast<float>(r.y1));
    uint32_t any = 0;
    for (int p = 0; p < 4; ++p)
        for (int step = 0; step < kSteps; ++step) {
            const F px = lanes.px[p][step], py = lanes.py[p][step];
            out[p][step] = lanes.live[p][step] & CmpGt(px, x0) & CmpLt(px, x1) & CmpGt(py, y0) & CmpLt(py, y1);
            any |= MBits(out[p][step]);
        }
    return any != 0;
}

void RasterizeTile(const RasterJob& job, int32_t x0, int32_t y0, int32_t x1, int32_t y1, const uint32_t* bin,
                   int32_t binCount, float* hiz) {
    if (binCount <= 0 || bin == nullptr || hiz == nullptr || job.triangles == nullptr) return;
    const float h = LowerHiZ(job, x0, y0, x1, y1, bin, binCount, *hiz);
    *hiz = h;
    if (job.colourBase == nullptr || job.depthBase == nullptr || x0 < 0 || y0 < 0) return;

    TileLanes lanes;
    BuildTileLanes(x0, y0, x1, y1, lanes);
    const int64_t depthRow = job.depthPitch / 4;
    TileView view;
    view.colour = job.colourBase + int64_t{y0} * job.colourPitch + int64_t{x0} * 4;
    view.depth = reinterpret_cast<uint8_t*>(job.depthBase + int64_t{y0} * depthRow + int64_t{x0});
    view.colourPitch = job.colourPitch;
    view.depthPitch = depthRow * 4;
    view.cols = x1 - x0 < 0 ? 0 : (x1 - x0 > 8 ? 8 : x1 - x0);
    view.rows = y1 - y0 < 0 ? 0 : (y1 - y0 > 8 ? 8 : y1 - y0);
    const uint32_t vrsMode = job.vrsMode;
    TileBuffers buffers;
    ClearTileBuffers(buffers);
    // Live lanes of the last scissor rectangle met (triangles of one draw share it).
    M scissorLive[4][kSteps];
    uint32_t scissorNumber = 0;
    bool scissorAny = false;

    for (int32_t k = 0; k < binCount; ++k) {
        const SetupTriangle& tri = job.triangles[bin[k]];
        const bool depthTest = tri.depthTest != 0;
        // HiZ: an opaque LEQUAL triangle wholly behind the tile's full-cover occluders is hidden.
        if (depthTest && tri.depthFunc == kDepthLequal && tri.blendCode == 0 && tri.alphaTest == 0 && tri.zmin > h)
            continue;
        if (depthTest && tri.depthFunc > kDepthNotequal) continue;  // NEVER
        const M(*live)[kSteps] = lanes.live;
        if (const uint32_t number = tri.blendCode >> kScissorNumberShift; number != 0) {
            if (number != scissorNumber) {
                scissorAny = ScissorLanes(job, number, lanes, scissorLive);
                scissorNumber = number;
            }
            if (!scissorAny) continue;
            live = scissorLive;
        }
        EdgeSetup edges;
        if (!SetUpEdges(tri, edges)) continue;
        const bool depthWrite = depthTest && tri.depthWrite != 0;
        ShadeSetup shade;
        bool shadeReady = false;

        for (int step = 0; step < kSteps; ++step) {
            PassState pass[4];
            uint32_t anyLane = 0;
            for (int p = 0; p < 4; ++p) {
                CoverPass(tri, edges, lanes, live[p][step], p, step, buffers, view, pass[p]);
                anyLane |= MBits(pass[p].mask);
            }
            if (anyLane == 0) continue;
            if (!shadeReady) {
                SetUpShading(tri, job, shade);
                shadeReady = true;
            }
            if (vrsMode == 0) {
                for (int p = 0; p < 4; ++p) {
                    if (!MBits(pass[p].mask)) continue;
                    WritePass(tri, Shade(shade, pass[p], pass[p].mask), pass[p].mask, pass[p].z, p, step, buffers, view,
                              depthWrite);
                }
                continue;
            }
            // Quarter rate: pass 0 (the top-left pixel of every quad) first, refined while the
            // shaded luminance varies (adaptive mode only).
            Colour colour[4];
            colour[0] = Shade(shade, pass[0], MAll());
            colour[1] = colour[0];
            colour[2] = colour[0];
            colour[3] = colour[0];
            if (vrsMode == 1 && !(LuminanceDeviation(colour[0]) < kVrsThreshold0)) {
                colour[3] = Shade(shade, pass[3], MAll());
                colour[1] = Average2(colour[0], colour[3]);
                colour[2] = colour[1];
                if (!(LuminanceDeviation(colour[3]) < kVrsThreshold1)) {
                    colour[2] = Shade(shade, pass[2], MAll());
                    colour[1] = Average3(colour[0], colour[3], colour[2]);
                    if (!(LuminanceDeviation(colour[2]) < kVrsThreshold2)) colour[1] = Shade(shade, pass[1], MAll());
                }
            }
            for (int p = 0; p < 4; ++p) {
                if (!MBits(pass[p].mask)) continue;
                WritePass(tri, colour[p], pass[p].mask, pass[p].z, p, step, buffers, view, depthWrite);
            }
        }
    }
    FlushTile(buffers, view);
}

#undef MORA_KERNEL_HOT
