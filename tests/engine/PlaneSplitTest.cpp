// The split of 4-byte pixels into planes and the join back, against the per-pixel rule, on
// ranges that start and end anywhere.
#include "EngineTestSupport.h"

#include "engine/PlaneSplit.h"

namespace {

using engine_test::Random;

TEST(PlaneSplit, SplitFollowsThePerPixelRule) {
    Random random(11);
    for (size_t pixels : {size_t{1}, size_t{15}, size_t{16}, size_t{17}, size_t{64}, size_t{101}}) {
        std::vector<uint8_t> source(pixels * 4);
        for (uint8_t& byte : source)
            byte = static_cast<uint8_t>(random.Next());
        for (bool weighted : {false, true}) {
            const size_t begin = pixels > 3 ? 3 : 0;
            std::vector<uint8_t> planes(pixels * 4, 0xEE);
            SplitPlanes(source.data(), planes.data(), pixels, begin, pixels, weighted);
            for (size_t i = 0; i < pixels; ++i) {
                const uint8_t* pixel = &source[4 * i];
                const float a = static_cast<float>(pixel[3]) / 255.0f;
                for (int k = 0; k < 4; ++k) {
                    int expected = pixel[k];
                    if (weighted && k < 3)
                        expected = static_cast<int>(static_cast<float>(pixel[k]) * a);
                    if (i < begin)
                        expected = 0xEE;
                    ASSERT_EQ(planes[k * pixels + i], expected) << pixels << " " << weighted << " " << i << " " << k;
                }
            }
        }
    }
}

TEST(PlaneSplit, WeightingExample) {
    // (200, 100, 50, 128): 128/255 of each colour, truncated.
    const uint8_t pixel[4] = {200, 100, 50, 128};
    uint8_t planes[4];
    SplitPlanes(pixel, planes, 1, 0, 1, true);
    EXPECT_EQ(planes[0], 100);
    EXPECT_EQ(planes[1], 50);
    EXPECT_EQ(planes[2], 25);
    EXPECT_EQ(planes[3], 128);
}

TEST(PlaneSplit, JoinFollowsThePerPixelRule) {
    Random random(12);
    for (size_t pixels : {size_t{1}, size_t{16}, size_t{33}, size_t{80}}) {
        std::vector<uint8_t> planes(pixels * 4);
        for (uint8_t& byte : planes)
            byte = static_cast<uint8_t>(random.Next());
        for (bool raise : {false, true}) {
            std::vector<uint8_t> pixelsOut(pixels * 4, 0xEE);
            JoinPlanes(planes.data(), pixels, pixelsOut.data(), 0, pixels, raise);
            for (size_t i = 0; i < pixels; ++i) {
                uint8_t alpha = planes[3 * pixels + i];
                for (int k = 0; k < 3; ++k) {
                    ASSERT_EQ(pixelsOut[4 * i + k], planes[k * pixels + i]);
                    if (raise)
                        alpha = std::max(alpha, planes[k * pixels + i]);
                }
                ASSERT_EQ(pixelsOut[4 * i + 3], alpha) << pixels << " " << raise << " " << i;
            }
        }
    }
}

} // namespace
