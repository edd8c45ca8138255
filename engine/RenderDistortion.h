#pragma once
// Applies the effect to a whole buffer of pixels of four samples (red, green, blue, transparency; rows
// without gaps): splits it into four planes, warps each at its own strength (the chromatic
// aberration) and joins them again.

#include "engine/DistortionContext.h"
#include "engine/FilterParameters.h"

#include <cstdint>

// True when byte 3 is the same in every pixel of the last examined source buffer (or cannot
// vary at all). Decides whether the transparency plane is warped and the colours weighted.
extern bool alphaUniform;

// Sets alphaUniform for `source` (context's W x H pixels). `planeCount` is the number of planes
// the host delivers for the document and `colorPlanes` the number of colours of its mode (1 grey,
// 3 RGB, 4 CMYK): the source has transparency only when there are more planes than colours.
void DetectUniformAlpha(const uint8_t* source, int32_t width, int32_t height, int planeCount, int colorPlanes);
// The same for 16-bit pixels (four samples of 0..32768).
void DetectUniformAlpha(const uint16_t* source, int32_t width, int32_t height, int planeCount, int colorPlanes);

// Receives how far a render is, `done` of `total`.
using RenderProgress = void (*)(float done, float total);

// What a render needs to know besides the pixels and the effect.
struct RenderSettings {
    // The planes the host delivers for the document, and the colours of its mode (1 grey, 3 RGB,
    // 4 CMYK): they tell whether the source's sample 3 is transparency at all.
    int planeCount = 4;
    int colorPlanes = 3;
    // True: the render judges alphaUniform from its own source. False: alphaUniform stays as the
    // caller set it (the preview judges it once on the document, not on each view).
    bool examineTransparency = true;
    // Called with 5, then 30, 55, 80 and 95 as the planes are warped, and 0 at the end; may be null.
    RenderProgress progress = nullptr;
};

// Fills `destination` from `source` (both W x H x 4 bytes, distinct). Returns false when the
// plane scratch memory could not be obtained: the destination is then an unchanged copy of the
// source and no progress was reported.
bool RenderDistortion(DistortionContext& context, const FilterParameters& parameters, const uint8_t* source,
                      uint8_t* destination, const RenderSettings& settings = RenderSettings{});
// The same for 16-bit pixels (four samples of 0..32768, 8 bytes a pixel): every sample takes its
// value from where the 8-bit render takes it, with the same weights; transparency weighs the
// colours as a share of 32768.
bool RenderDistortion(DistortionContext& context, const FilterParameters& parameters, const uint16_t* source,
                      uint16_t* destination, const RenderSettings& settings = RenderSettings{});

// A document's rows as the host delivers them and takes them back: `planes` samples a pixel of
// `sampleBytes` bytes each (1, or 2 for 0..32768), rows `inputRowBytes` and `outputRowBytes`
// apart. RGB (`colors` 3) has 3 planes (red, green, blue) or 4 (and transparency); grey
// (`colors` 1) has 1 or 2.
struct HostRows {
    const uint8_t* input;
    int64_t inputRowBytes;
    uint8_t* output;
    int64_t outputRowBytes;
    int planes;
    int colors = 3;
    int sampleBytes = 1;
};

// The final render of an RGB or grey document on a fast variant, from the host's rows straight
// into its output rows: the same samples as filling a working buffer of four samples a pixel from
// the input, RenderDistortion and writing the result back, without the two working buffers
// (without touching the transparency plane where there is none, and warping grey once instead
// of as three alike colours). The context's buffer size is the rows' size; progress as
// RenderDistortion reports it. The aberration must be 0 for grey. False (nothing written) when
// the plane scratch memory could not be obtained.
bool RenderHostRows(DistortionContext& context, const FilterParameters& parameters, const HostRows& rows,
                    const RenderSettings& settings);

// Overwrites the kept plane scratch blocks with `byte` (the agreement tests make sure that every
// byte of a result was written by the render that returned it, not left from the one before).
void FillPlaneScratch(uint8_t byte);

// Releases the two plane scratch blocks (the processing calls it when it rebuilds or releases
// its buffers); the next render obtains them again.
void ReleasePlaneScratch();
