// A fixed set of renders hashes to the same value on every build: a preset or a recorded
// action gives the same picture on Linux and on Windows, with every variant of the engine.
#include "EngineTestSupport.h"

namespace {

using namespace engine_test;

uint64_t HashOfFixedRenders(EngineVariant variant) {
    uint64_t hash = 0;
    for (uint8_t method = 0; method < kDistortionMethodCount; ++method) {
        const Transparency transparency = method % 2 == 0 ? Transparency::Varying : Transparency::Opaque;
        const std::vector<uint8_t> source = RandomImage(61, 47, transparency, 100 + method);
        FilterParameters p = Effect(method, method % 3 == 0 ? -35.0f : 45.0f, 14.0f, method < 3 ? 40.0f : -25.0f);
        p.randomSeed = 3.5f;
        p.proportion = method % 2 == 0 ? 25.0f : -60.0f;
        p.centerX = 30.0f;
        p.centerY = -15.0f;
        DistortionContext context = FinalContext(61, 47);
        if (method >= 3) {
            // The preview of a larger area, zoomed out and scrolled.
            context.areaWidth = 400;
            context.areaHeight = 300;
            context.zoom = 2.0f;
            context.offsetX = 70;
            context.offsetY = 35;
        }
        hash = hash * 31 + Fnv1a(Render(variant, context, p, source));
    }
    ReleasePlaneScratch();
    return hash;
}

TEST(RenderChecksum, FixedRendersAreTheSameOnEveryBuild) {
    EXPECT_EQ(HashOfFixedRenders(EngineVariant::Reference), 8472675325560643289ull);
    for (EngineVariant variant : FastVariants())
        EXPECT_EQ(HashOfFixedRenders(variant), 8472675325560643289ull) << EngineVariantName(variant);
}

} // namespace
