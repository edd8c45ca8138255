// Choosing the code that computes the distortion: forced by the tests and the benchmark, by
// VORTIFLUX_ENGINE from outside, otherwise the best the processor has.
#include "EngineTestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void SetEngineEnvironment(const char* value) {
#ifdef _WIN32
    _putenv((std::string("VORTIFLUX_ENGINE=") + (value != nullptr ? value : "")).c_str());
#else
    if (value != nullptr)
        setenv("VORTIFLUX_ENGINE", value, 1);
    else
        unsetenv("VORTIFLUX_ENGINE");
#endif
}

EngineVariant Best() {
    return EngineVariantAvailable(EngineVariant::Avx2) ? EngineVariant::Avx2 : EngineVariant::Sse2;
}

TEST(EngineVariant, ForcedEnvironmentOrBest) {
    std::string available;
    for (EngineVariant variant : engine_test::FastVariants())
        available += std::string(" ") + EngineVariantName(variant);
    std::printf("fast variants on this processor:%s\n", available.c_str());

    const char* saved = std::getenv("VORTIFLUX_ENGINE");
    const std::string savedValue = saved != nullptr ? saved : "";
    SetEngineEnvironment(nullptr);
    ForceEngineVariant(EngineVariant::Automatic);
    EXPECT_EQ(ActiveEngineVariant(), Best());
    for (EngineVariant variant : {EngineVariant::Reference, EngineVariant::Scalar, EngineVariant::Sse2}) {
        ForceEngineVariant(variant);
        EXPECT_EQ(ActiveEngineVariant(), variant);
    }
    ForceEngineVariant(EngineVariant::Avx2);
    EXPECT_EQ(ActiveEngineVariant(), Best());

    ForceEngineVariant(EngineVariant::Automatic);
    SetEngineEnvironment("scalar");
    EXPECT_EQ(ActiveEngineVariant(), EngineVariant::Scalar);
    SetEngineEnvironment("reference");
    EXPECT_EQ(ActiveEngineVariant(), EngineVariant::Reference);
    ForceEngineVariant(EngineVariant::Sse2); // forcing wins over the environment
    EXPECT_EQ(ActiveEngineVariant(), EngineVariant::Sse2);
    ForceEngineVariant(EngineVariant::Automatic);
    SetEngineEnvironment("fastest please"); // unknown names are ignored
    EXPECT_EQ(ActiveEngineVariant(), Best());

    SetEngineEnvironment(saved != nullptr ? savedValue.c_str() : nullptr);
}

} // namespace
