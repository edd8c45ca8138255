#pragma once
// The warp of one plane (8 or 16 bits a sample): for every destination pixel a point near it and an angle come
// from the noise, the pixel's position is turned about that point by that angle, and the value
// found there in the source plane is stored. This is the reference: plain scalar code, one pixel
// after another. The fast path (FastWarp.h) must give the same bytes.

#include "engine/DistortionContext.h"
#include "engine/FilterParameters.h"

#include <cstdint>

// Value of a W x H plane at the real position (x, y): bilinear between the four surrounding
// samples, or the sample itself where its column or row is the last one. 8-bit planes hold
// 0..255, 16-bit planes the host's 0..32768.
float SampleBilinear(const uint8_t* plane, int32_t width, int32_t height, float x, float y);
float SampleBilinear(const uint16_t* plane, int32_t width, int32_t height, float x, float y);

// Where the pixel (x, y) takes its value from: turned by theta about the point
// (x + c1 * m, y + c2 * m). Per axis, a position outside 0..size (or not finite) falls back to
// the pixel's own coordinate.
void TurnPixel(float x, float y, float c1, float c2, float m, float theta, int32_t width, int32_t height,
               float* sourceX, float* sourceY);

// What the Cartesian methods derive from the context and the parameters once per plane.
struct CartesianFrame {
    float a;          // angle per unit of noise: S / Z / 100
    float distance;   // D = 150 A: distance to the centre of turning
    float distance2;  // K = 2.5 D: distance scale of Turbulence 2
    float frequencyX; // noise frequency along each axis, with the proportion's stretch
    float frequencyY;
    float originX; // pattern origin: centre and seed shifts, in buffer pixels
    float originY;
};
CartesianFrame CartesianFrameOf(const DistortionContext& context, const FilterParameters& parameters);

// What the polar methods derive once per plane.
struct PolarFrame {
    float a;               // A' = (1.5 S / Z) / 100: angle per unit of noise
    float distance;        // R = 150 A'
    float radialFrequency; // Fr: noise frequency along the distance from the emitter
    float angularScale;    // G = 100 Fa: noise frequency along the angle
    float centerX;         // the emitter, image pixels from the filter rectangle's corner
    float centerY;
};
PolarFrame PolarFrameOf(const DistortionContext& context, const FilterParameters& parameters);

// The polar methods' angle brought into 0..2 pi, in double precision, rounded once.
float WrapAngle(float phi);

// Angles past this (1.9 pi) blend into the pattern just past 0, so no seam shows along phi = 0.
constexpr float kSeamStart = 5.969026f;
constexpr float kSeamWidth = 0.31415927f;

// Warps `source` into `destination` (W x H samples each, distinct) with context.strength:
// the Cartesian path for methods 0 to 2, the polar path for every other method. A 16-bit plane
// takes its values from the same positions with the same weights as an 8-bit plane.
void WarpPlane(const DistortionContext& context, const FilterParameters& parameters, const uint8_t* source,
               uint8_t* destination);
void WarpPlane(const DistortionContext& context, const FilterParameters& parameters, const uint16_t* source,
               uint16_t* destination);
void WarpPlaneCartesian(const DistortionContext& context, const FilterParameters& parameters, const uint8_t* source,
                        uint8_t* destination);
void WarpPlanePolar(const DistortionContext& context, const FilterParameters& parameters, const uint8_t* source,
                    uint8_t* destination);
