#pragma once
// A document of the substitute host: the target layer of interleaved 8-bit (or 16-bit) samples,
// an optional transparency plane, an optional selection rectangle and selection mask, and the
// other layers of the document as the host describes them to the plug-in.

#include "plugin/HostAbi.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace host {

// A layer other than the target (whose pixels are the document's own): the same size and planes
// as the document, with its own transparency plane when it has one.
struct Layer {
    std::string name;
    bool visible = true;
    bool hasTransparency = false;
    std::vector<uint8_t> pixels; // interleaved, colour planes (+ transparency), one byte a sample
};

struct Document {
    int32_t width = 0;
    int32_t height = 0;
    int16_t mode = plugInModeRGBColor;
    int32_t depth = 8;   // bits per sample: 8 or 16
    int colorPlanes = 3; // 3 for RGB, 4 for CMYK, 1 for grey ...
    bool hasTransparency = false;
    std::vector<uint8_t> pixels;     // rows top to bottom, planes interleaved, depth/8 bytes a sample
    std::optional<VRect> selection;  // the filter rectangle; the whole image when absent
    std::vector<uint8_t> mask;       // selection mask, one byte a pixel, or empty
    std::vector<uint8_t> iccProfile; // embedded CMYK profile (LittleCMS conversion), or empty

    // The document's layers from the bottom up. Empty: a single layer, the target, named
    // targetName. Otherwise the target is the entry at targetLayer, whose own pixels are unused.
    std::vector<Layer> layers;
    int targetLayer = 0;
    std::string targetName = "Background";
    bool targetVisible = true;
    // Whether the host describes the layers (a document description of version 2).
    bool describeLayers = true;

    int planes() const { return colorPlanes + (hasTransparency ? 1 : 0); }
    int bytesPerSample() const { return depth / 8; }
    size_t rowBytes() const { return size_t(width) * size_t(planes()) * size_t(bytesPerSample()); }
    VRect filterRect() const { return selection ? *selection : VRect{0, 0, height, width}; }

    uint8_t* sample(int32_t x, int32_t y, int plane) {
        return pixels.data() + size_t(y) * rowBytes() +
               (size_t(x) * size_t(planes()) + size_t(plane)) * size_t(bytesPerSample());
    }
    uint8_t sampleAt(int32_t x, int32_t y, int plane) const {
        return pixels[size_t(y) * rowBytes() +
                      (size_t(x) * size_t(planes()) + size_t(plane)) * size_t(bytesPerSample())];
    }

    // A document of the given mode filled with a deterministic pattern (every sample differs from
    // its neighbours, so a warp or a lost pixel shows).
    static Document Make(int32_t width, int32_t height, int16_t mode, bool transparency, int32_t depth = 8,
                         uint32_t seed = 0x9E3779B9u);

    // Selects the ellipse inside `rect` (which becomes the filter rectangle), its edge feathered
    // over `feather` pixels: the mask is 255 inside, 0 outside and falls off across the edge.
    void SelectEllipse(const VRect& rect, double feather = 0.0);

    // Adds a layer below the target with a pattern from `seed` (or, with `fill` >= 0, every
    // colour sample equal to fill and the transparency plane given by `alpha`).
    Layer& AddLayerBelow(const std::string& name, bool visible, bool transparency, uint32_t seed, int fill = -1,
                         uint8_t alpha = 255);
    // The name of the target layer.
    const std::string& TargetName() const { return layers.empty() ? targetName : layers[size_t(targetLayer)].name; }
};

} // namespace host
