#pragma once
// Which code computes the distortion. The reference path is the plain one-plane-at-a-time warp;
// the fast variants compute the same bytes with shared noise, worker threads and, where the
// processor has them, vector instructions. Production uses the best fast variant; tests and the
// benchmark force each one in turn.

enum class EngineVariant {
    Automatic, // the best the processor supports
    Reference,
    Scalar,
    Sse2,
    Avx2,
};

// Makes the following renders use `variant` (Automatic returns to the default choice). A variant
// the processor lacks falls back to the best one it has.
void ForceEngineVariant(EngineVariant variant);

// The variant the next render uses (never Automatic).
EngineVariant ActiveEngineVariant();

// Whether this processor can run `variant`.
bool EngineVariantAvailable(EngineVariant variant);

// "reference", "scalar", "sse2", "avx2" ("automatic" for Automatic).
const char* EngineVariantName(EngineVariant variant);
