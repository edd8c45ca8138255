#include "host/ColorConversion.h"

#include <algorithm>

#ifdef VORTIFLUX_HAVE_LCMS
#include <lcms2.h>
#endif

namespace host {

namespace {
constexpr uint32_t kWideMax = 32768;
uint8_t RoundedRatio(uint32_t numerator, uint32_t denominator) {
    return static_cast<uint8_t>(std::min<uint32_t>(255, (numerator + denominator / 2) / denominator));
}
uint16_t RoundedWideRatio(uint64_t numerator, uint64_t denominator) {
    return static_cast<uint16_t>(std::min<uint64_t>(kWideMax, (numerator + denominator / 2) / denominator));
}
bool RgbOrCmyk(int16_t space) {
    return space == plugIncolorServicesRGBSpace || space == plugIncolorServicesCMYKSpace;
}
} // namespace

namespace {
// The plain conversion of `count` colours in place; RGB colours get `pad` before them.
template <class Sample> void PlainConversion(Sample (*colors)[4], size_t count, bool toCmyk, Sample pad) {
    for (size_t i = 0; i < count; ++i) {
        Sample* c = colors[i];
        if (toCmyk) {
            Sample cmyk[4];
            PlainRgbToCmyk(c + 1, cmyk);
            std::copy(cmyk, cmyk + 4, c);
        } else {
            Sample rgb[3];
            PlainCmykToRgb(c, rgb);
            c[0] = pad;
            std::copy(rgb, rgb + 3, c + 1);
        }
    }
}
} // namespace

void PlainCmykToRgb(const uint16_t cmyk[4], uint16_t rgb[3]) {
    for (int i = 0; i < 3; ++i)
        rgb[i] = RoundedWideRatio(
            uint64_t(std::min<uint32_t>(cmyk[i], kWideMax)) * std::min<uint32_t>(cmyk[3], kWideMax), kWideMax);
}

void PlainRgbToCmyk(const uint16_t rgb[3], uint16_t cmyk[4]) {
    const uint16_t k = uint16_t(std::min<uint32_t>(std::max({rgb[0], rgb[1], rgb[2]}), kWideMax));
    cmyk[3] = k;
    for (int i = 0; i < 3; ++i)
        cmyk[i] = k == 0 ? uint16_t(kWideMax) : RoundedWideRatio(uint64_t(std::min<uint16_t>(rgb[i], k)) * kWideMax, k);
}

void PlainCmykToRgb(const uint8_t cmyk[4], uint8_t rgb[3]) {
    for (int i = 0; i < 3; ++i)
        rgb[i] = RoundedRatio(uint32_t(cmyk[i]) * cmyk[3], 255);
}

void PlainRgbToCmyk(const uint8_t rgb[3], uint8_t cmyk[4]) {
    const uint8_t k = std::max({rgb[0], rgb[1], rgb[2]});
    cmyk[3] = k;
    for (int i = 0; i < 3; ++i)
        cmyk[i] = k == 0 ? uint8_t(255) : RoundedRatio(uint32_t(rgb[i]) * 255, k);
}

#ifdef VORTIFLUX_HAVE_LCMS

struct ColorConverter::Transforms {
    cmsHTRANSFORM toCmyk = nullptr;
    cmsHTRANSFORM toRgb = nullptr;
    cmsHTRANSFORM toCmyk16 = nullptr; // 16 bits of 0..65535 each
    cmsHTRANSFORM toRgb16 = nullptr;
    ~Transforms() {
        for (cmsHTRANSFORM transform : {toCmyk, toRgb, toCmyk16, toRgb16})
            if (transform != nullptr)
                cmsDeleteTransform(transform);
    }
};

namespace {
// Between the host's 0..32768 and the colour engine's 0..65535, rounded.
uint16_t ToFull(uint16_t sample) {
    return uint16_t((uint32_t(std::min<uint32_t>(sample, kWideMax)) * 65535u + kWideMax / 2) / kWideMax);
}
uint16_t FromFull(uint16_t sample) {
    return uint16_t((uint32_t(sample) * kWideMax + 65535u / 2) / 65535u);
}
} // namespace

bool ColorConverter::SetProfile(const std::vector<uint8_t>& profile) {
    if (profile == profile_ && (transforms_ != nullptr || profile.empty()))
        return transforms_ != nullptr;
    transforms_.reset();
    profile_ = profile;
    if (profile.empty())
        return false;
    cmsHPROFILE cmyk = cmsOpenProfileFromMem(profile.data(), cmsUInt32Number(profile.size()));
    if (cmyk == nullptr)
        return false;
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    auto transforms = std::make_unique<Transforms>();
    if (cmsGetColorSpace(cmyk) == cmsSigCmykData && srgb != nullptr) {
        // CMYK samples are stored with 255 meaning no ink: the reversed CMYK layout.
        transforms->toCmyk = cmsCreateTransform(srgb, TYPE_RGB_8, cmyk, TYPE_CMYK_8_REV, INTENT_PERCEPTUAL, 0);
        transforms->toRgb = cmsCreateTransform(cmyk, TYPE_CMYK_8_REV, srgb, TYPE_RGB_8, INTENT_PERCEPTUAL, 0);
        transforms->toCmyk16 = cmsCreateTransform(srgb, TYPE_RGB_16, cmyk, TYPE_CMYK_16_REV, INTENT_PERCEPTUAL, 0);
        transforms->toRgb16 = cmsCreateTransform(cmyk, TYPE_CMYK_16_REV, srgb, TYPE_RGB_16, INTENT_PERCEPTUAL, 0);
    }
    if (srgb != nullptr)
        cmsCloseProfile(srgb);
    cmsCloseProfile(cmyk);
    if (transforms->toCmyk == nullptr || transforms->toRgb == nullptr || transforms->toCmyk16 == nullptr ||
        transforms->toRgb16 == nullptr)
        return false;
    transforms_ = std::move(transforms);
    return true;
}

#else

struct ColorConverter::Transforms {};

bool ColorConverter::SetProfile(const std::vector<uint8_t>& profile) {
    profile_ = profile;
    return false;
}

#endif

ColorConverter::ColorConverter() = default;
ColorConverter::~ColorConverter() = default;

bool ColorConverter::usingProfile() const {
    return transforms_ != nullptr;
}

bool ColorConverter::Convert8(int16_t from, int16_t to, Color8* colors, size_t count) {
    if (!RgbOrCmyk(from) || !RgbOrCmyk(to))
        return false;
    if (from == to || count == 0)
        return true;
    const bool toCmyk = to == plugIncolorServicesCMYKSpace;
#ifdef VORTIFLUX_HAVE_LCMS
    if (transforms_ != nullptr) {
        for (size_t i = 0; i < count; ++i) {
            uint8_t* c = colors[i];
            uint8_t out[4] = {};
            if (toCmyk) {
                cmsDoTransform(transforms_->toCmyk, c + 1, out, 1);
                std::copy(out, out + 4, c);
            } else {
                cmsDoTransform(transforms_->toRgb, c, out, 1);
                c[0] = 255;
                std::copy(out, out + 3, c + 1);
            }
        }
        return true;
    }
#endif
    PlainConversion(colors, count, toCmyk, uint8_t(255));
    return true;
}

bool ColorConverter::Convert16(int16_t from, int16_t to, Color16* colors, size_t count) {
    if (!RgbOrCmyk(from) || !RgbOrCmyk(to))
        return false;
    if (from == to || count == 0)
        return true;
    const bool toCmyk = to == plugIncolorServicesCMYKSpace;
#ifdef VORTIFLUX_HAVE_LCMS
    if (transforms_ != nullptr) {
        for (size_t i = 0; i < count; ++i) {
            uint16_t* c = colors[i];
            uint16_t in[4], out[4] = {};
            if (toCmyk) {
                for (int k = 0; k < 3; ++k)
                    in[k] = ToFull(c[k + 1]);
                cmsDoTransform(transforms_->toCmyk16, in, out, 1);
                for (int k = 0; k < 4; ++k)
                    c[k] = FromFull(out[k]);
            } else {
                for (int k = 0; k < 4; ++k)
                    in[k] = ToFull(c[k]);
                cmsDoTransform(transforms_->toRgb16, in, out, 1);
                c[0] = uint16_t(kWideMax);
                for (int k = 0; k < 3; ++k)
                    c[k + 1] = FromFull(out[k]);
            }
        }
        return true;
    }
#endif
    PlainConversion(colors, count, toCmyk, uint16_t(kWideMax));
    return true;
}

} // namespace host
