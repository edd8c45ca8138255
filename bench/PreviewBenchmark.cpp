// How long the preview takes after an edit, without a window: the plug-in's preview path
// (ProcessImage while the dialog is open) through the substitute host, on a 6000 x 4000 RGBA
// document shown whole in a pane of 1000 x 700 (96 dpi), 1250 x 875 (120 dpi) and 1500 x 1050
// (144 dpi). The engine alone on the same working buffers is the baseline of the same run; the
// difference is what the preview spends around the engine. Prints figures; asserts nothing.
//
//   build/native/bench/vortiflux_preview_bench [--edits N] [--method M]
#include "engine/DistortionContext.h"
#include "engine/PreviewView.h"
#include "engine/PreviewZoom.h"
#include "engine/ProcessImage.h"
#include "engine/RenderDistortion.h"
#include "host/SubstituteHost.h"
#include "plugin/DocumentReading.h"
#include "plugin/Globals.h"
#include "plugin/Suites.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Now() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct Figures {
    double edit;   // median ms from a new value to the rendered view in the host's buffer
    double engine; // median ms of RenderDistortion alone on the same buffers
    int width, height;
};

// Opens the preview as the dialog does, then commits `edits` new values one after another.
Figures Measure(int paneWidth, int paneHeight, int edits, uint8_t method) {
    host::SubstituteHost host;
    host.document = host::Document::Make(6000, 4000, plugInModeRGBColor, true);
    FilterParameters params{};
    PluginData data{};
    int16_t result = noErr;
    host.PrepareRecord();
    gFilterRecord = &host.record();
    sSPBasic = gFilterRecord->sSPBasic;
    gResult = &result;
    gParams = &params;
    gPluginData = &data;
    if (gFilterRecord->bigDocumentData != nullptr)
        gFilterRecord->bigDocumentData->PluginUsing32BitCoordinates = 1;
    InitParameters();
    params.method = method;

    dialogActive = true;
    ResetPreviewZoom();
    mainView = PreviewView{};
    mainView.viewWidth = paneWidth;
    mainView.viewHeight = paneHeight;
    ReadPreviewDocument(nullptr);
    FetchNavigatorSource();
    data.proxyRect = Rect{0, 0, int16_t(paneHeight), int16_t(paneWidth)};
    SetPreviewZoom(mainView);
    workingContext.offsetX = mainView.scrollX;
    workingContext.offsetY = mainView.scrollY;
    workingContext.zoom = zoom;
    PrepareWorkingBuffers();
    DetectViewTransparency();
    ProcessImage(); // the first view

    Figures figures{};
    figures.width = workingContext.bufferWidth;
    figures.height = workingContext.bufferHeight;
    std::vector<double> editTimes, engineTimes;
    for (int n = 0; n < edits; ++n) {
        params.value = 20.0f + float(n % 7);
        const double start = Now();
        ProcessImage();
        editTimes.push_back(Now() - start);

        DistortionContext context = workingContext;
        RenderSettings settings;
        settings.examineTransparency = false;
        const double engineStart = Now();
        RenderDistortion(context, params, sourceBuffer, destinationBuffer, settings);
        engineTimes.push_back(Now() - engineStart);
    }
    figures.edit = Median(editTimes);
    figures.engine = Median(engineTimes);

    ReleasePreviewDocument();
    ReleaseNavigatorSource();
    ReleaseWorkingBuffers();
    ResetPreviewZoom();
    mainView = PreviewView{};
    workingContext = DistortionContext{};
    dialogActive = false;
    ReleaseKeptSuites();
    gFilterRecord = nullptr;
    sSPBasic = nullptr;
    gResult = nullptr;
    gParams = nullptr;
    gPluginData = nullptr;
    return figures;
}

} // namespace

int main(int argc, char** argv) {
    int edits = 30;
    int method = Turbulence;
    for (int k = 1; k < argc; ++k) {
        if (std::strcmp(argv[k], "--edits") == 0 && k + 1 < argc)
            edits = std::max(1, std::atoi(argv[++k]));
        else if (std::strcmp(argv[k], "--method") == 0 && k + 1 < argc)
            method = std::atoi(argv[++k]);
        else {
            std::fprintf(stderr, "usage: %s [--edits N] [--method 0..5]\n", argv[0]);
            return 2;
        }
    }
    std::printf("6000 x 4000 RGBA document shown whole, method %d, median of %d edits\n\n", method, edits);
    std::printf("%-8s %-12s %-12s %12s %12s %10s\n", "dpi", "pane", "view", "edit ms", "engine ms", "overhead");
    const struct { int dpi, width, height; } panes[] = {{96, 1000, 700}, {120, 1250, 875}, {144, 1500, 1050}};
    for (const auto& pane : panes) {
        const Figures f = Measure(pane.width, pane.height, edits, uint8_t(method));
        char paneText[32], viewText[32];
        std::snprintf(paneText, sizeof paneText, "%dx%d", pane.width, pane.height);
        std::snprintf(viewText, sizeof viewText, "%dx%d", f.width, f.height);
        std::printf("%-8d %-12s %-12s %12.2f %12.2f %9.2fx\n", pane.dpi, paneText, viewText, f.edit, f.engine,
                    f.edit / f.engine);
    }
    return 0;
}
