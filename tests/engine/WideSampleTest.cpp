// Planes and buffers of 16-bit samples (the host's 0..32768): the fast path against the
// reference, and the positions and weights of 8-bit planes.
#include "EngineTestSupport.h"

#include "engine/FastRender.h"
#include "engine/FastWarp.h"
#include "engine/RenderDistortion.h"
#include "engine/Warp.h"

#include <string>

namespace {

using namespace engine_test;

struct Planes16 {
    std::vector<uint16_t> samples; // four planes, then padding
    size_t planeSize;
    uint16_t* plane(int k) { return samples.data() + size_t(k) * planeSize; }
};

Planes16 MakePlanes(size_t planeSize) {
    Planes16 planes;
    planes.planeSize = planeSize;
    planes.samples.assign(4 * planeSize + kSourcePadding, 0);
    return planes;
}

// The frame of a render: frequency and proportion from the parameters, each plane's strength.
void Prepare(DistortionContext* context, const FilterParameters& p, float strengths[4]) {
    context->frequency = p.size == 0.0f ? 0.0f : 0.5f / p.size;
    context->proportionFactor = p.proportion / 100.0f;
    const float b = p.aberration / 210.0f;
    strengths[0] = (1.0f - b) * p.value;
    strengths[1] = p.value;
    strengths[2] = (1.0f + b) * p.value;
    strengths[3] = p.value;
}

// The reference: each plane on its own with its strength.
Planes16 Reference(DistortionContext context, const FilterParameters& p, Planes16& source) {
    float strengths[4];
    Prepare(&context, p, strengths);
    Planes16 result = MakePlanes(source.planeSize);
    for (int k = 0; k < 4; ++k) {
        context.strength = strengths[k];
        WarpPlane(context, p, source.plane(k), result.plane(k));
    }
    return result;
}

Planes16 Fast(EngineVariant variant, DistortionContext context, const FilterParameters& p, Planes16& source) {
    float strengths[4];
    Prepare(&context, p, strengths);
    Planes16 result = MakePlanes(source.planeSize);
    std::fill(result.samples.begin(), result.samples.end(), uint16_t(0x5A5A)); // nothing left unwritten
    WarpPlanesFast(context, p, strengths, true, reinterpret_cast<const uint8_t*>(source.samples.data()),
                   reinterpret_cast<uint8_t*>(result.samples.data()), variant, nullptr, true, 2);
    return result;
}

TEST(WideSamples, EveryFastVariantMatchesTheReference) {
    const uint64_t generatorSeed = 1616;
    Random random(generatorSeed);
    const int cases = Sanitized() ? 12 : 120;
    for (int n = 0; n < cases; ++n) {
        const int32_t width = 1 + random.Below(70), height = 1 + random.Below(40);
        Planes16 source = MakePlanes(size_t(width) * size_t(height));
        for (size_t i = 0; i < 4 * source.planeSize; ++i)
            source.samples[i] = uint16_t(random.Below(8) == 0 ? 32768 : random.Below(32769));
        FilterParameters p = Effect(uint8_t(n % 6), random.Float(-150.0f, 150.0f), random.Float(0.5f, 80.0f),
                                    random.Float(-210.0f, 210.0f));
        p.randomSeed = random.Float(0.0f, 1000.0f);
        p.proportion = random.Float(-200.0f, 200.0f);
        p.centerX = random.Float(-150.0f, 150.0f);
        p.centerY = random.Float(-150.0f, 150.0f);
        DistortionContext context = FinalContext(width, height);
        if (n % 4 == 3) {
            context.zoom = float(1 + random.Below(5));
            context.areaWidth = width * 4;
            context.areaHeight = height * 3;
            context.offsetX = random.Below(30);
            context.offsetY = random.Below(30);
        }
        const Planes16 expected = Reference(context, p, source);
        for (EngineVariant variant : FastVariants()) {
            const Planes16 actual = Fast(variant, context, p, source);
            ASSERT_TRUE(std::equal(expected.samples.begin(), expected.samples.begin() + 4 * source.planeSize,
                                   actual.samples.begin()))
                << EngineVariantName(variant) << ", case " << n << " of generator seed " << generatorSeed << ", "
                << width << "x" << height << " method " << int(p.method);
        }
    }
}

// A 16-bit plane takes its value from the 8-bit plane's positions with its weights: samples 128
// times the bytes give 128 times the result, to the last truncated bit.
TEST(WideSamples, SamePositionsAndWeightsAsBytes) {
    Random random(88);
    for (uint8_t method = 0; method < kDistortionMethodCount; ++method) {
        const int32_t width = 53, height = 31;
        const std::vector<uint8_t> bytes = RandomImage(width, height, Transparency::Varying, method + 7u);
        std::vector<uint8_t> plane8(bytes.begin(), bytes.begin() + width * height);
        std::vector<uint16_t> plane16(plane8.size());
        for (size_t i = 0; i < plane8.size(); ++i)
            plane16[i] = uint16_t(plane8[i] * 128);
        FilterParameters p = Effect(method, random.Float(20.0f, 90.0f), random.Float(3.0f, 30.0f));
        p.randomSeed = random.Float(0.0f, 50.0f);
        DistortionContext context = FinalContext(width, height);
        context.frequency = 0.5f / p.size;
        context.strength = p.value;
        std::vector<uint8_t> warped8(plane8.size());
        std::vector<uint16_t> warped16(plane16.size());
        WarpPlane(context, p, plane8.data(), warped8.data());
        WarpPlane(context, p, plane16.data(), warped16.data());
        int moved = 0;
        for (size_t i = 0; i < warped8.size(); ++i) {
            ASSERT_EQ(warped16[i] / 128, warped8[i]) << "method " << int(method) << " pixel " << i;
            moved += warped8[i] != plane8[i];
        }
        EXPECT_GT(moved, int(warped8.size()) / 4) << "the effect moved too little to tell";
    }
}

// 16-bit pixels (four samples of 0..32768) like RandomImage's bytes: transparency opaque,
// clear or varying.
std::vector<uint16_t> RandomWideImage(int32_t width, int32_t height, Transparency transparency, uint64_t seed) {
    const std::vector<uint8_t> bytes = RandomImage(width, height, transparency, seed);
    Random random(seed + 1);
    std::vector<uint16_t> samples(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i)
        samples[i] = bytes[i] == 255 ? uint16_t(32768) : uint16_t(bytes[i] * 128 + random.Below(128));
    return samples;
}

std::vector<uint16_t> RenderWide(EngineVariant variant, DistortionContext context, const FilterParameters& p,
                                 const std::vector<uint16_t>& source) {
    FillPlaneScratch(0x5A);
    ForceEngineVariant(variant);
    std::vector<uint16_t> destination(source.size(), 0xCDCD);
    EXPECT_TRUE(RenderDistortion(context, p, source.data(), destination.data()));
    ForceEngineVariant(EngineVariant::Automatic);
    return destination;
}

// Whole 16-bit buffers: split (weighted by transparency where the aberration needs it), warp and
// join agree between the reference and every fast variant; strength 0 gives the buffer back.
TEST(WideSamples, WholeBuffersAgreeAndStrengthZeroGivesThemBack) {
    const uint64_t generatorSeed = 4242;
    Random random(generatorSeed);
    for (int n = 0; n < (Sanitized() ? 8 : 60); ++n) {
        const int32_t width = 1 + random.Below(60), height = 1 + random.Below(30);
        const Transparency transparency = static_cast<Transparency>(random.Below(3));
        const std::vector<uint16_t> source = RandomWideImage(width, height, transparency, random.Next());
        FilterParameters p = Effect(uint8_t(n % 6), random.Float(-120.0f, 120.0f), random.Float(1.0f, 50.0f),
                                    n % 2 == 0 ? 0.0f : random.Float(-210.0f, 210.0f));
        p.randomSeed = random.Float(0.0f, 100.0f);
        const DistortionContext context = FinalContext(width, height);
        const std::vector<uint16_t> expected = RenderWide(EngineVariant::Reference, context, p, source);
        for (EngineVariant variant : FastVariants())
            ASSERT_EQ(RenderWide(variant, context, p, source), expected)
                << EngineVariantName(variant) << ", case " << n << " of generator seed " << generatorSeed;
        FilterParameters still = p;
        still.value = 0.0f;
        still.aberration = 0.0f;
        EXPECT_EQ(RenderWide(EngineVariant::Automatic, context, still, source), source) << "case " << n;
    }
    ReleasePlaneScratch();
}

// Without the aberration's weighting, a 16-bit buffer of 128 times the bytes renders to 128 times
// the 8-bit result (truncated alike): the same positions and weights for every plane,
// transparency included.
TEST(WideSamples, WholeBuffersFollowTheBytes) {
    for (Transparency transparency : {Transparency::Opaque, Transparency::Varying}) {
        const std::vector<uint8_t> bytes = RandomImage(45, 28, transparency, 31);
        std::vector<uint16_t> samples(bytes.begin(), bytes.end());
        for (uint16_t& sample : samples)
            sample = uint16_t(sample * 128);
        for (uint8_t method = 0; method < kDistortionMethodCount; ++method) {
            const FilterParameters p = Effect(method, 45.0f, 9.0f);
            const std::vector<uint8_t> rendered = Render(EngineVariant::Automatic, FinalContext(45, 28), p, bytes);
            const std::vector<uint16_t> wide = RenderWide(EngineVariant::Automatic, FinalContext(45, 28), p, samples);
            for (size_t i = 0; i < rendered.size(); ++i)
                ASSERT_EQ(wide[i] / 128, rendered[i]) << "method " << int(method) << " sample " << i;
        }
    }
    ReleasePlaneScratch();
}

} // namespace
