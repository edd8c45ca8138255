#include "host/Document.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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
                if (document.bytesPerSample() == 1) {
                    target[0] = value;
                    continue;
                }
                // 16 bits in the host's range 0..32768, with low bits no 8-bit sample has; opaque
                // is 32768.
                const bool opaque = plane == document.colorPlanes && value == 255;
                const uint16_t wide = opaque ? uint16_t(32768) : uint16_t(value * 128u + ((state >> 8) & 127u));
                std::memcpy(target, &wide, 2);
            }
        }
    }
    return document;
}

void Document::SelectEllipse(const VRect& rect, double feather) {
    selection = rect;
    mask.assign(size_t(width) * size_t(height), 0);
    const double cx = (double(rect.left) + double(rect.right)) / 2.0;
    const double cy = (double(rect.top) + double(rect.bottom)) / 2.0;
    const double rx = (double(rect.right) - double(rect.left)) / 2.0;
    const double ry = (double(rect.bottom) - double(rect.top)) / 2.0;
    if (rx <= 0.0 || ry <= 0.0)
        return;
    for (int32_t y = std::max(0, rect.top); y < std::min(height, rect.bottom); ++y) {
        for (int32_t x = std::max(0, rect.left); x < std::min(width, rect.right); ++x) {
            const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
            // Distance inside the edge, in pixels (approximately, along the smaller radius).
            const double inside = (1.0 - std::sqrt(dx * dx + dy * dy)) * std::min(rx, ry);
            const double weight = feather > 0.0 ? std::clamp(inside / feather, 0.0, 1.0) : (inside >= 0.0 ? 1.0 : 0.0);
            mask[size_t(y) * size_t(width) + size_t(x)] = uint8_t(std::lround(weight * 255.0));
        }
    }
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
