// The harness itself: its PNG files read back as written, a changed picture is caught by the
// comparison, and the fonts the captures depend on are the pinned ones.
#include "SkinFixture.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

gui::Image Gradient(int width, int height) {
    gui::Image image;
    image.width = width;
    image.height = height;
    image.rgb.resize(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* pixel = image.at(x, y);
            pixel[0] = static_cast<uint8_t>(x * 7);
            pixel[1] = static_cast<uint8_t>(y * 5);
            pixel[2] = static_cast<uint8_t>(x ^ y);
        }
    return image;
}

} // namespace

TEST(Harness, PngFilesReadBackAsWritten) {
    // Wide enough for the image data to need more than one stored block.
    const gui::Image image = Gradient(300, 90);
    const std::string path = gui::ScreenshotFolder() + "/harness_roundtrip.png";
    ASSERT_TRUE(gui::WritePng(path, image));
    gui::Image back;
    ASSERT_TRUE(gui::ReadPng(path, &back));
    EXPECT_EQ(back.width, 300);
    EXPECT_EQ(back.height, 90);
    EXPECT_EQ(back.rgb, image.rgb);
    std::remove(path.c_str());
    EXPECT_FALSE(gui::ReadPng(path, &back));
}

TEST(Harness, ComparisonCatchesAChangedPicture) {
    const gui::Image reference = Gradient(40, 30);
    const std::string name = "harness_comparison";
    const std::string referencePath = gui::ScreenshotFolder() + "/" + name + "_reference.png";
    ASSERT_TRUE(gui::WritePng(referencePath, reference));
    gui::Image same;
    ASSERT_TRUE(gui::ReadPng(referencePath, &same));

    gui::Image shifted = reference;
    for (uint8_t& channel : shifted.rgb)
        channel = static_cast<uint8_t>(channel < 250 ? channel + 5 : channel);
    gui::Image broken = reference;
    for (int x = 0; x < 10; ++x)
        broken.at(x, 12)[0] ^= 0x80;

    // The comparison the screenshots use, against the reference as it reads back from its file.
    const auto compare = [&](const gui::Image& image, int allowance) {
        return gui::CompareImages(name, image, same, 8, allowance).matches;
    };
    EXPECT_TRUE(compare(same, 0));
    EXPECT_TRUE(compare(shifted, 0)) << "small shifts of colour are within the tolerance";
    EXPECT_FALSE(compare(broken, 4)) << "a drawn line that moved is not";
    EXPECT_TRUE(compare(broken, 10));
    gui::Image cropped = reference;
    cropped.height -= 1;
    cropped.rgb.resize(size_t(cropped.width) * size_t(cropped.height) * 3);
    const gui::Comparison sized = gui::CompareImages(name, cropped, same);
    EXPECT_FALSE(sized.matches) << "a picture of another size never matches";
    EXPECT_NE(sized.message.find("size"), std::string::npos) << sized.message;
    std::remove(referencePath.c_str());

    // A screenshot without a stored reference fails unless references are being updated.
    if (!std::getenv("VORTIFLUX_UPDATE_REFERENCES")) {
        const gui::Comparison missing = gui::CheckScreenshot(name + "_without_reference", reference);
        EXPECT_FALSE(missing.matches);
        std::remove((gui::ScreenshotFolder() + "/" + name + "_without_reference.png").c_str());
    }
}

TEST(Harness, CaptionFontsAreThePinnedOnes) {
    // The references were taken with "Arial" served by the Liberation fonts (Debian's
    // fonts-liberation); another font would move every caption's pixels.
    HDC dc = GetDC(nullptr);
    HFONT font = gdi::CreateFontNamed(14, FW_BOLD, false, PROOF_QUALITY, "Arial");
    HGDIOBJ previous = SelectObject(dc, font);
    char face[64] = {};
    GetTextFaceA(dc, sizeof face, face);
    SelectObject(dc, previous);
    gdi::Delete(font);
    ReleaseDC(nullptr, dc);
    EXPECT_TRUE(std::string(face) == "Arial" || std::string(face) == "Liberation Sans") << face;
}
