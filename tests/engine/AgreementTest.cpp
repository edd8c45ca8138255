// The fast path against the reference path, byte for byte, for every variant this processor can
// run: all methods, odd buffer shapes, every kind of transparency, aberration, and parameters
// far outside the panel's limits.
#include "EngineTestSupport.h"

#include <cstring>

#include <cmath>
#include <limits>
#include <string>

namespace {

using namespace engine_test;

struct Shape {
    int32_t width;
    int32_t height;
};

std::string Describe(const DistortionContext& context, const FilterParameters& p, Transparency transparency) {
    char text[512];
    std::snprintf(text, sizeof text,
                  "%dx%d area %dx%d offset %d,%d zoom %g | method %d value %g size %g aberration %g seed %g "
                  "proportion %g centre %g,%g | transparency %d",
                  context.bufferWidth, context.bufferHeight, context.areaWidth, context.areaHeight, context.offsetX,
                  context.offsetY, static_cast<double>(context.zoom), p.method, static_cast<double>(p.value),
                  static_cast<double>(p.size), static_cast<double>(p.aberration), static_cast<double>(p.randomSeed),
                  static_cast<double>(p.proportion), static_cast<double>(p.centerX), static_cast<double>(p.centerY),
                  static_cast<int>(transparency));
    return text;
}

// Reports the first differing byte, as a reviewer needs it.
::testing::AssertionResult SameBytes(const std::vector<uint8_t>& expected, const std::vector<uint8_t>& actual,
                                     int32_t width) {
    for (size_t i = 0; i < expected.size(); ++i) {
        if (expected[i] != actual[i]) {
            const size_t pixel = i / 4;
            return ::testing::AssertionFailure() << "first difference at x " << pixel % static_cast<size_t>(width)
                                                 << " y " << pixel / static_cast<size_t>(width) << " byte " << i % 4
                                                 << ": reference " << int(expected[i]) << ", fast " << int(actual[i]);
        }
    }
    return ::testing::AssertionSuccess();
}

const float kInfinity = std::numeric_limits<float>::infinity();
const float kNaN = std::numeric_limits<float>::quiet_NaN();

// Values from the panel's ranges and far beyond, the way presets and descriptors may hold them.
const float kValues[] = {25.0f, -60.0f, 0.5f, 130.0f, -1000.0f, 7.25f, 1e30f, -kInfinity, kNaN, 0.0f};
const float kSizes[] = {25.0f, 3.0f, 300.0f, 1.0f, 0.0f, 0.01f, 1e30f, kNaN};
const float kAberrations[] = {0.0f, 50.0f, -130.0f, 210.0f, 200.0f, 1e30f};
const float kSeeds[] = {0.0f, 3.7f, 1000.0f, -12.25f, 0.5f, 1e20f};
const float kProportions[] = {0.0f, 40.0f, -70.0f, 1000.0f, -1000.0f, kInfinity};
const float kCentres[] = {0.0f, 80.0f, -30.0f, 100.0f, -250.0f, 400.0f, -1e30f, kNaN};

template <class T, size_t n> T Pick(Random& random, const T (&values)[n]) {
    return values[random.Below(int(n))];
}

// Mostly ordinary values, sometimes extreme ones.
template <class T, size_t n> T PickMostlyFirst(Random& random, const T (&values)[n], int ordinary) {
    return random.Below(3) == 0 ? Pick(random, values) : values[random.Below(ordinary)];
}

// Any float the panel offers, and then some: the seed offsets, the frequencies and the centre
// go through single and double precision steps that a listed value may round alike by chance.
void DrawAnyFloats(Random& random, FilterParameters* p) {
    p->value = random.Float(-300.0f, 300.0f);
    p->size = random.Float(0.5f, 320.0f);
    p->randomSeed = random.Float(0.0f, 1000.0f);
    p->proportion = random.Float(-300.0f, 300.0f);
    p->centerX = random.Float(-150.0f, 150.0f);
    p->centerY = random.Float(-150.0f, 150.0f);
}

TEST(Agreement, EveryFastVariantMatchesTheReferenceOverASampledGrid) {
    const Shape shapes[] = {{1, 1},  {1, 9},   {11, 1}, {2, 2},   {3, 7},  {9, 4},
                            {17, 5}, {23, 13}, {33, 9}, {40, 31}, {64, 3}, {5, 40}};
    const int casesPerShape = Sanitized() ? 30 : 1000;
    const uint64_t generatorSeed = 2024;
    Random random(generatorSeed);
    for (const Shape& shape : shapes) {
        for (int n = 0; n < casesPerShape; ++n) {
            const Transparency transparency = static_cast<Transparency>(random.Below(3));
            const std::vector<uint8_t> source = RandomImage(shape.width, shape.height, transparency, random.Next());
            FilterParameters p = Effect(static_cast<uint8_t>(n % 8 == 7 ? 7 + random.Below(200) : n % 6),
                                        PickMostlyFirst(random, kValues, 6), PickMostlyFirst(random, kSizes, 4),
                                        PickMostlyFirst(random, kAberrations, 3));
            p.randomSeed = PickMostlyFirst(random, kSeeds, 4);
            p.proportion = PickMostlyFirst(random, kProportions, 3);
            p.centerX = PickMostlyFirst(random, kCentres, 6);
            p.centerY = PickMostlyFirst(random, kCentres, 6);
            if (n % 2 == 1)
                DrawAnyFloats(random, &p);
            DistortionContext context = FinalContext(shape.width, shape.height);
            if (random.Below(3) == 0) {
                // A preview: zoomed out, scrolled into a larger area.
                context.zoom = static_cast<float>(1 + random.Below(4));
                context.areaWidth = shape.width * 3 + random.Below(50);
                context.areaHeight = shape.height * 2 + random.Below(50);
                context.offsetX = random.Below(40);
                context.offsetY = random.Below(40);
            }
            const std::vector<uint8_t> expected = Render(EngineVariant::Reference, context, p, source);
            for (EngineVariant variant : FastVariants()) {
                const std::vector<uint8_t> actual = Render(variant, context, p, source);
                ASSERT_TRUE(SameBytes(expected, actual, shape.width))
                    << EngineVariantName(variant) << ": " << Describe(context, p, transparency) << " (case " << n
                    << " of generator seed " << generatorSeed << ")";
            }
        }
    }
    ReleasePlaneScratch();
}

// Larger buffers, so that several worker threads and every block shape (row bands, pieces of
// single rows) take part.
TEST(Agreement, ThreadedBlocksMatchTheReference) {
    const Shape shapes[] = {{301, 157}, {1500, 3}, {2, 700}};
    Random random(77);
    for (const Shape& shape : shapes) {
        for (uint8_t method = 0; method < kDistortionMethodCount; ++method) {
            const Transparency transparency = method % 2 == 0 ? Transparency::Varying : Transparency::Opaque;
            const std::vector<uint8_t> source = RandomImage(shape.width, shape.height, transparency, method + 1u);
            FilterParameters p = Effect(method, 35.0f, 20.0f, method < 3 ? 40.0f : 0.0f);
            p.randomSeed = 2.5f;
            p.centerX = 20.0f;
            p.centerY = -35.0f;
            p.proportion = method % 3 == 0 ? 30.0f : -20.0f;
            const DistortionContext context = FinalContext(shape.width, shape.height);
            const std::vector<uint8_t> expected = Render(EngineVariant::Reference, context, p, source);
            for (EngineVariant variant : FastVariants()) {
                ASSERT_TRUE(SameBytes(expected, Render(variant, context, p, source), shape.width))
                    << EngineVariantName(variant) << ": " << Describe(context, p, transparency);
            }
            if (Sanitized())
                break;
        }
    }
    ReleasePlaneScratch();
}

} // namespace

namespace {

// The host's rows (`planes` samples a pixel, rows padded to `rowBytes`) from an engine buffer.
std::vector<uint8_t> HostRowsOf(const std::vector<uint8_t>& pixels, int32_t width, int32_t height, int planes,
                                int64_t rowBytes) {
    std::vector<uint8_t> rows(size_t(rowBytes) * size_t(height), 0xEE);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            for (int k = 0; k < planes; ++k)
                rows[size_t(y * rowBytes + x * planes + k)] = pixels[size_t((y * width + x) * 4 + k)];
    return rows;
}

} // namespace

// The final render from the host's rows straight into its output rows gives the bytes of the
// working buffers' way: the rows filled into 4-byte pixels (transparency 255 without a fourth
// sample), rendered by the reference, written back (padding of the output rows untouched).
TEST(Agreement, RowsStraightFromTheHostMatchTheWorkingBuffers) {
    const uint64_t generatorSeed = 515;
    Random random(generatorSeed);
    const Shape shapes[] = {{1, 1}, {5, 3}, {37, 23}, {64, 17}, {129, 40}, {300, 7}};
    const int casesPerShape = Sanitized() ? 4 : 24;
    for (const Shape& shape : shapes) {
        for (int n = 0; n < casesPerShape; ++n) {
            const int planes = n % 2 == 0 ? 3 : 4;
            const Transparency transparency =
                planes == 3 ? Transparency::Opaque : static_cast<Transparency>(random.Below(3));
            std::vector<uint8_t> pixels = RandomImage(shape.width, shape.height, transparency, random.Next());
            FilterParameters p = Effect(static_cast<uint8_t>(n % 6), random.Float(-120.0f, 120.0f),
                                        random.Float(1.0f, 60.0f), n % 3 == 0 ? 0.0f : random.Float(-210.0f, 210.0f));
            DrawAnyFloats(random, &p);
            p.aberration = n % 3 == 0 ? 0.0f : random.Float(-210.0f, 210.0f);
            const int64_t rowBytes = int64_t(shape.width) * planes + random.Below(9);
            const std::vector<uint8_t> input = HostRowsOf(pixels, shape.width, shape.height, planes, rowBytes);

            // The working buffers' way, on the reference path.
            if (planes == 3)
                for (size_t i = 3; i < pixels.size(); i += 4)
                    pixels[i] = 255;
            RenderSettings settings;
            settings.planeCount = planes;
            const std::vector<uint8_t> rendered =
                Render(EngineVariant::Reference, FinalContext(shape.width, shape.height), p, pixels, nullptr, settings);
            const std::vector<uint8_t> expected = HostRowsOf(rendered, shape.width, shape.height, planes, rowBytes);

            for (EngineVariant variant : FastVariants()) {
                std::vector<uint8_t> output(input.size(), 0xEE);
                const HostRows rows{input.data(), rowBytes, output.data(), rowBytes, planes};
                DistortionContext context = FinalContext(shape.width, shape.height);
                FillPlaneScratch(0x5A);
                ForceEngineVariant(variant);
                ASSERT_TRUE(RenderHostRows(context, p, rows, settings));
                ForceEngineVariant(EngineVariant::Automatic);
                ASSERT_EQ(output, expected)
                    << EngineVariantName(variant) << ", " << planes << " planes, " << Describe(context, p, transparency)
                    << " (case " << n << " of generator seed " << generatorSeed << ")";
            }
        }
    }
    ReleasePlaneScratch();
}

namespace {

// A document's rows of `Sample`s (`planes` a pixel, rows `rowBytes` apart, padding 0xEE) from
// pixels of four samples: grey takes the first colour, and the transparency follows the colours.
template <class Sample>
std::vector<uint8_t> HostRowsOf(const std::vector<Sample>& pixels, int32_t width, int32_t height, int planes,
                                int colors, int64_t rowBytes) {
    std::vector<uint8_t> rows(size_t(rowBytes) * size_t(height), 0xEE);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            for (int k = 0; k < planes; ++k) {
                const Sample sample = pixels[size_t((y * width + x) * 4 + (k < colors ? k : 3))];
                std::memcpy(&rows[size_t(y * rowBytes + (int64_t(x) * planes + k) * int64_t(sizeof(Sample)))], &sample,
                            sizeof(Sample));
            }
    return rows;
}

// One case of rows of grey or of 16-bit samples: the working buffers' way on the reference path
// (grey in all three colours, no aberration) against the rows' way on every fast variant.
template <class Sample>
void ExpectRowsMatchTheWorkingBuffers(Random& random, const Shape& shape, int planes, int colors, int n,
                                      uint64_t generatorSeed) {
    const Sample opaque = sizeof(Sample) == 1 ? Sample(255) : Sample(32768);
    const bool transparency = planes > colors;
    const Transparency kind = transparency ? static_cast<Transparency>(random.Below(3)) : Transparency::Opaque;
    const std::vector<uint8_t> bytes = RandomImage(shape.width, shape.height, kind, random.Next());
    std::vector<Sample> pixels(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        const bool alpha = i % 4 == 3;
        pixels[i] = sizeof(Sample) == 1        ? Sample(bytes[i])
                    : alpha && bytes[i] == 255 ? opaque
                                               : Sample(bytes[i] * 128 + random.Below(128));
        if (!transparency && alpha)
            pixels[i] = opaque;
    }
    if (colors == 1)
        for (size_t i = 0; i < pixels.size(); i += 4)
            pixels[i + 1] = pixels[i + 2] = pixels[i];
    FilterParameters p =
        Effect(static_cast<uint8_t>(n % 6), random.Float(-120.0f, 120.0f), random.Float(1.0f, 60.0f), 0.0f);
    DrawAnyFloats(random, &p);
    p.aberration = colors == 1 || n % 3 == 0 ? 0.0f : random.Float(-210.0f, 210.0f);
    const int64_t rowBytes = (int64_t(shape.width) * planes + random.Below(5)) * int64_t(sizeof(Sample));
    const std::vector<uint8_t> input = HostRowsOf(pixels, shape.width, shape.height, planes, colors, rowBytes);

    RenderSettings settings;
    settings.planeCount = planes;
    settings.colorPlanes = colors;
    const std::vector<Sample> rendered =
        Render(EngineVariant::Reference, FinalContext(shape.width, shape.height), p, pixels, nullptr, settings);
    const std::vector<uint8_t> expected = HostRowsOf(rendered, shape.width, shape.height, planes, colors, rowBytes);

    for (EngineVariant variant : FastVariants()) {
        std::vector<uint8_t> output(input.size(), 0xEE);
        const HostRows rows{input.data(), rowBytes, output.data(), rowBytes, planes, colors, int(sizeof(Sample))};
        DistortionContext context = FinalContext(shape.width, shape.height);
        FillPlaneScratch(0x5A);
        ForceEngineVariant(variant);
        ASSERT_TRUE(RenderHostRows(context, p, rows, settings));
        ForceEngineVariant(EngineVariant::Automatic);
        ASSERT_EQ(output, expected) << EngineVariantName(variant) << ", " << sizeof(Sample) * 8 << "-bit, " << planes
                                    << " planes of " << colors << " colours, " << Describe(context, p, kind)
                                    << " (case " << n << " of generator seed " << generatorSeed << ")";
    }
}

} // namespace

// The same for grey rows (one colour, warped once) and for 16-bit RGB and grey rows.
TEST(Agreement, GreyAndSixteenBitRowsStraightFromTheHostMatchTheWorkingBuffers) {
    const uint64_t generatorSeed = 616;
    Random random(generatorSeed);
    const Shape shapes[] = {{1, 1}, {5, 3}, {37, 23}, {64, 17}, {129, 40}, {300, 7}};
    const int casesPerShape = Sanitized() ? 4 : 12;
    for (const Shape& shape : shapes) {
        for (int n = 0; n < casesPerShape; ++n) {
            const int extra = n % 2; // with or without transparency
            ExpectRowsMatchTheWorkingBuffers<uint8_t>(random, shape, 1 + extra, 1, n, generatorSeed);
            ExpectRowsMatchTheWorkingBuffers<uint16_t>(random, shape, 1 + extra, 1, n, generatorSeed);
            ExpectRowsMatchTheWorkingBuffers<uint16_t>(random, shape, 3 + extra, 3, n, generatorSeed);
            if (::testing::Test::HasFatalFailure())
                return;
        }
    }
    ReleasePlaneScratch();
}
