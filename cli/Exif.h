#pragma once
// The little of an EXIF block the tool reads itself: the orientation. The block is otherwise
// carried whole from input to output.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace cli {

// The orientation (1 to 8) that the first image directory of an EXIF block records, or 0 when it
// records none or the block is malformed. `exif` is the TIFF structure after "Exif\0\0".
int ExifOrientation(const std::vector<uint8_t>& exif);

// An EXIF block that records only an orientation (for an output whose input had the orientation
// as a TIFF tag, not in an EXIF block).
std::vector<uint8_t> MinimalExif(int orientation);

} // namespace cli
