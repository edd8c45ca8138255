// The engine's own sine, cosine and arc tangent: accurate to about one unit in the last place,
// and the same bits on every build for every input (the checksum below is checked by the Linux
// and the Windows test programs alike).
#include "EngineTestSupport.h"

#include "engine/Trig.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

using engine_test::Random;

uint32_t Bits(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Distance of `value` from `exact` in units of the float spacing at `exact`.
double UlpError(float value, double exact) {
    const float rounded = static_cast<float>(exact);
    double spacing = std::fabs(static_cast<double>(std::nextafter(rounded, std::numeric_limits<float>::infinity())) -
                               static_cast<double>(rounded));
    if (std::fabs(exact) < std::fabs(static_cast<double>(rounded))) {
        // Just below a power of two the spacing is half as large.
        spacing = std::fabs(static_cast<double>(rounded) - static_cast<double>(std::nextafter(rounded, 0.0f)));
    }
    return std::fabs(static_cast<double>(value) - exact) / spacing;
}

TEST(Trig, SineAndCosineAreWithinOneUnitInTheLastPlace) {
    Random random(5);
    const int count = engine_test::Sanitized() ? 20000 : 400000;
    double worstSine = 0.0;
    double worstCosine = 0.0;
    for (int n = 0; n < count; ++n) {
        // Slider-sized angles, noise-sized ones and the whole range up to 1e5.
        const float range = n % 3 == 0 ? 4.0f : n % 3 == 1 ? 200.0f : 1e5f;
        const float x = random.Between(-range, range);
        float sine, cosine;
        SineCosine(x, &sine, &cosine);
        worstSine = std::max(worstSine, UlpError(sine, std::sin(static_cast<double>(x))));
        worstCosine = std::max(worstCosine, UlpError(cosine, std::cos(static_cast<double>(x))));
        ASSERT_EQ(Bits(sine), Bits(Sine(x)));
        ASSERT_EQ(Bits(cosine), Bits(Cosine(x)));
    }
    EXPECT_LE(worstSine, 1.0);
    EXPECT_LE(worstCosine, 1.0);
}

TEST(Trig, ArcTangentIsWithinOneUnitInTheLastPlace) {
    Random random(6);
    const int count = engine_test::Sanitized() ? 20000 : 400000;
    double worst = 0.0;
    for (int n = 0; n < count; ++n) {
        const float range = n % 2 == 0 ? 10.0f : 3000.0f;
        const float y = random.Between(-range, range);
        const float x = n % 7 == 0 ? 0.0f : random.Between(-range, range) * (n % 5 == 0 ? 1e-4f : 1.0f);
        worst =
            std::max(worst, UlpError(ArcTangent2(y, x), std::atan2(static_cast<double>(y), static_cast<double>(x))));
    }
    EXPECT_LE(worst, 1.0);
}

TEST(Trig, SpecialArgumentsGiveTheUsualAnswers) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float pi = 3.14159265f;
    EXPECT_EQ(Bits(Sine(0.0f)), Bits(0.0f));
    EXPECT_EQ(Bits(Sine(-0.0f)), Bits(-0.0f));
    EXPECT_EQ(Cosine(0.0f), 1.0f);
    EXPECT_FLOAT_EQ(Sine(pi / 2), 1.0f);
    EXPECT_FLOAT_EQ(Cosine(pi), -1.0f);
    // Not finite: NaN, always the same one.
    for (float x : {inf, -inf, nan}) {
        EXPECT_EQ(Bits(Sine(x)), 0x7FC00000u) << x;
        EXPECT_EQ(Bits(Cosine(x)), 0x7FC00000u) << x;
    }
    // Far beyond any slider: the sine and cosine of 0.
    EXPECT_EQ(Sine(3e7f), 0.0f);
    EXPECT_EQ(Cosine(-1e30f), 1.0f);

    EXPECT_EQ(Bits(ArcTangent2(0.0f, 0.0f)), Bits(0.0f));
    EXPECT_EQ(Bits(ArcTangent2(-0.0f, 0.0f)), Bits(-0.0f));
    EXPECT_FLOAT_EQ(ArcTangent2(0.0f, -0.0f), pi);
    EXPECT_FLOAT_EQ(ArcTangent2(-0.0f, -1.0f), -pi);
    EXPECT_FLOAT_EQ(ArcTangent2(inf, inf), pi / 4);
    EXPECT_FLOAT_EQ(ArcTangent2(-inf, -inf), -3 * pi / 4);
    EXPECT_FLOAT_EQ(ArcTangent2(1.0f, -inf), pi);
    EXPECT_EQ(ArcTangent2(1.0f, inf), 0.0f);
    EXPECT_FLOAT_EQ(ArcTangent2(-inf, 5.0f), -pi / 2);
    EXPECT_EQ(Bits(ArcTangent2(nan, 1.0f)), 0x7FC00000u);
    EXPECT_EQ(Bits(ArcTangent2(1.0f, nan)), 0x7FC00000u);
}

// The polar methods measure the angle from straight above the emitter, a quarter turn to its
// left: ArcTangent2(dx, dy) with dx, dy the emitter's offset from the pixel.
TEST(Trig, PolarAngleConvention) {
    EXPECT_EQ(ArcTangent2(0.0f, 10.0f), 0.0f);               // pixel above the emitter
    EXPECT_FLOAT_EQ(ArcTangent2(10.0f, 0.0f), 1.5707964f);   // pixel to its left
    EXPECT_FLOAT_EQ(ArcTangent2(0.0f, -10.0f), 3.1415927f);  // below
    EXPECT_FLOAT_EQ(ArcTangent2(-10.0f, 0.0f), -1.5707964f); // right
}

// Every bit of the results over a sweep of the whole float range (zeros, subnormals, huge
// values, infinities, NaNs) hashes to this value on every build.
TEST(Trig, ResultsAreTheSameBitsOnEveryBuild) {
    uint64_t hash = 14695981039346656037ull;
    auto mix = [&hash](float value) {
        const uint32_t bits = Bits(value);
        for (int k = 0; k < 4; ++k) {
            hash ^= (bits >> (8 * k)) & 0xFF;
            hash *= 1099511628211ull;
        }
    };
    for (uint64_t pattern = 0; pattern < (1ull << 32); pattern += 4093 * 7) {
        float x;
        const uint32_t bits = static_cast<uint32_t>(pattern);
        std::memcpy(&x, &bits, sizeof x);
        float sine, cosine;
        SineCosine(x, &sine, &cosine);
        mix(sine);
        mix(cosine);
        mix(ArcTangent2(x, 1.5f - x));
    }
    EXPECT_EQ(hash, 3349548493842440218ull);
}

} // namespace
