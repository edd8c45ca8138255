#include "plugin/PixelBuffer.h"

#include "platform/Platform.h"
#include "plugin/ColorServices.h"

#include <algorithm>
#include <cstring>

namespace {
// Row, column and offset are described to the host in bits in 32-bit fields.
constexpr int64_t kMaxBits = INT32_MAX;
} // namespace

void InitPixelBuffer(PixelBuffer& buffer, int16_t mode, const VRect& bounds, int planes, int32_t depth,
                     int32_t border) {
    buffer.mode = mode;
    buffer.bounds = bounds;
    buffer.border = std::max(border, 0);
    buffer.planes = static_cast<uint8_t>(std::clamp(planes, 0, 255));
    const int64_t bits = depth > 0 ? depth : 8;
    const int64_t rowBits = PixelBufferWidth(buffer) * bits;
    const int64_t bitOffset = buffer.border * (rowBits + bits);
    buffer.desc.depth = static_cast<int32_t>(std::min(bits, kMaxBits));
    buffer.desc.colBits = buffer.desc.depth;
    // Geometry the host cannot be told about gets no memory (PixelBufferData refuses it).
    buffer.desc.rowBits = rowBits <= kMaxBits ? static_cast<int32_t>(rowBits) : 0;
    buffer.desc.bitOffset = bitOffset <= kMaxBits ? static_cast<int32_t>(bitOffset) : 0;
    buffer.desc.data = buffer.memory;
}

int64_t PixelBufferWidth(const PixelBuffer& buffer) {
    return std::max<int64_t>(0, int64_t(buffer.bounds.right) - buffer.bounds.left + 2 * int64_t(buffer.border));
}

int64_t PixelBufferHeight(const PixelBuffer& buffer) {
    return std::max<int64_t>(0, int64_t(buffer.bounds.bottom) - buffer.bounds.top + 2 * int64_t(buffer.border));
}

int64_t PlaneBytes(const PixelBuffer& buffer) {
    return PixelBufferHeight(buffer) * buffer.desc.rowBits / 8;
}

uint8_t* PixelBufferData(PixelBuffer& buffer) {
    if (buffer.memory != nullptr)
        return static_cast<uint8_t*>(buffer.memory);
    const int64_t rowBits = PixelBufferWidth(buffer) * buffer.desc.depth;
    if (buffer.desc.rowBits == 0 || rowBits != buffer.desc.rowBits || buffer.planes == 0)
        return nullptr;
    // Every plane is a whole number of bytes; a buffer of more than half the address space is
    // never asked for.
    const int64_t planeBytes = PlaneBytes(buffer);
    if (planeBytes <= 0 || planeBytes > (INT64_MAX / 2) / buffer.planes)
        return nullptr;
    const int64_t bytes = planeBytes * buffer.planes;
    if (uint64_t(bytes) > SIZE_MAX / 2)
        return nullptr;
    buffer.memory = platform::AllocatePages(size_t(bytes));
    if (buffer.memory == nullptr)
        return nullptr;
    buffer.memoryBytes = size_t(bytes);
    buffer.desc.data = buffer.memory;
    return static_cast<uint8_t*>(buffer.memory);
}

uint8_t* FirstPixel(PixelBuffer& buffer) {
    uint8_t* data = PixelBufferData(buffer);
    return data != nullptr ? data + buffer.desc.bitOffset / 8 : nullptr;
}

void ReleasePixelBuffer(PixelBuffer& buffer) {
    platform::ReleasePages(buffer.memory, buffer.memoryBytes);
    buffer.memory = nullptr;
    buffer.memoryBytes = 0;
    buffer.desc.data = nullptr;
}

bool CopyPixelBuffer(PixelBuffer& destination, PixelBuffer& source) {
    if (destination.desc.rowBits != source.desc.rowBits ||
        destination.bounds.right - destination.bounds.left != source.bounds.right - source.bounds.left ||
        destination.bounds.bottom - destination.bounds.top != source.bounds.bottom - source.bounds.top ||
        destination.planes != source.planes)
        return false;
    uint8_t* to = PixelBufferData(destination);
    uint8_t* from = PixelBufferData(source);
    if (to == nullptr || from == nullptr)
        return false;
    std::memcpy(to, from, size_t(PlaneBytes(source)) * source.planes);
    return true;
}

bool FillPixelBuffer(PixelBuffer& buffer, const RGBColor& color) {
    uint8_t* data = PixelBufferData(buffer);
    if (data == nullptr)
        return false;
    int16_t components[4] = {int16_t(color.red >> 8), int16_t(color.green >> 8), int16_t(color.blue >> 8), 0};
    ConvertColor(components, plugInModeRGBColor, buffer.mode); // unconverted values when it fails
    const size_t planeBytes = size_t(PlaneBytes(buffer));
    for (int plane = 0; plane < buffer.planes; ++plane) {
        const uint8_t value = plane < ColorPlanes(buffer) ? uint8_t(components[plane] & 0xFF) : uint8_t(0);
        std::memset(data + size_t(plane) * planeBytes, value, planeBytes);
    }
    return true;
}

int ColorPlanes(const PixelBuffer& buffer) {
    if (buffer.mode == plugInModeGrayScale || buffer.mode == plugInModeGray16)
        return 1;
    return buffer.mode == plugInModeCMYKColor || buffer.mode == plugInModeCMYK64 ? 4 : 3;
}

void RaiseAlpha(PixelBuffer& buffer, uint8_t value) {
    const int alphaPlane = ColorPlanes(buffer);
    if (buffer.planes <= alphaPlane)
        return;
    uint8_t* data = PixelBufferData(buffer);
    if (data == nullptr)
        return;
    const size_t planeBytes = size_t(PlaneBytes(buffer));
    uint8_t* alpha = data + size_t(alphaPlane) * planeBytes;
    for (size_t i = 0; i < planeBytes; ++i)
        alpha[i] = std::max(alpha[i], value);
}

void MergeAlpha(PixelBuffer& buffer, PixelBuffer& mask) {
    const int alphaPlane = ColorPlanes(buffer);
    if (buffer.planes <= alphaPlane)
        return;
    uint8_t* data = PixelBufferData(buffer);
    const uint8_t* maskData = PixelBufferData(mask);
    if (data == nullptr || maskData == nullptr)
        return;
    const size_t planeBytes = size_t(std::min(PlaneBytes(buffer), PlaneBytes(mask)));
    uint8_t* alpha = data + size_t(alphaPlane) * size_t(PlaneBytes(buffer));
    for (size_t i = 0; i < planeBytes; ++i)
        alpha[i] = std::max(alpha[i], maskData[i]);
}

bool BlendPixelBuffer(PixelBuffer& destination, PixelBuffer& source, PixelBuffer& mask, const VRect& at) {
    uint8_t* to = FirstPixel(destination);
    uint8_t* from = FirstPixel(source);
    uint8_t* weights = FirstPixel(mask);
    if (to == nullptr || from == nullptr || weights == nullptr)
        return false;
    const int64_t height = PixelBufferHeight(source) - 2 * int64_t(source.border);
    const int64_t width = PixelBufferWidth(source) - 2 * int64_t(source.border);
    if (PixelBufferHeight(mask) - 2 * int64_t(mask.border) != height ||
        PixelBufferWidth(mask) - 2 * int64_t(mask.border) != width)
        return false;
    const int64_t top = int64_t(at.top) - destination.bounds.top;
    const int64_t left = int64_t(at.left) - destination.bounds.left;
    const int64_t destinationHeight = PixelBufferHeight(destination) - 2 * int64_t(destination.border);
    const int64_t destinationWidth = PixelBufferWidth(destination) - 2 * int64_t(destination.border);
    if (top < 0 || left < 0 || top + height > destinationHeight || left + width > destinationWidth)
        return false;
    const int planes = std::min({ColorPlanes(destination), int(destination.planes), int(source.planes)});
    const int64_t toRow = destination.desc.rowBits / 8, fromRow = source.desc.rowBits / 8,
                  maskRow = mask.desc.rowBits / 8;
    for (int plane = 0; plane < planes; ++plane) {
        uint8_t* toPlane = to + plane * PlaneBytes(destination);
        const uint8_t* fromPlane = from + plane * PlaneBytes(source);
        for (int64_t y = 0; y < height; ++y) {
            uint8_t* d = toPlane + (top + y) * toRow + left;
            const uint8_t* s = fromPlane + y * fromRow;
            const uint8_t* m = weights + y * maskRow;
            for (int64_t x = 0; x < width; ++x)
                d[x] = uint8_t(int(d[x]) + (int(s[x]) - int(d[x])) * int(m[x]) / 255);
        }
    }
    return true;
}
