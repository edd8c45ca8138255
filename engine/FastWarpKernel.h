#pragma once
// The fast path's pixel loop, written once over a lane type (LanesScalar.h, LanesSse2.h or
// LanesAvx2.h, whichever the including unit chose). Every rounding step is the reference's
// (Noise.cpp, Trig.cpp, Warp.cpp) in the same order, so each lane computes the reference's bits;
// only exact operations (selections, sign flips, scaling by powers of two) are arranged
// differently. Internal linkage throughout: each variant's unit gets its own copy.

#include "engine/FastWarp.h"
#include "engine/NoiseConstants.h"
#include "engine/TrigKernel.h"

#include <limits>

namespace {

// The lane operations of the including unit's lane header.
using namespace lanes;

// The NaN that Trig.cpp returns.
constexpr float kCanonicalNaN = std::numeric_limits<float>::quiet_NaN();

// (float)((double)a * factor), lane by lane.
template <class L> typename L::F MultiplyInDouble(typename L::F a, double factor) {
    typename L::D low, high;
    Widen(a, low, high);
    return Narrow(low * typename L::D(factor), high * typename L::D(factor));
}

// (float)((double)a + addend).
template <class L> typename L::F AddInDouble(typename L::F a, double addend) {
    typename L::D low, high;
    Widen(a, low, high);
    return Narrow(low + typename L::D(addend), high + typename L::D(addend));
}

// NoiseCell: truncation, minus one unless t > 0 (integer addition wraps like the reference's).
template <class L> typename L::I NoiseCellLanes(typename L::F t) {
    using I = typename L::I;
    return TruncateToInt(t) + Select(t > typename L::F(0.0f), I(0), I(-1));
}

// One corner's contribution: t^4 times the gradient, 0 where t < 0.
template <class L> typename L::F CornerLanes(typename L::I hash, typename L::F x, typename L::F y) {
    using F = typename L::F;
    using I = typename L::I;
    const F t = (F(0.5f) - x * x) - y * y;
    // NoiseGradient: bit 2 swaps the axes, bit 0 negates the first term, bit 1 the second.
    const auto swapped = (hash & I(4)) == I(4);
    const F u = Select(swapped, y, x);
    const F v = Select(swapped, x, y);
    const F gradient = FlipSign(u, ShiftLeft<31>(hash)) + FlipSign(F(2.0f) * v, ShiftLeft<30>(hash));
    return Select(t < F(0.0f), F(0.0f), (((t * t) * t) * t) * gradient);
}

template <class L> typename L::F SimplexNoiseLanes(const int32_t* pairs, typename L::F x, typename L::F y) {
    using F = typename L::F;
    using I = typename L::I;
    using D = typename L::D;
    const F s = MultiplyInDouble<L>(x + y, kSimplexSkew);
    const I i = NoiseCellLanes<L>(x + s);
    const I j = NoiseCellLanes<L>(y + s);
    D low, high;
    WidenInt(i + j, low, high);
    const F t = Narrow(low * D(kSimplexUnskew), high * D(kSimplexUnskew));
    const F x0 = x - (ToFloat(i) - t);
    const F y0 = y - (ToFloat(j) - t);
    const auto lower = x0 > y0;
    const F x1 = AddInDouble<L>(x0 - Select(lower, F(1.0f), F(0.0f)), kSimplexUnskew);
    const F y1 = AddInDouble<L>(y0 - Select(lower, F(0.0f), F(1.0f)), kSimplexUnskew);
    const F x2 = AddInDouble<L>(x0 - F(1.0f), kSimplexTwoUnskew);
    const F y2 = AddInDouble<L>(y0 - F(1.0f), kSimplexTwoUnskew);
    // Corner hashes P[ii + P[jj]], P[ii + i1 + P[jj + j1]] and P[ii + 1 + P[jj + 1]]: the
    // middle corner's is a neighbour of one of the others, so three gathers of neighbouring
    // pairs give all three. Only the low three bits of a hash matter.
    const I ii = i & I(255);
    const I jj = j & I(255);
    const I rowPair = Gather(pairs, jj);
    const I first = Gather(pairs, ii + (rowPair & I(0xFFFF)));
    const I second = Gather(pairs, ii + ShiftRight<16>(rowPair));
    const I g0 = first;
    const I g1 = Select(lower, ShiftRight<16>(first), second);
    const I g2 = ShiftRight<16>(second);
    const F e0 = CornerLanes<L>(g0, x0, y0);
    const F e1 = CornerLanes<L>(g1, x1, y1);
    const F e2 = CornerLanes<L>(g2, x2, y2);
    return F(kSimplexScale) * ((e0 + e1) + e2);
}

// AddHigherOctaves. The reference scales the coordinates in double precision and rounds; a
// float times 2, 4, 8 or 16 is exact (or overflows alike), so float products give the same.
template <class L>
typename L::F AddHigherOctavesLanes(const int32_t* permutation, typename L::F first, typename L::F x, typename L::F y) {
    using F = typename L::F;
    using D = typename L::D;
    const F n1 = SimplexNoiseLanes<L>(permutation, x * F(2.0f), y * F(2.0f));
    const F n2 = SimplexNoiseLanes<L>(permutation, x * F(4.0f), y * F(4.0f));
    const F n3 = SimplexNoiseLanes<L>(permutation, x * F(8.0f), y * F(8.0f));
    const F n4 = SimplexNoiseLanes<L>(permutation, x * F(16.0f), y * F(16.0f));
    D s0, s0h, s1, s1h, s2, s2h, s3, s3h, s4, s4h;
    Widen(first, s0, s0h);
    Widen(n1, s1, s1h);
    Widen(n2, s2, s2h);
    Widen(n3, s3, s3h);
    Widen(n4, s4, s4h);
    const D low = (((s0 + D(0.5) * s1) + D(0.25) * s2) + D(0.125) * s3) + D(0.0625) * s4;
    const D high = (((s0h + D(0.5) * s1h) + D(0.25) * s2h) + D(0.125) * s3h) + D(0.0625) * s4h;
    return Narrow(low, high);
}

template <class L> typename L::F FractalNoiseLanes(const int32_t* permutation, typename L::F x, typename L::F y) {
    return AddHigherOctavesLanes<L>(permutation, SimplexNoiseLanes<L>(permutation, x, y), x, y);
}

// SineCosine of Trig.cpp.
template <class L> void SineCosineLanes(typename L::F x, typename L::F& sine, typename L::F& cosine) {
    using F = typename L::F;
    using I = typename L::I;
    using D = typename L::D;
    const auto notFinite = IsNaN(x - x);
    const F reduced = Select(Abs(x) <= F(kTrigReductionLimit), x, F(0.0f));
    D low, high, sineLow, sineHigh, cosineLow, cosineHigh, quadrantLow, quadrantHigh;
    Widen(reduced, low, high);
    SineCosineReduced(low, sineLow, cosineLow, quadrantLow);
    SineCosineReduced(high, sineHigh, cosineHigh, quadrantHigh);
    const F s = Narrow(sineLow, sineHigh);
    const F c = Narrow(cosineLow, cosineHigh);
    const I q = NarrowToInt(quadrantLow, quadrantHigh);
    // Quadrant bit 0 swaps sine and cosine; bit 1 of q (of q + 1 for the cosine) negates.
    const auto odd = (q & I(1)) == I(1);
    const F sineValue = FlipSign(Select(odd, c, s), ShiftLeft<30>(q));
    const F cosineValue = FlipSign(Select(odd, s, c), ShiftLeft<30>(q + I(1)));
    sine = Select(notFinite, F(kCanonicalNaN), sineValue);
    cosine = Select(notFinite, F(kCanonicalNaN), cosineValue);
}

// ArcTangent2 of Trig.cpp.
template <class L> typename L::F ArcTangent2Lanes(typename L::F y, typename L::F x) {
    using F = typename L::F;
    using D = typename L::D;
    D yLow, yHigh, xLow, xHigh;
    Widen(y, yLow, yHigh);
    Widen(x, xLow, xHigh);
    const F magnitude = Narrow(ArcTangent2Magnitude(yLow, xLow), ArcTangent2Magnitude(yHigh, xHigh));
    return Select(IsNaN(x) | IsNaN(y), F(kCanonicalNaN), WithSignOf(magnitude, y));
}

// WrapAngle of Warp.cpp.
template <class D> D WrapAngleKernel(D phi) {
    const D twoPi(2.0 * 3.141592653589793);
    phi = Select(phi < D(0.0), phi + twoPi * (FloorNonNegative(Abs(phi) / twoPi) + D(1.0)), phi);
    phi = Select(phi > twoPi, phi - twoPi * FloorNonNegative(phi / twoPi), phi);
    return phi;
}

template <class L> typename L::F WrapAngleLanes(typename L::F phi) {
    typename L::D low, high;
    Widen(phi, low, high);
    return Narrow(WrapAngleKernel(low), WrapAngleKernel(high));
}

inline void Store(uint8_t* destination, I values, int count) {
    StoreBytes(destination, values, count);
}
inline void Store(uint16_t* destination, I values, int count) {
    StoreSamples(destination, values, count);
}

// TurnPixel and SampleBilinear of Warp.cpp for one group of planes, and the store.
template <class L, class Sample>
void TurnAndStore(const FastWarpJob& job, const FastWarpGroup& group, typename L::F px, typename L::F py,
                  typename L::F c1, typename L::F c2, typename L::F m, typename L::F theta, size_t pixelOffset,
                  int count) {
    using F = typename L::F;
    using I = typename L::I;
    const int32_t width = job.width;
    const int32_t height = job.height;
    const F qx = px + c1 * m;
    const F qy = py + c2 * m;
    F sine, cosine;
    SineCosineLanes<L>(theta, sine, cosine);
    F sx = ((px - qx) * cosine - (py - qy) * sine) + qx;
    F sy = ((py - qy) * cosine + (px - qx) * sine) + qy;
    sx = Select((sx >= F(0.0f)) & (sx < F(static_cast<float>(width))), sx, px);
    sy = Select((sy >= F(0.0f)) & (sy < F(static_cast<float>(height))), sy, py);

    // Positions are inside the buffer now, so the truncation cannot leave the 32-bit range; the
    // clamps only mirror the reference.
    I ix = TruncateToInt(sx);
    I iy = TruncateToInt(sy);
    ix = Select(ix < I(0), I(0), ix);
    iy = Select(iy < I(0), I(0), iy);
    ix = Select(ix > I(width - 1), I(width - 1), ix);
    iy = Select(iy > I(height - 1), I(height - 1), iy);
    const auto interpolate = (I(width - 1) > ix) & (I(height - 1) > iy);
    const F fx = sx - ToFloat(ix);
    const F fy = sy - ToFloat(iy);
    F w00 = (F(1.0f) - fx) * (F(1.0f) - fy);
    F w10 = fx * (F(1.0f) - fy);
    F w01 = (F(1.0f) - fx) * fy;
    F w11 = fx * fy;
    const F sum = ((w00 + w10) + w01) + w11;
    const auto positive = sum > F(0.0f);
    w00 = Select(positive, w00 / sum, w00);
    w10 = Select(positive, w10 / sum, w10);
    w01 = Select(positive, w01 / sum, w01);
    w11 = Select(positive, w11 / sum, w11);
    const auto top = PixelOffsets(width, ix, iy);
    const auto bottom = OffsetsAdd(top, Select(interpolate, I(width), I(0)));

    // A pair holds a sample and the next one: 8 or 16 bits each, the first in the low bits.
    constexpr int kBits = 8 * static_cast<int>(sizeof(Sample));
    const I low(static_cast<int32_t>((1u << kBits) - 1u));
    for (int k = 0; k < group.planeCount; ++k) {
        const size_t planeStart = static_cast<size_t>(group.planes[k]) * job.planeSize;
        const Sample* plane = reinterpret_cast<const Sample*>(job.source) + planeStart;
        const I topPair = GatherPairs(plane, top);
        const I bottomPair = GatherPairs(plane, bottom);
        const I b00 = topPair & low;
        const F value =
            ((w00 * ToFloat(b00) + w10 * ToFloat(ShiftRight<kBits>(topPair))) + w01 * ToFloat(bottomPair & low)) +
            w11 * ToFloat(ShiftRight<kBits>(bottomPair));
        Store(reinterpret_cast<Sample*>(job.destination) + planeStart + pixelOffset,
              Select(interpolate, TruncateToInt(value), b00), count);
    }
}

// The Cartesian methods (WarpPlaneCartesian of Warp.cpp) for one vector of pixels.
template <class L, class Sample>
void CartesianPixels(const FastWarpJob& job, typename L::F px, typename L::F py, size_t pixelOffset, int count) {
    using F = typename L::F;
    const int32_t* permutation = job.permutation;
    const CartesianFrame& shared = job.groups[0].cartesian;
    const F z(job.zoom);
    const F u = ((px + F(shared.originX)) * F(shared.frequencyX)) * z;
    const F v = ((py + F(shared.originY)) * F(shared.frequencyY)) * z;
    if (job.method == Turbulence2) {
        const F distanceNoise = SimplexNoiseLanes<L>(permutation, AddInDouble<L>(u, kDistanceNoiseOffsetU),
                                                     AddInDouble<L>(v, kDistanceNoiseOffsetV));
        const F first = SimplexNoiseLanes<L>(permutation, AddInDouble<L>(u, kAngleNoiseOffsetU),
                                             AddInDouble<L>(v, kAngleNoiseOffsetV));
        const F angleNoise = Abs(AddHigherOctavesLanes<L>(permutation, first, u, v));
        for (int g = 0; g < job.groupCount; ++g) {
            const CartesianFrame& frame = job.groups[g].cartesian;
            TurnAndStore<L, Sample>(job, job.groups[g], px, py, F(0.75f), F(0.5f),
                                    Abs(distanceNoise * F(frame.distance2)), angleNoise * F(frame.a), pixelOffset,
                                    count);
        }
        return;
    }
    const F n =
        job.method == Smooth ? SimplexNoiseLanes<L>(permutation, u, v) : FractalNoiseLanes<L>(permutation, u, v);
    F sine, cosine;
    SineCosineLanes<L>(n, sine, cosine);
    const F c2 = Abs(sine);
    for (int g = 0; g < job.groupCount; ++g) {
        const CartesianFrame& frame = job.groups[g].cartesian;
        TurnAndStore<L, Sample>(job, job.groups[g], px, py, cosine, c2, F(frame.distance), n * F(frame.a), pixelOffset,
                                count);
    }
}

// The polar noise of one angle, with the seam blend past 1.9 pi.
template <class L> typename L::F PolarNoiseLanes(const FastWarpJob& job, typename L::F phi, typename L::F r) {
    using F = typename L::F;
    const int32_t* permutation = job.permutation;
    const PolarFrame& shared = job.groups[0].polar;
    const bool smooth = job.method == RadialSmooth;
    const F wrapped = WrapAngleLanes<L>(phi);
    const F seedY(job.seedY);
    const F angularScale(shared.angularScale);
    const F b = (F(job.seedX) + r) * F(shared.radialFrequency);
    const F a = (seedY + wrapped) * angularScale;
    F n = smooth ? SimplexNoiseLanes<L>(permutation, a, b) : FractalNoiseLanes<L>(permutation, a, b);
    const auto seam = wrapped > F(kSeamStart);
    if (Any(seam)) {
        const F w = (wrapped - F(kSeamStart)) / F(kSeamWidth);
        const F past = (wrapped - F(kSeamStart)) - F(kSeamWidth);
        const F a2 = (seedY + past) * angularScale;
        const F n2 = smooth ? SimplexNoiseLanes<L>(permutation, a2, b) : FractalNoiseLanes<L>(permutation, a2, b);
        n = Select(seam, (F(1.0f) - w) * n + w * n2, n);
    }
    return n;
}

template <class L, class Sample>
void TurnByPolarNoise(const FastWarpJob& job, const FastWarpGroup& group, typename L::F px, typename L::F py,
                      typename L::F n, typename L::F sine, typename L::F cosine, size_t pixelOffset, int count) {
    using F = typename L::F;
    TurnAndStore<L, Sample>(job, group, px, py, cosine, Abs(sine), F(group.polar.distance), n * F(group.polar.a),
                            pixelOffset, count);
}

// The polar methods (WarpPlanePolar of Warp.cpp) for one vector of pixels; imageX and imageY
// are the pixels' positions counted with the view offset.
template <class L, class Sample>
void PolarPixels(const FastWarpJob& job, typename L::F px, typename L::F py, typename L::F imageX, float imageY,
                 size_t pixelOffset, int count) {
    using F = typename L::F;
    const PolarFrame& shared = job.groups[0].polar;
    const F z(job.zoom);
    const F dx = F(shared.centerX) - imageX * z;
    const F dy = F(shared.centerY) - F(imageY) * z;
    const F phi = ArcTangent2Lanes<L>(dx, dy);
    const F r = Sqrt(dx * dx + dy * dy);
    F sine, cosine;
    if (job.method == Swirl) {
        // The twist depends on the strength: each group has its own noise.
        for (int g = 0; g < job.groupCount; ++g) {
            const FastWarpGroup& group = job.groups[g];
            const F n = PolarNoiseLanes<L>(job, phi + (r * F(group.polar.a)) / F(40.0f), r);
            SineCosineLanes<L>(n, sine, cosine);
            TurnByPolarNoise<L, Sample>(job, group, px, py, n, sine, cosine, pixelOffset, count);
        }
        return;
    }
    const F n = PolarNoiseLanes<L>(job, phi, r);
    SineCosineLanes<L>(n, sine, cosine);
    for (int g = 0; g < job.groupCount; ++g)
        TurnByPolarNoise<L, Sample>(job, job.groups[g], px, py, n, sine, cosine, pixelOffset, count);
}

template <class L, class Sample>
void WarpBlockLanes(const FastWarpJob& job, int32_t rowBegin, int32_t rowEnd, int32_t columnBegin, int32_t columnEnd) {
    using F = typename L::F;
    using I = typename L::I;
    constexpr int kWidth = L::kWidth;
    const bool polar = job.method >= Radial;
    for (int32_t y = rowBegin; y < rowEnd; ++y) {
        const F py(static_cast<float>(y));
        const float imageY = static_cast<float>(int64_t{y} + job.offsetY);
        for (int32_t x = columnBegin; x < columnEnd; x += kWidth) {
            const int count = columnEnd - x < kWidth ? columnEnd - x : kWidth;
            // Lanes past the block's end repeat its last column and are not stored.
            const I columns = LaneColumns(x, columnEnd - 1);
            const F px = ToFloat(columns);
            const size_t pixelOffset = static_cast<size_t>(y) * static_cast<size_t>(job.width) + static_cast<size_t>(x);
            if (polar) {
                float imageX[kWidth];
                for (int k = 0; k < kWidth; ++k)
                    imageX[k] = static_cast<float>(int64_t{k < count ? x + k : columnEnd - 1} + job.offsetX);
                PolarPixels<L, Sample>(job, px, py, LoadFloats(imageX), imageY, pixelOffset, count);
            } else {
                CartesianPixels<L, Sample>(job, px, py, pixelOffset, count);
            }
        }
    }
}

} // namespace
