// AVX2 build of the raster kernel: 16 lanes as two ymm halves, fused multiply-add, hardware
// gathers; scatters are per-lane stores. Compiled with AVX2 and FMA flags only here.
#include <immintrin.h>

#include <cstdint>

#include "raster/kernel_variants.h"
#include "raster/raster_job.h"
#include "raster/setup_triangle.h"
#include "raster/texture_cache.h"

namespace mora::raster::avx2 {

constexpr int kLanes = 16;
constexpr bool kFused = true;

struct I {
    __m256i v[2];
};  // lanes 0-7, 8-15

#include "raster/kernel_float256.inl"

inline F MulAdd(F a, F b, F c) {
    return {{_mm256_fmadd_ps(a.v[0], b.v[0], c.v[0]), _mm256_fmadd_ps(a.v[1], b.v[1], c.v[1])}};
}
inline F NegMulAdd(F a, F b, F c) {
    return {{_mm256_fnmadd_ps(a.v[0], b.v[0], c.v[0]), _mm256_fnmadd_ps(a.v[1], b.v[1], c.v[1])}};
}

inline I ISet(int32_t x) {
    const __m256i a = _mm256_set1_epi32(x);
    return {{a, a}};
}
inline I ILoad(const int32_t* p) {
    return {{_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)),
             _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 8))}};
}
inline void IStore(int32_t* p, I a) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), a.v[0]);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 8), a.v[1]);
}
inline I operator+(I a, I b) { return {{_mm256_add_epi32(a.v[0], b.v[0]), _mm256_add_epi32(a.v[1], b.v[1])}}; }
inline I operator-(I a, I b) { return {{_mm256_sub_epi32(a.v[0], b.v[0]), _mm256_sub_epi32(a.v[1], b.v[1])}}; }
inline I operator*(I a, I b) { return {{_mm256_mullo_epi32(a.v[0], b.v[0]), _mm256_mullo_epi32(a.v[1], b.v[1])}}; }
inline I operator&(I a, I b) { return {{_mm256_and_si256(a.v[0], b.v[0]), _mm256_and_si256(a.v[1], b.v[1])}}; }
inline I operator|(I a, I b) { return {{_mm256_or_si256(a.v[0], b.v[0]), _mm256_or_si256(a.v[1], b.v[1])}}; }
inline I IMin(I a, I b) { return {{_mm256_min_epi32(a.v[0], b.v[0]), _mm256_min_epi32(a.v[1], b.v[1])}}; }
inline I IMax(I a, I b) { return {{_mm256_max_epi32(a.v[0], b.v[0]), _mm256_max_epi32(a.v[1], b.v[1])}}; }
template <int N>
inline I ShiftLeft(I a) {
    return {{_mm256_slli_epi32(a.v[0], N), _mm256_slli_epi32(a.v[1], N)}};
}
template <int N>
inline I ShiftRight(I a) {
    return {{_mm256_srli_epi32(a.v[0], N), _mm256_srli_epi32(a.v[1], N)}};
}
inline I Cvtt(F a) { return {{_mm256_cvttps_epi32(a.v[0]), _mm256_cvttps_epi32(a.v[1])}}; }
inline F ToFloat(I a) { return {{_mm256_cvtepi32_ps(a.v[0]), _mm256_cvtepi32_ps(a.v[1])}}; }
inline I AsInt(F a) { return {{_mm256_castps_si256(a.v[0]), _mm256_castps_si256(a.v[1])}}; }
inline F AsFloat(I a) { return {{_mm256_castsi256_ps(a.v[0]), _mm256_castsi256_ps(a.v[1])}}; }

inline M MFromBits(uint32_t bits) {
    const __m256i lane = _mm256_setr_epi32(1, 2, 4, 8, 16, 32, 64, 128);
    const __m256i low = _mm256_set1_epi32(static_cast<int>(bits & 0xFF));
    const __m256i high = _mm256_set1_epi32(static_cast<int>((bits >> 8) & 0xFF));
    return {{_mm256_castsi256_ps(_mm256_cmpeq_epi32(_mm256_and_si256(low, lane), lane)),
             _mm256_castsi256_ps(_mm256_cmpeq_epi32(_mm256_and_si256(high, lane), lane))}};
}
inline I ISelect(M m, I a, I b) { return AsInt(FSelect(m, AsFloat(a), AsFloat(b))); }

inline I GatherMasked(const uint8_t* base, I offset, M m) {
    const int* b = reinterpret_cast<const int*>(base);
    const __m256i zero = _mm256_setzero_si256();
    return {{_mm256_mask_i32gather_epi32(zero, b, offset.v[0], _mm256_castps_si256(m.v[0]), 1),
             _mm256_mask_i32gather_epi32(zero, b, offset.v[1], _mm256_castps_si256(m.v[1]), 1)}};
}
// table[index] for indices 0..15: two in-register permutes, picked by bit 3 of the index.
inline I Lookup16(const int32_t* table, I index) {
    const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(table));
    const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(table + 8));
    const __m256i seven = _mm256_set1_epi32(7);
    const auto half = [&](__m256i idx) {
        return _mm256_blendv_epi8(_mm256_permutevar8x32_epi32(low, idx), _mm256_permutevar8x32_epi32(high, idx),
                                  _mm256_cmpgt_epi32(idx, seven));
    };
    return {{half(index.v[0]), half(index.v[1])}};
}
// Tile transfers between framebuffer rows and pass layout with row loads and stores (masked to
// the live columns) and in-register permutes, instead of gathers and per-pixel stores.
#define MORA_KERNEL_HAS_TILE_IO 1

inline __m256i ColumnMask(int32_t cols) {
    return _mm256_cmpgt_epi32(_mm256_set1_epi32(cols), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
}

// Pass p lanes 0-7 take columns {0,2,0,2,4,6,4,6} + (p & 1) of rows (p >> 1) + {0, 2}, lanes 8-15
// the same columns of rows (p >> 1) + {4, 6}; lanes 1, 2, 5 and 6 of each half come from the
// second row of the pair.
inline void ReadTile(const uint8_t* tile, int64_t pitch, int32_t cols, int32_t rows, int32_t out[4][16]) {
    const __m256i columns = ColumnMask(cols);
    __m256i row[8];
#pragma GCC unroll 8
    for (int r = 0; r < 8; ++r)
        row[r] = r < rows ? _mm256_maskload_epi32(reinterpret_cast<const int*>(tile + r * pitch), columns)
                          : _mm256_setzero_si256();
#pragma GCC unroll 4
    for (int p = 0; p < 4; ++p) {
        const int y = p >> 1;
        const __m256i index = _mm256_add_epi32(_mm256_setr_epi32(0, 2, 0, 2, 4, 6, 4, 6), _mm256_set1_epi32(p & 1));
        const __m256i low = _mm256_blend_epi32(_mm256_permutevar8x32_epi32(row[y], index),
                                               _mm256_permutevar8x32_epi32(row[y + 2], index), 0x66);
        const __m256i high = _mm256_blend_epi32(_mm256_permutevar8x32_epi32(row[y + 4], index),
                                                _mm256_permutevar8x32_epi32(row[y + 6], index), 0x66);
        _mm256_store_si256(reinterpret_cast<__m256i*>(out[p]), low);
        _mm256_store_si256(reinterpret_cast<__m256i*>(out[p] + 8), high);
    }
}

// Row 4k + 2j + h (j, k in 0..1) holds, at column c, lane {0,3,4,7} (j = 0) or {2,1,6,5} (j = 1)
// of half k of pass 2h + (c & 1), indexed by c / 2.
inline void WriteTile(uint8_t* tile, int64_t pitch, const int32_t in[4][16], const uint32_t dirty[4]) {
    const __m256i index[2] = {_mm256_setr_epi32(0, 0, 3, 3, 4, 4, 7, 7), _mm256_setr_epi32(2, 2, 1, 1, 6, 6, 5, 5)};
    const __m256i bit = _mm256_setr_epi32(1, 2, 4, 8, 16, 32, 64, 128);
#pragma GCC unroll 2
    for (int h = 0; h < 2; ++h) {
#pragma GCC unroll 2
        for (int k = 0; k < 2; ++k) {
            const __m256i even = _mm256_load_si256(reinterpret_cast<const __m256i*>(in[2 * h] + 8 * k));
            const __m256i odd = _mm256_load_si256(reinterpret_cast<const __m256i*>(in[2 * h + 1] + 8 * k));
            const __m256i evenBits = _mm256_set1_epi32(static_cast<int>((dirty[2 * h] >> (8 * k)) & 0xFF));
            const __m256i oddBits = _mm256_set1_epi32(static_cast<int>((dirty[2 * h + 1] >> (8 * k)) & 0xFF));
            const __m256i evenDirty = _mm256_cmpeq_epi32(_mm256_and_si256(evenBits, bit), bit);
            const __m256i oddDirty = _mm256_cmpeq_epi32(_mm256_and_si256(oddBits, bit), bit);
#pragma GCC unroll 2
            for (int j = 0; j < 2; ++j) {
                const __m256i written = _mm256_blend_epi32(_mm256_permutevar8x32_epi32(evenDirty, index[j]),
                                                           _mm256_permutevar8x32_epi32(oddDirty, index[j]), 0xAA);
                if (_mm256_testz_si256(written, written)) continue;
                const __m256i pixels = _mm256_blend_epi32(_mm256_permutevar8x32_epi32(even, index[j]),
                                                          _mm256_permutevar8x32_epi32(odd, index[j]), 0xAA);
                _mm256_maskstore_epi32(reinterpret_cast<int*>(tile + (4 * k + 2 * j + h) * pitch), written, pixels);
            }
        }
    }
}

#include "raster/kernel_common.inl"

}  // namespace mora::raster::avx2
