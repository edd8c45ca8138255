#pragma once
// How large an image the tool agrees to decode. A file states its size in a few header bytes, so
// a tiny file can ask for gigabytes: every reader compares what a file declares with these limits
// before it allocates pixels, and hands the memory budget to the library's own allocator limits.

#include <cstdint>
#include <string>

namespace cli {

// Peak bytes the whole run holds per pixel of an 8-bit RGBA image (the decoded image, the host's
// document and the plug-in's buffers), measured on 4000 x 4000 images with some headroom.
constexpr uint64_t kPeakBytesPerPixel = 40;

struct ResourceLimits {
    uint64_t maxPixels = 0;   // width x height of one image (one page of a TIFF)
    uint64_t memoryBytes = 0; // what a decoding library may allocate for one image
};

// The memory this process can use: physical memory, lowered by the cgroup's limit and the
// address-space and data limits of the process when they are smaller.
uint64_t UsableMemoryBytes();

// Half of the usable memory, as pixels at kPeakBytesPerPixel: what fits comfortably.
ResourceLimits DefaultLimits();

// The limits when the user names the pixel count (--limit-pixels): the libraries may then use
// what that many pixels need, even beyond the default budget.
ResourceLimits LimitsForPixels(uint64_t pixels);

// "322 million" / "1.2 billion" / "4000": a pixel count for messages.
std::string PixelCountText(uint64_t pixels);

} // namespace cli
