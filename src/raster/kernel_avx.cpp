// AVX build of the raster kernel: 16 lanes as two ymm float halves; integer work in four xmm
// quarters (AVX has no 256-bit integer instructions); no FMA; gathers and scatters are per-lane
// loads and stores. Compiled with the AVX flag only here.
#include <immintrin.h>

#include <cstdint>

#include "raster/kernel_variants.h"
#include "raster/raster_job.h"
#include "raster/setup_triangle.h"
#include "raster/texture_cache.h"

namespace mora::raster::avx {

constexpr int kLanes = 16;
constexpr bool kFused = false;

struct I {
    __m128i v[4];
};  // lanes 0-3, 4-7, 8-11, 12-15

#include "raster/kernel_float256.inl"

inline F MulAdd(F a, F b, F c) { return a * b + c; }
inline F NegMulAdd(F a, F b, F c) { return c - a * b; }

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
inline I ISelect(M m, I a, I b) { return AsInt(FSelect(m, AsFloat(a), AsFloat(b))); }

#include "raster/kernel_lane_loops.inl"
#include "raster/kernel_common.inl"

}  // namespace mora::raster::avx
