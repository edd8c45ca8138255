// How long the user waits for the preview after an edit: the real plug-in's dialog on a
// 6000 x 4000 RGBA document with a 1000 x 700 preview, the Value field committed again and
// again (Turbulence), from the commit to the repainted pane. The repaint of the same pane
// without a render is the baseline of the same run. Prints figures; asserts nothing.
#include "GuiHarness.h"
#include "dialog/DialogIds.h"
#include "dialog/PreviewPane.h"
#include "host/SubstituteHost.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

// The plug-in beside this program.
std::string PluginPath() {
    char buffer[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    std::string folder(buffer);
    return folder.substr(0, folder.find_last_of("\\/") + 1) + "Vortiflux64.8bf";
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main() {
    constexpr int kEdits = 20;
    host::SubstituteHost host;
    std::string error;
    if (!host.Load(PluginPath(), &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    // The dialog opens at its default place and size, not where an earlier run left it.
    DeleteFileA((PluginPath().substr(0, PluginPath().find_last_of("\\/") + 1) + "Vortiflux.ini").c_str());
    host.document = host::Document::Make(6000, 4000, plugInModeRGBColor, true);
    HWND owner = gui::CreateTestParent("Host", 0, 0, 200, 100);
    host.options.ownerWindow = owner;
    host.options.neverShowDialog = false;
    host.options.playInfo = plugInDialogDisplay;

    std::vector<double> edits, repaints;
    int paneWidth = 0, paneHeight = 0;
    gui::WhenWindowAppears("Nimbrook Vortiflux", [&](HWND dialog) {
        HWND panel = FindWindowExA(dialog, nullptr, "#32770", nullptr);
        auto* pane =
            reinterpret_cast<PreviewPane*>(GetWindowLongPtrA(GetDlgItem(dialog, IDC_MAIN_PANE), GWLP_USERDATA));
        // Size the window so that the pane is 1000 x 700. Wine may believe the screen smaller
        // than that window; the system's limits on a window's size are skipped for it.
        for (int attempt = 0; attempt < 5 && (pane->width != 1000 || pane->height != 700); ++attempt) {
            RECT frame = {};
            GetWindowRect(dialog, &frame);
            SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left + 1000 - pane->width,
                         frame.bottom - frame.top + 700 - pane->height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOSENDCHANGING);
            gui::Pump();
        }
        SendMessageA(dialog, WM_EXITSIZEMOVE, 0, 0);
        paneWidth = pane->width;
        paneHeight = pane->height;
        HWND field = GetDlgItem(GetDlgItem(panel, IDC_SPIN_VALUE), 1);
        HWND ok = GetDlgItem(dialog, IDOK);
        for (int i = 0; i < kEdits + 2; ++i) {
            gui::TypeText(field, i % 2 ? "25" : "30");
            LARGE_INTEGER start, end;
            QueryPerformanceCounter(&start);
            SetFocus(ok); // commits the field: render and repaint happen before this returns
            QueryPerformanceCounter(&end);
            if (i >= 2) // the first edits warm the caches and the worker threads
                edits.push_back(Milliseconds(start, end));
            QueryPerformanceCounter(&start);
            RedrawWindow(pane->window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            QueryPerformanceCounter(&end);
            repaints.push_back(Milliseconds(start, end));
        }
        EndDialog(dialog, IDCANCEL);
    });
    host.RunInteractive();
    DestroyWindow(owner);
    if (edits.empty()) {
        std::fprintf(stderr, "the dialog did not open\n");
        return 1;
    }
    const double edit = Median(edits), repaint = Median(repaints);
    std::printf("preview pane %d x %d of a 6000 x 4000 RGBA document, Turbulence, %d edits\n", paneWidth, paneHeight,
                kEdits);
    std::printf("edit to repainted pane: median %.1f ms, best %.1f ms, worst %.1f ms\n", edit,
                *std::min_element(edits.begin(), edits.end()), *std::max_element(edits.begin(), edits.end()));
    std::printf("repaint alone (baseline): median %.2f ms; an edit costs %.0f repaints\n", repaint,
                repaint > 0 ? edit / repaint : 0.0);
    return 0;
}
