// The plug-in's host services against the substitute host: suites, progress, colour
// conversion, pixel buffers, channel reading and the layer queries.
#include "InProcessHost.h"
#include "engine/ProcessImage.h"
#include "plugin/ColorServices.h"
#include "plugin/Progress.h"
#include "plugin/Rectangles.h"

#include <cstring>

using testing_support::InProcessTest;

namespace {

using HostServices = InProcessTest;

TEST_F(HostServices, ProgressIsTruncatedAndNeverNegative) {
    Install();
    if (!host.options.progressProc) {
        ReportProgress(5.0f, 100.0f);
        EXPECT_TRUE(host.progress().empty());
    }
    VF_SKIP_UNLESS(host.options.progressProc, "no progress bar while the filter runs");
    ReportProgress(5.0f, 100.0f);
    ReportProgress(-3.0f, 100.0f);
    ReportProgress(55.9f, 100.0f);
    ReportProgress(1e12f, 100.0f);
    const std::vector<host::ProgressReport> expected{{5, 100}, {0, 100}, {55, 100}, {INT32_MAX, 100}};
    ASSERT_EQ(host.progress().size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(host.progress()[i].done, expected[i].done) << i;
        EXPECT_EQ(host.progress()[i].total, expected[i].total) << i;
    }
    // With the dialog open the host's bar is left alone.
    dialogActive = true;
    ReportProgress(5.0f, 100.0f);
    EXPECT_EQ(host.progress().size(), expected.size());
}

TEST_F(HostServices, ConvertColorGoesThroughTheColourServicesAndFailsWithout) {
    Install();
    if (!host.options.colorServices || host.options.colorServicesFail) {
        int16_t kept[4] = {1, 2, 3, 4};
        EXPECT_FALSE(ConvertColor(kept, plugInModeRGBColor, plugInModeCMYKColor));
        EXPECT_EQ(kept[0], 1);
    }
    VF_SKIP_UNLESS(host.options.colorServices && !host.options.colorServicesFail,
                   "single colours stay unconverted (the black behind a CMYK preview is filled with RGB values)");
    int16_t components[4] = {255, 0, 0, 0};
    ASSERT_TRUE(ConvertColor(components, plugInModeRGBColor, plugInModeCMYKColor));
    // Plain conversion: pure red is no cyan ink... 255 means no ink.
    EXPECT_EQ(components[0], 255);
    EXPECT_EQ(components[1], 0);
    EXPECT_EQ(components[2], 0);
    EXPECT_EQ(components[3], 255);
    ASSERT_TRUE(ConvertColor(components, plugInModeCMYKColor, plugInModeRGBColor));
    EXPECT_EQ(components[0], 255);
    EXPECT_EQ(components[1], 0);

    host.options.colorServices = false;
    Install();
    int16_t kept[4] = {1, 2, 3, 4};
    EXPECT_FALSE(ConvertColor(kept, plugInModeRGBColor, plugInModeCMYKColor));
    EXPECT_EQ(kept[3], 4);
    EXPECT_EQ(ColorSpaceOfMode(plugInModeLabColor), plugIncolorServicesLabSpace);
    EXPECT_EQ(ColorSpaceOfMode(plugInModeRGB48), plugIncolorServicesRGBSpace);
}

TEST_F(HostServices, PixelBufferGeometryAndSizesAreComputedIn64Bits) {
    PixelBuffer buffer;
    InitPixelBuffer(buffer, plugInModeRGBColor, VRect{0, 0, 5, 10}, 4, 8, 0);
    EXPECT_EQ(buffer.desc.rowBits, 80);
    EXPECT_EQ(buffer.desc.colBits, 8);
    EXPECT_EQ(PlaneBytes(buffer), 50);
    ASSERT_NE(PixelBufferData(buffer), nullptr);
    EXPECT_EQ(buffer.memoryBytes, 200u);
    EXPECT_EQ(FirstPixel(buffer), PixelBufferData(buffer));
    ReleasePixelBuffer(buffer);
    EXPECT_EQ(buffer.memory, nullptr);

    // 100000 x 100000 pixels, 4 planes: 40 GB, far beyond 32 bits, but honestly counted.
    PixelBuffer huge;
    InitPixelBuffer(huge, plugInModeRGBColor, VRect{0, 0, 100000, 100000}, 4, 0, 0);
    EXPECT_EQ(PlaneBytes(huge), int64_t(10000000000));
    // A row that the host's 32-bit bit counts cannot describe gets no memory at all.
    PixelBuffer wide;
    InitPixelBuffer(wide, plugInModeRGBColor, VRect{0, 0, 1, 400000000}, 1, 8, 0);
    EXPECT_EQ(PixelBufferData(wide), nullptr);
    // A failing page allocator gives no memory either, and the next call tries again.
    platform::FailNextPageAllocations(1);
    EXPECT_EQ(PixelBufferData(buffer), nullptr);
    EXPECT_NE(PixelBufferData(buffer), nullptr);
    ReleasePixelBuffer(buffer);
}

TEST_F(HostServices, PixelBufferCopyRaiseMergeAndBlend) {
    Install();
    PixelBuffer a, b, mask, small;
    InitPixelBuffer(a, plugInModeRGBColor, VRect{0, 0, 2, 3}, 4, 8, 0);
    InitPixelBuffer(b, plugInModeRGBColor, VRect{0, 0, 2, 3}, 4, 8, 0);
    InitPixelBuffer(mask, plugInModeGrayScale, VRect{0, 0, 2, 3}, 1, 8, 0);
    InitPixelBuffer(small, plugInModeRGBColor, VRect{0, 0, 2, 2}, 4, 8, 0);
    ASSERT_TRUE(FillPixelBuffer(a, RGBColor{100 << 8, 100 << 8, 100 << 8}));
    ASSERT_TRUE(FillPixelBuffer(b, RGBColor{200 << 8, 200 << 8, 200 << 8}));
    // Copy between different sizes fails and leaves the destination.
    ASSERT_TRUE(FillPixelBuffer(small, RGBColor{7 << 8, 7 << 8, 7 << 8}));
    EXPECT_FALSE(CopyPixelBuffer(small, a));
    EXPECT_EQ(FirstPixel(small)[0], 7);

    std::memset(FirstPixel(mask), 0, 6);
    FirstPixel(mask)[1] = 255;
    FirstPixel(mask)[2] = 128;
    ASSERT_TRUE(BlendPixelBuffer(a, b, mask, a.bounds));
    EXPECT_EQ(FirstPixel(a)[0], 100);                             // mask 0 keeps the destination
    EXPECT_EQ(FirstPixel(a)[1], 200);                             // mask 255 gives the source
    EXPECT_EQ(FirstPixel(a)[2], 150);                             // 100 + 12800 / 255
    EXPECT_EQ(FirstPixel(a)[3 * PlaneBytes(a)], 0);               // plane 3 is never blended
    EXPECT_FALSE(BlendPixelBuffer(small, b, mask, b.bounds));     // the destination is too narrow
    EXPECT_FALSE(BlendPixelBuffer(a, small, mask, small.bounds)); // source and mask differ

    FirstPixel(mask)[4] = 90;
    MergeAlpha(a, mask);
    EXPECT_EQ(FirstPixel(a)[3 * PlaneBytes(a) + 4], 90);
    RaiseAlpha(a, 60);
    EXPECT_EQ(FirstPixel(a)[3 * PlaneBytes(a) + 0], 60);
    EXPECT_EQ(FirstPixel(a)[3 * PlaneBytes(a) + 4], 90);
    EXPECT_TRUE(CopyPixelBuffer(b, a));
    EXPECT_EQ(std::memcmp(FirstPixel(a), FirstPixel(b), 24), 0);

    PixelBuffer three;
    InitPixelBuffer(three, plugInModeRGBColor, VRect{0, 0, 2, 2}, 3, 8, 0);
    ASSERT_TRUE(FillPixelBuffer(three, RGBColor{1 << 8, 2 << 8, 3 << 8}));
    RaiseAlpha(three, 255); // no plane 3: nothing happens
    EXPECT_EQ(FirstPixel(three)[2 * PlaneBytes(three)], 3);
    for (PixelBuffer* buffer : {&a, &b, &mask, &small, &three})
        ReleasePixelBuffer(*buffer);
    EXPECT_EQ(host.suites().OutstandingTotal(), 0);
}

TEST_F(HostServices, FillConvertsToTheBufferModeAndZeroesExtraPlanes) {
    Install();
    VF_SKIP_UNLESS(host.options.colorServices && !host.options.colorServicesFail,
                   "the black behind a CMYK preview is filled with RGB values (no ink)");
    PixelBuffer cmyk;
    InitPixelBuffer(cmyk, plugInModeCMYKColor, VRect{0, 0, 1, 1}, 5, 8, 0);
    ASSERT_TRUE(FillPixelBuffer(cmyk, RGBColor{0, 0, 0}));
    const uint8_t* p = FirstPixel(cmyk);
    EXPECT_EQ(p[0], 255); // black: white ink (255) in c, m, y and full black (0) in k
    EXPECT_EQ(p[3], 0);
    EXPECT_EQ(p[4], 0);
    ReleasePixelBuffer(cmyk);
}

TEST_F(HostServices, ReadChannelsFillsOnePlanePerChannelThroughEitherInterface) {
    VF_SKIP_UNLESS(host.options.channelPorts && host.options.documentInfo,
                   "no channel ports: the preview shows the pixels the host delivers for the view, without the "
                   "layer's own copy");
    host.document = host::Document::Make(6, 4, plugInModeRGBColor, true);
    for (bool withSuite : {true, false}) {
        if (!withSuite)
            host.suites().withheld.insert(kPSChannelPortsSuite);
        Install();
        PixelBuffer buffer;
        InitPixelBuffer(buffer, plugInModeRGBColor, GetFilterRect(), 4, 8, 0);
        ASSERT_TRUE(ReadChannels(host.record().documentInfo->targetCompositeChannels, buffer));
        ASSERT_TRUE(ReadChannels(host.record().documentInfo->targetTransparency, buffer)); // into plane 0 again
        EXPECT_EQ(result, noErr);
        const uint8_t* first = FirstPixel(buffer);
        for (int32_t y = 0; y < 4; ++y)
            for (int32_t x = 0; x < 6; ++x) {
                EXPECT_EQ(first[y * 6 + x], host.document.sampleAt(x, y, 3));
                EXPECT_EQ(first[PlaneBytes(buffer) + y * 6 + x], host.document.sampleAt(x, y, 1));
            }
        ReleasePixelBuffer(buffer);
        EXPECT_EQ(host.suites().OutstandingTotal(), 0);
    }
    // Neither interface: the host is insufficient.
    host.options.channelPorts = false;
    Install();
    PixelBuffer buffer;
    InitPixelBuffer(buffer, plugInModeRGBColor, GetFilterRect(), 3, 8, 0);
    EXPECT_FALSE(ReadChannels(host.record().documentInfo->targetCompositeChannels, buffer));
    EXPECT_EQ(result, errPlugInHostInsufficient);
    ReleasePixelBuffer(buffer);
}

// Whether the host answers questions about layers (descriptors, references, action control).
bool AnswersLayerQueries(const host::SubstituteHost& host) {
    const auto& withheld = const_cast<host::SubstituteHost&>(host).suites().withheld;
    return host.options.basicSuite && withheld.count(kPSBasicActionControlSuite) == 0 &&
           withheld.count(kPSActionReferenceSuite) == 0;
}

TEST_F(HostServices, LayerQueriesAnswerAndKeepTheActionSuitesUntilUnload) {
    VF_SKIP_UNLESS(AnswersLayerQueries(host), "no layer queries: the preview shows no layers below the target");
    host.document.targetName = "Swirl me";
    host.document.AddLayerBelow("Hidden", false, false, 3);
    host.document.AddLayerBelow("Shown", true, false, 4);
    Install();
    std::string name;
    ASSERT_TRUE(GetTargetLayerName(&name));
    EXPECT_EQ(name, "Swirl me");
    EXPECT_TRUE(IsLayerVisible("Shown"));
    EXPECT_FALSE(IsLayerVisible("Hidden"));
    EXPECT_FALSE(IsLayerVisible("No such layer"));
    // Only the two kept suites stay acquired, once each, however often they are used.
    EXPECT_EQ(host.suites().OutstandingTotal(), 2);
    EXPECT_EQ(host.suites().outstanding[kPSActionReferenceSuite], 1);
    EXPECT_EQ(host.suites().outstanding[kPSBasicActionControlSuite], 1);
    EXPECT_EQ(host.suites().actions().liveDescriptors(), 0u);
    EXPECT_EQ(host.suites().actions().liveReferences(), 0u);
    ReleaseKeptSuites();
    EXPECT_EQ(host.suites().OutstandingTotal(), 0);
    EXPECT_EQ(host.suites().unmatchedReleases, 0);

    // A host that refuses the control suite: no name, nothing left acquired.
    host.suites().withheld.insert(kPSBasicActionControlSuite);
    EXPECT_FALSE(GetTargetLayerName(&name));
    EXPECT_FALSE(IsLayerVisible("Shown"));
    ReleaseKeptSuites();
    EXPECT_EQ(host.suites().OutstandingTotal(), 0);
    // No basic suite at all.
    sSPBasic = nullptr;
    EXPECT_FALSE(GetTargetLayerName(&name));
}

TEST_F(HostServices, PreviewDocumentCompositesTheVisibleLayersBelowTheTarget) {
    VF_SKIP_UNLESS(AnswersLayerQueries(host) && host.options.channelPorts && host.options.documentInfo,
                   "the preview shows the target over the checkerboard, without the layers below it");
    host.document = host::Document::Make(5, 3, plugInModeRGBColor, true);
    host.document.targetName = "Top";
    host.document.AddLayerBelow("Bottom", true, false, 0, 40);
    host.document.AddLayerBelow("Invisible", false, false, 0, 250);
    host.document.AddLayerBelow("Half", true, true, 0, 200, 128);
    Install();
    ASSERT_TRUE(ReadPreviewDocument(host.record().documentInfo->targetCompositeChannels));
    ASSERT_NE(previewBackdrop, nullptr);
    ASSERT_NE(previewSource, nullptr);
    ASSERT_EQ(previewBackdrop->planes, 4);
    const uint8_t* backdrop = FirstPixel(*previewBackdrop);
    EXPECT_EQ(backdrop[0], 40 + (200 - 40) * 128 / 255); // Half over Bottom; Invisible skipped
    EXPECT_EQ(backdrop[3 * PlaneBytes(*previewBackdrop)], 255);
    const uint8_t* source = FirstPixel(*previewSource);
    for (int32_t x = 0; x < 5; ++x) {
        EXPECT_EQ(source[x], host.document.sampleAt(x, 0, 0));
        EXPECT_EQ(source[3 * PlaneBytes(*previewSource) + x], host.document.sampleAt(x, 0, 3));
    }
    ReleasePreviewDocument();
    EXPECT_EQ(previewSource, nullptr);
    EXPECT_EQ(previewBackdrop, nullptr);
}

TEST_F(HostServices, CmykPreviewKeepsTheBlackInkAndFindsTheTransparencyAfterIt) {
    VF_SKIP_UNLESS(AnswersLayerQueries(host) && host.options.channelPorts && host.options.documentInfo &&
                       testing_support::ConvertsCmyk(host),
                   "no layer copy or conversion: the CMYK preview shows the host's pixels alone");
    for (bool transparency : {false, true}) {
        SCOPED_TRACE(transparency);
        host.document = host::Document::Make(6, 4, plugInModeCMYKColor, transparency);
        host.document.targetName = "Top";
        // Below: black ink only (the host's samples say 255 for no ink).
        host::Layer& ink = host.document.AddLayerBelow("Ink", true, false, 0, 255);
        for (size_t i = 3; i < ink.pixels.size(); i += 4)
            ink.pixels[i] = 0;
        Install();
        ASSERT_TRUE(ReadPreviewDocument(PreviewDocumentChannels()));
        ASSERT_NE(previewSource, nullptr);
        ASSERT_EQ(previewSource->planes, transparency ? 5 : 4);
        const uint8_t* source = FirstPixel(*previewSource);
        for (int32_t x = 0; x < 6; ++x) {
            EXPECT_EQ(source[3 * PlaneBytes(*previewSource) + x], host.document.sampleAt(x, 0, 3)) << "black ink";
            if (transparency) {
                EXPECT_EQ(source[4 * PlaneBytes(*previewSource) + x], host.document.sampleAt(x, 0, 4));
            }
        }
        // Behind the layer: the black ink, converted, fully opaque.
        workingContext.bufferWidth = 6;
        workingContext.bufferHeight = 4;
        workingContext.offsetX = workingContext.offsetY = 0;
        workingContext.zoom = 1.0f;
        BuildViewBackground();
        ASSERT_NE(viewBackground, nullptr);
        for (int k = 0; k < 3; ++k)
            EXPECT_LT(viewBackground[k], 40) << k;
        ReleaseWorkingBuffers();
        ReleasePreviewDocument();
    }
}

TEST_F(HostServices, DocumentWithoutLayerInformationGivesABlackBackdropOnly) {
    VF_SKIP_UNLESS(host.options.documentInfo, "no document description: the preview shows the target alone");
    host.document.describeLayers = false;
    Install();
    ASSERT_TRUE(ReadPreviewDocument(host.record().documentInfo->targetCompositeChannels));
    ASSERT_NE(previewBackdrop, nullptr);
    EXPECT_EQ(previewSource, nullptr);
    EXPECT_EQ(previewBackdrop->planes, 3);
    EXPECT_EQ(FirstPixel(*previewBackdrop)[0], 0);
    // Without any document description the record's planes count.
    host.options.documentInfo = false;
    Install();
    ASSERT_TRUE(ReadPreviewDocument(nullptr));
    EXPECT_EQ(previewBackdrop->planes, 3);
}

} // namespace
