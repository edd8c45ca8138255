#pragma once
// Eight pixels at a time with AVX2, chosen at run time on processors that have it. Only
// FastWarpAvx2.cpp includes this, and everything here has internal linkage, so no function
// compiled for AVX2 can stand in for a baseline one elsewhere in the library.

#include <immintrin.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {
namespace lanes {

struct M {
    __m256i v;
};
struct F {
    __m256 v;
    F() = default;
    F(__m256 value) : v(value) {}
    F(float value) : v(_mm256_set1_ps(value)) {}
};
struct I {
    __m256i v;
    I() = default;
    I(__m256i value) : v(value) {}
    I(int32_t value) : v(_mm256_set1_epi32(value)) {}
};
struct D {
    __m256d v;
    D() = default;
    D(__m256d value) : v(value) {}
    D(double value) : v(_mm256_set1_pd(value)) {}
};
struct DM {
    __m256d v;
};

inline M FromFloatMask(__m256 m) {
    return {_mm256_castps_si256(m)};
}

inline F operator+(F a, F b) {
    return _mm256_add_ps(a.v, b.v);
}
inline F operator-(F a, F b) {
    return _mm256_sub_ps(a.v, b.v);
}
inline F operator*(F a, F b) {
    return _mm256_mul_ps(a.v, b.v);
}
inline F operator/(F a, F b) {
    return _mm256_div_ps(a.v, b.v);
}
inline M operator<(F a, F b) {
    return FromFloatMask(_mm256_cmp_ps(a.v, b.v, _CMP_LT_OQ));
}
inline M operator<=(F a, F b) {
    return FromFloatMask(_mm256_cmp_ps(a.v, b.v, _CMP_LE_OQ));
}
inline M operator>(F a, F b) {
    return FromFloatMask(_mm256_cmp_ps(a.v, b.v, _CMP_GT_OQ));
}
inline M operator>=(F a, F b) {
    return FromFloatMask(_mm256_cmp_ps(a.v, b.v, _CMP_GE_OQ));
}
inline M IsNaN(F a) {
    return FromFloatMask(_mm256_cmp_ps(a.v, a.v, _CMP_UNORD_Q));
}
inline F Select(M m, F a, F b) {
    return _mm256_blendv_ps(b.v, a.v, _mm256_castsi256_ps(m.v));
}
inline F Abs(F a) {
    return _mm256_and_ps(a.v, _mm256_castsi256_ps(_mm256_set1_epi32(0x7FFFFFFF)));
}
inline F Sqrt(F a) {
    return _mm256_sqrt_ps(a.v);
}
inline F FlipSign(F a, I bits) {
    const __m256i sign = _mm256_and_si256(bits.v, _mm256_set1_epi32(static_cast<int32_t>(0x80000000u)));
    return _mm256_xor_ps(a.v, _mm256_castsi256_ps(sign));
}
inline F WithSignOf(F a, F sign) {
    const __m256 signBit = _mm256_castsi256_ps(_mm256_set1_epi32(static_cast<int32_t>(0x80000000u)));
    return _mm256_or_ps(_mm256_andnot_ps(signBit, a.v), _mm256_and_ps(signBit, sign.v));
}

inline I operator+(I a, I b) {
    return _mm256_add_epi32(a.v, b.v);
}
inline I operator-(I a, I b) {
    return _mm256_sub_epi32(a.v, b.v);
}
inline I operator&(I a, I b) {
    return _mm256_and_si256(a.v, b.v);
}
inline M operator>(I a, I b) {
    return {_mm256_cmpgt_epi32(a.v, b.v)};
}
inline M operator<(I a, I b) {
    return {_mm256_cmpgt_epi32(b.v, a.v)};
}
inline M operator==(I a, I b) {
    return {_mm256_cmpeq_epi32(a.v, b.v)};
}
inline I Select(M m, I a, I b) {
    return _mm256_blendv_epi8(b.v, a.v, m.v);
}
template <int n> inline I ShiftLeft(I a) {
    return _mm256_slli_epi32(a.v, n);
}
template <int n> inline I ShiftRight(I a) {
    return _mm256_srli_epi32(a.v, n);
}

inline M operator&(M a, M b) {
    return {_mm256_and_si256(a.v, b.v)};
}
inline M operator|(M a, M b) {
    return {_mm256_or_si256(a.v, b.v)};
}
inline bool Any(M m) {
    return _mm256_movemask_ps(_mm256_castsi256_ps(m.v)) != 0;
}

inline F ToFloat(I a) {
    return _mm256_cvtepi32_ps(a.v);
}
inline I TruncateToInt(F a) {
    return _mm256_cvttps_epi32(a.v);
}
inline void Widen(F a, D& low, D& high) {
    low = _mm256_cvtps_pd(_mm256_castps256_ps128(a.v));
    high = _mm256_cvtps_pd(_mm256_extractf128_ps(a.v, 1));
}
inline F Narrow(D low, D high) {
    return _mm256_set_m128(_mm256_cvtpd_ps(high.v), _mm256_cvtpd_ps(low.v));
}
inline void WidenInt(I a, D& low, D& high) {
    low = _mm256_cvtepi32_pd(_mm256_castsi256_si128(a.v));
    high = _mm256_cvtepi32_pd(_mm256_extracti128_si256(a.v, 1));
}
inline I NarrowToInt(D low, D high) {
    return _mm256_set_m128i(_mm256_cvttpd_epi32(high.v), _mm256_cvttpd_epi32(low.v));
}

inline D operator+(D a, D b) {
    return _mm256_add_pd(a.v, b.v);
}
inline D operator-(D a, D b) {
    return _mm256_sub_pd(a.v, b.v);
}
inline D operator*(D a, D b) {
    return _mm256_mul_pd(a.v, b.v);
}
inline D operator/(D a, D b) {
    return _mm256_div_pd(a.v, b.v);
}
inline DM operator<(D a, D b) {
    return {_mm256_cmp_pd(a.v, b.v, _CMP_LT_OQ)};
}
inline DM operator>(D a, D b) {
    return {_mm256_cmp_pd(a.v, b.v, _CMP_GT_OQ)};
}
inline DM operator==(D a, D b) {
    return {_mm256_cmp_pd(a.v, b.v, _CMP_EQ_OQ)};
}
inline D Select(DM m, D a, D b) {
    return _mm256_blendv_pd(b.v, a.v, m.v);
}
inline D Abs(D a) {
    return _mm256_andnot_pd(_mm256_set1_pd(-0.0), a.v);
}
inline DM SignBit(D a) {
    return {_mm256_castsi256_pd(
        _mm256_srai_epi32(_mm256_shuffle_epi32(_mm256_castpd_si256(a.v), _MM_SHUFFLE(3, 3, 1, 1)), 31))};
}
inline D FloorNonNegative(D a) {
    return _mm256_floor_pd(a.v);
}

inline I Gather(const int32_t* table, I index) {
    return _mm256_i32gather_epi32(table, index.v, 4);
}
// Byte offsets of pixels within a plane (the engine uses this variant only for planes whose
// offsets fit 32 bits).
struct Offsets {
    __m256i v;
};
inline Offsets PixelOffsets(int32_t width, I column, I row) {
    return {_mm256_add_epi32(_mm256_mullo_epi32(row.v, _mm256_set1_epi32(width)), column.v)};
}
inline Offsets OffsetsAdd(Offsets offsets, I delta) {
    return {_mm256_add_epi32(offsets.v, delta.v)};
}
// The bytes at each offset and the one after it, low byte first. Reads four bytes per lane; the
// source planes are followed by padding, so the two beyond the pair never leave the block.
inline I GatherPairs(const uint8_t* plane, Offsets offsets) {
    const __m256i words = _mm256_i32gather_epi32(reinterpret_cast<const int*>(plane), offsets.v, 1);
    return _mm256_and_si256(words, _mm256_set1_epi32(0xFFFF));
}
// The 16-bit samples at each offset (counted in samples) and after it, the first in the low half.
// Reads four bytes per lane, inside the padding after the planes.
inline I GatherPairs(const uint16_t* plane, Offsets offsets) {
    return _mm256_i32gather_epi32(reinterpret_cast<const int*>(plane), offsets.v, 2);
}
// Values 0..65535 of the lanes as 16-bit samples.
inline void StoreSamples(uint16_t* destination, I values, int count) {
    const __m128i words = _mm_packus_epi32(_mm256_castsi256_si128(values.v), _mm256_extracti128_si256(values.v, 1));
    if (count == 8) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(destination), words);
        return;
    }
    alignas(16) uint16_t lanes[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), words);
    std::memcpy(destination, lanes, static_cast<size_t>(count) * sizeof(uint16_t));
}
inline void StoreBytes(uint8_t* destination, I values, int count) {
    const __m128i words = _mm_packus_epi32(_mm256_castsi256_si128(values.v), _mm256_extracti128_si256(values.v, 1));
    const __m128i bytes = _mm_packus_epi16(words, words);
    if (count == 8) {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(destination), bytes);
        return;
    }
    alignas(16) uint8_t lanes[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), bytes);
    std::memcpy(destination, lanes, static_cast<size_t>(count));
}
inline I LaneColumns(int32_t first, int32_t last) {
    const __m256i columns = _mm256_add_epi32(_mm256_set1_epi32(first), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    return _mm256_min_epi32(columns, _mm256_set1_epi32(last));
}
inline F LoadFloats(const float* values) {
    return _mm256_loadu_ps(values);
}

} // namespace lanes

struct Lanes {
    static constexpr int kWidth = 8;
    using F = lanes::F;
    using I = lanes::I;
    using M = lanes::M;
    using D = lanes::D;
    using DM = lanes::DM;
};

} // namespace
