#pragma once
// The double-precision heart of the engine's sine, cosine and arc tangent, written once for every
// lane type: plain `double` (the reference path and the scalar functions of Trig.h) and the
// vector lanes of the fast path. The C libraries' sinf, cosf and atan2f differ between Linux and
// Windows, and a picture must come out the same everywhere, so the engine computes these itself.
// Every step is an IEEE operation in a fixed order (the engine is built with -ffp-contract=off),
// so every lane type gives the same bits.
//
// A lane type D needs + - * /, comparisons returning a mask, Select(mask, a, b), Abs(D) and
// SignBit(D), found by argument-dependent lookup; the overloads for plain double are below.

#include <cmath>

namespace {

inline double Select(bool condition, double whenTrue, double whenFalse) {
    return condition ? whenTrue : whenFalse;
}
inline double Abs(double value) {
    return std::fabs(value);
}
inline bool SignBit(double value) {
    return std::signbit(value);
}

// Beyond this magnitude (radians) sine and cosine are those of 0. The reduction below is exact
// up to here: the quadrant count stays under 2^20, so it times kPiOver2High is exact.
constexpr float kTrigReductionLimit = 1048576.0f;

constexpr double kTwoOverPi = 0.6366197723675814;
// Adding and subtracting 1.5 * 2^52 rounds a double of magnitude below 2^51 to an integer.
constexpr double kRoundingShift = 6755399441055744.0;
// pi/2 in three parts: 33 significant bits, 33 more, then the rest (0x1.921fb544p+0,
// 0x1.0b4611a6p-34, 0x1.3198a2e037073p-69).
constexpr double kPiOver2High = 1.5707963267341256;
constexpr double kPiOver2Middle = 6.077100506303966e-11;
constexpr double kPiOver2Low = 2.0222662487959506e-21;

// Taylor coefficients. On |r| <= pi/4 the first omitted terms are below 1e-11 relative, far
// below the half unit of a float the result is rounded to.
constexpr double kSin3 = -1.0 / 6.0;
constexpr double kSin5 = 1.0 / 120.0;
constexpr double kSin7 = -1.0 / 5040.0;
constexpr double kSin9 = 1.0 / 362880.0;
constexpr double kSin11 = -1.0 / 39916800.0;
constexpr double kCos2 = -1.0 / 2.0;
constexpr double kCos4 = 1.0 / 24.0;
constexpr double kCos6 = -1.0 / 720.0;
constexpr double kCos8 = 1.0 / 40320.0;
constexpr double kCos10 = -1.0 / 3628800.0;
constexpr double kCos12 = 1.0 / 479001600.0;

// x = quadrant * pi/2 + r with |r| <= pi/4; returns sin r, cos r and the quadrant count (an
// integer-valued double). |x| must not exceed kTrigReductionLimit.
template <class D> inline void SineCosineReduced(D x, D& sineR, D& cosineR, D& quadrant) {
    const D j = (x * D(kTwoOverPi) + D(kRoundingShift)) - D(kRoundingShift);
    const D r = ((x - j * D(kPiOver2High)) - j * D(kPiOver2Middle)) - j * D(kPiOver2Low);
    const D r2 = r * r;
    // r times (1 + ...) rather than r plus r^3 (...), so that the sine of -0 is -0.
    sineR = r * (D(1.0) + r2 * (D(kSin3) + r2 * (D(kSin5) + r2 * (D(kSin7) + r2 * (D(kSin9) + r2 * D(kSin11))))));
    cosineR = D(1.0) +
              r2 * (D(kCos2) + r2 * (D(kCos4) + r2 * (D(kCos6) + r2 * (D(kCos8) + r2 * (D(kCos10) + r2 * D(kCos12))))));
    quadrant = j;
}

constexpr double kPi = 3.141592653589793;
constexpr double kPiOver2 = 1.5707963267948966;
constexpr double kPiOver4 = 0.7853981633974483;
constexpr double kPiOver8 = 0.39269908169872414;
constexpr double kTanPiOver8 = 0.41421356237309503; // sqrt(2) - 1
constexpr double kTanPiOver16 = 0.198912367379658;
constexpr double kTan3PiOver16 = 0.6681786379192989;
constexpr double kInfinity = HUGE_VAL;

// atan u = u - u^3/3 + u^5/5 - ...; with |u| <= tan(pi/16) the first omitted term is below
// 1e-11 relative.
constexpr double kAtan3 = -1.0 / 3.0;
constexpr double kAtan5 = 1.0 / 5.0;
constexpr double kAtan7 = -1.0 / 7.0;
constexpr double kAtan9 = 1.0 / 9.0;
constexpr double kAtan11 = -1.0 / 11.0;
constexpr double kAtan13 = 1.0 / 13.0;

// The angle of the point (x, y) measured from the positive x axis, as a magnitude 0..pi (the
// caller gives it the sign of y). Neither argument may be NaN; infinities and signed zeros give
// the usual atan2 answers.
template <class D> inline D ArcTangent2Magnitude(D y, D x) {
    const D ax = Abs(x);
    const D ay = Abs(y);
    const auto steep = ay > ax;
    D numerator = Select(steep, ax, ay);
    D denominator = Select(steep, ay, ax);
    // An infinite side: the ratio is 1 when both are infinite, else 0.
    const auto infinite = denominator == D(kInfinity);
    numerator = Select(infinite, Select(numerator == D(kInfinity), D(1.0), D(0.0)), numerator);
    denominator = Select(infinite, D(1.0), denominator);
    // Both zero: the ratio is 0.
    denominator = Select(denominator == D(0.0), D(1.0), denominator);
    // Turn the ratio t into u = tan(atan t - k pi/8) for the nearest k (0, 1 or 2), in one
    // division: u = (t - c) / (1 + t c) with c = tan(k pi/8).
    const auto pastFirst = numerator > D(kTanPiOver16) * denominator;
    const auto pastSecond = numerator > D(kTan3PiOver16) * denominator;
    const D centre = Select(pastSecond, D(1.0), Select(pastFirst, D(kTanPiOver8), D(0.0)));
    const D base = Select(pastSecond, D(kPiOver4), Select(pastFirst, D(kPiOver8), D(0.0)));
    const D u = (numerator - centre * denominator) / (denominator + centre * numerator);
    const D u2 = u * u;
    D angle =
        base +
        (u + (u * u2) * (D(kAtan3) +
                         u2 * (D(kAtan5) + u2 * (D(kAtan7) + u2 * (D(kAtan9) + u2 * (D(kAtan11) + u2 * D(kAtan13)))))));
    angle = Select(steep, D(kPiOver2) - angle, angle);
    angle = Select(SignBit(x), D(kPi) - angle, angle);
    return angle;
}

} // namespace
