// The preview under hosts with limits real hosts have: no sampling (every request delivered at
// rate 1), buffers refilled only when a request names a new rectangle, little memory. Each must
// show exactly what a host without the limit shows.
#include "PreviewChecks.h"

#include "engine/DocumentFormat.h"
#include "engine/FilterParameters.h"
#include "engine/PreviewView.h"
#include "engine/PreviewZoom.h"
#include "engine/ProcessImage.h"
#include "engine/RenderDistortion.h"
#include "engine/WorkerThreads.h"
#include "platform/Platform.h"
#include "plugin/DocumentReading.h"
#include "plugin/Globals.h"
#include "plugin/PluginData.h"
#include "plugin/Rectangles.h"
#include "plugin/Suites.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>

namespace preview_checks {

namespace {

// The view's own record of the session, beside what the user sees.
struct Step {
    Shown shown;
    int requests = 0;        // advanceState calls of the view change
    size_t sampledBytes = 0; // the plug-in's own copy of the view, when it sampled
};

// Whether the two documents agree outside the filter rectangle.
::testing::AssertionResult SameOutside(const host::Document& seen, const host::Document& original) {
    const VRect filter = original.filterRect();
    for (int32_t y = 0; y < original.height; ++y) {
        for (int32_t x = 0; x < original.width; ++x) {
            if (y >= filter.top && y < filter.bottom && x >= filter.left && x < filter.right)
                continue;
            for (int k = 0; k < original.planes(); ++k)
                if (seen.sampleAt(x, y, k) != original.sampleAt(x, y, k))
                    return ::testing::AssertionFailure()
                           << "a preview reached the document outside the filter rectangle at " << x << "," << y;
        }
    }
    return ::testing::AssertionSuccess();
}

// A host's options with the suites it refuses (a profile's whole behaviour).
struct HostSetup {
    HostSetup(const host::HostOptions& hostOptions) : options(hostOptions) {} // NOLINT: options alone are a setup
    host::HostOptions options;
    std::set<std::string> withheld;
    std::map<std::string, std::set<int32_t>> withheldVersions;
};

HostSetup SetupOf(host::HostProfile profile) {
    host::SubstituteHost model;
    host::ApplyHostProfile(profile, &model);
    HostSetup setup(model.options);
    setup.withheld = model.suites().withheld;
    setup.withheldVersions = model.suites().withheldVersions;
    return setup;
}

std::vector<Step> RunSession(const HostSetup& setup, const Session& session, bool readLayers) {
    host::SubstituteHost host;
    host.options = setup.options;
    host.suites().withheld = setup.withheld;
    host.suites().withheldVersions = setup.withheldVersions;
    host.document = session.document;
    FilterParameters params{};
    PluginData data{};
    int16_t result = noErr;
    const size_t pages = platform::PagesInUse();

    host.PrepareRecord();
    gFilterRecord = &host.record();
    gAboutRecord = nullptr;
    sSPBasic = gFilterRecord->sSPBasic;
    gResult = &result;
    gParams = &params;
    gPluginData = &data;
    if (gFilterRecord->bigDocumentData != nullptr)
        gFilterRecord->bigDocumentData->PluginUsing32BitCoordinates = 1;
    InitParameters();
    if (session.plain) {
        params.value = 0.0f;
        params.aberration = 0.0f;
    }

    // Opening, as the dialog does: the layers, the navigator's source, then the views.
    dialogActive = true;
    ResetPreviewZoom();
    mainView = PreviewView{};
    mainView.viewWidth = session.viewWidth;
    mainView.viewHeight = session.viewHeight;
    const Rect pane{0, 0, int16_t(session.viewHeight), int16_t(session.viewWidth)};
    if (readLayers)
        ReadPreviewDocument(nullptr);
    if (previewSource == nullptr || ColorPlanes(*previewSource) == 4)
        FetchNavigatorSource();
    data.proxyRect = pane;
    result = noErr;

    std::vector<Step> steps;
    for (const ViewStep& view : session.steps) {
        if (view.zoom == 1) {
            zoom = 1.0f;
            zoomStepsFromFit = -1.0f;
        } else {
            zoomStepsFromFit = view.zoom == 0 ? 0.0f : fitZoom - float(view.zoom);
        }
        mainView.scrollX = view.scrollX;
        mainView.scrollY = view.scrollY;
        const int asked = host.advanceCalls();
        SetPreviewZoom(mainView);
        Step step;
        step.shown.result = result;
        step.requests = host.advanceCalls() - asked;
        step.sampledBytes = sampledView.bytes;
        result = noErr; // as the dialog: a failed view renders what there is, and is no failure of the run
        workingContext.offsetX = mainView.scrollX;
        workingContext.offsetY = mainView.scrollY;
        workingContext.zoom = zoom;
        PrepareWorkingBuffers();
        if (steps.empty()) // the dialog looks at the transparency of the view it opens with
            DetectViewTransparency();
        ProcessImage();

        Shown& shown = step.shown;
        shown.zoom = zoom;
        shown.scrollX = mainView.scrollX;
        shown.scrollY = mainView.scrollY;
        const VRect out = GetOutRect();
        shown.width = RectWidth(out);
        shown.height = RectHeight(out);
        const FilterRecord& r = *gFilterRecord;
        // The output holds the picture in RGB (and transparency) in the host's planes and sample
        // width, CMYK's too; the pane shows it at 8 bits.
        DocumentFormat format = DocumentFormatOf(r.imageMode, r.depth, r.planes);
        format.colors = std::min(format.colors, 3);
        std::vector<uint8_t> rgba(size_t(shown.width) * 4);
        for (int64_t y = 0; r.outData != nullptr && y < shown.height; ++y) {
            const uint8_t* row = static_cast<const uint8_t*>(r.outData) + y * r.outRowBytes;
            if (format.sampleBytes == 2)
                RowToPixels(reinterpret_cast<const uint16_t*>(row), format, shown.width, rgba.data());
            else
                RowToPixels(row, format, shown.width, rgba.data());
            shown.samples.insert(shown.samples.end(), rgba.begin(), rgba.end());
        }
        steps.push_back(std::move(step));
        result = noErr;
    }

    // What a host writes back of the previews (the last one at the next request) lies where the
    // final render overwrites it.
    const VRect nothing{0, 0, 0, 0};
    SetInRect(nothing);
    SetOutRect(nothing);
    SetMaskRect(nothing);
    host.record().advanceState();
    EXPECT_TRUE(SameOutside(host.document, session.document));

    // Closing, as the dialog's teardown does.
    ReleasePreviewDocument();
    ReleaseNavigatorSource();
    ReleaseWorkingBuffers();
    ResetPreviewZoom();
    mainView = PreviewView{};
    workingContext = DistortionContext{};
    dialogActive = false;
    ReleaseKeptSuites();
    EXPECT_EQ(platform::PagesInUse(), pages) << "pages left behind";
    EXPECT_EQ(KeptWorkerThreads(), 0) << "worker threads left behind";
    EXPECT_EQ(host.suites().OutstandingTotal(), 0);
    gFilterRecord = nullptr;
    sSPBasic = nullptr;
    gResult = nullptr;
    gParams = nullptr;
    gPluginData = nullptr;
    return steps;
}

std::vector<Shown> Pictures(const std::vector<Step>& steps) {
    std::vector<Shown> shown;
    for (const Step& step : steps)
        shown.push_back(step.shown);
    return shown;
}

::testing::AssertionResult SameView(const Shown& seen, const Shown& expected) {
    if (seen.result != expected.result || seen.zoom != expected.zoom || seen.scrollX != expected.scrollX ||
        seen.scrollY != expected.scrollY || seen.width != expected.width || seen.height != expected.height)
        return ::testing::AssertionFailure()
               << "result " << seen.result << " zoom " << seen.zoom << " scroll " << seen.scrollX << "," << seen.scrollY
               << " size " << seen.width << "x" << seen.height << ", expected result " << expected.result << " zoom "
               << expected.zoom << " scroll " << expected.scrollX << "," << expected.scrollY << " size "
               << expected.width << "x" << expected.height;
    if (seen.samples.size() != expected.samples.size())
        return ::testing::AssertionFailure() << seen.samples.size() << " samples, expected " << expected.samples.size();
    const auto differ = std::mismatch(seen.samples.begin(), seen.samples.end(), expected.samples.begin());
    if (differ.first != seen.samples.end())
        return ::testing::AssertionFailure() << "sample " << (differ.first - seen.samples.begin()) << " is "
                                             << int(*differ.first) << ", expected " << int(*differ.second);
    return ::testing::AssertionSuccess();
}

void ExpectSameViews(const std::vector<Shown>& seen, const std::vector<Shown>& expected) {
    ASSERT_EQ(seen.size(), expected.size());
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_TRUE(SameView(seen[i], expected[i])) << "view " << i;
        EXPECT_EQ(expected[i].result, noErr) << "view " << i;
        EXPECT_FALSE(expected[i].samples.empty()) << "view " << i << " shows nothing";
    }
}

struct Mode {
    int16_t mode;
    bool transparency;
    const char* name;
    int32_t depth = 8;
};
const Mode kModes[] = {{plugInModeRGBColor, false, "RGB"},
                       {plugInModeRGBColor, true, "RGB with transparency"},
                       {plugInModeCMYKColor, false, "CMYK"},
                       {plugInModeCMYKColor, true, "CMYK with transparency"},
                       {plugInModeGrayScale, true, "grey with transparency"},
                       {plugInModeGray16, false, "16-bit grey", 16},
                       {plugInModeRGB48, true, "16-bit RGB with transparency", 16},
                       {plugInModeCMYK64, true, "16-bit CMYK with transparency", 16}};

host::Document WithSelection(host::Document document, VRect selection) {
    document.selection = selection;
    return document;
}

// Views of 40 x 30 on documents that need zooms up to 2, 4, 5 and 7 to fit.
std::vector<Session> StandardSessions(const Mode& mode) {
    std::vector<Session> sessions;
    // The whole image fits at zoom 2, where it is asked for with the rectangle of the view at
    // 100 %.
    sessions.push_back(Session{host::Document::Make(80, 60, mode.mode, mode.transparency, mode.depth),
                               40,
                               30,
                               {{1, 0, 0}, {0, 0, 0}, {1, 0, 0}, {0, 0, 0}}});
    // A selection 160 x 120 at (60, 40): the view at 100 % scrolled by (10, 10) and the view at
    // zoom 2 scrolled by (40, 30) both ask for the rectangle (70, 50) to (110, 80).
    sessions.push_back(
        Session{WithSelection(host::Document::Make(300, 200, mode.mode, mode.transparency, mode.depth, 7),
                              VRect{40, 60, 160, 220}),
                40,
                30,
                {{1, 0, 0}, {1, 10, 10}, {2, 80, 60}, {3, 25, 15}, {0, 0, 0}, {2, 1000, 1000}, {1, 0, 0}}});
    // A selection at odd places, whose zoomed edges round.
    sessions.push_back(
        Session{WithSelection(host::Document::Make(301, 203, mode.mode, mode.transparency, mode.depth, 11),
                              VRect{41, 63, 163, 229}),
                40,
                30,
                {{1, 0, 0}, {2, 17, 9}, {3, 1000, 1000}, {4, 5, 3}, {0, 0, 0}, {1, 200, 200}}});
    // No selection, an image larger than the view.
    sessions.push_back(Session{host::Document::Make(250, 170, mode.mode, mode.transparency, mode.depth, 5),
                               40,
                               30,
                               {{1, 0, 0}, {1, 33, 21}, {3, 40, 20}, {0, 0, 0}, {5, 0, 0}, {1, 0, 0}}});
    return sessions;
}

std::string Describe(const Mode& mode, const Session& session) {
    const VRect f = session.document.filterRect();
    return std::string(mode.name) + ", " + std::to_string(session.document.width) + " x " +
           std::to_string(session.document.height) + ", filter rectangle (" + std::to_string(f.left) + "," +
           std::to_string(f.top) + ")-(" + std::to_string(f.right) + "," + std::to_string(f.bottom) + ")";
}

host::HostOptions WithoutSampling() {
    host::HostOptions options;
    options.samplingSupport = false;
    return options;
}

host::HostOptions RefillingOnlyOnNewRect() {
    host::HostOptions options;
    options.refillOnlyOnNewRect = true;
    return options;
}

host::HostOptions WithBothLimits() {
    host::HostOptions options;
    options.samplingSupport = false;
    options.refillOnlyOnNewRect = true;
    return options;
}

} // namespace

std::vector<Shown> ShowSession(const host::HostOptions& options, const Session& session) {
    return Pictures(RunSession(options, session, true));
}

host::HostOptions FullHostLike(const host::HostOptions& options) {
    host::HostOptions full = options;
    full.samplingSupport = true;
    full.refillOnlyOnNewRect = false;
    full.maxBufferBytes = host::HostOptions().maxBufferBytes;
    return full;
}

void ExpectSameViewsAsFullHost(const host::HostOptions& options) {
    for (const Mode& mode : kModes) {
        for (const Session& session : StandardSessions(mode)) {
            for (bool readLayers : {true, false}) {
                SCOPED_TRACE(Describe(mode, session) + (readLayers ? ", layers read" : ", host pixels only"));
                ExpectSameViews(Pictures(RunSession(options, session, readLayers)),
                                Pictures(RunSession(FullHostLike(options), session, readLayers)));
            }
        }
    }
}

void ExpectSameViewsAsFullHost(host::HostProfile profile) {
    const HostSetup setup = SetupOf(profile);
    HostSetup full = setup;
    full.options = FullHostLike(setup.options);
    for (const Mode& mode : kModes) {
        for (const Session& session : StandardSessions(mode)) {
            SCOPED_TRACE(Describe(mode, session));
            ExpectSameViews(Pictures(RunSession(setup, session, true)), Pictures(RunSession(full, session, true)));
        }
    }
}

void ExpectPlainViewsShowTheDocument(const host::HostOptions& options) {
    for (const Mode& mode : kModes) {
        if (mode.mode == plugInModeCMYKColor || mode.mode == plugInModeCMYK64)
            continue; // the preview shows CMYK converted to RGB
        for (Session session : StandardSessions(mode)) {
            SCOPED_TRACE(Describe(mode, session));
            session.plain = true;
            const std::vector<Shown> views = Pictures(RunSession(options, session, false));
            const host::Document& document = session.document;
            const VRect filter = document.filterRect();
            const DocumentFormat format = DocumentFormatOf(document.mode, document.depth, int16_t(document.planes()));
            for (size_t i = 0; i < views.size(); ++i) {
                const Shown& view = views[i];
                SCOPED_TRACE("view " + std::to_string(i) + " at zoom " + std::to_string(int(view.zoom)));
                ASSERT_EQ(view.result, noErr);
                // The view lies in the selection at this zoom, as far into it as it can go.
                const auto zoomed = [&](int32_t c) { return int64_t(double(c) / double(view.zoom) + 0.5); };
                const int64_t zoomedWidth = zoomed(filter.right) - zoomed(filter.left);
                const int64_t zoomedHeight = zoomed(filter.bottom) - zoomed(filter.top);
                EXPECT_GE(view.scrollX, 0);
                EXPECT_GE(view.scrollY, 0);
                EXPECT_LE(view.scrollX, std::max<int64_t>(0, zoomedWidth - session.viewWidth));
                EXPECT_LE(view.scrollY, std::max<int64_t>(0, zoomedHeight - session.viewHeight));
                ASSERT_EQ(view.width, std::min<int64_t>(session.viewWidth, zoomedWidth - view.scrollX));
                ASSERT_EQ(view.height, std::min<int64_t>(session.viewHeight, zoomedHeight - view.scrollY));
                // Each preview pixel is the document's pixel where a sampling host reads it.
                const int64_t z = int64_t(view.zoom);
                for (int64_t y = 0; y < view.height; ++y) {
                    const int64_t sy = (zoomed(filter.top) + view.scrollY + y) * z;
                    for (int64_t x = 0; x < view.width; ++x) {
                        const int64_t sx = (zoomed(filter.left) + view.scrollX + x) * z;
                        // The document's pixel as the pane shows it: at 8 bits, grey in all three colours.
                        const bool inside = sx < document.width && sy < document.height;
                        uint8_t expected[4] = {255, 255, 255, 255};
                        if (inside) {
                            const uint8_t* pixel =
                                document.pixels.data() + size_t(sy) * document.rowBytes() +
                                size_t(sx) * size_t(document.planes()) * size_t(document.bytesPerSample());
                            if (format.sampleBytes == 2) {
                                uint16_t samples[5] = {};
                                std::memcpy(samples, pixel, size_t(document.planes()) * 2);
                                RowToPixels(samples, format, 1, expected);
                            } else {
                                RowToPixels(pixel, format, 1, expected);
                            }
                        }
                        for (int k = 0; k < 4; ++k) {
                            ASSERT_EQ(view.samples[size_t((y * view.width + x) * 4 + k)], expected[k])
                                << "at " << x << "," << y << " plane " << k;
                        }
                    }
                }
            }
        }
    }
}

namespace {

TEST(PreviewUnderHostLimits, EveryViewIsWhatAFullHostShows) {
    {
        SCOPED_TRACE("host without sampling");
        ExpectSameViewsAsFullHost(WithoutSampling());
    }
    {
        SCOPED_TRACE("host that refills only for a new rectangle");
        ExpectSameViewsAsFullHost(RefillingOnlyOnNewRect());
    }
    {
        SCOPED_TRACE("host with both limits");
        ExpectSameViewsAsFullHost(WithBothLimits());
    }
}

TEST(PreviewUnderHostLimits, PlainViewsShowTheDocumentsPixels) {
    for (const host::HostOptions& options :
         {host::HostOptions(), WithoutSampling(), RefillingOnlyOnNewRect(), WithBothLimits()}) {
        SCOPED_TRACE(std::string(options.samplingSupport ? "sampling" : "no sampling") +
                     (options.refillOnlyOnNewRect ? ", refills only for a new rectangle" : ""));
        ExpectPlainViewsShowTheDocument(options);
    }
}

// Without sampling the host is asked for the view's area at rate 1 piece by piece; a host that
// can hold only a little at a time still gets there, and the plug-in's own copy is the view's
// size, not the area's.
TEST(PreviewUnderHostLimits, HostWithLittleMemoryGetsTheViewInPieces) {
    Session session{
        WithSelection(host::Document::Make(3000, 2000, plugInModeRGBColor, true), VRect{100, 200, 1900, 2900}),
        100,
        80,
        {{1, 0, 0}, {2, 300, 200}, {0, 0, 0}, {7, 50, 40}, {2, 0, 0}}};
    host::HostOptions small = WithBothLimits();
    small.maxBufferBytes = 48 << 10; // the view at 2 x 2 image pixels a preview pixel needs 125 kB
    const std::vector<Step> steps = RunSession(small, session, false);
    ExpectSameViews(Pictures(steps), Pictures(RunSession(FullHostLike(small), session, false)));
    for (size_t i = 1; i < steps.size(); ++i) {
        const Shown& view = steps[i].shown;
        EXPECT_GT(steps[i].requests, 2) << "view " << i << " came in one piece";
        EXPECT_EQ(steps[i].sampledBytes, size_t(view.width * view.height * 4)) << "view " << i;
    }

    // A host that cannot hold even one pixel: the view fails, and nothing is left behind.
    small.maxBufferBytes = 2;
    session.steps = {{0, 0, 0}};
    const std::vector<Step> failed = RunSession(small, session, true);
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].shown.result, memFullErr);
    EXPECT_EQ(failed[0].sampledBytes, 0u);
    EXPECT_TRUE(failed[0].shown.samples.empty());
}

// Only a request a refilling host would answer with stale pixels (the rectangle of the last one
// at another rate) is preceded by a request for nothing; every other view costs one request.
TEST(PreviewUnderHostLimits, OnlyTheSameRectangleAtAnotherRateIsAskedForTwice) {
    const Session session{
        WithSelection(host::Document::Make(300, 200, plugInModeRGBColor, false), VRect{40, 60, 160, 220}),
        40,
        30,
        {{1, 10, 10}, {2, 80, 60}, {2, 0, 0}, {1, 10, 10}, {1, 0, 0}, {0, 0, 0}}};
    for (const host::HostOptions& options : {host::HostOptions(), RefillingOnlyOnNewRect()}) {
        const std::vector<Step> steps = RunSession(options, session, true);
        ASSERT_EQ(steps.size(), 6u);
        const int expected[] = {1, 2, 1, 1, 1, 1};
        for (size_t i = 0; i < steps.size(); ++i)
            EXPECT_EQ(steps[i].requests, expected[i]) << "view " << i;
    }
}

} // namespace

} // namespace preview_checks
