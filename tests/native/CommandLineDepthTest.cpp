// 16-bit and grey images through the vortiflux tool: the host's 16-bit range and back, the readers
// and writers of every format at both depths, and whole runs that keep the input's depth and
// colours (and, for 8-bit RGB and CMYK, the very results of earlier versions).
#include "TempFolder.h"
#include "ToolTestSupport.h"
#include "cli/HostSamples.h"
#include "cli/ImageFiles.h"
#include "engine/EngineTestSupport.h"
#include "host/ColorConversion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>

using testing_support::TempFolder;
using namespace tool_test;

namespace {

const char* kNeutral = "--value 0 --aberration 0 --quiet";

// Every 16-bit value in every sample of pixels of `samples` samples.
std::vector<uint8_t> EveryValue(int samples) {
    std::vector<uint8_t> pixels(size_t(65536) * size_t(samples) * 2);
    for (size_t i = 0; i < pixels.size() / 2; ++i) {
        const uint16_t value = uint16_t(i / size_t(samples) + (i % size_t(samples)) * 12345u);
        std::memcpy(pixels.data() + i * 2, &value, 2);
    }
    return pixels;
}

uint16_t At(const std::vector<uint8_t>& pixels, size_t i) {
    uint16_t value;
    std::memcpy(&value, pixels.data() + i * 2, 2);
    return value;
}

TEST(HostSamples, UnchangedSamplesComeBackExactlyAndChangedOnesReadBackAsWritten) {
    EXPECT_EQ(cli::HostFromFile(0), 0);
    EXPECT_EQ(cli::HostFromFile(65535), 32768);
    EXPECT_EQ(cli::FileFromHost(32768), 65535);
    EXPECT_EQ(cli::FileFromHost(65535), 65535); // a host value out of range is the top

    // RGB, and CMYK with transparency (its four inks the other way round in the host).
    for (const int samples : {3, 5}) {
        SCOPED_TRACE(samples);
        const int inverted = samples == 5 ? 4 : 0;
        const std::vector<uint8_t> file = EveryValue(samples);
        const size_t count = file.size() / 2;
        std::vector<uint8_t> pixels = file, bits;
        cli::SamplesToHost(pixels.data(), count, samples, inverted, &bits);
        EXPECT_EQ(bits.size(), count / 8);
        for (size_t i = 0; i < count; ++i) {
            const uint16_t host = cli::HostFromFile(At(file, i));
            ASSERT_EQ(At(pixels, i), int(i % size_t(samples)) < inverted ? 32768 - host : host) << i;
        }
        cli::SamplesFromHost(pixels.data(), count, samples, inverted, bits);
        ASSERT_EQ(pixels, file);

        // Every host value written over samples of either kind becomes a file value that the host
        // reads back as that value, inverted or not.
        cli::SamplesToHost(pixels.data(), count, samples, inverted, &bits);
        for (size_t i = 0; i < count; ++i) {
            const uint16_t written = uint16_t((i * 7 + i / 65536) % 32769);
            std::memcpy(pixels.data() + i * 2, &written, 2);
        }
        const std::vector<uint8_t> written = pixels;
        cli::SamplesFromHost(pixels.data(), count, samples, inverted, bits);
        for (size_t i = 0; i < count; ++i) {
            const uint16_t back = cli::HostFromFile(At(pixels, i));
            ASSERT_EQ(int(i % size_t(samples)) < inverted ? 32768 - back : back, At(written, i)) << i;
        }
    }
}

TEST(DeepImageFiles, PngAndTiffKeepDepthColoursAndEverySample) {
    TempFolder folder;
    using cli::ColorModel;
    struct Case {
        const char* name;
        ColorModel model;
        bool alpha;
        int depth;
        const char* mode; // as `info` names it
    };
    for (const Case& c : {
             Case{"rgb16.png", ColorModel::Rgb, false, 16, "RGB"},
             Case{"rgba16.png", ColorModel::Rgb, true, 16, "RGBA"},
             Case{"grey16.png", ColorModel::Grey, false, 16, "Grey"},
             Case{"greya16.png", ColorModel::Grey, true, 16, "Grey with alpha"},
             Case{"grey8.png", ColorModel::Grey, false, 8, "Grey"},
             Case{"greya8.png", ColorModel::Grey, true, 8, "Grey with alpha"},
             Case{"rgb16.tif", ColorModel::Rgb, false, 16, "RGB"},
             Case{"rgba16.tif", ColorModel::Rgb, true, 16, "RGBA"},
             Case{"cmyk16.tif", ColorModel::Cmyk, false, 16, "CMYK"},
             Case{"cmyka16.tif", ColorModel::Cmyk, true, 16, "CMYK with alpha"},
             Case{"grey16.tif", ColorModel::Grey, false, 16, "Grey"},
             Case{"greya16.tif", ColorModel::Grey, true, 16, "Grey with alpha"},
             Case{"grey8.tif", ColorModel::Grey, false, 8, "Grey"},
             Case{"greya8.tif", ColorModel::Grey, true, 8, "Grey with alpha"},
         }) {
        SCOPED_TRACE(c.name);
        const cli::Image original =
            c.depth == 16 ? DeepPattern(37, 23, c.model, c.alpha) : Pattern(37, 23, c.model, c.alpha);
        Write(folder.file(c.name), original);
        const cli::Image back = Read(folder.file(c.name));
        EXPECT_EQ(back.depth, c.depth);
        EXPECT_EQ(back.model, c.model);
        EXPECT_EQ(back.alpha, c.alpha);
        EXPECT_EQ(back.width, 37);
        EXPECT_EQ(back.pixels, original.pixels);
        cli::ImageInfo info;
        std::string error;
        ASSERT_EQ(cli::ReadImageInfo(cli::InputFile{folder.file(c.name), c.name}, &info, &error), cli::ReadStatus::Ok);
        EXPECT_TRUE(info.supported);
        EXPECT_EQ(info.bitsPerSample, c.depth);
        EXPECT_EQ(info.mode, c.mode);
    }
}

// A smooth 16-bit picture (JPEG keeps such a picture close).
cli::Image SmoothDeep(cli::ColorModel model) {
    cli::Image image = DeepPattern(64, 48, model, false);
    const size_t samples = size_t(image.samples());
    for (size_t i = 0; i < image.pixels.size() / 2; ++i) {
        const size_t x = (i / samples) % 64, y = i / samples / 64, c = i % samples;
        const uint16_t value = uint16_t(x * 500 + y * 300 + c * 4000);
        std::memcpy(image.pixels.data() + i * 2, &value, 2);
    }
    return image;
}

TEST(DeepImageFiles, JpegHoldsGreyAndTakesSixteenBitsAtEight) {
    TempFolder folder;
    for (const cli::ColorModel model : {cli::ColorModel::Grey, cli::ColorModel::Rgb, cli::ColorModel::Cmyk}) {
        SCOPED_TRACE(cli::ModelName(model));
        const cli::Image deep = SmoothDeep(model);
        Write(folder.file("out.jpg"), deep);
        const cli::Image back = Read(folder.file("out.jpg"));
        EXPECT_EQ(back.model, model);
        EXPECT_EQ(back.depth, 8);
        ASSERT_EQ(back.pixels.size(), deep.pixels.size() / 2);
        int worst = 0;
        for (size_t i = 0; i < back.pixels.size(); ++i)
            worst = std::max(worst, std::abs(int(back.pixels[i]) - int(Sample16(deep, i) / 257)));
        EXPECT_LE(worst, 8);
    }
}

class DeepTool : public ToolTest {};

struct ModeCase {
    const char* name;
    cli::ColorModel model;
    bool alpha;
    int depth;
};

const ModeCase kModes[] = {
    {"rgb16.png", cli::ColorModel::Rgb, false, 16},   {"rgba16.png", cli::ColorModel::Rgb, true, 16},
    {"grey16.png", cli::ColorModel::Grey, false, 16}, {"greya16.png", cli::ColorModel::Grey, true, 16},
    {"grey8.png", cli::ColorModel::Grey, false, 8},   {"greya8.png", cli::ColorModel::Grey, true, 8},
    {"rgb16.tif", cli::ColorModel::Rgb, false, 16},   {"rgba16.tif", cli::ColorModel::Rgb, true, 16},
    {"grey16.tif", cli::ColorModel::Grey, false, 16}, {"greya16.tif", cli::ColorModel::Grey, true, 16},
    {"grey8.tif", cli::ColorModel::Grey, false, 8},   {"greya8.tif", cli::ColorModel::Grey, true, 8},
};

cli::Image PatternOf(const ModeCase& c) {
    return c.depth == 16 ? DeepPattern(53, 41, c.model, c.alpha) : Pattern(53, 41, c.model, c.alpha);
}

TEST_F(DeepTool, NeutralRunsGiveEverySampleBack) {
    for (const ModeCase& c : kModes) {
        SCOPED_TRACE(c.name);
        const cli::Image original = PatternOf(c);
        Write(folder.file(c.name), original);
        const ToolRun run = Apply(c.name, std::string("out-") + c.name, kNeutral);
        ASSERT_EQ(run.exitCode, 0) << run.output;
        EXPECT_EQ(run.output, "");
        const cli::Image back = Read(folder.file(std::string("out-") + c.name));
        EXPECT_EQ(back.depth, c.depth);
        EXPECT_EQ(back.model, c.model);
        EXPECT_EQ(back.alpha, c.alpha);
        EXPECT_EQ(back.pixels, original.pixels);
    }
    // A grey JPEG, its decoded samples written losslessly.
    cli::Image grey = SmoothDeep(cli::ColorModel::Grey);
    Write(folder.file("grey.jpg"), grey);
    const ToolRun run = Apply("grey.jpg", "grey-from-jpeg.png", kNeutral);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const cli::Image back = Read(folder.file("grey-from-jpeg.png"));
    EXPECT_EQ(back.model, cli::ColorModel::Grey);
    EXPECT_EQ(back.depth, 8);
    EXPECT_EQ(back.pixels, Read(folder.file("grey.jpg")).pixels);
}

TEST_F(DeepTool, SixteenBitCmykShowsTheSameColoursAfterANeutralRun) {
    // CMYK goes to RGB for the engine and back through the host's colour conversion: the inks may
    // change, the colour each pixel shows stays (as at 8 bits); transparency comes back exactly.
    for (const bool alpha : {false, true}) {
        SCOPED_TRACE(alpha);
        const cli::Image cmyk = DeepPattern(40, 30, cli::ColorModel::Cmyk, alpha);
        Write(folder.file("cmyk16.tif"), cmyk);
        const ToolRun run = Apply("cmyk16.tif", "out.tif", kNeutral);
        ASSERT_EQ(run.exitCode, 0) << run.output;
        const cli::Image back = Read(folder.file("out.tif"));
        ASSERT_EQ(back.model, cli::ColorModel::Cmyk);
        ASSERT_EQ(back.depth, 16);
        ASSERT_EQ(back.alpha, alpha);
        const size_t samples = size_t(cmyk.samples());
        int worst = 0;
        for (size_t p = 0; p < size_t(40 * 30); ++p) {
            uint8_t before[4], after[4], rgbBefore[3], rgbAfter[3];
            for (size_t c = 0; c < 4; ++c) { // as the host's 8-bit documents store them: 255 for no ink
                before[c] = uint8_t(255 - Sample16(cmyk, p * samples + c) / 257);
                after[c] = uint8_t(255 - Sample16(back, p * samples + c) / 257);
            }
            host::PlainCmykToRgb(before, rgbBefore);
            host::PlainCmykToRgb(after, rgbAfter);
            for (int c = 0; c < 3; ++c)
                worst = std::max(worst, std::abs(int(rgbBefore[c]) - int(rgbAfter[c])));
            if (alpha) {
                ASSERT_EQ(Sample16(back, p * samples + 4), Sample16(cmyk, p * samples + 4)) << p;
            }
        }
        EXPECT_LE(worst, 3);
    }
}

TEST_F(DeepTool, SixteenBitCmykInksTheHostConvertsExactlyComeBackToTheLastBit) {
    // Without a profile the host converts plainly, and ink mixes of cyan and magenta alone, or of
    // black alone, go to RGB and back to the same inks: every sample of the file comes back as it
    // was, odd and even values and both ends alike.
    for (const bool alpha : {false, true}) {
        SCOPED_TRACE(alpha);
        cli::Image inks;
        inks.width = 96;
        inks.height = 64;
        inks.model = cli::ColorModel::Cmyk;
        inks.alpha = alpha;
        inks.depth = 16;
        inks.pixels.resize(inks.rowBytes() * 64);
        const size_t samples = size_t(inks.samples());
        for (size_t y = 0; y < 64; ++y)
            for (size_t x = 0; x < 96; ++x) {
                const bool blackOnly = y >= 48;
                const uint16_t along = uint16_t(std::min<size_t>(x * 689 + y, 65535));
                const uint16_t down = uint16_t(y == 0 ? 65535 : y * 1021 + x % 2);
                const uint16_t values[5] = {blackOnly ? uint16_t(0) : along, blackOnly ? uint16_t(0) : down, 0,
                                            blackOnly ? along : uint16_t(0), uint16_t(65535 - x * 300)};
                for (size_t c = 0; c < samples; ++c)
                    std::memcpy(inks.pixels.data() + ((y * 96 + x) * samples + c) * 2, &values[c], 2);
            }
        Write(folder.file("inks16.tif"), inks);
        const ToolRun run = Apply("inks16.tif", "inks-out.tif", kNeutral);
        ASSERT_EQ(run.exitCode, 0) << run.output;
        const cli::Image back = Read(folder.file("inks-out.tif"));
        EXPECT_EQ(back.model, cli::ColorModel::Cmyk);
        EXPECT_EQ(back.depth, 16);
        EXPECT_EQ(back.alpha, alpha);
        ASSERT_EQ(back.pixels.size(), inks.pixels.size());
        for (size_t i = 0; i < back.pixels.size() / 2; ++i)
            ASSERT_EQ(Sample16(back, i), Sample16(inks, i)) << "pixel " << i / samples << ", sample " << i % samples;
    }
}

TEST_F(DeepTool, TheEffectKeepsTheInputsDepthAndColours) {
    std::vector<ModeCase> modes(std::begin(kModes), std::end(kModes));
    modes.push_back({"cmyk16.tif", cli::ColorModel::Cmyk, false, 16});
    modes.push_back({"cmyka16.tif", cli::ColorModel::Cmyk, true, 16});
    for (const ModeCase& c : modes) {
        SCOPED_TRACE(c.name);
        const cli::Image original = PatternOf(c);
        Write(folder.file(c.name), original);
        const ToolRun run = Apply(c.name, std::string("out-") + c.name, "--value 25 --size 5 --quiet");
        ASSERT_EQ(run.exitCode, 0) << run.output;
        const cli::Image back = Read(folder.file(std::string("out-") + c.name));
        EXPECT_EQ(back.depth, c.depth);
        EXPECT_EQ(back.model, c.model);
        EXPECT_EQ(back.alpha, c.alpha);
        ASSERT_EQ(back.pixels.size(), original.pixels.size());
        size_t changed = 0;
        for (size_t i = 0; i < back.pixels.size(); ++i)
            changed += back.pixels[i] != original.pixels[i];
        EXPECT_GT(changed, back.pixels.size() / 4);
        if (c.depth != 16)
            continue;
        // Rendered at 16 bits: the samples the effect changed take far more values than the 256
        // of a result made at 8 bits and widened.
        const size_t samples = size_t(back.samples());
        std::set<uint16_t> values;
        for (size_t i = 0; i < back.pixels.size() / 2; i += samples)
            if (Sample16(back, i) != Sample16(original, i))
                values.insert(Sample16(back, i));
        EXPECT_GT(values.size(), 256u);
    }
    Write(folder.file("grey.jpg"), SmoothDeep(cli::ColorModel::Grey));
    ASSERT_EQ(Apply("grey.jpg", "out-grey.jpg", "--value 25 --size 5 --quiet").exitCode, 0);
    EXPECT_EQ(Read(folder.file("out-grey.jpg")).model, cli::ColorModel::Grey);
}

TEST_F(DeepTool, SixteenBitsIntoJpegAreScaledWithOneNote) {
    Write(folder.file("deep.png"), SmoothDeep(cli::ColorModel::Rgb));
    Write(folder.file("deep-alpha.tif"), DeepPattern(20, 20, cli::ColorModel::Rgb, true));
    ToolRun run = Apply("deep.png", "out.jpg", "--value 0 --aberration 0");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output, "vortiflux: note: JPEG holds 8 bits a sample; " + folder.file("out.jpg") +
                              " is written with 8 (write a .png or .tif to keep all 16)\n");
    const cli::Image back = Read(folder.file("out.jpg"));
    EXPECT_EQ(back.depth, 8);
    EXPECT_EQ(back.model, cli::ColorModel::Rgb);
    // Both notes once, and neither with --quiet.
    run = Apply("deep-alpha.tif", "alpha.jpg", "--value 0");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("no transparency"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("8 bits a sample"), std::string::npos) << run.output;
    EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 2) << run.output;
    EXPECT_EQ(Apply("deep-alpha.tif", "quiet.jpg", "--value 0 --quiet").output, "");
}

TEST_F(DeepTool, InfoCallsTheNewModesSupported) {
    Write(folder.file("rgb16.png"), DeepPattern(10, 8, cli::ColorModel::Rgb, false));
    Write(folder.file("greya8.tif"), Pattern(10, 8, cli::ColorModel::Grey, true));
    const ToolRun run = Tool("info " + folder.file("rgb16.png") + " " + folder.file("greya8.tif"));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("PNG, 10 x 8, RGB, 16-bit, 3 planes, no profile, supported\n"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("TIFF, 10 x 8, Grey with alpha, 8-bit, 2 planes, no profile, supported\n"),
              std::string::npos)
        << run.output;
}

TEST_F(DeepTool, AnImageThePluginDoesNotTakeIsRefusedNotHandedBackUnchanged) {
    // A copy of the library whose enable expression takes bitmaps only (padded to its length).
    std::ifstream in(VORTIFLUX_PLUGIN_PATH, std::ios::binary);
    std::string library((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t from = library.find("in (PSHOP_ImageMode,");
    ASSERT_NE(from, std::string::npos);
    const size_t to = library.find(')', from) + 1;
    std::string expression = "in (PSHOP_ImageMode, BitmapMode)";
    ASSERT_LE(expression.size(), to - from);
    expression.resize(to - from, ' ');
    library.replace(from, to - from, expression);
    folder.Write("Bitmaps.so", library);

    Write(folder.file("in.png"), Pattern(12, 10, cli::ColorModel::Rgb, false));
    const ToolRun run = Apply("in.png", "out.png", "--quiet --plugin " + folder.file("Bitmaps.so"));
    EXPECT_EQ(run.exitCode, 2) << run.output;
    EXPECT_NE(run.output.find("in.png: the plug-in library does not take this image (8-bit RGB)"), std::string::npos)
        << run.output;
    EXPECT_FALSE(std::filesystem::exists(folder.file("out.png")));
}

TEST_F(DeepTool, EightBitRgbAndCmykGiveTheResultsOfEarlierVersions) {
    // The checksums of the samples the tool wrote before it took other depths and colours.
    struct Case {
        const char* in;
        const char* out;
        cli::ColorModel model;
        bool alpha;
        uint64_t hash;
    };
    for (const Case& c : {
             Case{"rgb.png", "rgb-out.png", cli::ColorModel::Rgb, false, 0x18aa35cb07b14ff8ull},
             Case{"rgba.png", "rgba-out.tif", cli::ColorModel::Rgb, true, 0x1138f5de97c78b05ull},
             Case{"rgb.tif", "rgb-out.jpg", cli::ColorModel::Rgb, false, 0xb9f47eb4c917f62dull},
             Case{"cmyk.tif", "cmyk-out.tif", cli::ColorModel::Cmyk, false, 0x8c021e56efa0b075ull},
             Case{"cmyka.tif", "cmyka-out.tif", cli::ColorModel::Cmyk, true, 0xfadea2c7fca444f2ull},
             Case{"cmyk.jpg", "cmyk-out.jpg", cli::ColorModel::Cmyk, false, 0x8eb4e81934968cefull},
         }) {
        SCOPED_TRACE(c.in);
        Write(folder.file(c.in), Pattern(61, 47, c.model, c.alpha));
        const ToolRun run = Apply(c.in, c.out, "--method swirl --value 30 --size 8 --aberration 12 --quiet");
        ASSERT_EQ(run.exitCode, 0) << run.output;
        const cli::Image back = Read(folder.file(c.out));
        EXPECT_EQ(back.depth, 8);
        EXPECT_EQ(engine_test::Fnv1a(back.pixels), c.hash) << std::hex << engine_test::Fnv1a(back.pixels);
    }
}

} // namespace
