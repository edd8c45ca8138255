#pragma once
// Buffers, renders and progress capture for the engine tests.

#include "engine/DistortionContext.h"
#include "engine/EngineVariant.h"
#include "engine/FilterParameters.h"
#include "engine/RenderDistortion.h"
#include "plugin/Globals.h"
#include "plugin/HostAbi.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace engine_test {

// A small deterministic generator (the same sequence on every build).
struct Random {
    uint64_t state;
    explicit Random(uint64_t seed) : state(seed * 6364136223846793005ull + 1442695040888963407ull) {}
    uint32_t Next() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state >> 33);
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<uint32_t>(n)); }
    float Between(float low, float high) { return low + (high - low) * static_cast<float>(Next() % 1000001) / 1e6f; }
    // Any float of 24 random bits between `low` and `high`, not only round ones.
    float Float(float low, float high) {
        return low + (high - low) * static_cast<float>(Next() >> 8) * (1.0f / 16777216.0f);
    }
};

enum class Transparency { Opaque, Clear, Varying };

// W x H pixels of random colours; byte 3 as asked (varying: random, with runs of 255 and 0).
inline std::vector<uint8_t> RandomImage(int32_t width, int32_t height, Transparency transparency, uint64_t seed) {
    Random random(seed);
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    for (size_t i = 0; i < pixels.size(); i += 4) {
        for (int k = 0; k < 3; ++k)
            pixels[i + k] = static_cast<uint8_t>(random.Next());
        switch (transparency) {
        case Transparency::Opaque:
            pixels[i + 3] = 255;
            break;
        case Transparency::Clear:
            pixels[i + 3] = 0;
            break;
        case Transparency::Varying: {
            const int choice = random.Below(4);
            pixels[i + 3] = choice == 0 ? 255 : choice == 1 ? 0 : static_cast<uint8_t>(random.Next());
            break;
        }
        }
    }
    if (transparency == Transparency::Varying && pixels.size() >= 8) {
        // Make sure it does vary.
        pixels[3] = 255;
        pixels[7] = 0;
    }
    return pixels;
}

inline FilterParameters Effect(uint8_t method, float value, float size = 25.0f, float aberration = 0.0f) {
    FilterParameters parameters{};
    parameters.method = method;
    parameters.value = value;
    parameters.size = size;
    parameters.aberration = aberration;
    return parameters;
}

// The final render's context: the buffer is the whole filter area.
inline DistortionContext FinalContext(int32_t width, int32_t height) {
    DistortionContext context;
    context.bufferWidth = width;
    context.bufferHeight = height;
    context.areaWidth = width;
    context.areaHeight = height;
    return context;
}

// Renders with `variant` forced (the automatic choice is restored afterwards).
// The plane scratch that the previous render kept is overwritten first, so every byte of the
// result comes from this render.
template <class Sample>
std::vector<Sample> Render(EngineVariant variant, DistortionContext context, const FilterParameters& parameters,
                           const std::vector<Sample>& source, bool* succeeded = nullptr,
                           const RenderSettings& settings = RenderSettings{}) {
    FillPlaneScratch(0x5A);
    ForceEngineVariant(variant);
    std::vector<Sample> destination(source.size(), Sample(0xCDCD));
    const bool result = RenderDistortion(context, parameters, source.data(), destination.data(), settings);
    ForceEngineVariant(EngineVariant::Automatic);
    if (succeeded != nullptr)
        *succeeded = result;
    return destination;
}

// The fast variants this processor can run.
inline std::vector<EngineVariant> FastVariants() {
    std::vector<EngineVariant> variants;
    for (EngineVariant variant : {EngineVariant::Scalar, EngineVariant::Sse2, EngineVariant::Avx2}) {
        if (EngineVariantAvailable(variant))
            variants.push_back(variant);
    }
    return variants;
}

inline uint64_t Fnv1a(const std::vector<uint8_t>& bytes) {
    uint64_t hash = 14695981039346656037ull;
    for (uint8_t byte : bytes) {
        hash ^= byte;
        hash *= 1099511628211ull;
    }
    return hash;
}

inline bool Sanitized() {
    return std::getenv("VORTIFLUX_SANITIZED") != nullptr;
}

// Render settings whose progress callback writes down every call, as a final render for a
// document of `planes` RGB planes would report them.
class ProgressLog {
public:
    explicit ProgressLog(int planes = 4) : planes_(planes) { Calls().clear(); }

    RenderSettings settings() const {
        RenderSettings settings;
        settings.planeCount = planes_;
        settings.progress = &Record;
        return settings;
    }
    static std::vector<int32_t>& Calls() {
        static std::vector<int32_t> calls;
        return calls;
    }

private:
    static void Record(float done, float total) {
        EXPECT_EQ(total, 100.0f);
        Calls().push_back(static_cast<int32_t>(done));
    }
    int planes_;
};

} // namespace engine_test
