#pragma once
// Drives the fast path over the plane scratch memory: groups the planes by strength, splits the
// buffer into blocks and warps them on worker threads.

#include "engine/DistortionContext.h"
#include "engine/EngineVariant.h"
#include "engine/FilterParameters.h"
#include "engine/RenderDistortion.h"

#include <cstdint>

// Warps source planes 0 to 2 (and 3 when `warpTransparency`) into the destination planes with
// the strengths of `strengths`, as WarpPlane would one after another; copies plane 3 otherwise
// (unless `copyTransparency` is false: a caller that never reads it). Planes of 16-bit samples
// (`sampleBytes` 2) are warped with the same positions and weights as planes of bytes.
// `context` carries frequency and proportion; its strength is left as the last plane's.
// Reports 30, 55, 80 and 95 (of 100) as a quarter, half, three quarters and all of the work is
// done, to `progress` when it is not null. `variant` is Scalar, Sse2 or Avx2. With
// `colorPlanes` 1 (a grey picture) only plane 0 of the colours is warped; planes 1 and 2 are
// neither read nor written.
void WarpPlanesFast(DistortionContext& context, const FilterParameters& parameters, const float strengths[4],
                    bool warpTransparency, const uint8_t* sourcePlanes, uint8_t* destinationPlanes,
                    EngineVariant variant, RenderProgress progress, bool copyTransparency = true, int sampleBytes = 1,
                    int colorPlanes = 3);
