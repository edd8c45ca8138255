// Choosing the code that computes the distortion: forced by the tests and the benchmark,
// otherwise the best the processor has.
#include "EngineTestSupport.h"

#include <cstdio>
#include <string>

namespace {

TEST(EngineVariant, ForcedOrTheWidestTheProcessorHas) {
    std::string available;
    for (EngineVariant variant : engine_test::FastVariants())
        available += std::string(" ") + EngineVariantName(variant);
    std::printf("fast variants on this processor:%s\n", available.c_str());

    // Production runs the vector variant of the widest registers the processor has: every
    // processor of this architecture has SSE2, so neither the reference nor plain scalar code.
    ForceEngineVariant(EngineVariant::Automatic);
    const EngineVariant automatic = ActiveEngineVariant();
    EXPECT_TRUE(EngineVariantAvailable(automatic));
    EXPECT_TRUE(automatic == EngineVariant::Sse2 || automatic == EngineVariant::Avx2) << EngineVariantName(automatic);
    EXPECT_EQ(automatic == EngineVariant::Avx2, EngineVariantAvailable(EngineVariant::Avx2));

    for (EngineVariant variant : {EngineVariant::Reference, EngineVariant::Scalar, EngineVariant::Sse2}) {
        ForceEngineVariant(variant);
        EXPECT_EQ(ActiveEngineVariant(), variant);
    }
    // A variant the processor lacks falls back to one it has.
    ForceEngineVariant(EngineVariant::Avx2);
    EXPECT_TRUE(EngineVariantAvailable(ActiveEngineVariant()));
    ForceEngineVariant(EngineVariant::Automatic);
    EXPECT_EQ(ActiveEngineVariant(), automatic);
}

} // namespace
