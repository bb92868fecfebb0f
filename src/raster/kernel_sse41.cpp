// SSE4.1 build of the raster kernel: 8 lanes (two xmm registers) per step, so every 16-pixel pass
// is two steps, rows 0-3 and rows 4-7 of the tile; no FMA; gathers and scatters are per-lane loads
// and stores. Compiled with the SSE4.1 flag only here.
#include <immintrin.h>

#include <cstdint>

#include "raster/kernel_variants.h"
#include "raster/raster_job.h"
#include "raster/setup_triangle.h"
#include "raster/texture_cache.h"

namespace mora::raster::sse41 {

constexpr int kLanes = 8;
constexpr bool kFused = false;

struct F {
    __m128 v[2];
};  // lanes 0-3, 4-7
struct I {
    __m128i v[2];
};
struct M {
    __m128 v[2];
};  // all-ones lanes

#define MORA_SSE_BINARY(type, name, intrinsic) \
    inline type name(type a, type b) { return {{intrinsic(a.v[0], b.v[0]), intrinsic(a.v[1], b.v[1])}}; }

inline F FSet(float x) {
    const __m128 a = _mm_set1_ps(x);
    return {{a, a}};
}
inline F FLoad(const float* p) { return {{_mm_loadu_ps(p), _mm_loadu_ps(p + 4)}}; }
inline void FStore(float* p, F a) {
    _mm_storeu_ps(p, a.v[0]);
    _mm_storeu_ps(p + 4, a.v[1]);
}
MORA_SSE_BINARY(F, operator+, _mm_add_ps)
MORA_SSE_BINARY(F, operator-, _mm_sub_ps)
MORA_SSE_BINARY(F, operator*, _mm_mul_ps)
MORA_SSE_BINARY(F, operator/, _mm_div_ps)
MORA_SSE_BINARY(F, Min, _mm_min_ps)
MORA_SSE_BINARY(F, Max, _mm_max_ps)
inline F MulAdd(F a, F b, F c) { return a * b + c; }
inline F NegMulAdd(F a, F b, F c) { return c - a * b; }
inline F Floor(F a) { return {{_mm_floor_ps(a.v[0]), _mm_floor_ps(a.v[1])}}; }
inline F Abs(F a) {
    const __m128 m = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    return {{_mm_and_ps(a.v[0], m), _mm_and_ps(a.v[1], m)}};
}
inline F PartnerX(F a) {  // lane ^ 3
    return {{_mm_shuffle_ps(a.v[0], a.v[0], _MM_SHUFFLE(0, 1, 2, 3)),
             _mm_shuffle_ps(a.v[1], a.v[1], _MM_SHUFFLE(0, 1, 2, 3))}};
}
inline F PartnerY(F a) {  // lane ^ 2
    return {{_mm_shuffle_ps(a.v[0], a.v[0], _MM_SHUFFLE(1, 0, 3, 2)),
             _mm_shuffle_ps(a.v[1], a.v[1], _MM_SHUFFLE(1, 0, 3, 2))}};
}

inline M CmpGt(F a, F b) { return {{_mm_cmpgt_ps(a.v[0], b.v[0]), _mm_cmpgt_ps(a.v[1], b.v[1])}}; }
inline M CmpGe(F a, F b) { return {{_mm_cmpge_ps(a.v[0], b.v[0]), _mm_cmpge_ps(a.v[1], b.v[1])}}; }
inline M CmpLt(F a, F b) { return {{_mm_cmplt_ps(a.v[0], b.v[0]), _mm_cmplt_ps(a.v[1], b.v[1])}}; }
inline M CmpLe(F a, F b) { return {{_mm_cmple_ps(a.v[0], b.v[0]), _mm_cmple_ps(a.v[1], b.v[1])}}; }
inline M CmpEq(F a, F b) { return {{_mm_cmpeq_ps(a.v[0], b.v[0]), _mm_cmpeq_ps(a.v[1], b.v[1])}}; }
inline M CmpNe(F a, F b) { return {{_mm_cmpneq_ps(a.v[0], b.v[0]), _mm_cmpneq_ps(a.v[1], b.v[1])}}; }
inline M MAll() {
    const __m128 a = _mm_castsi128_ps(_mm_set1_epi32(-1));
    return {{a, a}};
}
inline M MNone() {
    const __m128 a = _mm_setzero_ps();
    return {{a, a}};
}
MORA_SSE_BINARY(M, operator&, _mm_and_ps)
inline uint32_t MBits(M a) {
    return static_cast<uint32_t>(_mm_movemask_ps(a.v[0])) | (static_cast<uint32_t>(_mm_movemask_ps(a.v[1])) << 4);
}
inline M MLoad(const int32_t* p) {
    return {{_mm_loadu_ps(reinterpret_cast<const float*>(p)), _mm_loadu_ps(reinterpret_cast<const float*>(p + 4))}};
}

inline I ISet(int32_t x) {
    const __m128i a = _mm_set1_epi32(x);
    return {{a, a}};
}
inline I ILoad(const int32_t* p) {
    return {{_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)),
             _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 4))}};
}
inline void IStore(int32_t* p, I a) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), a.v[0]);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 4), a.v[1]);
}
MORA_SSE_BINARY(I, operator+, _mm_add_epi32)
MORA_SSE_BINARY(I, operator-, _mm_sub_epi32)
MORA_SSE_BINARY(I, operator*, _mm_mullo_epi32)
MORA_SSE_BINARY(I, operator&, _mm_and_si128)
MORA_SSE_BINARY(I, operator|, _mm_or_si128)
MORA_SSE_BINARY(I, IMin, _mm_min_epi32)
MORA_SSE_BINARY(I, IMax, _mm_max_epi32)
#undef MORA_SSE_BINARY
template <int N>
inline I ShiftLeft(I a) {
    return {{_mm_slli_epi32(a.v[0], N), _mm_slli_epi32(a.v[1], N)}};
}
template <int N>
inline I ShiftRight(I a) {
    return {{_mm_srli_epi32(a.v[0], N), _mm_srli_epi32(a.v[1], N)}};
}
inline I Cvtt(F a) { return {{_mm_cvttps_epi32(a.v[0]), _mm_cvttps_epi32(a.v[1])}}; }
inline F ToFloat(I a) { return {{_mm_cvtepi32_ps(a.v[0]), _mm_cvtepi32_ps(a.v[1])}}; }
inline I AsInt(F a) { return {{_mm_castps_si128(a.v[0]), _mm_castps_si128(a.v[1])}}; }
inline F AsFloat(I a) { return {{_mm_castsi128_ps(a.v[0]), _mm_castsi128_ps(a.v[1])}}; }

inline M MFromBits(uint32_t bits) {
    const __m128i lane = _mm_setr_epi32(1, 2, 4, 8);
    const __m128i low = _mm_set1_epi32(static_cast<int>(bits & 0xF));
    const __m128i high = _mm_set1_epi32(static_cast<int>((bits >> 4) & 0xF));
    return {{_mm_castsi128_ps(_mm_cmpeq_epi32(_mm_and_si128(low, lane), lane)),
             _mm_castsi128_ps(_mm_cmpeq_epi32(_mm_and_si128(high, lane), lane))}};
}
inline F FSelect(M m, F a, F b) {
    return {{_mm_blendv_ps(b.v[0], a.v[0], m.v[0]), _mm_blendv_ps(b.v[1], a.v[1], m.v[1])}};
}
inline I ISelect(M m, I a, I b) { return AsInt(FSelect(m, AsFloat(a), AsFloat(b))); }

// Lanes 0-3 of a and lanes 4-7 folded onto them, the first step of the halving-tree reductions.
inline __m128 FoldToQuadSum(F a) { return _mm_add_ps(a.v[0], a.v[1]); }
inline __m128 FoldToQuadMax(F a) { return _mm_max_ps(a.v[0], a.v[1]); }

#include "raster/kernel_lane_loops.inl"
#include "raster/kernel_common.inl"

}  // namespace mora::raster::sse41
