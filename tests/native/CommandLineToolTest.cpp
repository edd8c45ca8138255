// The vortiflux tool as a user runs it: round trips of every format and mode with a neutral
// effect, selections, presets, last used values, and bad input that must never destroy anything.
#include "TempFolder.h"
#include "ToolTestSupport.h"
#include "cli/ApplyFilter.h"
#include "cli/CommandLine.h"
#include "cli/ImageFiles.h"
#include "host/ColorConversion.h"
#include "presets/PresetFile.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

using testing_support::TempFolder;
using namespace tool_test;

namespace {

double Psnr(const cli::Image& a, const cli::Image& b) {
    double sum = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        const double d = double(a.pixels[i]) - double(b.pixels[i]);
        sum += d * d;
    }
    const double mse = sum / double(a.pixels.size());
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

class CommandLineTool : public ToolTest {};

const char* kNeutral = "--value 0 --aberration 0 --quiet";

TEST_F(CommandLineTool, LosslessFormatsGiveTheInputBackExactly) {
    struct Case {
        const char* name;
        cli::ColorModel model;
        bool alpha;
    };
    for (const Case& c : {Case{"rgb.png", cli::ColorModel::Rgb, false}, Case{"rgba.png", cli::ColorModel::Rgb, true},
                          Case{"rgb.tif", cli::ColorModel::Rgb, false}, Case{"rgba.tif", cli::ColorModel::Rgb, true}}) {
        SCOPED_TRACE(c.name);
        const cli::Image original = Pattern(67, 41, c.model, c.alpha);
        Write(folder.file(c.name), original);
        const ToolRun run = Apply(c.name, std::string("out-") + c.name, kNeutral);
        ASSERT_EQ(run.exitCode, 0) << run.output;
        const cli::Image back = Read(folder.file(std::string("out-") + c.name));
        EXPECT_EQ(back.width, original.width);
        EXPECT_EQ(back.alpha, original.alpha);
        EXPECT_EQ(back.pixels, original.pixels);
        EXPECT_NEAR(back.resolutionX, 150, 0.5);
    }
}

TEST_F(CommandLineTool, CmykAndJpegComeBackWithinTheirTolerances) {
    // CMYK goes to RGB for the engine and back through the host's colour conversion: the inks
    // may change (RGB cannot tell every ink mix apart) but the colour each pixel shows stays.
    const cli::Image cmyk = Pattern(50, 30, cli::ColorModel::Cmyk, true);
    Write(folder.file("cmyk.tif"), cmyk);
    ToolRun run = Apply("cmyk.tif", "out.tif", kNeutral);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const cli::Image back = Read(folder.file("out.tif"));
    ASSERT_EQ(back.model, cli::ColorModel::Cmyk);
    ASSERT_TRUE(back.alpha);
    int worst = 0;
    for (size_t p = 0; p < size_t(50 * 30); ++p) {
        uint8_t before[4], after[4], rgbBefore[3], rgbAfter[3];
        for (int c = 0; c < 4; ++c) { // the host's documents store 255 for no ink
            before[c] = uint8_t(255 - cmyk.pixels[p * 5 + size_t(c)]);
            after[c] = uint8_t(255 - back.pixels[p * 5 + size_t(c)]);
        }
        host::PlainCmykToRgb(before, rgbBefore);
        host::PlainCmykToRgb(after, rgbAfter);
        for (int c = 0; c < 3; ++c)
            worst = std::max(worst, std::abs(int(rgbBefore[c]) - int(rgbAfter[c])));
        ASSERT_EQ(back.pixels[p * 5 + 4], cmyk.pixels[p * 5 + 4]); // transparency unchanged
    }
    EXPECT_LE(worst, 2);

    for (const char* name : {"rgb.jpg", "cmyk.jpg"}) {
        SCOPED_TRACE(name);
        const bool isCmyk = std::string(name) == "cmyk.jpg";
        cli::Image smooth;
        smooth.width = 96;
        smooth.height = 64;
        smooth.model = isCmyk ? cli::ColorModel::Cmyk : cli::ColorModel::Rgb;
        smooth.pixels.resize(smooth.rowBytes() * 64);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 96; ++x)
                for (int c = 0; c < smooth.samples(); ++c) {
                    // CMYK: cyan and magenta inks only, which the plain conversion gives back.
                    const int cmykInk = c == 0 ? 30 + x : c == 1 ? 20 + y : 0;
                    smooth.pixels[(size_t(y) * 96 + size_t(x)) * size_t(smooth.samples()) + size_t(c)] =
                        uint8_t(isCmyk ? cmykInk : x * 2 + y + c * 30);
                }
        Write(folder.file(name), smooth);
        const cli::Image written = Read(folder.file(name));
        run = Apply(name, std::string("out-") + name, kNeutral);
        ASSERT_EQ(run.exitCode, 0) << run.output;
        const cli::Image result = Read(folder.file(std::string("out-") + name));
        EXPECT_EQ(result.model, smooth.model);
        EXPECT_EQ(result.width, 96);
        EXPECT_EQ(result.height, 64);
        EXPECT_GT(Psnr(written, result), 35.0);
    }
}

TEST_F(CommandLineTool, CmykInksSurviveWithThePlainConversion) {
    // Without a profile the host converts plainly; ink mixes RGB can express come back exactly.
    cli::Image cmyk;
    cmyk.width = 4;
    cmyk.height = 1;
    cmyk.model = cli::ColorModel::Cmyk;
    cmyk.pixels = {0, 0, 0, 0, 255, 0, 0, 0, 0, 128, 255, 0, 0, 0, 0, 200};
    Write(folder.file("inks.tif"), cmyk);
    ASSERT_EQ(Apply("inks.tif", "inks-out.tif", kNeutral).exitCode, 0);
    const cli::Image back = Read(folder.file("inks-out.tif"));
    for (size_t i = 0; i < cmyk.pixels.size(); ++i)
        EXPECT_NEAR(back.pixels[i], cmyk.pixels[i], 2) << i;
}

TEST_F(CommandLineTool, SelectionLeavesTheOutsideUntouched) {
    const cli::Image original = Pattern(80, 60, cli::ColorModel::Rgb, false);
    Write(folder.file("in.png"), original);
    const ToolRun run = Apply("in.png", "out.png", "--value 80 --size 5 --selection 10,20,30,25 --quiet");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const cli::Image back = Read(folder.file("out.png"));
    size_t changedInside = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 80; ++x)
            for (int c = 0; c < 3; ++c) {
                const size_t i = (size_t(y) * 80 + size_t(x)) * 3 + size_t(c);
                const bool inside = x >= 10 && x < 40 && y >= 20 && y < 45;
                if (!inside)
                    ASSERT_EQ(back.pixels[i], original.pixels[i]) << x << "," << y;
                else
                    changedInside += back.pixels[i] != original.pixels[i];
            }
    EXPECT_GT(changedInside, 100u);
    EXPECT_EQ(Apply("in.png", "out2.png", "--selection 70,50,20,20").exitCode, 2);
}

TEST_F(CommandLineTool, PresetsAndLastUsedValuesCarryEveryField) {
    Write(folder.file("in.png"), Pattern(40, 30, cli::ColorModel::Rgb, false));
    ToolRun run = Apply("in.png", "a.png",
                        "--method swirl --value 12.345 --size 40 --aberration -20 --seed 3.5 --proportion 15 "
                        "--center 10,-20 --save-preset " +
                            folder.file("mine.vfxpst") + " --quiet");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    FilterParameters loaded{};
    ASSERT_TRUE(ReadPresetFile(folder.file("mine.vfxpst"), &loaded));
    EXPECT_EQ(loaded.method, Swirl);
    EXPECT_FLOAT_EQ(loaded.value, 12.35f);
    EXPECT_FLOAT_EQ(loaded.size, 40.0f);
    EXPECT_FLOAT_EQ(loaded.aberration, -20.0f);
    EXPECT_FLOAT_EQ(loaded.randomSeed, 3.5f);
    EXPECT_FLOAT_EQ(loaded.proportion, 15.0f);
    EXPECT_FLOAT_EQ(loaded.centerX, 10.0f);
    EXPECT_FLOAT_EQ(loaded.centerY, -20.0f);

    // The same values through the preset render the same picture (to the preset's two decimals).
    ASSERT_EQ(Apply("in.png", "b.png",
                    "--value 12.35 --method 5 --size 40 --aberration -20 --seed 3.5 "
                    "--proportion 15 --center 10,-20 --quiet")
                  .exitCode,
              0);
    ASSERT_EQ(Apply("in.png", "c.png", "--preset " + folder.file("mine.vfxpst") + " --quiet").exitCode, 0);
    EXPECT_EQ(Read(folder.file("b.png")).pixels, Read(folder.file("c.png")).pixels);
    // Options after the preset win over it.
    ASSERT_EQ(Apply("in.png", "d.png", "--preset " + folder.file("mine.vfxpst") + " --value 0 --quiet").exitCode, 0);
    EXPECT_NE(Read(folder.file("d.png")).pixels, Read(folder.file("c.png")).pixels);

    // --last-used starts from the last run (d: the preset with value 0) and changes only what is given.
    ASSERT_EQ(Apply("in.png", "e.png", "--last-used --value 12.35 --quiet").exitCode, 0);
    EXPECT_EQ(Read(folder.file("e.png")).pixels, Read(folder.file("c.png")).pixels);
}

TEST_F(CommandLineTool, BadInputGivesOneClearLineAndDestroysNothing) {
    Write(folder.file("in.png"), Pattern(20, 20, cli::ColorModel::Rgb, false));
    folder.Write("keep.png", "precious");
    struct Case {
        std::string arguments;
        int exitCode;
        std::string says;
    };
    const std::string in = folder.file("in.png");
    const std::string keep = folder.file("keep.png");
    for (const Case& c : {
             Case{"apply " + in + " -o " + keep + " --value abc", 2, "not a finite number"},
             Case{"apply " + in + " -o " + keep + " --value nan", 2, "not a finite number"},
             Case{"apply " + in + " -o " + keep + " --size inf", 2, "not a finite number"},
             Case{"apply " + in + " -o " + keep + " --method spiral", 2, "no method"},
             Case{"apply " + in + " -o " + keep + " --frobnicate", 2, "unknown option"},
             Case{"apply " + in, 2, "needs an output"},
             Case{"apply " + folder.file("missing.png") + " -o " + folder.file("x.png"), 1, "cannot open"},
             Case{"apply " + in + " -o " + in, 2, "replace the input"},
             Case{"apply " + in + " -o " + folder.file("x.bmp"), 2, "no format"},
             Case{"apply " + in + " -o /nonexistent-folder/x.png", 1, "cannot write"},
             Case{"frobnicate", 2, "unknown command"},
         }) {
        SCOPED_TRACE(c.arguments);
        const ToolRun run = Tool(c.arguments, Env());
        EXPECT_EQ(run.exitCode, c.exitCode) << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << run.output;
        EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
    }
    EXPECT_EQ(folder.Read("keep.png"), "precious");
    EXPECT_EQ(Read(in).pixels, Pattern(20, 20, cli::ColorModel::Rgb, false).pixels);
    // No temporary files are left behind.
    for (const auto& entry : std::filesystem::directory_iterator(folder.folder()))
        EXPECT_EQ(entry.path().filename().string().find(".vortiflux-"), std::string::npos) << entry.path();

    // Truncated and corrupt files.
    std::string png = folder.Read("in.png");
    folder.Write("cut.png", png.substr(0, png.size() / 2));
    folder.Write("junk.tif", "II*\0garbage garbage garbage");
    folder.Write("junk.jpg", "\xFF\xD8\xFF\xE0 not really a jpeg");
    for (const char* name : {"cut.png", "junk.tif", "junk.jpg"}) {
        const ToolRun run = Apply(name, "never.png", "--quiet");
        EXPECT_EQ(run.exitCode, 1) << name << ": " << run.output;
        EXPECT_FALSE(std::filesystem::exists(folder.file("never.png")));
    }
}

TEST_F(CommandLineTool, UnsupportedModesAreRefusedUnlessConverted) {
    Write(folder.file("rgb.png"), Pattern(10, 10, cli::ColorModel::Rgb, false));
    // A 1 x 1 grey PNG of one bit a pixel, white.
    const unsigned char onebit[] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48,
                                    0x44, 0x52, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00,
                                    0x00, 0x37, 0x6E, 0xF9, 0x24, 0x00, 0x00, 0x00, 0x0A, 0x49, 0x44, 0x41, 0x54, 0x78,
                                    0x9C, 0x63, 0x68, 0x00, 0x00, 0x00, 0x82, 0x00, 0x81, 0x77, 0xCD, 0x72, 0xB6, 0x00,
                                    0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
    folder.Write("grey.png", std::string(reinterpret_cast<const char*>(onebit), sizeof onebit));
    ToolRun run = Apply("grey.png", "grey-out.png", "--quiet");
    EXPECT_EQ(run.exitCode, 2) << run.output;
    EXPECT_NE(run.output.find("1-bit Grey PNG is not supported: supported are 8- and 16-bit RGB, CMYK and grey"),
              std::string::npos)
        << run.output;
    // Converted, it stays grey, at 8 bits.
    run = Apply("grey.png", "grey-out.png", "--convert");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("converted from 1-bit Grey to 8-bit grey\n"), std::string::npos) << run.output;
    const cli::Image converted = Read(folder.file("grey-out.png"));
    EXPECT_EQ(converted.model, cli::ColorModel::Grey);
    EXPECT_EQ(converted.depth, 8);
    EXPECT_EQ(converted.pixels, std::vector<uint8_t>{255});

    // So does a 1-bit TIFF, here one whose set bits are black.
    {
        TIFF* tiff = TIFFOpen(folder.file("bilevel.tif").c_str(), "w");
        ASSERT_NE(tiff, nullptr);
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(8));
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(2));
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, uint16_t(1));
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, uint16_t(1));
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, uint16_t(PHOTOMETRIC_MINISWHITE));
        TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, uint16_t(PLANARCONFIG_CONTIG));
        uint8_t rows[2] = {0xF0, 0x55};
        ASSERT_EQ(TIFFWriteScanline(tiff, &rows[0], 0, 0), 1);
        ASSERT_EQ(TIFFWriteScanline(tiff, &rows[1], 1, 0), 1);
        TIFFClose(tiff);
    }
    run = Apply("bilevel.tif", "bilevel-out.tif", "--convert --value 0 --aberration 0");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("converted from 1-bit Grey to 8-bit grey\n"), std::string::npos) << run.output;
    const cli::Image bilevel = Read(folder.file("bilevel-out.tif"));
    EXPECT_EQ(bilevel.model, cli::ColorModel::Grey);
    EXPECT_EQ(bilevel.depth, 8);
    EXPECT_FALSE(bilevel.alpha);
    EXPECT_EQ(bilevel.pixels, (std::vector<uint8_t>{0, 0, 0, 0, 255, 255, 255, 255, 255, 0, 255, 0, 255, 0, 255, 0}));

    run = Tool("info " + folder.file("grey.png") + " " + folder.file("rgb.png"));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.output.find("Grey, 1-bit, 1 plane"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("needs --convert"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("10 x 10, RGB"), std::string::npos) << run.output;
}

TEST_F(CommandLineTool, SeveralInputsGoIntoAFolderAndLimitsOnlyWarn) {
    Write(folder.file("one.png"), Pattern(12, 9, cli::ColorModel::Rgb, false));
    Write(folder.file("two.tif"), Pattern(9, 12, cli::ColorModel::Cmyk, false));
    const ToolRun run = Tool("apply " + folder.file("one.png") + " " + folder.file("two.tif") + " -o " +
                                 folder.file("results") + " --value 1500",
                             Env());
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("warning"), std::string::npos);
    EXPECT_EQ(Read(folder.file("results/one.png")).width, 12);
    EXPECT_EQ(Read(folder.file("results/two.tif")).model, cli::ColorModel::Cmyk);
    EXPECT_EQ(Tool("--help").exitCode, 0);
    EXPECT_NE(Tool("--version").output.find("1.0"), std::string::npos);
}

TEST(CommandLineParsing, NumbersMethodsAndPixelCounts) {
    double value = 0;
    EXPECT_TRUE(cli::ParseNumber("-12.5", &value));
    EXPECT_EQ(value, -12.5);
    EXPECT_TRUE(cli::ParseNumber("+3", &value));
    EXPECT_TRUE(cli::ParseNumber("1e3", &value));
    for (const char* bad : {"", "+", "1.5x", "nan", "inf", "-inf", "1e999", " 5", "0x10"})
        EXPECT_FALSE(cli::ParseNumber(bad, &value)) << bad;
    uint8_t method = 9;
    for (const char* name : {"radial-smooth", "Radial Smooth", "RADIAL_SMOOTH", "radialsmooth", "4"}) {
        EXPECT_TRUE(cli::ParseMethod(name, &method)) << name;
        EXPECT_EQ(method, RadialSmooth) << name;
    }
    EXPECT_TRUE(cli::ParseMethod("Turbulence 2", &method));
    EXPECT_EQ(method, Turbulence2);
    EXPECT_TRUE(cli::ParseMethod("Swirl", &method));
    EXPECT_EQ(method, Swirl);
    for (const char* bad : {"6", "spiral", "", "radial smooth 2"})
        EXPECT_FALSE(cli::ParseMethod(bad, &method)) << bad;
    uint64_t pixels = 0;
    EXPECT_TRUE(cli::ParsePixelCount("500M", &pixels));
    EXPECT_EQ(pixels, 500000000u);
    EXPECT_TRUE(cli::ParsePixelCount("2g", &pixels));
    EXPECT_EQ(pixels, 2000000000u);
    for (const char* bad : {"", "0", "M", "-5", "1.5G", "99999999999999999999", "18446744073709551G"})
        EXPECT_FALSE(cli::ParsePixelCount(bad, &pixels)) << bad;
}

TEST_F(CommandLineTool, OptionsAreWrittenAsPeopleWriteThem) {
    Write(folder.file("in.png"), Pattern(40, 30, cli::ColorModel::Rgb, false));
    ASSERT_EQ(Apply("in.png", "spaced.png", "--method \"Radial Smooth\" --value 40 --quiet").exitCode, 0);
    ASSERT_EQ(Apply("in.png", "joined.png", "--method=radial-smooth --value=40 --quiet").exitCode, 0);
    ASSERT_EQ(Apply("in.png", "number.png", "--method=4 --value 40 -q").exitCode, 0);
    EXPECT_EQ(Read(folder.file("spaced.png")).pixels, Read(folder.file("joined.png")).pixels);
    EXPECT_EQ(Read(folder.file("spaced.png")).pixels, Read(folder.file("number.png")).pixels);

    ToolRun run = Apply("in.png", "x.png", "--quiet=yes");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.output.find("--quiet takes no value"), std::string::npos) << run.output;
    // Warnings repeat the number as it was typed.
    run = Apply("in.png", "x.png", "--value 5000 --size=1e4 --center 0,250.5");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    for (const char* typed : {"--value 5000 is beyond", "--size 1e4 is beyond", "--center Y 250.5 is beyond"})
        EXPECT_NE(run.output.find(typed), std::string::npos) << typed << ": " << run.output;
    EXPECT_EQ(run.output.find(".000000"), std::string::npos) << run.output;

    // JPEG quality, and a format named apart from the extension.
    ASSERT_EQ(Apply("in.png", "low.jpg", "--quality 20 --quiet").exitCode, 0);
    ASSERT_EQ(Apply("in.png", "high.jpg", "--quality=100 --quiet").exitCode, 0);
    EXPECT_LT(folder.Read("low.jpg").size(), folder.Read("high.jpg").size());
    EXPECT_EQ(Apply("in.png", "x.jpg", "--quality 0").exitCode, 2);
    ASSERT_EQ(Apply("in.png", "named.img", "--format tiff --quiet").exitCode, 0);
    EXPECT_EQ(folder.Read("named.img").substr(0, 2), "II");
    // A file name that looks like an option, after "--".
    Write(folder.file("-dash.png"), Pattern(8, 8, cli::ColorModel::Rgb, false));
    run = Tool("apply -o " + folder.file("dash-out.png") + " --quiet -- -dash.png",
               "cd " + folder.folder() + ";" + Env());
    EXPECT_EQ(run.exitCode, 0) << run.output;
}

TEST_F(CommandLineTool, StandardInputAndOutput) {
    Write(folder.file("in.png"), Pattern(40, 30, cli::ColorModel::Rgb, true));
    ASSERT_EQ(Apply("in.png", "file.png", "--method swirl --quiet").exitCode, 0);
    ToolRun run = Tool("apply - -o - --method swirl --quiet > " + folder.file("piped.png"),
                       "cat " + folder.file("in.png") + " | " + Env());
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(Read(folder.file("piped.png")).pixels, Read(folder.file("file.png")).pixels);
    // The input's format unless another is named.
    run = Tool("apply " + folder.file("in.png") + " -o - --format jpeg --quiet > " + folder.file("piped.jpg"), Env());
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(folder.Read("piped.jpg").substr(0, 3), "\xFF\xD8\xFF");
    run = Tool("info - < " + folder.file("piped.jpg"));
    EXPECT_NE(run.output.find("standard input: JPEG, 40 x 30"), std::string::npos) << run.output;

    run = Tool("apply - - -o " + folder.file("x.png") + " < " + folder.file("in.png"), Env());
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.output.find("read only once"), std::string::npos) << run.output;
    run = Tool("apply " + folder.file("in.png") + " " + folder.file("file.png") + " -o - > /dev/null", Env());
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.output.find("one input only"), std::string::npos) << run.output;
}

TEST_F(CommandLineTool, ErrorsSayWhy) {
    Write(folder.file("in.png"), Pattern(10, 10, cli::ColorModel::Rgb, false));
    std::filesystem::create_directories(folder.file("a folder"));
    struct Case {
        std::string arguments;
        int exitCode;
        std::string says;
    };
    const std::string in = folder.file("in.png");
    for (const Case& c : {
             Case{"apply " + folder.file("missing.png") + " -o " + folder.file("x.png"), 1,
                  "cannot open " + folder.file("missing.png") + ": No such file or directory"},
             Case{"apply \"" + folder.file("a folder") + "\" -o " + folder.file("x.png"), 1, "Is a directory"},
             Case{"apply " + in + " -o /nonexistent-folder/x.png", 1,
                  "cannot write /nonexistent-folder/x.png: No such file or directory"},
             Case{"apply " + in + " -o " + in + "/x.png", 1, "cannot write " + in + "/x.png: Not a directory"},
             Case{"apply " + in + " -o /dev/full --format png", 1, "cannot write /dev/full: No space left on device"},
             Case{"apply " + in + " -o " + folder.file("x.png") + " --plugin /nonexistent/Vortiflux.so", 1,
                  "/nonexistent/Vortiflux.so"},
         }) {
        SCOPED_TRACE(c.arguments);
        const ToolRun run = Tool(c.arguments + " --quiet", Env());
        EXPECT_EQ(run.exitCode, c.exitCode) << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << run.output;
        EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
    }
    EXPECT_FALSE(std::filesystem::exists(folder.file("x.png")));
}

TEST_F(CommandLineTool, FindsItsLibraryFromWhereItReallyIs) {
    Write(folder.file("in.png"), Pattern(10, 10, cli::ColorModel::Rgb, false));
    std::filesystem::create_directories(folder.file("bin"));
    std::filesystem::create_symlink(VORTIFLUX_TOOL_PATH, folder.file("bin/vf"));
    const std::string apply = "apply " + folder.file("in.png") + " -o " + folder.file("out.png") + " --quiet";
    ToolRun run;
    run.output.clear();
    std::FILE* pipe = popen(
        ("cd / && env -u VORTIFLUX_PLUGIN " + Env() + " PATH=" + folder.file("bin") + ":$PATH vf " + apply + " 2>&1")
            .c_str(),
        "r");
    ASSERT_NE(pipe, nullptr);
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        run.output += buffer;
    EXPECT_EQ(pclose(pipe), 0) << run.output;
    EXPECT_TRUE(std::filesystem::exists(folder.file("out.png")));
    // VORTIFLUX_PLUGIN names another library.
    run = Tool(apply, "VORTIFLUX_PLUGIN=/nonexistent/Other.so " + Env());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("/nonexistent/Other.so"), std::string::npos) << run.output;
    EXPECT_NE(Tool("--help").output.find("VORTIFLUX_PLUGIN"), std::string::npos);
}

} // namespace
