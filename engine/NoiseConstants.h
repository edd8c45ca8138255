#pragma once
// The numbers of the pattern, written once for the reference path and the fast path alike. Each
// keeps the digits the pattern was designed with: a rounder value would move pixels.

// Skew and unskew factors of the 2-D simplex grid, (sqrt 3 - 1)/2 and (3 - sqrt 3)/6, and the
// unskew of the far corner, twice the latter (as its own rounded literal). They take part in
// double-precision steps, so they are double constants.
constexpr double kSimplexSkew = 0.366025403;
constexpr double kSimplexUnskew = 0.211324865;
constexpr double kSimplexTwoUnskew = 0.42264973;

// Brings the sum of the three corner contributions to about -1..1.
constexpr float kSimplexScale = 40.0f;

// Turbulence 2 reads two more noise fields away from the main one: one for the distance a pixel
// travels, one (with its higher octaves) for the angle. Added in double precision.
constexpr double kDistanceNoiseOffsetU = 125.1235;
constexpr double kDistanceNoiseOffsetV = -543.234;
constexpr double kAngleNoiseOffsetU = 23.1235;
constexpr double kAngleNoiseOffsetV = 43.234;

// How far one unit of the random seed shifts the pattern: along x (Cartesian methods) or the
// radius (polar methods), and along y or the angle. Two unrelated factors, so the seed moves
// the pattern off any axis.
constexpr float kSeedFactorX = 31.35f;
constexpr float kSeedFactorY = 113.23f;
