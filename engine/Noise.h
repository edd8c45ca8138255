#pragma once
// Two-dimensional simplex noise and its five-octave sum: the pattern every method samples.
// Plain single-precision code, with double precision exactly where a step needs it; the fast path
// computes the same bits lane by lane.

#include <array>
#include <cstdint>

// The 256-entry permutation of Perlin's improved noise, followed by the same entries again, so
// that a hash plus an index below 256 never leaves the table. Constant: the seed shifts the
// noise domain instead of shuffling it.
extern const std::array<uint8_t, 512> PermutationTable;
// Entry k and entry k + 1 of the table in one 32-bit word (low and high half), for the fast
// path: one gather fetches both neighbours of a corner hash.
extern const std::array<int32_t, 511> PermutationPairs;

// What the processor's truncating conversion gives: t truncated toward zero, and INT32_MIN for
// NaN and values outside the 32-bit range. Every build and code path agree on it.
int32_t TruncateTowardZero(float t);

// The lattice cell of the noise: t truncated toward zero when t > 0, one less otherwise, so
// fl(0) is -1 (this is the cell rule of the pattern, not a floor). Wraps around for values
// outside the 32-bit range.
int32_t NoiseCell(float t);

// Gradient of one corner: one of eight directions picked by the low three bits of the hash,
// dotted with the offset (x, y).
float NoiseGradient(int hash, float x, float y);

// Simplex noise at (x, y), about -1..1.
float SimplexNoise2(float x, float y);

// first + 0.5 n(2x, 2y) + 0.25 n(4x, 4y) + 0.125 n(8x, 8y) + 0.0625 n(16x, 16y) with n the
// simplex noise, summed in double precision in that order and rounded once.
float AddHigherOctaves(float first, float x, float y);

// Five octaves of simplex noise at (x, y), about -1.9..1.9.
float FractalNoise(float x, float y);
