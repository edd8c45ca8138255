#pragma once
// The host's colour conversion between RGB and CMYK, used by the ColorSpace suite and by the old
// colour services callback. CMYK values are stored as the document stores them: 255 means no
// ink. RGB colours of the ColorSpace suite carry a pad byte first ([pad, r, g, b]).
//
// With an embedded CMYK profile (and a build with LittleCMS) the conversion goes from sRGB to
// that profile and back with the perceptual intent. Otherwise the plain conversion applies:
//   CMYK to RGB: r = c * k / 255, g = m * k / 255, b = y * k / 255 (rounded; 255 = no ink)
//   RGB to CMYK: k = max(r, g, b); c = r * 255 / k, m = g * 255 / k, y = b * 255 / k (rounded),
//                and white ink everywhere (c = m = y = 255, k = 0) for black.
// The plain conversion gives every RGB colour back exactly after RGB -> CMYK -> RGB.

#include "plugin/HostAbi.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace host {

class ColorConverter {
public:
    ColorConverter();
    ~ColorConverter();
    ColorConverter(const ColorConverter&) = delete;
    ColorConverter& operator=(const ColorConverter&) = delete;

    // Uses `profile` (an ICC CMYK profile) from now on; an empty profile, or one that cannot be
    // used, selects the plain conversion. Returns whether the profile is in use.
    bool SetProfile(const std::vector<uint8_t>& profile);
    bool usingProfile() const;

    // Converts `count` colours in place between plugIncolorServicesRGBSpace and
    // plugIncolorServicesCMYKSpace (the same space leaves them as they are). False for any other
    // pair of spaces.
    bool Convert8(int16_t from, int16_t to, Color8* colors, size_t count);
    // The same for colours of 16-bit components in the range 0..32768 (32768 is no ink).
    bool Convert16(int16_t from, int16_t to, Color16* colors, size_t count);

private:
    struct Transforms;
    std::unique_ptr<Transforms> transforms_;
    std::vector<uint8_t> profile_;
};

// The plain conversions of one colour, at 8 bits and at 16 (0..32768, the same formulas with
// 32768 in place of 255).
void PlainCmykToRgb(const uint8_t cmyk[4], uint8_t rgb[3]);
void PlainRgbToCmyk(const uint8_t rgb[3], uint8_t cmyk[4]);
void PlainCmykToRgb(const uint16_t cmyk[4], uint16_t rgb[3]);
void PlainRgbToCmyk(const uint16_t rgb[3], uint16_t cmyk[4]);

} // namespace host
