#pragma once
// The engine's inputs besides the parameters: the geometry of the buffer being rendered (filled
// by the processing for the final render and for the preview) and the per-plane strength,
// frequency and proportion (filled by RenderDistortion).

#include <cstdint>

struct DistortionContext {
    int32_t bufferWidth = 0;       // W: size of the buffer being processed, buffer pixels
    int32_t bufferHeight = 0;      // H
    int32_t areaWidth = 0;         // Wa: size of the filter rectangle, image pixels
    int32_t areaHeight = 0;        // Ha
    int32_t offsetX = 0;           // buffer's top-left pixel, buffer pixels from the filter
    int32_t offsetY = 0;           //   rectangle's corner at the current zoom (0 in the final render)
    float zoom = 1.0f;             // Z: image pixels per buffer pixel
    float strength = 0.0f;         // S: strength of the plane being warped
    float frequency = 0.0f;        // F = 0.5 / size, 0 when size is exactly 0
    float proportionFactor = 0.0f; // P = proportion / 100
};
