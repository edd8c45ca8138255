// How long the user waits for the preview after an edit: the real plug-in's dialog on a
// 6000 x 4000 RGBA document with a 1000 x 700 preview (and the larger panes the same window has
// at 120 and 144 dpi), the Value field committed again and again (Turbulence), from the commit
// to the repainted pane. The repaint of the same pane without a render is the baseline of the
// same run. Prints figures; asserts nothing.
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

struct Figures {
    double edit = 0, best = 0, worst = 0, repaint = 0;
    int paneWidth = 0, paneHeight = 0;
};

// One dialog session with the pane sized `wantedWidth` x `wantedHeight` (the 96 dpi pane, or
// the pane a 120 or 144 dpi screen gives the same window): the median edit and repaint.
bool Measure(int wantedWidth, int wantedHeight, int edits, Figures* figures) {
    host::SubstituteHost host;
    std::string error;
    if (!host.Load(PluginPath(), &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    // The dialog opens at its default place and size, not where an earlier run left it.
    DeleteFileA((PluginPath().substr(0, PluginPath().find_last_of("\\/") + 1) + "Vortiflux.ini").c_str());
    host.document = host::Document::Make(6000, 4000, plugInModeRGBColor, true);
    HWND owner = gui::CreateTestParent("Host", 0, 0, 200, 100);
    host.options.ownerWindow = owner;
    host.options.neverShowDialog = false;
    host.options.playInfo = plugInDialogDisplay;

    std::vector<double> editTimes, repaints;
    gui::WhenWindowAppears("Nimbrook Vortiflux", [&](HWND dialog) {
        HWND panel = FindWindowExA(dialog, nullptr, "#32770", nullptr);
        auto* pane =
            reinterpret_cast<PreviewPane*>(GetWindowLongPtrA(GetDlgItem(dialog, IDC_MAIN_PANE), GWLP_USERDATA));
        // Wine may believe the screen smaller than that window; the system's limits on a
        // window's size are skipped for it.
        for (int attempt = 0; attempt < 5 && (pane->width != wantedWidth || pane->height != wantedHeight); ++attempt) {
            RECT frame = {};
            GetWindowRect(dialog, &frame);
            SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left + wantedWidth - pane->width,
                         frame.bottom - frame.top + wantedHeight - pane->height,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOSENDCHANGING);
            gui::Pump();
        }
        SendMessageA(dialog, WM_EXITSIZEMOVE, 0, 0);
        figures->paneWidth = pane->width;
        figures->paneHeight = pane->height;
        HWND field = GetDlgItem(GetDlgItem(panel, IDC_SPIN_VALUE), 1);
        HWND ok = GetDlgItem(dialog, IDOK);
        for (int i = 0; i < edits + 2; ++i) {
            gui::TypeText(field, i % 2 ? "25" : "30");
            LARGE_INTEGER start, end;
            QueryPerformanceCounter(&start);
            SetFocus(ok); // commits the field: render and repaint happen before this returns
            QueryPerformanceCounter(&end);
            if (i >= 2) // the first edits warm the caches and the worker threads
                editTimes.push_back(Milliseconds(start, end));
            QueryPerformanceCounter(&start);
            RedrawWindow(pane->window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            QueryPerformanceCounter(&end);
            repaints.push_back(Milliseconds(start, end));
        }
        EndDialog(dialog, IDCANCEL);
    });
    host.RunInteractive();
    DestroyWindow(owner);
    if (editTimes.empty()) {
        std::fprintf(stderr, "the dialog did not open\n");
        return false;
    }
    figures->edit = Median(editTimes);
    figures->best = *std::min_element(editTimes.begin(), editTimes.end());
    figures->worst = *std::max_element(editTimes.begin(), editTimes.end());
    figures->repaint = Median(repaints);
    return true;
}

} // namespace

int main() {
    constexpr int kEdits = 20;
    std::printf("6000 x 4000 RGBA document, Turbulence, %d edits a pane size; from the commit of a value to the "
                "repainted pane\n\n",
                kEdits);
    std::printf("%-5s %-12s %10s %10s %10s %12s %10s\n", "dpi", "pane", "median ms", "best ms", "worst ms",
                "repaint ms", "repaints");
    const struct { int dpi, width, height; } sizes[] = {{96, 1000, 700}, {120, 1250, 875}, {144, 1500, 1050}};
    for (const auto& size : sizes) {
        Figures f;
        if (!Measure(size.width, size.height, kEdits, &f))
            return 1;
        char pane[32];
        std::snprintf(pane, sizeof pane, "%dx%d", f.paneWidth, f.paneHeight);
        std::printf("%-5d %-12s %10.1f %10.1f %10.1f %12.2f %10.0f\n", size.dpi, pane, f.edit, f.best, f.worst,
                    f.repaint, f.repaint > 0 ? f.edit / f.repaint : 0.0);
    }
    std::printf("\nrepaint: the same pane repainted without a render (the baseline); repaints: an edit in them\n");
    return 0;
}
