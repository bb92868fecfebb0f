// AVX build of the raster kernel: 16 lanes as two ymm float halves; integer work in four xmm
// quarters (AVX has no 256-bit integer instructions); no FMA; gathers and scatters are per-lane
// loads and stores. Compiled with the AVX flag only here.
#include <immintrin.h>

#include <cstdint>

#include "raster/kernel_variants.h"
#include "raster/raster_job.h"
#include "raster/texture_cache.h"
#include "render/setup_triangle.h"

namespace mora::raster::avx {

constexpr int kLanes = 16;
constexpr bool kFused = false;

struct F {
    __m256 v[2];
};  // lanes 0-7, 8-15
struct I {
    __m128i v[4];
};  // lanes 0-3, 4-7, 8-11, 12-15
struct M {
    __m256 v[2];
};  // all-ones lanes

inline F FSet(float x) {
    const __m256 a = _mm256_set1_ps(x);
    return {{a, a}};
}
inline F FLoad(const float* p) { return {{_mm256_loadu_ps(p), _mm256_loadu_ps(p + 8)}}; }
inline void FStore(float* p, F a) {
    _mm256_storeu_ps(p, a.v[0]);
    _mm256_storeu_ps(p + 8, a.v[1]);
}
inline F operator+(F a, F b) { return {{_mm256_add_ps(a.v[0], b.v[0]), _mm256_add_ps(a.v[1], b.v[1])}}; }
inline F operator-(F a, F b) { return {{_mm256_sub_ps(a.v[0], b.v[0]), _mm256_sub_ps(a.v[1], b.v[1])}}; }
inline F operator*(F a, F b) { return {{_mm256_mul_ps(a.v[0], b.v[0]), _mm256_mul_ps(a.v[1], b.v[1])}}; }
inline F operator/(F a, F b) { return {{_mm256_div_ps(a.v[0], b.v[0]), _mm256_div_ps(a.v[1], b.v[1])}}; }
inline F MulAdd(F a, F b, F c) { return a * b + c; }
inline F NegMulAdd(F a, F b, F c) { return c - a * b; }
inline F Min(F a, F b) { return {{_mm256_min_ps(a.v[0], b.v[0]), _mm256_min_ps(a.v[1], b.v[1])}}; }
inline F Max(F a, F b) { return {{_mm256_max_ps(a.v[0], b.v[0]), _mm256_max_ps(a.v[1], b.v[1])}}; }
inline F Floor(F a) { return {{_mm256_floor_ps(a.v[0]), _mm256_floor_ps(a.v[1])}}; }
inline F Abs(F a) {
    const __m256 m = _mm256_castsi256_ps(_mm256_set1_epi32(0x7FFFFFFF));
    return {{_mm256_and_ps(a.v[0], m), _mm256_and_ps(a.v[1], m)}};
}
inline F PartnerX(F a) {  // lane ^ 3
    return {{_mm256_permute_ps(a.v[0], _MM_SHUFFLE(0, 1, 2, 3)), _mm256_permute_ps(a.v[1], _MM_SHUFFLE(0, 1, 2, 3))}};
}
inline F PartnerY(F a) {  // lane ^ 2
    return {{_mm256_permute_ps(a.v[0], _MM_SHUFFLE(1, 0, 3, 2)), _mm256_permute_ps(a.v[1], _MM_SHUFFLE(1, 0, 3, 2))}};
}

template <int P>
inline M Cmp(F a, F b) {
    return {{_mm256_cmp_ps(a.v[0], b.v[0], P), _mm256_cmp_ps(a.v[1], b.v[1], P)}};
}
inline M CmpGt(F a, F b) { return Cmp<_CMP_GT_OQ>(a, b); }
inline M CmpGe(F a, F b) { return Cmp<_CMP_GE_OQ>(a, b); }
inline M CmpLt(F a, F b) { return Cmp<_CMP_LT_OQ>(a, b); }
inline M CmpLe(F a, F b) { return Cmp<_CMP_LE_OQ>(a, b); }
inline M CmpEq(F a, F b) { return Cmp<_CMP_EQ_OQ>(a, b); }
inline M CmpNe(F a, F b) { return Cmp<_CMP_NEQ_UQ>(a, b); }
inline M MAll() {
    const __m256 a = _mm256_castsi256_ps(_mm256_set1_epi32(-1));
    return {{a, a}};
}
inline M MNone() {
    const __m256 a = _mm256_setzero_ps();
    return {{a, a}};
}
inline M operator&(M a, M b) { return {{_mm256_and_ps(a.v[0], b.v[0]), _mm256_and_ps(a.v[1], b.v[1])}}; }
inline uint32_t MBits(M a) {
    return static_cast<uint32_t>(_mm256_movemask_ps(a.v[0])) | (static_cast<uint32_t>(_mm256_movemask_ps(a.v[1])) << 8);
}
inline M MLoad(const int32_t* p) {
    return {
        {_mm256_loadu_ps(reinterpret_cast<const float*>(p)), _mm256_loadu_ps(reinterpret_cast<const float*>(p + 8))}};
}

inline I ISet(int32_t x) {
    const __m128i a = _mm_set1_epi32(x);
    return {{a, a, a, a}};
}
inline I ILoad(const int32_t* p) {
    const __m128i* q = reinterpret_cast<const __m128i*>(p);
    return {{_mm_loadu_si128(q), _mm_loadu_si128(q + 1), _mm_loadu_si128(q + 2), _mm_loadu_si128(q + 3)}};
}
inline void IStore(int32_t* p, I a) {
    __m128i* q = reinterpret_cast<__m128i*>(p);
    _mm_storeu_si128(q, a.v[0]);
    _mm_storeu_si128(q + 1, a.v[1]);
    _mm_storeu_si128(q + 2, a.v[2]);
    _mm_storeu_si128(q + 3, a.v[3]);
}
// Written out per quarter (no loops) so the compiler keeps the quarters in registers.
#define MORA_AVX_INT_OP(name, intrinsic)                                                          \
    inline I name(I a, I b) {                                                                     \
        return {{intrinsic(a.v[0], b.v[0]), intrinsic(a.v[1], b.v[1]), intrinsic(a.v[2], b.v[2]), \
                 intrinsic(a.v[3], b.v[3])}};                                                     \
    }
MORA_AVX_INT_OP(operator+, _mm_add_epi32)
MORA_AVX_INT_OP(operator-, _mm_sub_epi32)
MORA_AVX_INT_OP(operator*, _mm_mullo_epi32)
MORA_AVX_INT_OP(operator&, _mm_and_si128)
MORA_AVX_INT_OP(operator|, _mm_or_si128)
MORA_AVX_INT_OP(IMin, _mm_min_epi32)
MORA_AVX_INT_OP(IMax, _mm_max_epi32)
#undef MORA_AVX_INT_OP
template <int N>
inline I ShiftLeft(I a) {
    return {
        {_mm_slli_epi32(a.v[0], N), _mm_slli_epi32(a.v[1], N), _mm_slli_epi32(a.v[2], N), _mm_slli_epi32(a.v[3], N)}};
}
template <int N>
inline I ShiftRight(I a) {
    return {
        {_mm_srli_epi32(a.v[0], N), _mm_srli_epi32(a.v[1], N), _mm_srli_epi32(a.v[2], N), _mm_srli_epi32(a.v[3], N)}};
}
inline I FromHalves(__m256i low, __m256i high) {
    return {{_mm256_castsi256_si128(low), _mm256_extractf128_si256(low, 1), _mm256_castsi256_si128(high),
             _mm256_extractf128_si256(high, 1)}};
}
inline __m256i JoinQuarters(__m128i low, __m128i high) {
    return _mm256_insertf128_si256(_mm256_castsi128_si256(low), high, 1);
}
inline I Cvtt(F a) { return FromHalves(_mm256_cvttps_epi32(a.v[0]), _mm256_cvttps_epi32(a.v[1])); }
inline F ToFloat(I a) {
    return {{_mm256_cvtepi32_ps(JoinQuarters(a.v[0], a.v[1])), _mm256_cvtepi32_ps(JoinQuarters(a.v[2], a.v[3]))}};
}
inline I AsInt(F a) { return FromHalves(_mm256_castps_si256(a.v[0]), _mm256_castps_si256(a.v[1])); }
inline F AsFloat(I a) {
    return {{_mm256_castsi256_ps(JoinQuarters(a.v[0], a.v[1])), _mm256_castsi256_ps(JoinQuarters(a.v[2], a.v[3]))}};
}

inline __m128i NibbleMask(uint32_t nibble) {
    const __m128i lane = _mm_setr_epi32(1, 2, 4, 8);
    return _mm_cmpeq_epi32(_mm_and_si128(_mm_set1_epi32(static_cast<int>(nibble & 0xF)), lane), lane);
}
inline M MFromBits(uint32_t bits) {
    return {{_mm256_castsi256_ps(JoinQuarters(NibbleMask(bits), NibbleMask(bits >> 4))),
             _mm256_castsi256_ps(JoinQuarters(NibbleMask(bits >> 8), NibbleMask(bits >> 12)))}};
}
inline F FSelect(M m, F a, F b) {
    return {{_mm256_blendv_ps(b.v[0], a.v[0], m.v[0]), _mm256_blendv_ps(b.v[1], a.v[1], m.v[1])}};
}
inline I ISelect(M m, I a, I b) { return AsInt(FSelect(m, AsFloat(a), AsFloat(b))); }

// Lanes 0-3 of a and its other quarters folded onto them (lane i with lane i + 8, then i + 4), the
// first steps of the halving-tree reductions.
inline __m128 FoldToQuadSum(F a) {
    const __m256 h = _mm256_add_ps(a.v[0], a.v[1]);
    return _mm_add_ps(_mm256_castps256_ps128(h), _mm256_extractf128_ps(h, 1));
}
inline __m128 FoldToQuadMax(F a) {
    const __m256 h = _mm256_max_ps(a.v[0], a.v[1]);
    return _mm_max_ps(_mm256_castps256_ps128(h), _mm256_extractf128_ps(h, 1));
}

inline I GatherMasked(const uint8_t* base, I offset, M m) {
    alignas(32) int32_t off[16], val[16] = {};
    IStore(off, offset);
    const uint32_t bits = MBits(m);
    if (bits == (1u << 16) - 1) {
        for (int lane = 0; lane < 16; ++lane) __builtin_memcpy(&val[lane], base + off[lane], 4);
    } else {
        for (uint32_t rest = bits; rest != 0; rest &= rest - 1) {
            const int lane = __builtin_ctz(rest);
            __builtin_memcpy(&val[lane], base + off[lane], 4);
        }
    }
    return ILoad(val);
}
inline I Lookup16(const int32_t* table, I index) {
    alignas(16) int32_t idx[16], val[16];
    IStore(idx, index);
    for (int lane = 0; lane < 16; ++lane) val[lane] = table[idx[lane] & 15];
    return ILoad(val);
}
#include "raster/kernel_common.inl"

}  // namespace mora::raster::avx
