#pragma once
// One pixel at a time: the lane operations of the fast path on plain scalars. This variant runs
// the fast path's algorithm (shared noise, worker threads) on any processor and checks the
// vector variants' structure without their instructions.

#include "engine/Noise.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {
namespace lanes {

struct M {
    bool v;
};
struct F {
    float v;
    F() = default;
    F(float value) : v(value) {}
};
struct I {
    int32_t v;
    I() = default;
    I(int32_t value) : v(value) {}
};
struct D {
    double v;
    D() = default;
    D(double value) : v(value) {}
};
struct DM {
    bool v;
};

inline uint32_t Bits(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}
inline float FromBits(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

inline F operator+(F a, F b) {
    return a.v + b.v;
}
inline F operator-(F a, F b) {
    return a.v - b.v;
}
inline F operator*(F a, F b) {
    return a.v * b.v;
}
inline F operator/(F a, F b) {
    return a.v / b.v;
}
inline M operator<(F a, F b) {
    return {a.v < b.v};
}
inline M operator<=(F a, F b) {
    return {a.v <= b.v};
}
inline M operator>(F a, F b) {
    return {a.v > b.v};
}
inline M operator>=(F a, F b) {
    return {a.v >= b.v};
}
inline M IsNaN(F a) {
    return {a.v != a.v};
}
inline F Select(M m, F a, F b) {
    return m.v ? a : b;
}
inline F Abs(F a) {
    return std::fabs(a.v);
}
inline F Sqrt(F a) {
    return std::sqrt(a.v);
}
// a with its sign bit flipped where `bits` has bit 31 set.
inline F FlipSign(F a, I bits) {
    return FromBits(Bits(a.v) ^ (static_cast<uint32_t>(bits.v) & 0x80000000u));
}
// |a| given the sign of `sign`.
inline F WithSignOf(F a, F sign) {
    return FromBits((Bits(a.v) & 0x7FFFFFFFu) | (Bits(sign.v) & 0x80000000u));
}

inline I operator+(I a, I b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a.v) + static_cast<uint32_t>(b.v));
}
inline I operator-(I a, I b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a.v) - static_cast<uint32_t>(b.v));
}
inline I operator&(I a, I b) {
    return a.v & b.v;
}
inline M operator>(I a, I b) {
    return {a.v > b.v};
}
inline M operator<(I a, I b) {
    return {a.v < b.v};
}
inline M operator==(I a, I b) {
    return {a.v == b.v};
}
inline I Select(M m, I a, I b) {
    return m.v ? a : b;
}
template <int n> inline I ShiftLeft(I a) {
    return static_cast<int32_t>(static_cast<uint32_t>(a.v) << n);
}
template <int n> inline I ShiftRight(I a) {
    return static_cast<int32_t>(static_cast<uint32_t>(a.v) >> n);
}

inline M operator&(M a, M b) {
    return {a.v && b.v};
}
inline M operator|(M a, M b) {
    return {a.v || b.v};
}
inline bool Any(M m) {
    return m.v;
}

inline F ToFloat(I a) {
    return static_cast<float>(a.v);
}
inline I TruncateToInt(F a) {
    return TruncateTowardZero(a.v);
}
inline void Widen(F a, D& low, D& high) {
    low = static_cast<double>(a.v);
    high = low;
}
inline F Narrow(D low, D) {
    return static_cast<float>(low.v);
}
inline void WidenInt(I a, D& low, D& high) {
    low = static_cast<double>(a.v);
    high = low;
}
// The double holds an integer well inside the 32-bit range.
inline I NarrowToInt(D low, D) {
    return static_cast<int32_t>(low.v);
}

inline D operator+(D a, D b) {
    return a.v + b.v;
}
inline D operator-(D a, D b) {
    return a.v - b.v;
}
inline D operator*(D a, D b) {
    return a.v * b.v;
}
inline D operator/(D a, D b) {
    return a.v / b.v;
}
inline DM operator<(D a, D b) {
    return {a.v < b.v};
}
inline DM operator>(D a, D b) {
    return {a.v > b.v};
}
inline DM operator==(D a, D b) {
    return {a.v == b.v};
}
inline D Select(DM m, D a, D b) {
    return m.v ? a : b;
}
inline D Abs(D a) {
    return std::fabs(a.v);
}
inline DM SignBit(D a) {
    return {std::signbit(a.v)};
}
inline D FloorNonNegative(D a) {
    return std::floor(a.v);
}

inline I Gather(const int32_t* table, I index) {
    return table[index.v];
}
// Byte offsets of pixels within a plane.
struct Offsets {
    size_t v;
};
inline Offsets PixelOffsets(int32_t width, I column, I row) {
    return {static_cast<size_t>(row.v) * static_cast<size_t>(width) + static_cast<size_t>(column.v)};
}
inline Offsets OffsetsAdd(Offsets offsets, I delta) {
    return {offsets.v + static_cast<size_t>(delta.v)};
}
// The byte at the offset and the one after it, low byte first.
inline I GatherPairs(const uint8_t* plane, Offsets offsets) {
    const uint8_t* p = plane + offsets.v;
    return static_cast<int32_t>(p[0] | (p[1] << 8));
}
inline void StoreBytes(uint8_t* destination, I values, int) {
    destination[0] = static_cast<uint8_t>(values.v);
}
// The 16-bit samples at the offset (counted in samples) and after it, the first in the low half.
inline I GatherPairs(const uint16_t* plane, Offsets offsets) {
    const uint16_t* p = plane + offsets.v;
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 16));
}
inline void StoreSamples(uint16_t* destination, I values, int) {
    destination[0] = static_cast<uint16_t>(values.v);
}
// Column of each lane: first, first + 1, ..., none beyond last.
inline I LaneColumns(int32_t first, int32_t) {
    return first;
}
inline F LoadFloats(const float* values) {
    return values[0];
}

} // namespace lanes

struct Lanes {
    static constexpr int kWidth = 1;
    using F = lanes::F;
    using I = lanes::I;
    using M = lanes::M;
    using D = lanes::D;
    using DM = lanes::DM;
};

} // namespace
