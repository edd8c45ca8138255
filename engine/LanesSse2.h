#pragma once
// Four pixels at a time with SSE2, which every 64-bit x86 processor has. The double-precision
// steps run on two pairs of lanes.

#include <emmintrin.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {
namespace lanes {

struct M {
    __m128i v;
};
struct F {
    __m128 v;
    F() = default;
    F(__m128 value) : v(value) {}
    F(float value) : v(_mm_set1_ps(value)) {}
};
struct I {
    __m128i v;
    I() = default;
    I(__m128i value) : v(value) {}
    I(int32_t value) : v(_mm_set1_epi32(value)) {}
};
struct D {
    __m128d v;
    D() = default;
    D(__m128d value) : v(value) {}
    D(double value) : v(_mm_set1_pd(value)) {}
};
struct DM {
    __m128d v;
};

inline M FromFloatMask(__m128 m) {
    return {_mm_castps_si128(m)};
}

inline F operator+(F a, F b) {
    return _mm_add_ps(a.v, b.v);
}
inline F operator-(F a, F b) {
    return _mm_sub_ps(a.v, b.v);
}
inline F operator*(F a, F b) {
    return _mm_mul_ps(a.v, b.v);
}
inline F operator/(F a, F b) {
    return _mm_div_ps(a.v, b.v);
}
inline M operator<(F a, F b) {
    return FromFloatMask(_mm_cmplt_ps(a.v, b.v));
}
inline M operator<=(F a, F b) {
    return FromFloatMask(_mm_cmple_ps(a.v, b.v));
}
inline M operator>(F a, F b) {
    return FromFloatMask(_mm_cmpgt_ps(a.v, b.v));
}
inline M operator>=(F a, F b) {
    return FromFloatMask(_mm_cmpge_ps(a.v, b.v));
}
inline M IsNaN(F a) {
    return FromFloatMask(_mm_cmpunord_ps(a.v, a.v));
}
inline F Select(M m, F a, F b) {
    const __m128 mask = _mm_castsi128_ps(m.v);
    return _mm_or_ps(_mm_and_ps(mask, a.v), _mm_andnot_ps(mask, b.v));
}
inline F Abs(F a) {
    return _mm_and_ps(a.v, _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF)));
}
inline F Sqrt(F a) {
    return _mm_sqrt_ps(a.v);
}
inline F FlipSign(F a, I bits) {
    const __m128i sign = _mm_and_si128(bits.v, _mm_set1_epi32(static_cast<int32_t>(0x80000000u)));
    return _mm_xor_ps(a.v, _mm_castsi128_ps(sign));
}
inline F WithSignOf(F a, F sign) {
    const __m128 signBit = _mm_castsi128_ps(_mm_set1_epi32(static_cast<int32_t>(0x80000000u)));
    return _mm_or_ps(_mm_andnot_ps(signBit, a.v), _mm_and_ps(signBit, sign.v));
}

inline I operator+(I a, I b) {
    return _mm_add_epi32(a.v, b.v);
}
inline I operator-(I a, I b) {
    return _mm_sub_epi32(a.v, b.v);
}
inline I operator&(I a, I b) {
    return _mm_and_si128(a.v, b.v);
}
inline M operator>(I a, I b) {
    return {_mm_cmpgt_epi32(a.v, b.v)};
}
inline M operator<(I a, I b) {
    return {_mm_cmplt_epi32(a.v, b.v)};
}
inline M operator==(I a, I b) {
    return {_mm_cmpeq_epi32(a.v, b.v)};
}
inline I Select(M m, I a, I b) {
    return _mm_or_si128(_mm_and_si128(m.v, a.v), _mm_andnot_si128(m.v, b.v));
}
template <int n> inline I ShiftLeft(I a) {
    return _mm_slli_epi32(a.v, n);
}
template <int n> inline I ShiftRight(I a) {
    return _mm_srli_epi32(a.v, n);
}

inline M operator&(M a, M b) {
    return {_mm_and_si128(a.v, b.v)};
}
inline M operator|(M a, M b) {
    return {_mm_or_si128(a.v, b.v)};
}
inline bool Any(M m) {
    return _mm_movemask_ps(_mm_castsi128_ps(m.v)) != 0;
}

inline F ToFloat(I a) {
    return _mm_cvtepi32_ps(a.v);
}
inline I TruncateToInt(F a) {
    return _mm_cvttps_epi32(a.v);
}
inline void Widen(F a, D& low, D& high) {
    low = _mm_cvtps_pd(a.v);
    high = _mm_cvtps_pd(_mm_movehl_ps(a.v, a.v));
}
inline F Narrow(D low, D high) {
    return _mm_movelh_ps(_mm_cvtpd_ps(low.v), _mm_cvtpd_ps(high.v));
}
inline void WidenInt(I a, D& low, D& high) {
    low = _mm_cvtepi32_pd(a.v);
    high = _mm_cvtepi32_pd(_mm_shuffle_epi32(a.v, _MM_SHUFFLE(3, 2, 3, 2)));
}
inline I NarrowToInt(D low, D high) {
    return _mm_unpacklo_epi64(_mm_cvttpd_epi32(low.v), _mm_cvttpd_epi32(high.v));
}

inline D operator+(D a, D b) {
    return _mm_add_pd(a.v, b.v);
}
inline D operator-(D a, D b) {
    return _mm_sub_pd(a.v, b.v);
}
inline D operator*(D a, D b) {
    return _mm_mul_pd(a.v, b.v);
}
inline D operator/(D a, D b) {
    return _mm_div_pd(a.v, b.v);
}
inline DM operator<(D a, D b) {
    return {_mm_cmplt_pd(a.v, b.v)};
}
inline DM operator>(D a, D b) {
    return {_mm_cmpgt_pd(a.v, b.v)};
}
inline DM operator==(D a, D b) {
    return {_mm_cmpeq_pd(a.v, b.v)};
}
inline D Select(DM m, D a, D b) {
    return _mm_or_pd(_mm_and_pd(m.v, a.v), _mm_andnot_pd(m.v, b.v));
}
inline D Abs(D a) {
    return _mm_andnot_pd(_mm_set1_pd(-0.0), a.v);
}
inline DM SignBit(D a) {
    const __m128i high = _mm_srai_epi32(_mm_castpd_si128(a.v), 31);
    return {_mm_castsi128_pd(_mm_shuffle_epi32(high, _MM_SHUFFLE(3, 3, 1, 1)))};
}
// floor() for values of 0 or more (others only where the caller discards the lane): adding and
// subtracting 2^52 rounds to an integer, which is one too big where it rounded up. NaN and values
// from 2^52 up (all integers) come back unchanged.
inline D FloorNonNegative(D a) {
    const D shift(4503599627370496.0);
    D rounded = (a + shift) - shift;
    rounded = Select(rounded > a, rounded - D(1.0), rounded);
    return Select(a < shift, rounded, a);
}

inline I Gather(const int32_t* table, I index) {
    alignas(16) int32_t k[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(k), index.v);
    return _mm_setr_epi32(table[k[0]], table[k[1]], table[k[2]], table[k[3]]);
}
// Byte offsets of pixels within a plane.
struct Offsets {
    size_t v[4];
};
inline Offsets PixelOffsets(int32_t width, I column, I row) {
    alignas(16) int32_t c[4];
    alignas(16) int32_t r[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(c), column.v);
    _mm_store_si128(reinterpret_cast<__m128i*>(r), row.v);
    Offsets offsets;
    for (int k = 0; k < 4; ++k)
        offsets.v[k] = static_cast<size_t>(r[k]) * static_cast<size_t>(width) + static_cast<size_t>(c[k]);
    return offsets;
}
inline Offsets OffsetsAdd(Offsets offsets, I delta) {
    alignas(16) int32_t d[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(d), delta.v);
    for (int k = 0; k < 4; ++k)
        offsets.v[k] += static_cast<size_t>(d[k]);
    return offsets;
}
// The bytes at each offset and the one after it, low byte first.
inline I GatherPairs(const uint8_t* plane, const Offsets& offsets) {
    int32_t pairs[4];
    for (int k = 0; k < 4; ++k) {
        const uint8_t* p = plane + offsets.v[k];
        pairs[k] = p[0] | (p[1] << 8);
    }
    return _mm_setr_epi32(pairs[0], pairs[1], pairs[2], pairs[3]);
}
// Values 0..255 in each lane; the first `count` are stored.
// The 16-bit samples at each offset (counted in samples) and after it, the first in the low half.
inline I GatherPairs(const uint16_t* plane, const Offsets& offsets) {
    int32_t pairs[4];
    for (int k = 0; k < 4; ++k) {
        uint32_t pair;
        std::memcpy(&pair, plane + offsets.v[k], sizeof pair);
        pairs[k] = static_cast<int32_t>(pair);
    }
    return _mm_setr_epi32(pairs[0], pairs[1], pairs[2], pairs[3]);
}
// Values 0..65535 of the lanes as 16-bit samples.
inline void StoreSamples(uint16_t* destination, I values, int count) {
    // Signed saturation would cut 32768: the values are moved down by 32768 and back.
    const __m128i moved = _mm_sub_epi32(values.v, _mm_set1_epi32(32768));
    const __m128i words = _mm_xor_si128(_mm_packs_epi32(moved, moved), _mm_set1_epi16(static_cast<short>(0x8000)));
    alignas(16) uint16_t lanes[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), words);
    std::memcpy(destination, lanes, static_cast<size_t>(count) * sizeof(uint16_t));
}
inline void StoreBytes(uint8_t* destination, I values, int count) {
    const __m128i words = _mm_packs_epi32(values.v, values.v);
    const int32_t bytes = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
    if (count == 4) {
        std::memcpy(destination, &bytes, 4);
        return;
    }
    std::memcpy(destination, &bytes, static_cast<size_t>(count));
}
inline I LaneColumns(int32_t first, int32_t last) {
    const I columns = _mm_add_epi32(_mm_set1_epi32(first), _mm_setr_epi32(0, 1, 2, 3));
    return Select(columns > I(last), I(last), columns);
}
inline F LoadFloats(const float* values) {
    return _mm_loadu_ps(values);
}

} // namespace lanes

struct Lanes {
    static constexpr int kWidth = 4;
    using F = lanes::F;
    using I = lanes::I;
    using M = lanes::M;
    using D = lanes::D;
    using DM = lanes::DM;
};

} // namespace
