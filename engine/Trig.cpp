#include "engine/Trig.h"

#include "engine/TrigKernel.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

// One canonical NaN, so that a NaN result has the same bits on every build and path.
float CanonicalNaN() {
    const uint32_t bits = 0x7FC00000u;
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace

void SineCosine(float x, float* sine, float* cosine) {
    if (!std::isfinite(x)) {
        *sine = CanonicalNaN();
        *cosine = CanonicalNaN();
        return;
    }
    const float reduced = std::fabs(x) <= kTrigReductionLimit ? x : 0.0f;
    double sineR, cosineR, quadrant;
    SineCosineReduced<double>(reduced, sineR, cosineR, quadrant);
    const int32_t q = static_cast<int32_t>(quadrant);
    const float s = static_cast<float>(sineR);
    const float c = static_cast<float>(cosineR);
    // sin(q pi/2 + r) and cos(q pi/2 + r) for the four quadrants.
    float sineValue = (q & 1) ? c : s;
    float cosineValue = (q & 1) ? s : c;
    if (q & 2)
        sineValue = -sineValue;
    if ((q + 1) & 2)
        cosineValue = -cosineValue;
    *sine = sineValue;
    *cosine = cosineValue;
}

float Sine(float x) {
    float sine, cosine;
    SineCosine(x, &sine, &cosine);
    return sine;
}

float Cosine(float x) {
    float sine, cosine;
    SineCosine(x, &sine, &cosine);
    return cosine;
}

float ArcTangent2(float y, float x) {
    if (std::isnan(x) || std::isnan(y))
        return CanonicalNaN();
    const float magnitude = static_cast<float>(ArcTangent2Magnitude<double>(y, x));
    return std::copysign(magnitude, y);
}
