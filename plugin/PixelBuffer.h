#pragma once
// A planar image buffer for reading document channels: the planes one after another, each
// described to the host by a PixelMemoryDesc so that the host's read calls fill it directly.
// The memory comes from the page allocator on first use and is zero-filled.

#include "plugin/HostAbi.h"

#include <cstddef>
#include <cstdint>

struct PixelBuffer {
    int16_t mode = plugInModeRGBColor; // image mode of the data
    PixelMemoryDesc desc{};            // data (plane 0), rowBits, colBits, bitOffset, depth
    void* memory = nullptr;            // the allocation, null until first use
    size_t memoryBytes = 0;
    VRect bounds{};     // the area covered, in document coordinates
    int32_t border = 0; // extra pixels on every side
    uint8_t planes = 0;
};

// Sets the fields and the derived values; allocates nothing (and releases nothing).
void InitPixelBuffer(PixelBuffer& buffer, int16_t mode, const VRect& bounds, int planes, int32_t depth, int32_t border);
int64_t PixelBufferWidth(const PixelBuffer& buffer);  // including the border
int64_t PixelBufferHeight(const PixelBuffer& buffer); // including the border
// Bytes of one plane (height x rowBits / 8).
int64_t PlaneBytes(const PixelBuffer& buffer);
// The memory, allocated and zero-filled on first use; null when it cannot be had (or the
// geometry is empty or too large).
uint8_t* PixelBufferData(PixelBuffer& buffer);
// The first pixel of plane 0 (data + bitOffset / 8), or null without memory.
uint8_t* FirstPixel(PixelBuffer& buffer);
// Frees the memory; the buffer can be used again.
void ReleasePixelBuffer(PixelBuffer& buffer);

// Copies all planes when both buffers have the same rowBits, width and height (and planes);
// otherwise false and nothing copied.
bool CopyPixelBuffer(PixelBuffer& destination, PixelBuffer& source);
// Fills plane k with component k of `color` converted from RGB to the buffer's mode (the
// unconverted value when the host cannot convert); the planes after the colours become 0.
bool FillPixelBuffer(PixelBuffer& buffer, const RGBColor& color);
// The colour planes of the buffer's mode: 1 for greyscale, 4 for CMYK, 3 otherwise. The plane
// after them, when there is one, is the transparency (so in CMYK plane 3 is the black ink, not
// transparency, and in greyscale plane 1 is the transparency).
int ColorPlanes(const PixelBuffer& buffer);
// With a transparency plane: every sample of it becomes at least `value`.
void RaiseAlpha(PixelBuffer& buffer, uint8_t value);
// With a transparency plane: every sample of it becomes at least the matching sample of the
// mask's plane 0 (buffers of the same size).
void MergeAlpha(PixelBuffer& buffer, PixelBuffer& mask);
// Lays `source` over `destination` through `mask` (one plane, the source's size) with its top
// left corner at `at` (document coordinates): d + (s - d) x m / 255 for the colour planes both
// buffers have. False when a buffer has no memory, the destination does not reach
// `at`, or source and mask differ in size.
bool BlendPixelBuffer(PixelBuffer& destination, PixelBuffer& source, PixelBuffer& mask, const VRect& at);
