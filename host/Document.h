#pragma once
// A document of the substitute host: one layer of interleaved 8-bit (or 16-bit) samples, an
// optional transparency plane, an optional selection rectangle and selection mask.

#include "plugin/HostAbi.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace host {

struct Document {
    int32_t width = 0;
    int32_t height = 0;
    int16_t mode = plugInModeRGBColor;
    int32_t depth = 8;          // bits per sample: 8 or 16
    int colorPlanes = 3;        // 3 for RGB, 4 for CMYK, 1 for grey ...
    bool hasTransparency = false;
    std::vector<uint8_t> pixels; // rows top to bottom, planes interleaved, depth/8 bytes a sample
    std::optional<VRect> selection; // the filter rectangle; the whole image when absent
    std::vector<uint8_t> mask;      // selection mask, one byte a pixel, or empty

    int planes() const { return colorPlanes + (hasTransparency ? 1 : 0); }
    int bytesPerSample() const { return depth / 8; }
    size_t rowBytes() const { return size_t(width) * size_t(planes()) * size_t(bytesPerSample()); }
    VRect filterRect() const { return selection ? *selection : VRect{0, 0, height, width}; }

    uint8_t* sample(int32_t x, int32_t y, int plane) {
        return pixels.data() + size_t(y) * rowBytes() + (size_t(x) * size_t(planes()) + size_t(plane)) * size_t(bytesPerSample());
    }
    uint8_t sampleAt(int32_t x, int32_t y, int plane) const {
        return pixels[size_t(y) * rowBytes() + (size_t(x) * size_t(planes()) + size_t(plane)) * size_t(bytesPerSample())];
    }

    // A document of the given mode filled with a deterministic pattern (every sample differs from
    // its neighbours, so a warp or a lost pixel shows).
    static Document Make(int32_t width, int32_t height, int16_t mode, bool transparency, int32_t depth = 8);
};

} // namespace host
