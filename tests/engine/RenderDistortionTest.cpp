// The whole-buffer render: what strength 0, the transparency and the aberration do, the
// progress it reports, its memory and the extreme values presets may hold. Each behaviour is
// checked on the reference path and on the fast path that production uses.
#include "EngineTestSupport.h"

#include "platform/Platform.h"
#include "plugin/Globals.h"
#include "plugin/Progress.h"

#include <algorithm>
#include <cmath>
#include <limits>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace {

using namespace engine_test;

const uint8_t kAllMethods[] = {Turbulence, Turbulence2, Smooth, Radial, RadialSmooth, Swirl};

class Render : public ::testing::TestWithParam<EngineVariant> {
protected:
    void TearDown() override {
        ReleasePlaneScratch();
        alphaUniform = true;
    }
    std::vector<uint8_t> Run(const FilterParameters& p, const std::vector<uint8_t>& source, int32_t width,
                             int32_t height, bool* succeeded = nullptr, const RenderSettings& settings = {}) {
        return engine_test::Render(GetParam(), FinalContext(width, height), p, source, succeeded, settings);
    }
};

// Byte k of every pixel.
std::vector<uint8_t> Channel(const std::vector<uint8_t>& pixels, int k) {
    std::vector<uint8_t> channel;
    for (size_t i = static_cast<size_t>(k); i < pixels.size(); i += 4)
        channel.push_back(pixels[i]);
    return channel;
}

TEST_P(Render, StrengthZeroLeavesEveryPlaneUnchanged) {
    for (Transparency transparency : {Transparency::Opaque, Transparency::Clear, Transparency::Varying}) {
        const std::vector<uint8_t> source = RandomImage(37, 23, transparency, 3);
        for (uint8_t method : {0, 1, 2, 3, 4, 5, 7}) {
            FilterParameters p = Effect(method, 0.0f, 25.0f, 0.0f);
            p.randomSeed = 4.5f;
            p.centerX = 30.0f;
            EXPECT_EQ(Run(p, source, 37, 23), source) << int(method) << " " << int(transparency);
        }
    }
}

// With varying transparency and an aberration the colours enter the planes weighted by it and
// are not divided again; with strength 0 the join then leaves them weighted.
TEST_P(Render, WeightedColoursLeaveWeighted) {
    std::vector<uint8_t> source = {200, 100, 50, 128, 10, 20, 30, 255};
    const std::vector<uint8_t> result = Run(Effect(Swirl, 0.0f, 25.0f, 50.0f), source, 2, 1);
    const std::vector<uint8_t> expected = {100, 50, 25, 128, 10, 20, 30, 255};
    EXPECT_EQ(result, expected);
}

TEST_P(Render, OpaqueBufferKeepsItsTransparencyWhateverTheAberration) {
    const std::vector<uint8_t> source = RandomImage(41, 29, Transparency::Opaque, 4);
    for (float aberration : {0.0f, 80.0f, -150.0f}) {
        const std::vector<uint8_t> result = Run(Effect(Turbulence, 30.0f, 10.0f, aberration), source, 41, 29);
        EXPECT_EQ(Channel(result, 3), Channel(source, 3));
        EXPECT_NE(Channel(result, 0), Channel(source, 0));
    }
}

// Byte 3 zero everywhere counts as uniform: colours warp unweighted, exactly as when opaque.
TEST_P(Render, ClearBufferWarpsItsColoursUnweighted) {
    std::vector<uint8_t> clear = RandomImage(31, 17, Transparency::Clear, 5);
    std::vector<uint8_t> opaque = clear;
    for (size_t i = 3; i < opaque.size(); i += 4)
        opaque[i] = 255;
    const FilterParameters p = Effect(Radial, 45.0f, 8.0f, 60.0f);
    const std::vector<uint8_t> fromClear = Run(p, clear, 31, 17);
    const std::vector<uint8_t> fromOpaque = Run(p, opaque, 31, 17);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(Channel(fromClear, k), Channel(fromOpaque, k));
    EXPECT_EQ(Channel(fromClear, 3), Channel(clear, 3));
}

// Aberration 0: all planes turn alike, so a red plane equal to the transparency comes out equal
// to it; byte 3 is the warped transparency, not raised to the colours.
TEST_P(Render, WithoutAberrationTransparencyIsWarpedLikeTheColours) {
    std::vector<uint8_t> source = RandomImage(33, 21, Transparency::Varying, 6);
    for (size_t i = 0; i < source.size(); i += 4)
        source[i] = source[i + 3];
    const std::vector<uint8_t> result = Run(Effect(Turbulence2, 40.0f, 6.0f, 0.0f), source, 33, 21);
    EXPECT_EQ(Channel(result, 0), Channel(result, 3));
    bool greenAboveTransparency = false;
    for (size_t i = 0; i < result.size(); i += 4)
        greenAboveTransparency |= result[i + 1] > result[i + 3];
    EXPECT_TRUE(greenAboveTransparency);
}

// With an aberration, colour carried over transparent areas raises the transparency.
TEST_P(Render, WithAberrationTransparencyIsRaisedToTheColours) {
    const std::vector<uint8_t> source = RandomImage(33, 21, Transparency::Varying, 7);
    for (uint8_t method : kAllMethods) {
        const std::vector<uint8_t> result = Run(Effect(method, 60.0f, 5.0f, 120.0f), source, 33, 21);
        for (size_t i = 0; i < result.size(); i += 4)
            ASSERT_GE(result[i + 3], std::max({result[i], result[i + 1], result[i + 2]})) << int(method) << " " << i;
    }
}

// Aberration a: red is warped with (1 - a/210) value, green with value, blue with
// (1 + a/210) value, each exactly as a render of that strength without aberration.
TEST_P(Render, AberrationWarpsEachColourWithItsOwnStrength) {
    std::vector<uint8_t> source = RandomImage(29, 19, Transparency::Opaque, 8);
    for (size_t i = 0; i < source.size(); i += 4)
        source[i + 1] = source[i + 2] = source[i];
    for (uint8_t method : kAllMethods) {
        const std::vector<uint8_t> split = Run(Effect(method, 40.0f, 9.0f, 105.0f), source, 29, 19);
        const std::vector<uint8_t> weak = Run(Effect(method, 20.0f, 9.0f, 0.0f), source, 29, 19);
        const std::vector<uint8_t> strong = Run(Effect(method, 60.0f, 9.0f, 0.0f), source, 29, 19);
        const std::vector<uint8_t> plain = Run(Effect(method, 40.0f, 9.0f, 0.0f), source, 29, 19);
        EXPECT_EQ(Channel(split, 0), Channel(weak, 0)) << int(method);
        EXPECT_EQ(Channel(split, 1), Channel(plain, 1)) << int(method);
        EXPECT_EQ(Channel(split, 2), Channel(strong, 2)) << int(method);
    }
    // At 210 the red plane does not move.
    const std::vector<uint8_t> still = Run(Effect(Turbulence, 40.0f, 9.0f, 210.0f), source, 29, 19);
    EXPECT_EQ(Channel(still, 0), Channel(source, 0));
    EXPECT_NE(Channel(still, 2), Channel(source, 2));
}

TEST_P(Render, UnknownMethodsRenderAsRadial) {
    const std::vector<uint8_t> source = RandomImage(27, 25, Transparency::Varying, 9);
    FilterParameters p = Effect(Radial, 35.0f, 12.0f, 30.0f);
    p.centerX = -40.0f;
    const std::vector<uint8_t> radial = Run(p, source, 27, 25);
    for (uint8_t method : {6, 7, 9, 255}) {
        p.method = method;
        EXPECT_EQ(Run(p, source, 27, 25), radial) << int(method);
    }
}

// Size 0: frequency 0, so one noise value for the whole plane: the seed no longer matters.
TEST_P(Render, SizeZeroGivesOneNoiseValueForThePlane) {
    const std::vector<uint8_t> source = RandomImage(26, 18, Transparency::Opaque, 10);
    for (uint8_t method : kAllMethods) {
        FilterParameters p = Effect(method, 50.0f, 0.0f, 0.0f);
        const std::vector<uint8_t> seedZero = Run(p, source, 26, 18);
        p.randomSeed = 12.5f;
        p.proportion = -70.0f;
        EXPECT_EQ(Run(p, source, 26, 18), seedZero) << int(method);
    }
}

// ... and so one displacement: Turbulence 2 (the method whose noise is not near 0 at the origin)
// moves a ramp by the same amount everywhere, and where the displaced position leaves the buffer
// the pixel keeps its own value.
TEST_P(Render, SizeZeroMovesThePlaneAsAWhole) {
    const int32_t width = 64;
    const int32_t height = 48;
    std::vector<uint8_t> source(static_cast<size_t>(width) * height * 4);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* pixel = &source[(static_cast<size_t>(y) * width + x) * 4];
            pixel[0] = static_cast<uint8_t>(3 * x);
            pixel[1] = static_cast<uint8_t>(4 * y);
            pixel[2] = 0;
            pixel[3] = 255;
        }
    }
    const std::vector<uint8_t> result = Run(Effect(Turbulence2, 40.0f, 0.0f, 0.0f), source, width, height);
    int lowest = 1000;
    int highest = -1000;
    int unchanged = 0;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const size_t i = (static_cast<size_t>(y) * width + x) * 4;
            const int shift = result[i] - source[i];
            if (shift == 0) {
                ++unchanged; // the pixel's own column (the move leaves the buffer)
                continue;
            }
            lowest = std::min(lowest, shift);
            highest = std::max(highest, shift);
        }
    }
    EXPECT_GT(unchanged, 0);
    EXPECT_LT(unchanged, width * height);
    EXPECT_LE(highest - lowest, 1) << "the columns moved by different amounts";
}

TEST_P(Render, ProgressGoesFiveToNinetyFiveThenZero) {
    ProgressLog log;
    const std::vector<uint8_t> source = RandomImage(150, 140, Transparency::Varying, 11);
    bool succeeded = false;
    Run(Effect(Swirl, 25.0f, 25.0f, 40.0f), source, 150, 140, &succeeded, log.settings());
    EXPECT_TRUE(succeeded);
    EXPECT_EQ(ProgressLog::Calls(), (std::vector<int32_t>{5, 30, 55, 80, 95, 0}));

    ProgressLog::Calls().clear();
    Run(Effect(Turbulence, 25.0f), RandomImage(1, 1, Transparency::Opaque, 1), 1, 1, nullptr, log.settings());
    EXPECT_EQ(ProgressLog::Calls(), (std::vector<int32_t>{5, 30, 55, 80, 95, 0}));
}

TEST_P(Render, MissingMemoryLeavesAnUnchangedCopyAndSaysSo) {
    ProgressLog log;
    ReleasePlaneScratch();
    const size_t pagesBefore = platform::PagesInUse();
    const std::vector<uint8_t> source = RandomImage(40, 30, Transparency::Opaque, 12);
    bool succeeded = true;
    platform::FailNextPageAllocations(1);
    EXPECT_EQ(Run(Effect(Turbulence, 50.0f), source, 40, 30, &succeeded, log.settings()), source);
    EXPECT_FALSE(succeeded);
    EXPECT_TRUE(ProgressLog::Calls().empty());
    // The next render tries again and succeeds; releasing gives every page back.
    EXPECT_NE(Run(Effect(Turbulence, 50.0f), source, 40, 30, &succeeded), source);
    EXPECT_TRUE(succeeded);
    EXPECT_GT(platform::PagesInUse(), pagesBefore);
    ReleasePlaneScratch();
    EXPECT_EQ(platform::PagesInUse(), pagesBefore);
}

// Straight from the host's rows: without scratch memory nothing is written and nothing reported.
TEST(RenderHostRows, MissingMemoryWritesNothing) {
    ProgressLog log;
    ReleasePlaneScratch();
    const std::vector<uint8_t> input(30 * 20 * 3, 77);
    std::vector<uint8_t> output(input.size(), 5);
    const HostRows rows{input.data(), 30 * 3, output.data(), 30 * 3, 3};
    DistortionContext context = FinalContext(30, 20);
    platform::FailNextPageAllocations(1);
    EXPECT_FALSE(RenderHostRows(context, Effect(Turbulence, 50.0f), rows, log.settings()));
    EXPECT_EQ(output, std::vector<uint8_t>(input.size(), 5));
    EXPECT_TRUE(ProgressLog::Calls().empty());
    EXPECT_TRUE(RenderHostRows(context, Effect(Turbulence, 50.0f), rows, log.settings()));
    EXPECT_EQ(ProgressLog::Calls(), (std::vector<int32_t>{5, 30, 55, 80, 95, 0}));
    ReleasePlaneScratch();
}

TEST_P(Render, EmptyAndSinglePixelBuffers) {
    for (int32_t width : {0, -3, 5}) {
        for (int32_t height : {0, 4}) {
            if (width > 0 && height > 0)
                continue;
            DistortionContext context = FinalContext(width, height);
            ForceEngineVariant(GetParam());
            EXPECT_TRUE(RenderDistortion(context, Effect(Swirl, 30.0f), static_cast<const uint8_t*>(nullptr),
                                         static_cast<uint8_t*>(nullptr)));
            ForceEngineVariant(EngineVariant::Automatic);
        }
    }
    // One pixel has no neighbour to take a value from.
    const std::vector<uint8_t> single = {9, 8, 7, 200};
    for (uint8_t method : kAllMethods)
        EXPECT_EQ(Run(Effect(method, 300.0f, 1.0f, 90.0f), single, 1, 1), (std::vector<uint8_t>{9, 8, 7, 200}));
}

// Presets and descriptors can hold anything: the render finishes, and where the strength itself
// is not finite every turned position is, so every pixel keeps its place.
TEST_P(Render, ExtremeValuesFinish) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<uint8_t> source = RandomImage(19, 13, Transparency::Opaque, 13);
    for (uint8_t method : kAllMethods) {
        for (float value : {nan, inf, -inf})
            EXPECT_EQ(Run(Effect(method, value), source, 19, 13), source) << int(method) << " " << value;
        for (float extreme : {1e30f, -1e30f, inf, nan}) {
            FilterParameters p = Effect(method, 1e30f, extreme, extreme);
            p.randomSeed = extreme;
            p.proportion = extreme;
            p.centerX = extreme;
            p.centerY = -extreme;
            bool succeeded = false;
            Run(p, source, 19, 13, &succeeded);
            EXPECT_TRUE(succeeded);
            p.value = 25.0f;
            Run(p, source, 19, 13, &succeeded);
            EXPECT_TRUE(succeeded);
        }
    }
}

TEST_P(Render, ContextKeepsTheLastPlanesValues) {
    const std::vector<uint8_t> opaque = RandomImage(8, 8, Transparency::Opaque, 14);
    std::vector<uint8_t> destination(opaque.size());
    FilterParameters p = Effect(Turbulence, 40.0f, 20.0f, 105.0f);
    p.proportion = -30.0f;
    DistortionContext context = FinalContext(8, 8);
    ForceEngineVariant(GetParam());
    ASSERT_TRUE(RenderDistortion(context, p, opaque.data(), destination.data()));
    EXPECT_EQ(context.frequency, 0.5f / 20.0f);
    EXPECT_EQ(context.proportionFactor, -30.0f / 100.0f);
    EXPECT_EQ(context.strength, 60.0f); // the blue plane's: the transparency was copied
    const std::vector<uint8_t> varying = RandomImage(8, 8, Transparency::Varying, 14);
    p.size = 0.0f;
    ASSERT_TRUE(RenderDistortion(context, p, varying.data(), destination.data()));
    EXPECT_EQ(context.frequency, 0.0f);
    EXPECT_EQ(context.strength, 40.0f); // the transparency plane's
    ForceEngineVariant(EngineVariant::Automatic);
}

// In the dialog the flag comes from the dialog's first buffer: the render does not look at its
// source, and the plug-in's progress goes to the dialog, never to the host.
TEST_P(Render, DialogRendersUseTheDialogsTransparencyFlag) {
    static int hostReports = 0;
    hostReports = 0;
    FilterRecord record{};
    record.progressProc = [](int32_t, int32_t) { ++hostReports; };
    record.planes = 4;
    gFilterRecord = &record;
    dialogActive = true;
    const std::vector<uint8_t> varying = RandomImage(24, 24, Transparency::Varying, 15);
    DetectUniformAlpha(varying.data(), 1, 1, 4, 3); // the first pixel alone: uniform
    ASSERT_TRUE(alphaUniform);
    RenderSettings dialogRender;
    dialogRender.examineTransparency = false;
    dialogRender.progress = &ReportProgress;
    const std::vector<uint8_t> result =
        Run(Effect(Turbulence, 50.0f, 10.0f, 80.0f), varying, 24, 24, nullptr, dialogRender);
    dialogActive = false;
    gFilterRecord = nullptr;
    EXPECT_EQ(Channel(result, 3), Channel(varying, 3)); // copied, not warped
    EXPECT_EQ(hostReports, 0);
}

#if defined(__SSE__)
// Image editors often run with subnormal numbers flushed to zero; the noise meets subnormal
// numbers (corners barely in reach), so the render sets its own mode and gives the host's back.
TEST_P(Render, HostsFloatModeChangesNothing) {
    const std::vector<uint8_t> source = RandomImage(160, 120, Transparency::Varying, 18);
    std::vector<std::vector<uint8_t>> expected;
    for (uint8_t method : kAllMethods)
        expected.push_back(Run(Effect(method, 45.0f, 7.0f, 30.0f), source, 160, 120));
    const unsigned int saved = _mm_getcsr();
    const unsigned int flushing = (saved | 0x8040u) & ~0x6000u; // flush to zero, denormals are zero
    _mm_setcsr(flushing | 0x6000u);                             // and round toward zero
    std::vector<std::vector<uint8_t>> flushed;
    for (uint8_t method : kAllMethods)
        flushed.push_back(Run(Effect(method, 45.0f, 7.0f, 30.0f), source, 160, 120));
    const unsigned int after = _mm_getcsr();
    _mm_setcsr(saved);
    EXPECT_EQ(after & ~0x3Fu, (flushing | 0x6000u) & ~0x3Fu);
    EXPECT_EQ(flushed, expected);
}
#endif

INSTANTIATE_TEST_SUITE_P(Engine, Render, ::testing::Values(EngineVariant::Reference, EngineVariant::Automatic),
                         [](const ::testing::TestParamInfo<EngineVariant>& info) {
                             return info.param == EngineVariant::Reference ? std::string("Reference")
                                                                           : std::string("Fast");
                         });

TEST(DetectUniformAlpha, DecidesFromThePlanesAndTheBytes) {
    const std::vector<uint8_t> varying = RandomImage(5, 4, Transparency::Varying, 16);
    std::vector<uint8_t> constant = varying;
    for (size_t i = 3; i < constant.size(); i += 4)
        constant[i] = 77;
    DetectUniformAlpha(varying.data(), 5, 4, 4, 4); // CMYK without transparency: not even looked at
    EXPECT_TRUE(alphaUniform);
    DetectUniformAlpha(varying.data(), 5, 4, 5, 4);
    EXPECT_FALSE(alphaUniform);
    DetectUniformAlpha(varying.data(), 5, 4, 3, 3); // RGB without transparency
    EXPECT_TRUE(alphaUniform);
    DetectUniformAlpha(varying.data(), 5, 4, 4, 3);
    EXPECT_FALSE(alphaUniform);
    DetectUniformAlpha(constant.data(), 5, 4, 4, 3);
    EXPECT_TRUE(alphaUniform);
    DetectUniformAlpha(varying.data(), 0, 4, 4, 3); // empty
    EXPECT_TRUE(alphaUniform);
}

// Outside the dialog the render decides for itself, from what the host says the document has.
TEST(DetectUniformAlpha, FinalRenderAsksTheHostsPlaneCount) {
    const std::vector<uint8_t> varying = RandomImage(16, 16, Transparency::Varying, 17);
    {
        ProgressLog log(3); // RGB without a transparency plane
        const std::vector<uint8_t> result =
            engine_test::Render(EngineVariant::Automatic, FinalContext(16, 16), Effect(Smooth, 40.0f, 4.0f), varying,
                                nullptr, log.settings());
        EXPECT_TRUE(alphaUniform);
        EXPECT_EQ(Channel(result, 3), Channel(varying, 3));
    }
    {
        ProgressLog log(4);
        engine_test::Render(EngineVariant::Automatic, FinalContext(16, 16), Effect(Smooth, 40.0f, 4.0f), varying,
                            nullptr, log.settings());
        EXPECT_FALSE(alphaUniform);
    }
    ReleasePlaneScratch();
    alphaUniform = true;
}

} // namespace
