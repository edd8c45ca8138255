// Stands in for the distortion until the engine is in: the destination is the source.
#include "engine/RenderDistortion.h"

#include <cstring>

bool alphaUniform = true;

void DetectUniformAlpha(const uint8_t*, int32_t, int32_t, int, bool) { alphaUniform = true; }

bool RenderDistortion(DistortionContext& context, const FilterParameters&, const uint8_t* source,
                      uint8_t* destination) {
    const size_t bytes = size_t(context.bufferWidth > 0 ? context.bufferWidth : 0) *
                         size_t(context.bufferHeight > 0 ? context.bufferHeight : 0) * 4;
    if (bytes != 0)
        std::memmove(destination, source, bytes);
    return true;
}

void ReleasePlaneScratch() {}
