// The float half of the AVX and AVX2 kernels' vocabulary: 16 lanes as two ymm halves, lane masks
// as all-ones float lanes. Included inside each variant's namespace, after kLanes, kFused and the
// integer type I are declared; each variant adds MulAdd / NegMulAdd (fused or not) and its
// integer operations.

struct F {
    __m256 v[2];
};  // lanes 0-7, 8-15
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
inline F FSelect(M m, F a, F b) {
    return {{_mm256_blendv_ps(b.v[0], a.v[0], m.v[0]), _mm256_blendv_ps(b.v[1], a.v[1], m.v[1])}};
}
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
