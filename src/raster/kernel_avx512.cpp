// AVX-512 (Skylake-SP set) build of the raster kernel: 16 lanes in one zmm register, fused
// multiply-add, native gathers, scatters and lane masks. Compiled with AVX-512 flags only here.
// GCC 12's AVX-512 headers read _mm512_undefined_*() values, which -Wuninitialized reports
// inside the header (GCC bug 105593); the warnings say nothing about this file.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop

#include <cstdint>

#include "raster/kernel_variants.h"
#include "raster/raster_job.h"
#include "raster/setup_triangle.h"
#include "raster/texture_cache.h"

namespace mora::raster::avx512 {

constexpr int kLanes = 16;
constexpr bool kFused = true;

struct F {
    __m512 v;
};
struct I {
    __m512i v;
};
struct M {
    __mmask16 v;
};

inline F FSet(float x) { return {_mm512_set1_ps(x)}; }
inline F FLoad(const float* p) { return {_mm512_loadu_ps(p)}; }
inline void FStore(float* p, F a) { _mm512_storeu_ps(p, a.v); }
inline F operator+(F a, F b) { return {_mm512_add_ps(a.v, b.v)}; }
inline F operator-(F a, F b) { return {_mm512_sub_ps(a.v, b.v)}; }
inline F operator*(F a, F b) { return {_mm512_mul_ps(a.v, b.v)}; }
inline F operator/(F a, F b) { return {_mm512_div_ps(a.v, b.v)}; }
inline F MulAdd(F a, F b, F c) { return {_mm512_fmadd_ps(a.v, b.v, c.v)}; }
inline F NegMulAdd(F a, F b, F c) { return {_mm512_fnmadd_ps(a.v, b.v, c.v)}; }
inline F Min(F a, F b) { return {_mm512_min_ps(a.v, b.v)}; }
inline F Max(F a, F b) { return {_mm512_max_ps(a.v, b.v)}; }
inline F Floor(F a) { return {_mm512_roundscale_ps(a.v, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC)}; }
inline F Abs(F a) {
    return {_mm512_castsi512_ps(_mm512_and_si512(_mm512_castps_si512(a.v), _mm512_set1_epi32(0x7FFFFFFF)))};
}
inline F PartnerX(F a) { return {_mm512_permute_ps(a.v, _MM_SHUFFLE(0, 1, 2, 3))}; }  // lane ^ 3
inline F PartnerY(F a) { return {_mm512_permute_ps(a.v, _MM_SHUFFLE(1, 0, 3, 2))}; }  // lane ^ 2

inline M CmpGt(F a, F b) { return {_mm512_cmp_ps_mask(a.v, b.v, _CMP_GT_OQ)}; }
inline M CmpGe(F a, F b) { return {_mm512_cmp_ps_mask(a.v, b.v, _CMP_GE_OQ)}; }
inline M CmpLt(F a, F b) { return {_mm512_cmp_ps_mask(a.v, b.v, _CMP_LT_OQ)}; }
inline M CmpLe(F a, F b) { return {_mm512_cmp_ps_mask(a.v, b.v, _CMP_LE_OQ)}; }
inline M CmpEq(F a, F b) { return {_mm512_cmp_ps_mask(a.v, b.v, _CMP_EQ_OQ)}; }
inline M CmpNe(F a, F b) { return {_mm512_cmp_ps_mask(a.v, b.v, _CMP_NEQ_UQ)}; }
inline M MAll() { return {0xFFFF}; }
inline M MNone() { return {0}; }
inline M operator&(M a, M b) { return {static_cast<__mmask16>(a.v & b.v)}; }
inline uint32_t MBits(M a) { return a.v; }
inline M MLoad(const int32_t* p) { return {_mm512_test_epi32_mask(_mm512_loadu_si512(p), _mm512_loadu_si512(p))}; }

inline I ISet(int32_t x) { return {_mm512_set1_epi32(x)}; }
inline I ILoad(const int32_t* p) { return {_mm512_loadu_si512(p)}; }
inline I operator+(I a, I b) { return {_mm512_add_epi32(a.v, b.v)}; }
inline I operator-(I a, I b) { return {_mm512_sub_epi32(a.v, b.v)}; }
inline I operator*(I a, I b) { return {_mm512_mullo_epi32(a.v, b.v)}; }
inline I operator&(I a, I b) { return {_mm512_and_si512(a.v, b.v)}; }
inline I operator|(I a, I b) { return {_mm512_or_si512(a.v, b.v)}; }
inline I IMin(I a, I b) { return {_mm512_min_epi32(a.v, b.v)}; }
inline I IMax(I a, I b) { return {_mm512_max_epi32(a.v, b.v)}; }
template <int N>
inline I ShiftLeft(I a) {
    return {_mm512_slli_epi32(a.v, N)};
}
template <int N>
inline I ShiftRight(I a) {
    return {_mm512_srli_epi32(a.v, N)};
}
inline I Cvtt(F a) { return {_mm512_cvttps_epi32(a.v)}; }
inline F ToFloat(I a) { return {_mm512_cvtepi32_ps(a.v)}; }
inline I AsInt(F a) { return {_mm512_castps_si512(a.v)}; }
inline F AsFloat(I a) { return {_mm512_castsi512_ps(a.v)}; }

inline void IStore(int32_t* p, I a) { _mm512_storeu_si512(p, a.v); }
inline M MFromBits(uint32_t bits) { return {static_cast<__mmask16>(bits)}; }
inline F FSelect(M m, F a, F b) { return {_mm512_mask_blend_ps(m.v, b.v, a.v)}; }
inline I ISelect(M m, I a, I b) { return {_mm512_mask_blend_epi32(m.v, b.v, a.v)}; }

// Lanes 0-3 of a and its other quarters folded onto them (lane i with lane i + 8, then i + 4), the
// first steps of the halving-tree reductions.
inline __m128 FoldToQuadSum(F a) {
    const __m256 h = _mm256_add_ps(_mm512_castps512_ps256(a.v), _mm512_extractf32x8_ps(a.v, 1));
    return _mm_add_ps(_mm256_castps256_ps128(h), _mm256_extractf128_ps(h, 1));
}
inline __m128 FoldToQuadMax(F a) {
    const __m256 h = _mm256_max_ps(_mm512_castps512_ps256(a.v), _mm512_extractf32x8_ps(a.v, 1));
    return _mm_max_ps(_mm256_castps256_ps128(h), _mm256_extractf128_ps(h, 1));
}

inline I GatherMasked(const uint8_t* base, I offset, M m) {
    return {_mm512_mask_i32gather_epi32(_mm512_setzero_si512(), m.v, offset.v, base, 1)};
}
inline I Lookup16(const int32_t* table, I index) {
    return {_mm512_permutexvar_epi32(index.v, _mm512_loadu_si512(table))};
}
// Tile transfers between framebuffer rows and pass layout with row loads and stores (masked to
// the live columns) and in-register permutes, instead of gathers and scatters.
#define MORA_KERNEL_HAS_TILE_IO 1

// Pass p lane i is pixel (x, y) = (kLaneX[i] + (p & 1), kLaneY[i] + (p >> 1)); with rows
// y0 + {0, 2} in one register and y0 + {4, 6} in the other, it sits at 4 x kLaneY[i] + x.
inline __m512i PassFromRowsIndex(int oddColumn) {
    return _mm512_add_epi32(_mm512_setr_epi32(0, 10, 8, 2, 4, 14, 12, 6, 16, 26, 24, 18, 20, 30, 28, 22),
                            _mm512_set1_epi32(oddColumn));
}

// The inverse: rows 4k + h (lanes 0-7) and 4k + 2 + h (lanes 8-15) from the passes 2h (even
// columns, indices 0-15) and 2h + 1 (odd columns, 16-31).
inline __m512i RowsFromPassIndex(int k) {
    return k == 0 ? _mm512_setr_epi32(0, 16, 3, 19, 4, 20, 7, 23, 2, 18, 1, 17, 6, 22, 5, 21)
                  : _mm512_setr_epi32(8, 24, 11, 27, 12, 28, 15, 31, 10, 26, 9, 25, 14, 30, 13, 29);
}

inline void ReadTile(const uint8_t* tile, int64_t pitch, int32_t cols, int32_t rows, int32_t out[4][16]) {
    const __mmask8 columns = static_cast<__mmask8>((1u << cols) - 1u);
    __m256i row[8];
#pragma GCC unroll 8
    for (int r = 0; r < 8; ++r)
        row[r] = r < rows ? _mm256_maskz_loadu_epi32(columns, tile + r * pitch) : _mm256_setzero_si256();
#pragma GCC unroll 4
    for (int p = 0; p < 4; ++p) {
        const int y = p >> 1;
        const __m512i near = _mm512_inserti64x4(_mm512_castsi256_si512(row[y]), row[y + 2], 1);
        const __m512i far = _mm512_inserti64x4(_mm512_castsi256_si512(row[y + 4]), row[y + 6], 1);
        _mm512_store_si512(out[p], _mm512_permutex2var_epi32(near, PassFromRowsIndex(p & 1), far));
    }
}

inline void WriteTile(uint8_t* tile, int64_t pitch, const int32_t in[4][16], const uint32_t dirty[4]) {
#pragma GCC unroll 2
    for (int h = 0; h < 2; ++h) {
        const __m512i even = _mm512_load_si512(in[2 * h]);
        const __m512i odd = _mm512_load_si512(in[2 * h + 1]);
        const __m512i evenDirty = _mm512_movm_epi32(static_cast<__mmask16>(dirty[2 * h]));
        const __m512i oddDirty = _mm512_movm_epi32(static_cast<__mmask16>(dirty[2 * h + 1]));
#pragma GCC unroll 2
        for (int k = 0; k < 2; ++k) {
            const __m512i index = RowsFromPassIndex(k);
            const __m512i pixels = _mm512_permutex2var_epi32(even, index, odd);
            const uint32_t written = _mm512_movepi32_mask(_mm512_permutex2var_epi32(evenDirty, index, oddDirty));
            if ((written & 0xFFu) != 0)
                _mm256_mask_storeu_epi32(tile + (4 * k + h) * pitch, static_cast<__mmask8>(written),
                                         _mm512_castsi512_si256(pixels));
            if ((written >> 8) != 0)
                _mm256_mask_storeu_epi32(tile + (4 * k + 2 + h) * pitch, static_cast<__mmask8>(written >> 8),
                                         _mm512_extracti64x4_epi64(pixels, 1));
        }
    }
}

#include "raster/kernel_common.inl"

}  // namespace mora::raster::avx512
