// The preview's source images and the processing while the dialog is open, and the final
// render's failures, with the plug-in's code linked into the test program.
#include "InProcessHost.h"
#include "plugin/Rectangles.h"

#include <cmath>
#include <cstring>

using testing_support::InProcessTest;

namespace {

class Preview : public InProcessTest {
protected:
    void TearDown() override {
        workingContext = DistortionContext{}; // the views' zoom and scroll stay with their test
        InProcessTest::TearDown();
    }

    void OpenView(int32_t width, int32_t height) {
        data.proxyRect = Rect{0, 0, int16_t(height), int16_t(width)};
        mainView = PreviewView{};
        mainView.viewWidth = width;
        mainView.viewHeight = height;
        ResetPreviewZoom();
    }
};

TEST_F(Preview, ZoomFitsLargeImagesAndShowsSmallOnesWhole) {
    host.document = host::Document::Make(2500, 1000, plugInModeRGBColor, false);
    Install();
    OpenView(400, 300);
    SetPreviewZoom(mainView);
    EXPECT_EQ(fitZoom, 7.0f); // 6.25 rounded up
    EXPECT_EQ(zoom, 1.0f);    // the dialog opens at 100 %
    EXPECT_EQ(result, noErr);
    EXPECT_EQ(host.lastInRect().right - host.lastInRect().left, 400);
    zoomStepsFromFit = 0; // fit
    SetPreviewZoom(mainView);
    EXPECT_EQ(zoom, 7.0f);
    EXPECT_EQ(int(100 / zoom), 14);
    EXPECT_EQ(mainView.zoomedWidth, 357); // 2500 / 7 rounded
    // A host without sampling is asked at rate 1 and the plug-in samples itself.
    EXPECT_EQ(host.record().inputRate, host.options.samplingSupport ? 7 * 65536 : 65536);
    EXPECT_EQ(host.record().inputPadding, 255);
    EXPECT_EQ(data.proxyRect.bottom, 300);

    host.document = host::Document::Make(100, 50, plugInModeRGBColor, false);
    Install();
    OpenView(400, 300);
    mainView.scrollX = 30;
    SetPreviewZoom(mainView);
    EXPECT_EQ(fitZoom, 1.0f);
    EXPECT_EQ(zoom, 1.0f);
    EXPECT_EQ(mainView.scrollX, 0);
    EXPECT_EQ(mainView.scrollY, 0);
}

TEST_F(Preview, ZoomKeepsTheViewCentredAndInRange) {
    host.document = host::Document::Make(2000, 100, plugInModeRGBColor, false);
    Install();
    OpenView(400, 300);
    SetPreviewZoom(mainView); // zoom 1
    mainView.scrollX = 800;
    zoomStepsFromFit = fitZoom - 2; // zoom 2: the image is 1000 wide, scroll moves by -500
    SetPreviewZoom(mainView);
    EXPECT_EQ(zoom, 2.0f);
    EXPECT_EQ(mainView.scrollX, 300);
    zoomStepsFromFit = fitZoom - 1; // back to 100 %: +500, limited to 2000 - 400
    mainView.scrollX = 1200;
    SetPreviewZoom(mainView);
    EXPECT_EQ(mainView.scrollX, 1600);
    zoomStepsFromFit = fitZoom - 2;
    mainView.scrollX = 100; // 100 - 500 is negative: 0
    SetPreviewZoom(mainView);
    EXPECT_EQ(mainView.scrollX, 0);
    zoomStepsFromFit = 100; // beyond the steps there are: never below 100 %
    SetPreviewZoom(mainView);
    EXPECT_EQ(zoom, 1.0f);
}

// The view lives in the zoomed selection: its request, its scroll limits and its centring
// follow the selection's extent, wherever the selection lies in the image.
TEST_F(Preview, SelectionAwayFromTheTopLeftIsShownAtEveryZoom) {
    host::Document document = host::Document::Make(3000, 2000, plugInModeRGBColor, false);
    document.selection = VRect{800, 1200, 1600, 2400}; // 1200 x 800
    host.document = document;
    Install();
    OpenView(400, 300);
    params.value = 0.0f;
    params.aberration = 0.0f;
    dialogActive = true;
    struct Expected {
        float stepsFromFit;
        int32_t scrollX, scrollY; // asked for
        int32_t shownX, shownY;   // after centring and limits
        VRect request;            // zoomed image coordinates
    };
    const Expected views[] = {
        {-1, 0, 0, 0, 0, {800, 1200, 1100, 1600}},            // 100 %
        {-1, 5000, 5000, 800, 500, {1300, 2000, 1600, 2400}}, // limited by the selection, not the image
        {1, 400, 250, 100, 50, {450, 700, 750, 1100}},        // zoom 2: centring moves by (600 - 1200) / 2
        {0, 500, 300, 0, 0, {267, 400, 533, 800}},            // fit (zoom 3): 400 x 266 lies inside the view
    };
    for (const Expected& view : views) {
        SCOPED_TRACE(view.stepsFromFit);
        zoomStepsFromFit = view.stepsFromFit;
        mainView.scrollX = view.scrollX;
        mainView.scrollY = view.scrollY;
        SetPreviewZoom(mainView);
        ASSERT_EQ(result, noErr);
        EXPECT_EQ(mainView.scrollX, view.shownX);
        EXPECT_EQ(mainView.scrollY, view.shownY);
        // A host without sampling is asked for the image at rate 1 in pieces instead.
        if (host.options.samplingSupport || zoom == 1.0f) {
            const VRect asked = host.lastInRect();
            EXPECT_EQ(asked.top, view.request.top);
            EXPECT_EQ(asked.left, view.request.left);
            EXPECT_EQ(asked.bottom, view.request.bottom);
            EXPECT_EQ(asked.right, view.request.right);
        }

        workingContext.offsetX = mainView.scrollX;
        workingContext.offsetY = mainView.scrollY;
        workingContext.zoom = zoom;
        ASSERT_TRUE(PrepareWorkingBuffers());
        ProcessImage();
        const auto* out = static_cast<const uint8_t*>(host.record().outData); // a packed field: read by value
        ASSERT_NE(out, nullptr);
        // The top left of the view: the selection's pixel the host reads for it.
        const int64_t x = int64_t(view.request.left) * int64_t(zoom), y = int64_t(view.request.top) * int64_t(zoom);
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(out[k], document.sampleAt(int32_t(x), int32_t(y), k)); // a host may keep earlier views
    }
}

TEST_F(Preview, FallbackColoursFollowTheInkAmounts) {
    uint8_t rgb[3];
    CmykToRgbFallback(0, 0, 0, 0, rgb);
    EXPECT_EQ(rgb[0], 255);
    EXPECT_EQ(rgb[2], 255);
    CmykToRgbFallback(0, 0, 0, 255, rgb);
    EXPECT_EQ(rgb[0], 155);
    EXPECT_EQ(rgb[1], 155);
    CmykToRgbFallback(255, 0, 0, 255, rgb);
    EXPECT_EQ(rgb[0], 0);
    EXPECT_EQ(rgb[1], 155);
    EXPECT_EQ(rgb[2], 155);
}

TEST_F(Preview, NavigatorSourceConvertsCmykOnceWithOrWithoutTheSuite) {
    VF_SKIP_UNLESS(host.options.bigDocument, testing_support::kNoWideDocuments);
    host.document = host::Document::Make(32767 + 40, 2, plugInModeCMYKColor, true);
    const int32_t width = host.document.width;
    for (int i = 0; i < width * 2; ++i)
        std::memcpy(host.document.sample(i % width, i / width, 0), "\xff\xff\xff\xff\x80", 5); // no ink
    std::memcpy(host.document.sample(1, 0, 0), "\xff\xff\xff\x00\x40", 5);                     // black ink only
    Install();
    ASSERT_TRUE(FetchNavigatorSource());
    EXPECT_LE(host.suites().largestConvert, 32767);
    const uint8_t* last = navigatorSource + (size_t(width) * 2 - 1) * 4;
    EXPECT_EQ(last[0], 255);
    EXPECT_EQ(last[3], 0x80);         // the transparency as it is
    EXPECT_EQ(navigatorSource[4], 0); // the host's conversion: black
    const int asked = host.advanceCalls();
    EXPECT_TRUE(FetchNavigatorSource());
    EXPECT_EQ(host.advanceCalls(), asked);
    EXPECT_EQ(host.suites().OutstandingTotal(), 0);

    ReleaseNavigatorSource();
    host.suites().withheld.insert(kPSColorSpaceSuite);
    ASSERT_TRUE(FetchNavigatorSource());
    EXPECT_EQ(navigatorSource[0], 255); // no ink: white
    EXPECT_EQ(navigatorSource[4], 155); // the fallback's black
    EXPECT_EQ(navigatorSource[7], 0x40);
}

TEST_F(Preview, NavigatorSourceWithoutMemoryTellsTheUserAndCancels) {
    Install();
    platform::FailNextPageAllocations(1);
    EXPECT_FALSE(FetchNavigatorSource());
    EXPECT_EQ(result, userCanceledErr);
    const auto messages = platform::RecordedMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "Plugin Alert");
    EXPECT_EQ(messages[0].text, "Cannot allocate so big intermedia memory\nTry to use smaller pictures");
}

TEST_F(Preview, ProcessingWithTheDialogOpenRendersThePreviewSourceOverItsBackground) {
    host.document = host::Document::Make(40, 30, plugInModeRGBColor, true);
    Install();
    dialogActive = true;
    OpenView(40, 30);
    // Without channel ports or layer queries there is no layer copy: the host's pixels are shown.
    ASSERT_TRUE(ReadPreviewDocument(PreviewDocumentChannels()));
    SetPreviewZoom(mainView);
    ASSERT_EQ(result, noErr);
    ASSERT_TRUE(PrepareWorkingBuffers());
    params.value = 0.0f;
    ProcessImage();
    EXPECT_EQ(result, noErr);
    EXPECT_TRUE(host.progress().empty()); // the dialog's bar, not the host's
    ASSERT_NE(sourceBuffer, nullptr);     // the buffers stay for the next refresh
    const auto* out = static_cast<const uint8_t*>(host.record().outData);
    for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 40; ++x)
            for (int k = 0; k < 4; ++k)
                ASSERT_EQ(out[y * host.record().outRowBytes + x * 4 + k], host.document.sampleAt(x, y, k))
                    << x << "," << y << "," << k;
    // Nothing lies below the only layer: a checkerboard of 7 x 7 cells, the top left grey.
    ASSERT_NE(viewBackground, nullptr);
    EXPECT_EQ(viewBackground[0], 204);
    EXPECT_EQ(viewBackground[7 * 3], 255);
    EXPECT_EQ(viewBackground[(7 * 40 + 7) * 3], 204);
    ReleaseWorkingBuffers();
    EXPECT_EQ(viewBackground, nullptr);
}

using FinalRender = InProcessTest;

TEST_F(FinalRender, MissingMemoryLeavesTheImageAndReportsIt) {
    VF_SKIP_UNLESS(!testing_support::DialogOpensOnEveryRun(host),
                   "the dialog opens on every run; its preview meets the missing memory first (and shows no "
                   "picture) and the final render then has its memory");
    for (int failures : {1, 2}) {
        host.document = host::Document::Make(30, 20, plugInModeCMYKColor, true);
        const std::vector<uint8_t> before = host.document.pixels;
        const size_t pages = platform::PagesInUse();
        platform::FailNextPageAllocations(failures);
        const host::RunResult run = host.RunInteractive();
        EXPECT_EQ(run.result, memFullErr) << failures;
        EXPECT_EQ(host.document.pixels, before);
        EXPECT_EQ(platform::PagesInUse(), pages);
        EXPECT_EQ(host.suites().OutstandingTotal(), 0);
    }
    // The next run has its memory again.
    EXPECT_EQ(host.RunInteractive().result, noErr);
}

TEST_F(FinalRender, WrongModesAlertTheUserAndCopyTheImage) {
    VF_SKIP_UNLESS(!host.options.evaluateEnable,
                   "the enable expression greys the command out for these modes: nothing runs");
    struct Case {
        int16_t mode;
        int32_t depth;
        const char* text;
    };
    const char* wrongMode = "Wrong Image mode!\r\n Image should be RGB or CMYK";
    const char* wrongDepth = "Wrong Image mode!\r\n Image should be RGB or CMYK with 8 bits per channel";
    // The modes it takes, at a depth they do not have, are a wrong depth.
    for (Case c : {Case{plugInModeLabColor, 8, wrongMode}, Case{plugInModeLab48, 16, wrongMode},
                   Case{plugInModeRGBColor, 16, wrongDepth}, Case{plugInModeGrayScale, 16, wrongDepth}}) {
        platform::ClearRecordedMessages();
        host.document = host::Document::Make(9, 7, c.mode, true, c.depth);
        const std::vector<uint8_t> before = host.document.pixels;
        EXPECT_EQ(host.RunInteractive().result, noErr);
        EXPECT_EQ(host.document.pixels, before);
        const auto messages = platform::RecordedMessages();
        ASSERT_EQ(messages.size(), 1u) << c.mode;
        EXPECT_EQ(messages[0].caption, "Plugin Alert");
        EXPECT_EQ(messages[0].text, c.text);
    }
}

} // namespace
