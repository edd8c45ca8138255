#include "engine/EngineVariant.h"

namespace {

EngineVariant forcedVariant = EngineVariant::Automatic;

EngineVariant BestVariant() {
    return EngineVariantAvailable(EngineVariant::Avx2) ? EngineVariant::Avx2 : EngineVariant::Sse2;
}

} // namespace

void ForceEngineVariant(EngineVariant variant) {
    forcedVariant = variant;
}

EngineVariant ActiveEngineVariant() {
    EngineVariant variant = forcedVariant;
    if (variant == EngineVariant::Automatic || !EngineVariantAvailable(variant))
        variant = BestVariant();
    return variant;
}

bool EngineVariantAvailable(EngineVariant variant) {
    switch (variant) {
    case EngineVariant::Reference:
    case EngineVariant::Scalar:
    case EngineVariant::Sse2:
        return true;
    case EngineVariant::Avx2:
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2");
    case EngineVariant::Automatic:
        break;
    }
    return false;
}

const char* EngineVariantName(EngineVariant variant) {
    switch (variant) {
    case EngineVariant::Automatic:
        return "automatic";
    case EngineVariant::Reference:
        return "reference";
    case EngineVariant::Scalar:
        return "scalar";
    case EngineVariant::Sse2:
        return "sse2";
    case EngineVariant::Avx2:
        return "avx2";
    }
    return "unknown";
}
