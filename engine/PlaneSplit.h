#pragma once
// Between the engine's 4-byte pixels (red, green, blue, transparency) and its four planes of
// bytes: the split before the warp and the join after it, on a range of pixels so that threads
// can share the work.

#include <cstddef>
#include <cstdint>

// Pixels begin..end - 1 of `pixels` into the planes (plane k starts at planes + k * planeSize).
// With `weighted`, colour k becomes byte k times (byte 3 / 255) in single precision, truncated.
void SplitPlanes(const uint8_t* pixels, uint8_t* planes, size_t planeSize, size_t begin, size_t end, bool weighted);

// Pixels begin..end - 1 of the planes back into `pixels`. With `raiseTransparency`, byte 3 is
// the largest of planes 3, 0, 1 and 2.
void JoinPlanes(const uint8_t* planes, size_t planeSize, uint8_t* pixels, size_t begin, size_t end,
                bool raiseTransparency);

// The same for one run of `count` pixels that does not start at the buffer's beginning:
// `pixels` holds exactly those pixels, which are pixels first..first + count - 1 of the planes.
void SplitPixelRun(const uint8_t* pixels, uint8_t* planes, size_t planeSize, size_t first, size_t count, bool weighted);
void JoinPixelRun(const uint8_t* planes, size_t planeSize, uint8_t* pixels, size_t first, size_t count,
                  bool raiseTransparency);

// The same for 16-bit pixels and planes: with `weighted`, colour k becomes sample k times
// (sample 3 / 32768) in single precision, truncated.
void SplitPlanes(const uint16_t* pixels, uint16_t* planes, size_t planeSize, size_t begin, size_t end, bool weighted);
void JoinPlanes(const uint16_t* planes, size_t planeSize, uint16_t* pixels, size_t begin, size_t end,
                bool raiseTransparency);
void SplitPixelRun(const uint16_t* pixels, uint16_t* planes, size_t planeSize, size_t first, size_t count,
                   bool weighted);
void JoinPixelRun(const uint16_t* planes, size_t planeSize, uint16_t* pixels, size_t first, size_t count,
                  bool raiseTransparency);
