#include "cli/Exif.h"

namespace cli {

namespace {

constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kShortType = 3;

struct Reader {
    const std::vector<uint8_t>& bytes;
    bool bigEndian;
    bool Has(size_t offset, size_t count) const { return offset <= bytes.size() && count <= bytes.size() - offset; }
    uint16_t U16(size_t offset) const {
        const unsigned a = bytes[offset], b = bytes[offset + 1];
        return uint16_t(bigEndian ? (a << 8) | b : (b << 8) | a);
    }
    uint32_t U32(size_t offset) const {
        const uint32_t high = U16(offset + (bigEndian ? 0 : 2)), low = U16(offset + (bigEndian ? 2 : 0));
        return (high << 16) | low;
    }
};

} // namespace

int ExifOrientation(const std::vector<uint8_t>& exif) {
    if (exif.size() < 8)
        return 0;
    const bool big = exif[0] == 'M' && exif[1] == 'M';
    if (!big && !(exif[0] == 'I' && exif[1] == 'I'))
        return 0;
    const Reader in{exif, big};
    if (in.U16(2) != 42)
        return 0;
    const uint32_t directory = in.U32(4);
    if (!in.Has(directory, 2))
        return 0;
    const uint16_t entries = in.U16(directory);
    for (uint32_t i = 0; i < entries; ++i) {
        const size_t entry = size_t(directory) + 2 + size_t(i) * 12;
        if (!in.Has(entry, 12))
            return 0;
        if (in.U16(entry) != kOrientationTag)
            continue;
        if (in.U16(entry + 2) != kShortType || in.U32(entry + 4) != 1)
            return 0;
        const uint16_t value = in.U16(entry + 8);
        return value >= 1 && value <= 8 ? value : 0;
    }
    return 0;
}

std::vector<uint8_t> MinimalExif(int orientation) {
    const uint8_t value = uint8_t(orientation);
    return {'M',  'M',  0, 42,         0, 0, 0, 8,                 // header, first directory at 8
            0,    1,                                               // one entry
            0x01, 0x12, 0, kShortType, 0, 0, 0, 1, 0, value, 0, 0, // orientation, one SHORT
            0,    0,    0, 0};                                     // no next directory
}

} // namespace cli
