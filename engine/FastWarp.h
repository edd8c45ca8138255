#pragma once
// The fast path: the same bytes as the reference warp (Warp.h), computed for all planes of a
// pixel at once. The noise and the turning parameters of a pixel do not depend on the plane's
// strength (except Swirl's twist), so they are evaluated once per pixel; planes warped with the
// same strength share even the turned position. The noise runs on vector lanes, and rows are
// split over worker threads that live only for one render.
//
// This header holds plain records only: it is included by the AVX2 unit, which must not emit
// any inline function another unit could end up calling.

#include "engine/Warp.h"

#include <cstddef>
#include <cstdint>

// Planes warped with one strength (bit for bit), and what that strength makes of the frames.
struct FastWarpGroup {
    int planeCount;
    int planes[4];
    CartesianFrame cartesian;
    PolarFrame polar;
};

// Everything a worker needs; filled once per render, read-only while the workers run.
struct FastWarpJob {
    int32_t width;
    int32_t height;
    size_t planeSize;           // width * height; plane k starts at sample k * planeSize
    int sampleBytes;            // 1: 8-bit planes; 2: 16-bit planes (uint16_t samples)
    const uint8_t* source;      // the four source planes (followed by kSourcePadding bytes)
    uint8_t* destination;       // the four destination planes
    const int32_t* permutation; // PermutationPairs
    uint8_t method;             // a DistortionMethod; other values are already mapped to Radial
    float zoom;
    int32_t offsetX;
    int32_t offsetY;
    float seedX;    // kSeedFactorX * randomSeed
    float seedY;    // kSeedFactorY * randomSeed
    int groupCount; // 1 to 4
    FastWarpGroup groups[4];
};

// Bytes after the source planes that a vector variant may read past a pair of bytes.
constexpr size_t kSourcePadding = 64;

// Warps rows rowBegin..rowEnd - 1, columns columnBegin..columnEnd - 1, of every plane of every
// group. One per variant; the vector ones exist only where the processor can have them.
using WarpBlockFunction = void (*)(const FastWarpJob& job, int32_t rowBegin, int32_t rowEnd, int32_t columnBegin,
                                   int32_t columnEnd);
void WarpBlockScalar(const FastWarpJob& job, int32_t rowBegin, int32_t rowEnd, int32_t columnBegin, int32_t columnEnd);
void WarpBlockSse2(const FastWarpJob& job, int32_t rowBegin, int32_t rowEnd, int32_t columnBegin, int32_t columnEnd);
void WarpBlockAvx2(const FastWarpJob& job, int32_t rowBegin, int32_t rowEnd, int32_t columnBegin, int32_t columnEnd);
