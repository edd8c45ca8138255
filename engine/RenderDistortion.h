#pragma once
// Applies the effect to a whole buffer of 4-byte pixels (red, green, blue, transparency; rows
// without gaps): splits it into four planes, warps each at its own strength (the chromatic
// aberration) and joins them again.

#include "engine/DistortionContext.h"
#include "engine/FilterParameters.h"

#include <cstdint>

// True when byte 3 is the same in every pixel of the last examined source buffer (or cannot
// vary at all). Decides whether the transparency plane is warped and the colours weighted.
extern bool alphaUniform;

// Sets alphaUniform for `source` (context's W x H pixels). `planeCount` is the number of planes
// the host delivers for the document; `cmyk` is true for an 8-bit CMYK document.
void DetectUniformAlpha(const uint8_t* source, int32_t width, int32_t height, int planeCount, bool cmyk);

// Fills `destination` from `source` (both W x H x 4 bytes, distinct). Returns false when the
// plane scratch memory could not be obtained: the destination is then an unchanged copy of the
// source and no progress was reported.
bool RenderDistortion(DistortionContext& context, const FilterParameters& parameters, const uint8_t* source,
                      uint8_t* destination);

// Releases the two plane scratch blocks (the processing calls it when it rebuilds or releases
// its buffers); the next render obtains them again.
void ReleasePlaneScratch();
