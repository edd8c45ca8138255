#include "engine/Warp.h"

#include "engine/Noise.h"
#include "engine/NoiseConstants.h"
#include "engine/Trig.h"

#include <cmath>
#include <cstddef>

namespace {

// Column or row of a real position: truncated toward zero, then held to 0..size - 1 (NaN gives 0).
int32_t ClampedIndex(float position, int32_t size) {
    int32_t index = position >= 2147483648.0f ? INT32_MAX : TruncateTowardZero(position);
    if (index < 0)
        index = 0;
    if (index >= size)
        index = size - 1;
    return index;
}

float PolarNoise(bool smooth, float a, float b) {
    return smooth ? SimplexNoise2(a, b) : FractalNoise(a, b);
}

// The stored sample: the sampled value truncated toward zero (it lies between the four samples
// it was weighted from).
template <class Sample> Sample ToSample(float value) {
    return static_cast<Sample>(TruncateTowardZero(value));
}

template <class Sample> float Bilinear(const Sample* plane, int32_t width, int32_t height, float x, float y) {
    if (plane == nullptr || width < 1 || height < 1)
        return 0.0f;
    const int32_t ix = ClampedIndex(x, width);
    const int32_t iy = ClampedIndex(y, height);
    const Sample* row = plane + static_cast<size_t>(iy) * static_cast<size_t>(width);
    if (ix + 1 >= width || iy + 1 >= height)
        return row[ix];
    const Sample* below = row + width;
    const float fx = x - static_cast<float>(ix);
    const float fy = y - static_cast<float>(iy);
    float w00 = (1.0f - fx) * (1.0f - fy);
    float w10 = fx * (1.0f - fy);
    float w01 = (1.0f - fx) * fy;
    float w11 = fx * fy;
    const float sum = ((w00 + w10) + w01) + w11;
    if (sum > 0.0f) {
        w00 = w00 / sum;
        w10 = w10 / sum;
        w01 = w01 / sum;
        w11 = w11 / sum;
    }
    return ((w00 * row[ix] + w10 * row[ix + 1]) + w01 * below[ix]) + w11 * below[ix + 1];
}

} // namespace

float SampleBilinear(const uint8_t* plane, int32_t width, int32_t height, float x, float y) {
    return Bilinear(plane, width, height, x, y);
}

float SampleBilinear(const uint16_t* plane, int32_t width, int32_t height, float x, float y) {
    return Bilinear(plane, width, height, x, y);
}

void TurnPixel(float x, float y, float c1, float c2, float m, float theta, int32_t width, int32_t height,
               float* sourceX, float* sourceY) {
    const float qx = x + c1 * m;
    const float qy = y + c2 * m;
    float sine, cosine;
    SineCosine(theta, &sine, &cosine);
    float sx = ((x - qx) * cosine - (y - qy) * sine) + qx;
    float sy = ((y - qy) * cosine + (x - qx) * sine) + qy;
    // Written as "not inside" so that NaN positions fall back as well.
    if (!(sx >= 0.0f && sx < static_cast<float>(width)))
        sx = x;
    if (!(sy >= 0.0f && sy < static_cast<float>(height)))
        sy = y;
    *sourceX = sx;
    *sourceY = sy;
}

CartesianFrame CartesianFrameOf(const DistortionContext& context, const FilterParameters& parameters) {
    const float z = context.zoom;
    const float f = context.frequency;
    const float p = context.proportionFactor;
    const float seed = parameters.randomSeed;
    CartesianFrame frame;
    frame.a = context.strength / z / 100.0f;
    frame.distance = 150.0f * frame.a;
    frame.distance2 = static_cast<float>(2.5 * frame.distance);
    if (p >= 0.0f) {
        frame.frequencyX = f;
        frame.frequencyY = f * (1.0f + 5.0f * p);
    } else {
        frame.frequencyX = f * (1.0f - 5.0f * p);
        frame.frequencyY = f;
    }
    frame.originX = static_cast<float>(context.offsetX) -
                    (parameters.centerX / 200.0f * static_cast<float>(context.areaWidth) / z + kSeedFactorX * seed);
    frame.originY = static_cast<float>(context.offsetY) -
                    (-parameters.centerY / 200.0f * static_cast<float>(context.areaHeight) / z - kSeedFactorY * seed);
    return frame;
}

PolarFrame PolarFrameOf(const DistortionContext& context, const FilterParameters& parameters) {
    const float f = context.frequency;
    const float p = context.proportionFactor;
    PolarFrame frame;
    frame.a = static_cast<float>(1.5 * context.strength / context.zoom) / 100.0f;
    frame.distance = 150.0f * frame.a;
    float angularFrequency;
    if (p >= 0.0f) {
        frame.radialFrequency = f * (1.0f + 5.0f * p);
        angularFrequency = f;
    } else {
        frame.radialFrequency = f;
        angularFrequency = f * (1.0f - 5.0f * p);
    }
    frame.angularScale = 100.0f * angularFrequency;
    frame.centerX =
        parameters.centerX / 200.0f * static_cast<float>(context.areaWidth) + static_cast<float>(context.areaWidth / 2);
    frame.centerY = -parameters.centerY / 200.0f * static_cast<float>(context.areaHeight) +
                    static_cast<float>(context.areaHeight / 2);
    return frame;
}

float WrapAngle(float phi) {
    const double twoPi = 2.0 * 3.141592653589793;
    double p = phi;
    if (p < 0.0)
        p += twoPi * (std::floor(std::fabs(p) / twoPi) + 1.0);
    if (p > twoPi)
        p -= twoPi * std::floor(p / twoPi);
    return static_cast<float>(p);
}

namespace {

template <class Sample>
void CartesianPlane(const DistortionContext& context, const FilterParameters& parameters, const Sample* source,
                    Sample* destination) {
    const int32_t width = context.bufferWidth;
    const int32_t height = context.bufferHeight;
    if (width < 1 || source == nullptr || destination == nullptr)
        return;
    const CartesianFrame frame = CartesianFrameOf(context, parameters);
    const float z = context.zoom;
    for (int32_t y = 0; y < height; ++y) {
        Sample* row = destination + static_cast<size_t>(y) * static_cast<size_t>(width);
        const float py = static_cast<float>(y);
        for (int32_t x = 0; x < width; ++x) {
            const float px = static_cast<float>(x);
            const float u = (px + frame.originX) * frame.frequencyX * z;
            const float v = (py + frame.originY) * frame.frequencyY * z;
            float c1, c2, m, theta;
            if (parameters.method == Turbulence2) {
                // Two more noises: one for the distance, one (with octaves) for the angle; the
                // direction of the centre of turning is fixed.
                c1 = 0.75f;
                c2 = 0.5f;
                m = std::fabs(SimplexNoise2(static_cast<float>(u + kDistanceNoiseOffsetU),
                                            static_cast<float>(v + kDistanceNoiseOffsetV)) *
                              frame.distance2);
                const float first = SimplexNoise2(static_cast<float>(u + kAngleNoiseOffsetU),
                                                  static_cast<float>(v + kAngleNoiseOffsetV));
                theta = std::fabs(AddHigherOctaves(first, u, v)) * frame.a;
            } else {
                const float n = parameters.method == Smooth ? SimplexNoise2(u, v) : FractalNoise(u, v);
                float sine, cosine;
                SineCosine(n, &sine, &cosine);
                c1 = cosine;
                c2 = std::fabs(sine);
                m = frame.distance;
                theta = n * frame.a;
            }
            float sx, sy;
            TurnPixel(px, py, c1, c2, m, theta, width, height, &sx, &sy);
            row[x] = ToSample<Sample>(Bilinear(source, width, height, sx, sy));
        }
    }
}

template <class Sample>
void PolarPlane(const DistortionContext& context, const FilterParameters& parameters, const Sample* source,
                Sample* destination) {
    const int32_t width = context.bufferWidth;
    const int32_t height = context.bufferHeight;
    if (width < 1 || source == nullptr || destination == nullptr)
        return;
    const PolarFrame frame = PolarFrameOf(context, parameters);
    const float z = context.zoom;
    const float seed = parameters.randomSeed;
    const bool swirl = parameters.method == Swirl;
    const bool smooth = parameters.method == RadialSmooth;
    for (int32_t y = 0; y < height; ++y) {
        Sample* row = destination + static_cast<size_t>(y) * static_cast<size_t>(width);
        const float py = static_cast<float>(y);
        const float dy = frame.centerY - static_cast<float>(int64_t{y} + context.offsetY) * z;
        for (int32_t x = 0; x < width; ++x) {
            const float px = static_cast<float>(x);
            const float dx = frame.centerX - static_cast<float>(int64_t{x} + context.offsetX) * z;
            // 0 straight above the emitter, pi/2 to its left.
            float phi = ArcTangent2(dx, dy);
            const float r = std::sqrt(dx * dx + dy * dy);
            if (swirl)
                phi = phi + r * frame.a / 40.0f;
            phi = WrapAngle(phi);
            const float b = (kSeedFactorX * seed + r) * frame.radialFrequency;
            float n = PolarNoise(smooth, (kSeedFactorY * seed + phi) * frame.angularScale, b);
            if (phi > kSeamStart) {
                const float w = (phi - kSeamStart) / kSeamWidth;
                const float past = (phi - kSeamStart) - kSeamWidth;
                const float n2 = PolarNoise(smooth, (kSeedFactorY * seed + past) * frame.angularScale, b);
                n = (1.0f - w) * n + w * n2;
            }
            float sine, cosine;
            SineCosine(n, &sine, &cosine);
            float sx, sy;
            TurnPixel(px, py, cosine, std::fabs(sine), frame.distance, n * frame.a, width, height, &sx, &sy);
            row[x] = ToSample<Sample>(Bilinear(source, width, height, sx, sy));
        }
    }
}

// The Cartesian path for methods 0 to 2, the polar path for every other method.
template <class Sample>
void AnyPlane(const DistortionContext& context, const FilterParameters& parameters, const Sample* source,
              Sample* destination) {
    if (parameters.method < Radial)
        CartesianPlane(context, parameters, source, destination);
    else
        PolarPlane(context, parameters, source, destination);
}

} // namespace

void WarpPlaneCartesian(const DistortionContext& context, const FilterParameters& parameters, const uint8_t* source,
                        uint8_t* destination) {
    CartesianPlane(context, parameters, source, destination);
}

void WarpPlanePolar(const DistortionContext& context, const FilterParameters& parameters, const uint8_t* source,
                    uint8_t* destination) {
    PolarPlane(context, parameters, source, destination);
}

void WarpPlane(const DistortionContext& context, const FilterParameters& parameters, const uint8_t* source,
               uint8_t* destination) {
    AnyPlane(context, parameters, source, destination);
}

void WarpPlane(const DistortionContext& context, const FilterParameters& parameters, const uint16_t* source,
               uint16_t* destination) {
    AnyPlane(context, parameters, source, destination);
}
