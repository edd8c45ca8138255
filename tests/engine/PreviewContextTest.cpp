// The preview renders the visible part of the filter area with the same context fields: at zoom
// 1 every pixel gets the same turn as in the final render, so the two agree wherever the turned
// position stays inside the preview's smaller buffer.
#include "EngineTestSupport.h"

#include <cstdlib>

namespace {

using namespace engine_test;

TEST(PreviewContext, WholeAreaAtZoomOneIsTheFinalRender) {
    const std::vector<uint8_t> source = RandomImage(90, 70, Transparency::Varying, 21);
    for (uint8_t method = 0; method < kDistortionMethodCount; ++method) {
        FilterParameters p = Effect(method, 30.0f, 15.0f, 40.0f);
        p.randomSeed = 6.5f;
        p.centerX = 25.0f;
        DistortionContext preview = FinalContext(90, 70);
        preview.zoom = 1.0f; // what the dialog passes at 100 %
        EXPECT_EQ(Render(EngineVariant::Automatic, preview, p, source),
                  Render(EngineVariant::Automatic, FinalContext(90, 70), p, source))
            << int(method);
    }
    ReleasePlaneScratch();
}

// A scrolled preview of the middle of the area. Its pixel positions are smaller numbers than
// the final render's, so the float arithmetic rounds a little differently: bytes may differ by
// one level, and only rarely.
TEST(PreviewContext, ScrolledPreviewAgreesWhereTurnsStayInside) {
    const int32_t width = 160;
    const int32_t height = 120;
    const int32_t left = 40;
    const int32_t top = 30;
    const int32_t previewWidth = 80;
    const int32_t previewHeight = 60;
    // Strength 10 turns no pixel more than 7 pixels away (polar: 22.5 pixels from the
    // centre by at most 0.29 radians).
    const int32_t margin = 8;
    const std::vector<uint8_t> image = RandomImage(width, height, Transparency::Opaque, 22);
    std::vector<uint8_t> crop(static_cast<size_t>(previewWidth) * previewHeight * 4);
    for (int32_t y = 0; y < previewHeight; ++y) {
        for (int32_t x = 0; x < previewWidth; ++x) {
            for (int k = 0; k < 4; ++k)
                crop[(static_cast<size_t>(y) * previewWidth + x) * 4 + k] =
                    image[(static_cast<size_t>(y + top) * width + x + left) * 4 + k];
        }
    }
    for (uint8_t method = 0; method < kDistortionMethodCount; ++method) {
        FilterParameters p = Effect(method, 10.0f, 12.0f, 0.0f);
        p.randomSeed = 2.0f;
        p.centerX = 10.0f;
        p.centerY = -20.0f;
        const std::vector<uint8_t> final = Render(EngineVariant::Automatic, FinalContext(width, height), p, image);
        DistortionContext preview;
        preview.bufferWidth = previewWidth;
        preview.bufferHeight = previewHeight;
        preview.areaWidth = width;
        preview.areaHeight = height;
        preview.offsetX = left;
        preview.offsetY = top;
        preview.zoom = 1.0f;
        const std::vector<uint8_t> shown = Render(EngineVariant::Automatic, preview, p, crop);
        int compared = 0;
        int equal = 0;
        for (int32_t y = margin; y < previewHeight - margin; ++y) {
            for (int32_t x = margin; x < previewWidth - margin; ++x) {
                for (int k = 0; k < 3; ++k) {
                    const int a = shown[(static_cast<size_t>(y) * previewWidth + x) * 4 + k];
                    const int b = final[(static_cast<size_t>(y + top) * width + x + left) * 4 + k];
                    ASSERT_LE(std::abs(a - b), 1) << int(method) << " at " << x << ", " << y;
                    ++compared;
                    equal += a == b;
                }
            }
        }
        EXPECT_GE(equal, compared * 95 / 100) << int(method);
    }
    ReleasePlaneScratch();
}

} // namespace
