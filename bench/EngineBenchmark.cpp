// Megapixels per second of the reference path and the fast path, measured in the same run on the
// same buffer, for every method in four cases (opaque or varying transparency, aberration 0 or
// 50; value 25, size 25); and the fast path on the same picture in 16-bit samples, with its
// speed as a share of the 8-bit speed.
//
//   build/native/bench/vortiflux_engine_bench [--size N] [--repeat N] [--method M] [--fast-only]
//                                             [--variant scalar|sse2|avx2]
//
// The fast path is the best variant of the processor, or the one --variant names.
#include "engine/DistortionContext.h"
#include "engine/EngineVariant.h"
#include "engine/FilterParameters.h"
#include "engine/RenderDistortion.h"
#include "platform/Platform.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const kMethodNames[kDistortionMethodCount] = {"Turbulence", "Turbulence 2",  "Smooth",
                                                          "Radial",     "Radial Smooth", "Swirl"};

// A photograph-like picture: smooth gradients with some texture, and byte 3 either 255 or a
// soft vignette that varies over the whole buffer.
std::vector<uint8_t> TestPicture(int32_t size, bool varyingTransparency) {
    std::vector<uint8_t> pixels(static_cast<size_t>(size) * static_cast<size_t>(size) * 4);
    uint32_t noise = 12345;
    for (int32_t y = 0; y < size; ++y) {
        for (int32_t x = 0; x < size; ++x) {
            noise = noise * 1664525u + 1013904223u;
            uint8_t* pixel = &pixels[(static_cast<size_t>(y) * static_cast<size_t>(size) + static_cast<size_t>(x)) * 4];
            pixel[0] = static_cast<uint8_t>(x * 255 / size);
            pixel[1] = static_cast<uint8_t>(y * 255 / size);
            pixel[2] = static_cast<uint8_t>(((x / 32 + y / 32) % 2) * 128 + (noise >> 27));
            if (varyingTransparency) {
                const int dx = x - size / 2;
                const int dy = y - size / 2;
                const long long distance = static_cast<long long>(dx) * dx + static_cast<long long>(dy) * dy;
                const long long limit = static_cast<long long>(size) * size / 4;
                pixel[3] = static_cast<uint8_t>(distance >= limit ? 0 : 255 - 255 * distance / limit);
            } else {
                pixel[3] = 255;
            }
        }
    }
    return pixels;
}

// The same picture in 16-bit samples (0..32768).
std::vector<uint16_t> Widened(const std::vector<uint8_t>& bytes) {
    std::vector<uint16_t> samples(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i)
        samples[i] = bytes[i] == 255 ? uint16_t(32768) : uint16_t(bytes[i] * 128);
    return samples;
}

template <class Sample>
double SecondsOfOneRender(EngineVariant variant, int32_t size, const FilterParameters& parameters,
                          const std::vector<Sample>& source, std::vector<Sample>& destination) {
    DistortionContext context;
    context.bufferWidth = size;
    context.bufferHeight = size;
    context.areaWidth = size;
    context.areaHeight = size;
    ForceEngineVariant(variant);
    const auto start = std::chrono::steady_clock::now();
    if (!RenderDistortion(context, parameters, source.data(), destination.data())) {
        std::fprintf(stderr, "render failed: not enough memory\n");
        std::exit(1);
    }
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(end - start).count();
}

// The best of `repeat` renders (the least disturbed by the rest of the machine).
template <class Sample>
double BestSeconds(EngineVariant variant, int repeat, int32_t size, const FilterParameters& parameters,
                   const std::vector<Sample>& source, std::vector<Sample>& destination) {
    double best = 0.0;
    for (int k = 0; k < repeat; ++k) {
        const double seconds = SecondsOfOneRender(variant, size, parameters, source, destination);
        if (k == 0 || seconds < best)
            best = seconds;
    }
    return best;
}

bool VariantNamed(const char* name, EngineVariant* variant) {
    for (EngineVariant candidate : {EngineVariant::Scalar, EngineVariant::Sse2, EngineVariant::Avx2}) {
        if (std::strcmp(name, EngineVariantName(candidate)) == 0) {
            *variant = candidate;
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    int32_t size = 2048;
    int repeat = 5;
    int onlyMethod = -1;
    bool fastOnly = false; // for profiling the fast path
    EngineVariant chosen = EngineVariant::Automatic;
    for (int k = 1; k < argc; ++k) {
        if (std::strcmp(argv[k], "--size") == 0 && k + 1 < argc)
            size = std::atoi(argv[++k]);
        else if (std::strcmp(argv[k], "--repeat") == 0 && k + 1 < argc)
            repeat = std::atoi(argv[++k]);
        else if (std::strcmp(argv[k], "--method") == 0 && k + 1 < argc)
            onlyMethod = std::atoi(argv[++k]);
        else if (std::strcmp(argv[k], "--fast-only") == 0)
            fastOnly = true;
        else if (std::strcmp(argv[k], "--variant") == 0 && k + 1 < argc && VariantNamed(argv[k + 1], &chosen))
            ++k;
        else {
            std::fprintf(stderr,
                         "usage: %s [--size N] [--repeat N] [--method 0..5] [--fast-only] "
                         "[--variant scalar|sse2|avx2]\n",
                         argv[0]);
            return 2;
        }
    }
    if (size < 1 || repeat < 1)
        return 2;

    // The fast path: the variant asked for, else whatever the automatic choice makes of it.
    ForceEngineVariant(chosen);
    EngineVariant fast = ActiveEngineVariant();
    if (fast == EngineVariant::Reference)
        fast = EngineVariant::Avx2; // falls back to the best available
    ForceEngineVariant(fast);
    fast = ActiveEngineVariant();

    const double megapixels = static_cast<double>(size) * size / 1e6;
    std::printf("%dx%d RGBA, value 25, size 25; reference: one render; fast (%s, %u threads): best of %d\n\n", size,
                size, EngineVariantName(fast), platform::ProcessorCount(), repeat);
    std::printf("%-14s %-28s %12s %12s %9s %12s %9s\n", "method", "case", "reference", "fast", "ratio", "fast 16-bit",
                "16/8");
    std::printf("%-14s %-28s %12s %12s %9s %12s %9s\n", "", "", "MP/s", "MP/s", "", "MP/s", "");
    for (int method = 0; method < kDistortionMethodCount; ++method) {
        if (onlyMethod >= 0 && method != onlyMethod)
            continue;
        for (int variantCase = 0; variantCase < 4; ++variantCase) {
            const bool varying = variantCase >= 2;
            const float aberration = variantCase % 2 == 0 ? 0.0f : 50.0f;
            const std::vector<uint8_t> source = TestPicture(size, varying);
            std::vector<uint8_t> referenceResult(source.size());
            std::vector<uint8_t> fastResult(source.size());
            FilterParameters parameters{};
            parameters.method = static_cast<uint8_t>(method);
            parameters.value = 25.0f;
            parameters.size = 25.0f;
            parameters.aberration = aberration;
            const double referenceSeconds =
                fastOnly ? 0.0
                         : SecondsOfOneRender(EngineVariant::Reference, size, parameters, source, referenceResult);
            const double fastSeconds = BestSeconds(fast, repeat, size, parameters, source, fastResult);
            // The same picture in 16 bits, on the same fast variant.
            const std::vector<uint16_t> wideSource = Widened(source);
            std::vector<uint16_t> wideResult(wideSource.size());
            const double wideSeconds = BestSeconds(fast, repeat, size, parameters, wideSource, wideResult);
            char caseName[64];
            std::snprintf(caseName, sizeof caseName, "%s, aberration %g", varying ? "varying alpha" : "opaque",
                          static_cast<double>(aberration));
            // Without the reference its columns say so instead of showing a division by zero.
            char reference[16] = "-", ratio[16] = "-";
            if (!fastOnly) {
                std::snprintf(reference, sizeof reference, "%.2f", megapixels / referenceSeconds);
                std::snprintf(ratio, sizeof ratio, "%.1fx", referenceSeconds / fastSeconds);
            }
            std::printf("%-14s %-28s %12s %12.2f %9s %12.2f %8.0f%%%s\n", kMethodNames[method], caseName, reference,
                        megapixels / fastSeconds, ratio, megapixels / wideSeconds, 100.0 * fastSeconds / wideSeconds,
                        fastOnly || referenceResult == fastResult ? "" : "  (results differ!)");
            std::fflush(stdout);
        }
    }
    ReleasePlaneScratch();
    return 0;
}
