// The substitute host's colour conversion: the plain conversion's round trip, and documents
// with an embedded CMYK profile converted through LittleCMS.
#include "TestPlugin.h"
#include "host/ColorConversion.h"

#include <fstream>
#include <iterator>

namespace {

TEST(PlainConversion, EveryRgbColourComesBackExactly) {
    host::ColorConverter converter;
    for (int r = 0; r < 256; r += 3)
        for (int g = 0; g < 256; g += 5)
            for (int b = 0; b < 256; b += 7) {
                Color8 color = {255, uint8_t(r), uint8_t(g), uint8_t(b)};
                ASSERT_TRUE(converter.Convert8(plugIncolorServicesRGBSpace, plugIncolorServicesCMYKSpace, &color, 1));
                ASSERT_TRUE(converter.Convert8(plugIncolorServicesCMYKSpace, plugIncolorServicesRGBSpace, &color, 1));
                ASSERT_EQ(color[1], r);
                ASSERT_EQ(color[2], g);
                ASSERT_EQ(color[3], b);
            }
    Color8 lab = {0, 1, 2, 3};
    EXPECT_FALSE(converter.Convert8(plugIncolorServicesLabSpace, plugIncolorServicesRGBSpace, &lab, 1));
}

std::vector<uint8_t> ReadFile(const char* path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

class EmbeddedProfile : public testing_support::PluginTest {};

TEST_F(EmbeddedProfile, CmykDocumentIsConvertedThroughItsProfile) {
    const std::vector<uint8_t> profile = ReadFile("/usr/share/color/icc/ghostscript/default_cmyk.icc");
    if (profile.empty())
        GTEST_SKIP() << "no CMYK profile on this machine";
    host::ColorConverter converter;
    ASSERT_TRUE(converter.SetProfile(profile));
    host.document = host::Document::Make(21, 13, plugInModeCMYKColor, false);
    host.document.iccProfile = profile;
    host::Document expected = host.document;
    for (int32_t y = 0; y < expected.height; ++y)
        for (int32_t x = 0; x < expected.width; ++x) {
            Color8 color = {expected.sampleAt(x, y, 0), expected.sampleAt(x, y, 1), expected.sampleAt(x, y, 2),
                            expected.sampleAt(x, y, 3)};
            converter.Convert8(plugIncolorServicesCMYKSpace, plugIncolorServicesRGBSpace, &color, 1);
            converter.Convert8(plugIncolorServicesRGBSpace, plugIncolorServicesCMYKSpace, &color, 1);
            for (int k = 0; k < 4; ++k)
                *expected.sample(x, y, k) = color[k];
        }
    host::DescriptorItem value{keyValue, typeFloat, 0, 0.0};
    host.PlayDescriptor({value}, plugInDialogDontDisplay);
    ASSERT_EQ(host.RunInteractive().result, noErr);
    EXPECT_TRUE(host.suites().converter().usingProfile());
    EXPECT_EQ(host.document.pixels, expected.pixels);
    // A profile that is not a profile selects the plain conversion.
    EXPECT_FALSE(converter.SetProfile({1, 2, 3}));
    EXPECT_FALSE(converter.usingProfile());
}

} // namespace
