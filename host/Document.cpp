#include "host/Document.h"

namespace host {

namespace {
int ColorPlanesOf(int16_t mode) {
    switch (mode) {
    case plugInModeRGBColor:
    case plugInModeRGB48:
    case plugInModeLabColor:
    case plugInModeLab48:
    case plugInModeHSLColor:
    case plugInModeHSBColor:
        return 3;
    case plugInModeCMYKColor:
    case plugInModeCMYK64:
        return 4;
    default:
        return 1;
    }
}
} // namespace

Document Document::Make(int32_t width, int32_t height, int16_t mode, bool transparency, int32_t depth, uint32_t seed) {
    Document document;
    document.width = width;
    document.height = height;
    document.mode = mode;
    document.depth = depth;
    document.colorPlanes = ColorPlanesOf(mode);
    document.hasTransparency = transparency;
    document.pixels.resize(document.rowBytes() * size_t(height));
    uint32_t state = seed;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            for (int plane = 0; plane < document.planes(); ++plane) {
                state = state * 1664525u + 1013904223u;
                uint8_t value = static_cast<uint8_t>((x * 7 + y * 13 + plane * 61) ^ (state >> 24));
                if (plane == document.colorPlanes) // transparency: mostly opaque, some holes
                    value = ((x / 5 + y / 3) % 4 == 0) ? uint8_t(value / 2) : uint8_t(255);
                uint8_t* target = document.sample(x, y, plane);
                for (int b = 0; b < document.bytesPerSample(); ++b)
                    target[b] = value;
            }
        }
    }
    return document;
}

Layer& Document::AddLayerBelow(const std::string& name, bool visible, bool transparency, uint32_t seed, int fill,
                               uint8_t alpha) {
    if (layers.empty()) {
        Layer target;
        target.name = targetName;
        target.visible = targetVisible;
        layers.push_back(target);
        targetLayer = 0;
    }
    Document pattern = Make(width, height, mode, transparency, 8, seed);
    Layer layer;
    layer.name = name;
    layer.visible = visible;
    layer.hasTransparency = transparency;
    layer.pixels = std::move(pattern.pixels);
    if (fill >= 0) {
        const size_t planes = size_t(colorPlanes) + (transparency ? 1 : 0);
        for (size_t i = 0; i < layer.pixels.size(); ++i)
            layer.pixels[i] = (transparency && i % planes == planes - 1) ? alpha : uint8_t(fill);
    }
    layers.insert(layers.begin() + targetLayer, std::move(layer));
    ++targetLayer;
    return layers[size_t(targetLayer) - 1];
}

} // namespace host
