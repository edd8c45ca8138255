// Whole-image processing through the substitute host with the real plug-in library: what the
// document looks like after a run, for RGB and CMYK with and without transparency.
#include "TestPlugin.h"
#include "engine/EngineVariant.h"
#include "engine/RenderDistortion.h"
#include "plugin/Globals.h"

#include <algorithm>
#include <cstring>
#include <vector>

using testing_support::PluginTest;

namespace {

// The engine's reference path, linked into this program, on a buffer built the way the filter
// builds it; the tests compare the document (made by the plug-in on its fastest path) with what
// the reference makes of it.
template <class Sample>
std::vector<Sample> Render(std::vector<Sample> source, int32_t width, int32_t height, const FilterParameters& p,
                           int planes, int colorPlanes) {
    DistortionContext context;
    context.bufferWidth = context.areaWidth = width;
    context.bufferHeight = context.areaHeight = height;
    std::vector<Sample> destination(source.size());
    RenderSettings settings;
    settings.planeCount = planes;
    settings.colorPlanes = colorPlanes;
    ForceEngineVariant(EngineVariant::Reference);
    EXPECT_TRUE(RenderDistortion(context, p, source.data(), destination.data(), settings));
    ForceEngineVariant(EngineVariant::Automatic);
    ReleasePlaneScratch();
    return destination;
}

uint8_t Weighted(uint8_t value, uint8_t alpha) {
    return uint8_t(float(value) * (float(alpha) / 255.0f));
}
uint16_t Weighted(uint16_t value, uint16_t alpha) {
    return uint16_t(float(value) * (float(alpha) / 32768.0f));
}

// A document's samples as numbers (8 or 16 bits).
uint16_t SampleOf(const host::Document& document, int32_t x, int32_t y, int plane) {
    if (document.bytesPerSample() == 1)
        return document.sampleAt(x, y, plane);
    uint16_t sample = 0;
    const size_t at = size_t(y) * document.rowBytes() + (size_t(x) * size_t(document.planes()) + size_t(plane)) * 2;
    std::memcpy(&sample, document.pixels.data() + at, 2);
    return sample;
}
void SetSample(host::Document& document, int32_t x, int32_t y, int plane, uint16_t sample) {
    if (document.bytesPerSample() == 1)
        *document.sample(x, y, plane) = uint8_t(sample);
    else
        std::memcpy(document.sample(x, y, plane), &sample, 2);
}

// The document a run on an RGB or grey document of `Sample`s should leave behind: grey is
// warped as one colour, which the aberration does not touch.
template <class Sample> host::Document ExpectedPlain(const host::Document& input, FilterParameters p) {
    const int planes = input.planes(), colors = input.colorPlanes;
    const Sample opaque = sizeof(Sample) == 1 ? Sample(255) : Sample(32768);
    if (colors == 1)
        p.aberration = 0.0f;
    std::vector<Sample> source(size_t(input.width) * size_t(input.height) * 4);
    for (int32_t y = 0; y < input.height; ++y)
        for (int32_t x = 0; x < input.width; ++x) {
            Sample* pixel = &source[(size_t(y) * input.width + x) * 4];
            for (int k = 0; k < 3; ++k)
                pixel[k] = Sample(SampleOf(input, x, y, colors == 1 ? 0 : k));
            pixel[3] = planes > colors ? Sample(SampleOf(input, x, y, colors)) : opaque;
        }
    const std::vector<Sample> rendered = Render(source, input.width, input.height, p, planes, colors);
    host::Document expected = input;
    for (int32_t y = 0; y < input.height; ++y)
        for (int32_t x = 0; x < input.width; ++x) {
            const Sample* pixel = &rendered[(size_t(y) * input.width + x) * 4];
            if (colors == 1) {
                SetSample(expected, x, y, 0, pixel[0]);
                if (planes > 1)
                    SetSample(expected, x, y, 1, pixel[3]);
                continue;
            }
            for (int k = 0; k < planes; ++k)
                SetSample(expected, x, y, k,
                          planes == 3 && pixel[3] != opaque ? Weighted(pixel[k], pixel[3]) : pixel[k]);
        }
    return expected;
}

// The document a 16-bit CMYK run should leave behind, with the host's 16-bit conversion.
host::Document ExpectedCmyk64(const host::Document& input, const FilterParameters& p) {
    host::ColorConverter converter;
    converter.SetProfile(input.iccProfile);
    const int planes = input.planes();
    std::vector<uint16_t> source(size_t(input.width) * size_t(input.height) * 4);
    for (int32_t y = 0; y < input.height; ++y)
        for (int32_t x = 0; x < input.width; ++x) {
            Color16 color = {SampleOf(input, x, y, 0), SampleOf(input, x, y, 1), SampleOf(input, x, y, 2),
                             SampleOf(input, x, y, 3)};
            converter.Convert16(plugIncolorServicesCMYKSpace, plugIncolorServicesRGBSpace, &color, 1);
            uint16_t* pixel = &source[(size_t(y) * input.width + x) * 4];
            std::copy(color + 1, color + 4, pixel);
            pixel[3] = planes > 4 ? SampleOf(input, x, y, 4) : uint16_t(32768);
        }
    const std::vector<uint16_t> rendered = Render(source, input.width, input.height, p, planes, 4);
    host::Document expected = input;
    for (int32_t y = 0; y < input.height; ++y)
        for (int32_t x = 0; x < input.width; ++x) {
            const uint16_t* pixel = &rendered[(size_t(y) * input.width + x) * 4];
            Color16 color = {32768, pixel[0], pixel[1], pixel[2]};
            if (planes == 4)
                for (int k = 0; k < 3; ++k)
                    color[k + 1] = Weighted(pixel[k], pixel[3]);
            converter.Convert16(plugIncolorServicesRGBSpace, plugIncolorServicesCMYKSpace, &color, 1);
            for (int k = 0; k < 4; ++k)
                SetSample(expected, x, y, k, color[k]);
            if (planes > 4)
                SetSample(expected, x, y, 4, pixel[3]);
        }
    return expected;
}

// The document an RGB run should leave behind.
host::Document ExpectedRgb(const host::Document& input, const FilterParameters& p) {
    const int planes = input.planes();
    std::vector<uint8_t> source(size_t(input.width) * size_t(input.height) * 4);
    for (int32_t y = 0; y < input.height; ++y)
        for (int32_t x = 0; x < input.width; ++x)
            for (int k = 0; k < 4; ++k)
                source[(size_t(y) * input.width + x) * 4 + k] = k < planes ? input.sampleAt(x, y, k) : uint8_t(255);
    const std::vector<uint8_t> rendered = Render(source, input.width, input.height, p, planes, 3);
    host::Document expected = input;
    for (int32_t y = 0; y < input.height; ++y)
        for (int32_t x = 0; x < input.width; ++x) {
            const uint8_t* pixel = &rendered[(size_t(y) * input.width + x) * 4];
            for (int k = 0; k < planes; ++k)
                *expected.sample(x, y, k) = planes == 3 && pixel[3] != 255 ? Weighted(pixel[k], pixel[3]) : pixel[k];
        }
    return expected;
}

// The document a CMYK run should leave behind, with the host's own conversion both ways.
host::Document ExpectedCmyk(const host::Document& input, const FilterParameters& p) {
    host::ColorConverter converter;
    converter.SetProfile(input.iccProfile);
    const int planes = input.planes();
    std::vector<uint8_t> source(size_t(input.width) * size_t(input.height) * 4);
    for (int32_t y = 0; y < input.height; ++y)
        for (int32_t x = 0; x < input.width; ++x) {
            Color8 color = {input.sampleAt(x, y, 0), input.sampleAt(x, y, 1), input.sampleAt(x, y, 2),
                            input.sampleAt(x, y, 3)};
            converter.Convert8(plugIncolorServicesCMYKSpace, plugIncolorServicesRGBSpace, &color, 1);
            uint8_t* pixel = &source[(size_t(y) * input.width + x) * 4];
            std::copy(color + 1, color + 4, pixel);
            pixel[3] = planes > 4 ? input.sampleAt(x, y, 4) : uint8_t(255);
        }
    const std::vector<uint8_t> rendered = Render(source, input.width, input.height, p, planes, 4);
    host::Document expected = input;
    for (int32_t y = 0; y < input.height; ++y)
        for (int32_t x = 0; x < input.width; ++x) {
            const uint8_t* pixel = &rendered[(size_t(y) * input.width + x) * 4];
            Color8 color = {255, pixel[0], pixel[1], pixel[2]};
            if (planes == 4)
                for (int k = 0; k < 3; ++k)
                    color[k + 1] = Weighted(pixel[k], pixel[3]);
            converter.Convert8(plugIncolorServicesRGBSpace, plugIncolorServicesCMYKSpace, &color, 1);
            for (int k = 0; k < 4; ++k)
                *expected.sample(x, y, k) = color[k];
            if (planes > 4)
                *expected.sample(x, y, 4) = pixel[3];
        }
    return expected;
}

// The first differing sample, for a readable failure.
::testing::AssertionResult SameDocument(const host::Document& actual, const host::Document& expected) {
    if (actual.pixels.size() != expected.pixels.size())
        return ::testing::AssertionFailure() << "sizes differ";
    for (size_t i = 0; i < actual.pixels.size(); ++i)
        if (actual.pixels[i] != expected.pixels[i])
            return ::testing::AssertionFailure()
                   << "sample " << i << " (pixel " << i / size_t(actual.planes()) << ", plane "
                   << i % size_t(actual.planes()) << "): " << int(actual.pixels[i]) << " instead of "
                   << int(expected.pixels[i]);
    return ::testing::AssertionSuccess();
}

class Processing : public PluginTest {
protected:
    // A run with the given effect values: played as an action where the host plays actions,
    // else set by the user in the dialog.
    host::RunResult RunWith(float value, float aberration, uint8_t method = Swirl) {
        if (!testing_support::RecordsActions(host)) {
            return testing_support::RunInteractiveEditing(host, [=](FilterParameters& p) {
                p.method = method;
                p.value = value;
                p.aberration = aberration;
            });
        }
        host::DescriptorItem m, v, a;
        m.key = keyMethod, m.type = typeInteger, m.integer = method;
        v.key = keyValue, v.type = typeFloat, v.number = value;
        a.key = keyAberration, a.type = typeFloat, a.number = aberration;
        host.PlayDescriptor({m, v, a}, plugInDialogDontDisplay);
        return host.RunInteractive();
    }
    FilterParameters Effect(float value, float aberration, uint8_t method = Swirl) const {
        FilterParameters p{};
        p.method = method;
        p.value = value;
        p.size = 25.0f;
        p.aberration = aberration;
        return p;
    }
};

TEST_F(Processing, RgbWithAndWithoutTransparencyIsDistortedAsTheEngineDistorts) {
    for (bool transparency : {false, true}) {
        host.document = host::Document::Make(37, 23, plugInModeRGBColor, transparency);
        const host::Document input = host.document;
        ASSERT_EQ(RunWith(0.0f, 0.0f).result, noErr);
        EXPECT_TRUE(SameDocument(host.document, input)) << "value 0 gives the image back";
        for (float aberration : {0.0f, 60.0f}) {
            host.document = input;
            ASSERT_EQ(RunWith(40.0f, aberration).result, noErr);
            EXPECT_TRUE(SameDocument(host.document, ExpectedRgb(input, Effect(40.0f, aberration))))
                << "transparency " << transparency << ", aberration " << aberration;
        }
        EXPECT_EQ(host.suites().OutstandingTotal(), 0);
    }
}

// The tool's host lets the plug-in write into the document itself: the same pictures (RGB with
// and without transparency, CMYK, a selection the host masks by).
TEST_F(Processing, OutputWrittenInPlaceGivesTheSamePictures) {
    struct Case {
        int16_t mode;
        bool transparency;
        bool selection;
    };
    for (const Case& c : {Case{plugInModeRGBColor, false, false}, Case{plugInModeRGBColor, true, false},
                          Case{plugInModeRGBColor, true, true}, Case{plugInModeCMYKColor, false, false}}) {
        host.document = host::Document::Make(41, 27, c.mode, c.transparency);
        if (c.selection)
            host.document.SelectEllipse(VRect{3, 4, 22, 35});
        const host::Document input = host.document;
        host.options.outputInPlace = false;
        ASSERT_EQ(RunWith(35.0f, 40.0f).result, noErr);
        const host::Document copied = host.document;
        host.document = input;
        host.options.outputInPlace = true;
        ASSERT_EQ(RunWith(35.0f, 40.0f).result, noErr);
        EXPECT_TRUE(SameDocument(host.document, copied)) << c.mode << " " << c.transparency << " " << c.selection;
    }
    host.options.outputInPlace = false;
}

TEST_F(Processing, CmykWithAndWithoutTransparencyGoesThroughTheHostConversion) {
    VF_SKIP_UNLESS(testing_support::ConvertsCmyk(host), testing_support::kNoCmyk);
    for (bool transparency : {false, true}) {
        host.document = host::Document::Make(29, 17, plugInModeCMYKColor, transparency);
        const host::Document input = host.document;
        for (float value : {0.0f, 35.0f}) {
            host.document = input;
            ASSERT_EQ(RunWith(value, 30.0f).result, noErr);
            EXPECT_TRUE(SameDocument(host.document, ExpectedCmyk(input, Effect(value, 30.0f))))
                << "transparency " << transparency << ", value " << value;
        }
        EXPECT_GT(host.suites().convertCalls, 0);
        EXPECT_EQ(host.suites().OutstandingTotal(), 0);
    }
}

TEST_F(Processing, EveryPixelOfACmykRowWiderThanOneConversionIsFiltered) {
    VF_SKIP_UNLESS(host.options.bigDocument, testing_support::kNoWideDocuments);
    VF_SKIP_UNLESS(testing_support::ConvertsCmyk(host), testing_support::kNoCmyk);
    host.document = host::Document::Make(32767 + 300, 2, plugInModeCMYKColor, false);
    const host::Document input = host.document;
    ASSERT_EQ(RunWith(0.0f, 0.0f).result, noErr);
    EXPECT_LE(host.suites().largestConvert, 32767);
    EXPECT_TRUE(SameDocument(host.document, ExpectedCmyk(input, Effect(0.0f, 0.0f))));
}

TEST_F(Processing, GreyAndSixteenBitDocumentsAreDistortedAtTheirOwnDepth) {
    struct Case {
        int16_t mode;
        int32_t depth;
    };
    for (Case c : {Case{plugInModeGrayScale, 8}, Case{plugInModeGray16, 16}, Case{plugInModeRGB48, 16}}) {
        for (bool transparency : {false, true}) {
            SCOPED_TRACE(::testing::Message() << "mode " << c.mode << ", transparency " << transparency);
            host.document = host::Document::Make(37, 23, c.mode, transparency, c.depth);
            const host::Document input = host.document;
            ASSERT_EQ(RunWith(0.0f, 0.0f).result, noErr);
            EXPECT_TRUE(SameDocument(host.document, input)) << "value 0 gives the image back";
            std::vector<host::Document> results;
            for (float aberration : {0.0f, 60.0f}) {
                host.document = input;
                ASSERT_EQ(RunWith(40.0f, aberration).result, noErr);
                const host::Document expected = c.depth == 16
                                                    ? ExpectedPlain<uint16_t>(input, Effect(40.0f, aberration))
                                                    : ExpectedPlain<uint8_t>(input, Effect(40.0f, aberration));
                EXPECT_TRUE(SameDocument(host.document, expected)) << "aberration " << aberration;
                results.push_back(host.document);
            }
            if (c.mode != plugInModeRGB48) {
                EXPECT_TRUE(SameDocument(results[1], results[0])) << "grey has no colours for the aberration to part";
            }
            if (c.depth == 16) {
                // The depth was used: samples an 8-bit render widened could not give.
                size_t fine = 0;
                for (int32_t y = 0; y < input.height; ++y)
                    for (int32_t x = 0; x < input.width; ++x)
                        fine += SampleOf(results[0], x, y, 0) % 128 != 0 ? 1 : 0;
                EXPECT_GT(fine, size_t(input.width) * size_t(input.height) / 2);
            }
        }
    }
    EXPECT_EQ(host.suites().OutstandingTotal(), 0);
}

TEST_F(Processing, SixteenBitCmykGoesThroughTheHostsSixteenBitConversion) {
    VF_SKIP_UNLESS(testing_support::ConvertsCmyk(host), testing_support::kNoCmyk);
    for (bool transparency : {false, true}) {
        host.document = host::Document::Make(29, 17, plugInModeCMYK64, transparency, 16);
        const host::Document input = host.document;
        for (float value : {0.0f, 35.0f}) {
            host.document = input;
            const host::RunResult run = RunWith(value, 30.0f);
            if (!host.suites().convert16) {
                // A host that cannot convert 16-bit colours: the user is told, the image stays.
                EXPECT_NE(run.result, noErr);
                EXPECT_TRUE(SameDocument(host.document, input));
                continue;
            }
            ASSERT_EQ(run.result, noErr);
            EXPECT_TRUE(SameDocument(host.document, ExpectedCmyk64(input, Effect(value, 30.0f))))
                << "transparency " << transparency << ", value " << value;
        }
        EXPECT_EQ(host.suites().OutstandingTotal(), 0);
    }
}

TEST_F(Processing, OtherModesAndDeepDataAreCopiedUnchanged) {
    struct Case {
        int16_t mode;
        int32_t depth;
    };
    for (Case c : {Case{plugInModeLabColor, 8}, Case{plugInModeIndexedColor, 8}, Case{plugInModeLab48, 16},
                   Case{plugInModeRGBColor, 16}}) {
        host.document = host::Document::Make(13, 9, c.mode, false, c.depth);
        const host::Document input = host.document;
        const host::RunResult run = RunWith(40.0f, 50.0f);
        EXPECT_EQ(run.result, noErr) << c.mode;
        EXPECT_FALSE(run.documentChanged) << c.mode;
        EXPECT_TRUE(SameDocument(host.document, input)) << c.mode;
    }
}

TEST_F(Processing, HostSeesTheProgressOfEveryStage) {
    VF_SKIP_UNLESS(host.options.progressProc, "no progress bar while the filter runs");
    // What the engine itself reports between the preparation and the end.
    std::vector<host::ProgressReport> engine;
    static std::vector<host::ProgressReport>* sink = nullptr;
    sink = &engine;
    std::vector<uint8_t> source(16 * 4, 255), destination(16 * 4);
    DistortionContext context;
    context.bufferWidth = context.bufferHeight = context.areaWidth = context.areaHeight = 4;
    RenderSettings settings;
    settings.progress = [](float done, float total) { sink->push_back({int32_t(done), int32_t(total)}); };
    RenderDistortion(context, Effect(10.0f, 0.0f), source.data(), destination.data(), settings);
    ReleasePlaneScratch();

    ASSERT_EQ(RunWith(10.0f, 0.0f).result, noErr);
    std::vector<int32_t> expected{0, 5, 10};
    for (const host::ProgressReport& report : engine)
        expected.push_back(report.done);
    expected.push_back(0);
    std::vector<int32_t> seen;
    for (const host::ProgressReport& report : host.progress()) {
        seen.push_back(report.done);
        EXPECT_EQ(report.total, 100);
    }
    EXPECT_EQ(seen, expected);
}

TEST_F(Processing, CmykWithoutTheColorSpaceSuiteKeepsTheDocument) {
    host.document = host::Document::Make(11, 7, plugInModeCMYKColor, true);
    const host::Document input = host.document;
    host.suites().withheld.insert(kPSColorSpaceSuite);
    const host::RunResult run = RunWith(40.0f, 0.0f);
    EXPECT_EQ(run.result, noErr);
    EXPECT_TRUE(SameDocument(host.document, input));
    EXPECT_EQ(host.suites().OutstandingTotal(), 0);
}

TEST_F(Processing, SelectionAndBigCoordinatesProcessOnlyTheFilterRectangle) {
    host.document = host::Document::Make(40, 30, plugInModeRGBColor, false);
    host.document.selection = VRect{5, 7, 25, 31};
    for (bool big : {true, false}) {
        host.options.bigDocument = big;
        const host::Document input = host.document;
        ASSERT_EQ(RunWith(30.0f, 20.0f).result, noErr);
        // Outside the rectangle nothing moves; inside it is the engine's picture of the area.
        host::Document area = host::Document::Make(24, 20, plugInModeRGBColor, false);
        for (int32_t y = 0; y < 20; ++y)
            for (int32_t x = 0; x < 24; ++x)
                for (int k = 0; k < 3; ++k)
                    *area.sample(x, y, k) = input.sampleAt(x + 7, y + 5, k);
        const host::Document expectedArea = ExpectedRgb(area, Effect(30.0f, 20.0f));
        for (int32_t y = 0; y < 30; ++y)
            for (int32_t x = 0; x < 40; ++x)
                for (int k = 0; k < 3; ++k) {
                    const bool inside = y >= 5 && y < 25 && x >= 7 && x < 31;
                    const uint8_t want = inside ? expectedArea.sampleAt(x - 7, y - 5, k) : input.sampleAt(x, y, k);
                    ASSERT_EQ(host.document.sampleAt(x, y, k), want) << x << "," << y << "," << k << " big " << big;
                }
    }
}

TEST_F(Processing, ARepeatedRunAndAPlayedActionUseTheirValues) {
    host.document = host::Document::Make(20, 20, plugInModeRGBColor, true);
    const host::Document input = host.document;
    ASSERT_EQ(RunWith(30.0f, 40.0f).result, noErr);
    const host::Document afterFirst = host.document;
    // The host repeats the filter: the values of the last run come back from the registry or the
    // parameter record the host kept.
    host.document = input;
    bool dialogOnRepeat = false;
    host.options.beforeSelector = [&](int16_t selector) {
        if (selector == filterSelectorStart)
            dialogOnRepeat = Data().queryForParameters;
    };
    ASSERT_EQ(host.RunRepeat().result, noErr);
    host.options.beforeSelector = nullptr;
    if (host.options.processPerRun) {
        // A host that runs each filter in a new process keeps the record as Parameters left it
        // (the defaults) and half of the data slot: the repeat asks the user again, at the
        // defaults, instead of locking what is no record.
        EXPECT_TRUE(dialogOnRepeat);
        EXPECT_EQ(Parameters().value, 25.0f);
    } else {
        EXPECT_FALSE(dialogOnRepeat);
        EXPECT_TRUE(SameDocument(host.document, afterFirst));
        EXPECT_EQ(Parameters().value, 30.0f);
    }
    // The recorded action played in another host gives the same picture.
    VF_SKIP_UNLESS(testing_support::RecordsActions(host), testing_support::kNoActions);
    const auto recorded = host.RecordedDescriptor();
    host::SubstituteHost other;
    host::ApplyHostProfile(testing_support::TestProfile(), &other);
    std::string error;
    ASSERT_TRUE(other.Load(testing_support::PluginPath(), &error)) << error;
    other.document = input;
    other.PlayDescriptor(recorded, plugInDialogSilent);
    ASSERT_EQ(other.RunRepeat().result, noErr);
    EXPECT_TRUE(SameDocument(other.document, afterFirst));
}

} // namespace
