// A scripted user in the main dialog of the real plug-in, run by the substitute host under
// Wine: the dialog runs modally inside PluginMain, so each script runs from a timer inside the
// dialog's own loop, drives it with real messages, and ends it.
#include "GuiHarness.h"
#include "TestPlugin.h"
#include "dialog/DialogIds.h"
#include "dialog/PreviewPane.h"
#include "host/ColorConversion.h"
#include "host/DesktopCalls.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr const char* kTitle = "Nimbrook Vortiflux";

// Renders seen on the progress bar: every render reports 30 once.
int rendersSeen = 0;
WNDPROC progressProcedure = nullptr;

LRESULT CALLBACK CountingProgress(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == PBM_SETPOS && wParam == 30)
        ++rendersSeen;
    return CallWindowProcA(progressProcedure, window, message, wParam, lParam);
}

std::string Text(HWND window) {
    char text[128] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

HWND Panel(HWND dialog) {
    return FindWindowExA(dialog, nullptr, "#32770", nullptr);
}

uint8_t Mix(int a, int b, double t) {
    return uint8_t(std::lround(a + (b - a) * std::clamp(t, 0.0, 1.0)));
}

// A smooth picture in which what the user must see can be seen: a sky from blue to orange with
// a pale sun, green hills, and in the middle, where the emitter's cross stands when the dialog
// opens, a plain mid-grey field.
void PaintSmoothPicture(host::Document& document) {
    const int32_t w = document.width, h = document.height;
    const double pi = 3.14159265358979;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const double fx = double(x) / w, fy = double(y) / h;
            uint8_t rgb[3] = {Mix(40, 240, fy * 1.4), Mix(70, 180, fy * 1.4), Mix(170, 110, fy * 1.4)};
            const double sun = std::hypot((fx - 0.75) * w, (fy - 0.28) * h) / (0.1 * h);
            if (sun < 1.2)
                for (int k = 0; k < 3; ++k)
                    rgb[k] = Mix(rgb[k], k == 2 ? 160 : 245, 1.2 - sun);
            const double hill = 0.66 + 0.07 * std::sin(fx * 2.0 * pi * 3.0);
            if (fy > hill) {
                const double depth = (fy - hill) / (1.0 - hill);
                rgb[0] = Mix(70, 20, depth);
                rgb[1] = Mix(150, 80, depth);
                rgb[2] = Mix(80, 40, depth);
            }
            if (std::fabs(fx - 0.5) < 0.08 && std::fabs(fy - 0.5) < 0.12)
                rgb[0] = rgb[1] = rgb[2] = 128;
            for (int k = 0; k < 3; ++k)
                *document.sample(x, y, k) = rgb[k];
            if (document.hasTransparency)
                *document.sample(x, y, 3) = 255;
        }
}

host::Document SmoothDocument(int32_t width, int32_t height) {
    host::Document document = host::Document::Make(width, height, plugInModeRGBColor, false);
    PaintSmoothPicture(document);
    return document;
}

// How far apart two colours are: their largest channel difference.
int Contrast(const uint8_t* a, const uint8_t* b) {
    int largest = 0;
    for (int k = 0; k < 3; ++k)
        largest = std::max(largest, std::abs(int(a[k]) - int(b[k])));
    return largest;
}

// Tooltips that pop up under the scripted pointer would spoil the screenshots.
void SilenceTooltips() {
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM) {
            char name[64] = {};
            GetClassNameA(window, name, sizeof name);
            if (std::strcmp(name, TOOLTIPS_CLASSA) == 0)
                SendMessageA(window, TTM_ACTIVATE, FALSE, 0);
            return TRUE;
        },
        0);
}

class DialogSession : public testing_support::PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        // Every run opens at the default place and size, not where an earlier run left it.
        DeleteFileA(SettingsFile().c_str());
        owner_ = gui::CreateTestParent("Host", 0, 0, 200, 100);
        host.options.ownerWindow = owner_;
        host.options.neverShowDialog = false;
        host.options.playInfo = plugInDialogDisplay;
        rendersSeen = 0;
    }
    void TearDown() override {
        DestroyWindow(owner_);
        gui::Pump();
    }

    // Runs the filter with the dialog; `script` acts in the open dialog and must end it. A
    // script that fails leaves the dialog open: it is cancelled here so the run never hangs.
    host::RunResult RunDialog(const std::function<void(HWND)>& script) {
        bool opened = false;
        gui::WhenWindowAppears(kTitle, [&](HWND dialog) {
            opened = true;
            dialog_ = dialog;
            HWND progress = GetDlgItem(dialog, IDC_PROGRESS);
            progressProcedure = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(progress, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProgress)));
            SilenceTooltips();
            gui::ParkPointer();
            script(dialog);
            if (IsWindow(dialog) && IsWindowVisible(dialog)) {
                ADD_FAILURE() << "the script left the dialog open";
                EndDialog(dialog, IDCANCEL);
            }
        });
        host::RunResult run = host.RunInteractive();
        EXPECT_TRUE(opened) << "the dialog did not open";
        return run;
    }

    static std::string SettingsFile() {
        const std::string plugin = testing_support::PluginPath();
        return plugin.substr(0, plugin.find_last_of("\\/") + 1) + "Vortiflux.ini";
    }

    FilterParameters Live() const {
        FilterParameters params{};
        std::memcpy(&params, host.parametersBytes(), sizeof params);
        return params;
    }

    HWND Item(int id) const { return GetDlgItem(dialog_, id); }
    HWND PanelItem(int id) const { return GetDlgItem(Panel(dialog_), id); }
    PreviewPane* Pane(int id) const {
        return reinterpret_cast<PreviewPane*>(GetWindowLongPtrA(Item(id), GWLP_USERDATA));
    }
    std::string ZoomLabel() const { return Text(Item(IDC_ZOOM_LABEL)); }

    void Screenshot(const std::string& name) {
        SetFocus(Item(IDOK));
        gui::ParkPointer();
        gui::Pump();
        // The client area only: without a window manager the frame shows what lies behind it.
        const gui::Image window = gui::CaptureWindow(dialog_);
        RECT frame = {}, client = {};
        GetWindowRect(dialog_, &frame);
        GetClientRect(dialog_, &client);
        POINT origin = {0, 0};
        ClientToScreen(dialog_, &origin);
        gui::Image image;
        image.width = std::min<int>(client.right, window.width - (origin.x - frame.left));
        image.height = std::min<int>(client.bottom, window.height - (origin.y - frame.top));
        image.rgb.resize(size_t(image.width) * size_t(image.height) * 3);
        for (int y = 0; y < image.height; ++y)
            std::memcpy(image.at(0, y), window.at(origin.x - frame.left, origin.y - frame.top + y),
                        size_t(image.width) * 3);
        // The artifact in full; the reference at half the size, which keeps the repository small
        // and still shows every control and the picture.
        gui::WritePng(gui::ScreenshotFolder() + "/" + name + ".png", image);
        gui::Image half;
        half.width = image.width / 2;
        half.height = image.height / 2;
        half.rgb.resize(size_t(half.width) * size_t(half.height) * 3);
        for (int y = 0; y < half.height; ++y)
            for (int x = 0; x < half.width; ++x)
                for (int k = 0; k < 3; ++k)
                    half.at(x, y)[k] = uint8_t((image.at(2 * x, 2 * y)[k] + image.at(2 * x + 1, 2 * y)[k] +
                                                image.at(2 * x, 2 * y + 1)[k] + image.at(2 * x + 1, 2 * y + 1)[k] + 2) /
                                               4);
        const gui::Comparison comparison =
            gui::CheckScreenshot(name + "_half", half, 8, half.width * half.height / 200);
        EXPECT_TRUE(comparison.matches) << name << ": " << comparison.message;
    }

    // Applies the recorded values without the dialog to `original` and returns the result.
    std::vector<uint8_t> ReplayWithoutDialog(const std::vector<uint8_t>& original) {
        const std::vector<uint8_t> interactive = host.document.pixels;
        host.document.pixels = original;
        host.PlayDescriptor(host.RecordedDescriptor(), plugInDialogDontDisplay);
        const host::RunResult run = host.RunRepeat();
        EXPECT_EQ(run.result, noErr);
        std::vector<uint8_t> replayed = host.document.pixels;
        host.document.pixels = interactive;
        return replayed;
    }

    HWND owner_ = nullptr;
    HWND dialog_ = nullptr;
};

void HotKey(HWND dialog, int id);
void RightDrag(HWND pane, int x0, int y0, int x1, int y1);
void LeftDrag(HWND window, int x0, int y0, int x1, int y1);

double RecordedNumber(const std::vector<host::DescriptorItem>& items, uint32_t key) {
    for (const host::DescriptorItem& item : items)
        if (item.key == key)
            return item.type == typeInteger ? item.integer : item.number;
    ADD_FAILURE() << "key missing from the descriptor";
    return NAN;
}

} // namespace

TEST_F(DialogSession, OpensAtFullSizeAndOkAppliesWhatThePreviewShowed) {
    // Smaller than the pane, opaque: the whole filter area is visible at 100 %.
    host.document = SmoothDocument(360, 240);
    const std::vector<uint8_t> original = host.document.pixels;
    std::vector<uint8_t> preview;
    VRect previewRect{};
    const host::RunResult run = RunDialog([&](HWND dialog) {
        EXPECT_EQ(ZoomLabel(), "100%");
        EXPECT_FALSE(IsWindowEnabled(Item(IDC_ZOOM_IN)));
        EXPECT_FALSE(IsWindowEnabled(Item(IDC_ZOOM_OUT))); // everything fits already
        EXPECT_EQ(Text(dialog), kTitle);
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner_);
        // The picture is centred in the pane; a right click on its corner puts the emitter at
        // the corner of the filter area, one on its centre back in the middle.
        PreviewPane* pane = Pane(IDC_MAIN_PANE);
        ASSERT_NE(pane, nullptr);
        EXPECT_EQ(pane->imageX, (pane->width - 360) / 2);
        EXPECT_EQ(pane->imageY, (pane->height - 240) / 2);
        gui::PointerClick(pane->window, pane->imageX, pane->imageY, true);
        EXPECT_FLOAT_EQ(Live().centerX, -100.0f);
        EXPECT_FLOAT_EQ(Live().centerY, 100.0f);
        gui::PointerClick(pane->window, pane->imageX + 180, pane->imageY + 120, true);
        EXPECT_FLOAT_EQ(Live().centerX, 0.0f);
        EXPECT_FLOAT_EQ(Live().centerY, 0.0f);
        // With the whole area in the pane, a dragged picture falls back to where it was.
        LeftDrag(pane->window, 300, 300, 340, 310);
        gui::PumpPastTimer(pane->window, 1);
        EXPECT_EQ(pane->view->scrollX, 0);
        EXPECT_EQ(pane->view->scrollY, 0);

        // The preview's own output, as the engine left it in the host's buffer.
        const FilterRecord& r = host.record();
        previewRect = host.lastInRect();
        const size_t rowBytes = size_t(previewRect.right - previewRect.left) * 3;
        ASSERT_NE(r.outData, nullptr);
        for (int32_t y = 0; y < previewRect.bottom - previewRect.top; ++y) {
            const uint8_t* row = static_cast<const uint8_t*>(r.outData) + size_t(y) * size_t(r.outRowBytes);
            preview.insert(preview.end(), row, row + rowBytes);
        }
        Screenshot("dialog_small_opaque");
        gui::PointerClick(Item(IDOK), 10, 10);
    });
    EXPECT_EQ(run.result, noErr);
    EXPECT_TRUE(run.documentChanged);
    EXPECT_EQ(previewRect.left, 0);
    EXPECT_EQ(previewRect.right, 360);
    EXPECT_EQ(previewRect.bottom, 240);
    EXPECT_TRUE(preview == host.document.pixels) << "the final render differs from the preview";
    EXPECT_TRUE(ReplayWithoutDialog(original) == host.document.pixels);
}

namespace {

// Posts what the system sends for a registered hot key, and lets the dialog act on it (the
// system's hot keys are not ours to press in a test).
void HotKey(HWND dialog, int id) {
    PostMessageA(dialog, WM_HOTKEY, static_cast<WPARAM>(id), 0);
    gui::Pump();
}

void RightDrag(HWND pane, int x0, int y0, int x1, int y1) {
    gui::PointerDrag(pane, x0, y0, x1, y1, true, 2);
}

void LeftDrag(HWND window, int x0, int y0, int x1, int y1) {
    gui::PointerDrag(window, x0, y0, x1, y1, false, 2);
}

} // namespace

TEST_F(DialogSession, ScriptedUserSessionEndsWithWhatThePreviewShowed) {
    // Wider than four panes and narrower than five at the dialog's smallest size: fitZoom 5.
    host.document = SmoothDocument(3200, 1200);
    const std::vector<uint8_t> original = host.document.pixels;
    const host::RunResult run = RunDialog([&](HWND dialog) {
        PreviewPane* pane = Pane(IDC_MAIN_PANE);
        PreviewPane* navigator = Pane(IDC_NAVIGATOR);
        ASSERT_TRUE(pane && navigator && pane->view);
        EXPECT_EQ(pane->width % 4, 0);
        EXPECT_EQ(ZoomLabel(), "100%");
        EXPECT_FALSE(IsWindowEnabled(Item(IDC_ZOOM_IN)));
        EXPECT_TRUE(IsWindowEnabled(Item(IDC_ZOOM_OUT)));
        MINMAXINFO limits = {};
        SendMessageA(dialog, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        EXPECT_EQ(limits.ptMinTrackSize.x, 990);
        EXPECT_EQ(limits.ptMinTrackSize.y, 703);
        Screenshot("dialog_open");

        // The method list renders at once.
        int renders = rendersSeen;
        HWND methods = PanelItem(IDC_METHOD);
        SendMessageA(methods, CB_SETCURSEL, 5, 0);
        SendMessageA(Panel(dialog), WM_COMMAND, MAKEWPARAM(IDC_METHOD, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(methods));
        gui::Pump();
        EXPECT_EQ(Live().method, Swirl);
        EXPECT_EQ(rendersSeen, renders + 1);

        // Enter in a spin edit's field commits the field and keeps the dialog open.
        HWND valueField = GetDlgItem(PanelItem(IDC_SPIN_VALUE), 1);
        renders = rendersSeen;
        gui::TypeText(valueField, "40");
        gui::PressKey(VK_RETURN, dialog);
        gui::Pump();
        ASSERT_TRUE(IsWindowVisible(dialog));
        EXPECT_FLOAT_EQ(Live().value, 40.0f);
        EXPECT_EQ(rendersSeen, renders + 1);

        // Escape in an edited field restores it and moves the focus to OK.
        HWND sizeField = GetDlgItem(PanelItem(IDC_SPIN_SIZE), 1);
        gui::TypeText(sizeField, "77");
        gui::PressKey(VK_ESCAPE, dialog);
        ASSERT_TRUE(IsWindowVisible(dialog));
        EXPECT_EQ(Text(sizeField), "25.00");
        EXPECT_FLOAT_EQ(Live().size, 25.0f);
        EXPECT_EQ(GetFocus(), Item(IDOK));

        // A centre beyond the filter area is held at its edge.
        HWND xField = PanelItem(IDC_CENTRE_X);
        renders = rendersSeen;
        gui::TypeText(xField, "250");
        SetFocus(Item(IDOK));
        gui::Pump();
        EXPECT_FLOAT_EQ(Live().centerX, 100.0f);
        EXPECT_FLOAT_EQ(pane->markers[0].x, 100.0f);
        EXPECT_EQ(rendersSeen, renders + 1);

        // Turning the rotor moves the centre, the boxes and the cross.
        HWND rotor = PanelItem(IDC_ROTOR);
        RECT rotorClient = {};
        GetClientRect(rotor, &rotorClient);
        const int cx = rotorClient.right / 2, cy = rotorClient.bottom / 2;
        renders = rendersSeen;
        LeftDrag(rotor, cx, cy, cx - cx / 2, cy - cy / 3);
        gui::PumpPastTimer(rotor, 1);
        const FilterParameters turned = Live();
        EXPECT_LT(turned.centerX, 0.0f);
        EXPECT_GT(turned.centerY, 0.0f);
        EXPECT_FLOAT_EQ(pane->markers[0].x, turned.centerX);
        char expected[32];
        std::snprintf(expected, sizeof expected, "%0.2f", turned.centerX);
        EXPECT_EQ(Text(xField), expected);
        EXPECT_EQ(rendersSeen, renders + 1);

        // The right button drops the emitter where it is released.
        renders = rendersSeen;
        RightDrag(pane->window, 100, 100, 150, 120);
        const float width = 3200.0f, height = 1200.0f; // at 100 %
        const float wantX = (float(pane->view->scrollX + 150 - pane->imageX) - width / 2) * 200.0f / width;
        const float wantY = (height / 2 - float(pane->view->scrollY + 120 - pane->imageY)) * 200.0f / height;
        EXPECT_FLOAT_EQ(Live().centerX, wantX);
        EXPECT_FLOAT_EQ(Live().centerY, wantY);
        EXPECT_EQ(rendersSeen, renders + 1);
        Screenshot("dialog_edited");

        // A drag of the picture moves the view by as much once the click timer has passed.
        const int scrollBefore = pane->view->scrollX;
        renders = rendersSeen;
        LeftDrag(pane->window, 400, 300, 370, 300);
        gui::PumpPastTimer(pane->window, 1);
        EXPECT_EQ(pane->view->scrollX, scrollBefore + 30);
        EXPECT_EQ(rendersSeen, renders + 1);
        // Pressed on the cross, the left button moves the emitter instead of the picture.
        const int crossX = int(pane->markers[0].screenX), crossY = int(pane->markers[0].screenY);
        const int scrollCross = pane->view->scrollX;
        renders = rendersSeen;
        LeftDrag(pane->window, crossX + 3, crossY - 2, crossX + 43, crossY - 2);
        gui::PumpPastTimer(pane->window, 1);
        EXPECT_EQ(pane->view->scrollX, scrollCross);
        EXPECT_FLOAT_EQ(Live().centerX,
                        (float(pane->view->scrollX + crossX + 43 - pane->imageX) - 1600.0f) * 200.0f / 3200.0f);
        EXPECT_FLOAT_EQ(pane->markers[0].x, Live().centerX);
        EXPECT_EQ(rendersSeen, renders + 1);
        // A drag begun with Ctrl moves the view without repainting or rendering (the
        // picture catches up with the next render).
        const int scrollCtrl = pane->view->scrollX;
        renders = rendersSeen;
        gui::KeyState(VK_CONTROL, true);
        LeftDrag(pane->window, 400, 300, 380, 300);
        gui::KeyState(VK_CONTROL, false);
        gui::PumpPastTimer(pane->window, 1);
        EXPECT_EQ(pane->view->scrollX, scrollCtrl + 20);
        EXPECT_EQ(rendersSeen, renders);
        // A double click renders nothing.
        renders = rendersSeen;
        gui::PointerDoubleClick(pane->window, 400, 300);
        gui::PumpPastTimer(pane->window, 1);
        EXPECT_EQ(rendersSeen, renders);

        // Zoom: the buttons step, the hot keys jump.
        HotKey(dialog, 1); // "+" is disabled at 100 %: nothing
        EXPECT_EQ(ZoomLabel(), "100%");
        for (const char* label : {"50%", "33%", "25%", "20%"}) {
            gui::PointerClick(Item(IDC_ZOOM_OUT), 5, 5);
            gui::Pump();
            EXPECT_EQ(ZoomLabel(), label);
        }
        EXPECT_FALSE(IsWindowEnabled(Item(IDC_ZOOM_OUT)));
        EXPECT_TRUE(IsWindowEnabled(Item(IDC_ZOOM_IN)));
        Screenshot("dialog_fit");
        HotKey(dialog, 4);
        EXPECT_EQ(ZoomLabel(), "100%");
        EXPECT_FALSE(IsWindowEnabled(Item(IDC_ZOOM_IN)));
        HotKey(dialog, 3);
        EXPECT_EQ(ZoomLabel(), "20%");
        HotKey(dialog, 1);
        EXPECT_EQ(ZoomLabel(), "25%");
        HotKey(dialog, 4);

        // The navigator's rectangle dragged beyond the thumbnail snaps back to its edge.
        const int frameX = navigator->frameX + navigator->imageX, frameY = navigator->frameY + navigator->imageY;
        LeftDrag(navigator->window, frameX + 3, frameY + 3, frameX + 3 + navigator->width, frameY + 3);
        gui::PumpPastTimer(navigator->window, 1);
        EXPECT_EQ(pane->view->scrollX, 3200 - pane->width);
        // The rectangle's size is rounded up by a pixel or two, so it may end just past the edge.
        EXPECT_LE(navigator->frameX + navigator->frameWidth, navigator->imageX + navigator->bitmapWidth + 3);

        // A live resize lays out only; its end renders once, and only if the pane changed.
        renders = rendersSeen;
        RECT frame = {};
        GetWindowRect(dialog, &frame);
        // Sizes every Wine screen allows, so the screenshot does not depend on the display.
        SetWindowPos(dialog, nullptr, 0, 0, 1010, 730, SWP_NOMOVE | SWP_NOZORDER);
        SetWindowPos(dialog, nullptr, 0, 0, 1030, 750, SWP_NOMOVE | SWP_NOZORDER);
        gui::Pump();
        EXPECT_EQ(rendersSeen, renders);
        SendMessageA(dialog, WM_EXITSIZEMOVE, 0, 0);
        EXPECT_EQ(rendersSeen, renders + 1);
        SendMessageA(dialog, WM_EXITSIZEMOVE, 0, 0);
        EXPECT_EQ(rendersSeen, renders + 1);
        Screenshot("dialog_resized");
        SetWindowPos(dialog, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER); // held at the minimum
        GetWindowRect(dialog, &frame);
        EXPECT_GE(frame.right - frame.left, 990);
        SendMessageA(dialog, WM_EXITSIZEMOVE, 0, 0);

        // Maximising and restoring render for the size the system gave the window (without a
        // window manager it may not keep the maximised size, so only that follows is checked).
        renders = rendersSeen;
        SendMessageA(dialog, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        gui::Pump();
        EXPECT_GT(rendersSeen, renders);
        EXPECT_EQ(pane->bitmapWidth, pane->width);
        renders = rendersSeen;
        SendMessageA(dialog, WM_SYSCOMMAND, SC_RESTORE, 0);
        gui::Pump();
        EXPECT_EQ(pane->bitmapWidth, pane->width);
        EXPECT_EQ(pane->bitmapHeight, pane->height);

        gui::PointerClick(Item(IDOK), 10, 10);
    });
    EXPECT_EQ(run.result, noErr);
    const FilterParameters chosen = Parameters();
    EXPECT_EQ(chosen.method, Swirl);
    EXPECT_FLOAT_EQ(chosen.value, 40.0f);
    const std::vector<host::DescriptorItem> recorded = host.RecordedDescriptor();
    EXPECT_EQ(RecordedNumber(recorded, keyMethod), double(Swirl));
    EXPECT_FLOAT_EQ(float(RecordedNumber(recorded, keyValue)), 40.0f);
    EXPECT_FLOAT_EQ(float(RecordedNumber(recorded, keyCenterX)), chosen.centerX);
    EXPECT_FLOAT_EQ(float(RecordedNumber(recorded, keyCenterY)), chosen.centerY);
    EXPECT_TRUE(ReplayWithoutDialog(original) == host.document.pixels)
        << "the dialog's result differs from a run without it";
}

TEST_F(DialogSession, TwoEscapesCancelAndLeaveTheLayeredDocumentAsItWas) {
    // A smooth layer, transparent on the left, half so in the middle, over a half transparent
    // grey layer: the backdrop and the checkerboard show through.
    host.document = host::Document::Make(420, 300, plugInModeRGBColor, true);
    for (int32_t y = 0; y < 300; ++y)
        for (int32_t x = 0; x < 420; ++x) {
            *host.document.sample(x, y, 0) = uint8_t(x * 255 / 420);
            *host.document.sample(x, y, 1) = uint8_t(y * 255 / 300);
            *host.document.sample(x, y, 2) = 160;
            *host.document.sample(x, y, 3) = x < 140 ? 0 : x < 280 ? 128 : 255;
        }
    host.document.AddLayerBelow("Sky", true, true, 7, 90, 128);
    host.document.AddLayerBelow("Hidden", false, false, 11);
    host.document.targetLayer = 2;
    host.document.layers[2].name = "Layer 1";
    const std::vector<uint8_t> original = host.document.pixels;
    const host::RunResult run = RunDialog([&](HWND dialog) {
        Screenshot("dialog_layers");
        SetWindowPos(dialog, nullptr, 150, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        HWND valueField = GetDlgItem(PanelItem(IDC_SPIN_VALUE), 1);
        gui::TypeText(valueField, "55");
        gui::PressKey(VK_ESCAPE, dialog);
        ASSERT_TRUE(IsWindowVisible(dialog)) << "the first Escape only reverts the field";
        EXPECT_EQ(Text(valueField), "25.00");
        gui::PressKey(VK_ESCAPE, dialog);
    });
    EXPECT_EQ(run.result, userCanceledErr);
    EXPECT_FALSE(run.documentChanged);
    EXPECT_TRUE(original == host.document.pixels);
    const FilterParameters kept = Parameters();
    EXPECT_EQ(kept.windowLeft, 150);
    EXPECT_EQ(kept.windowTop, 120);
    // The settings file beside the library keeps the place for the next run.
    EXPECT_NE(GetFileAttributesA(SettingsFile().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(DialogSession, WideDocumentsArePreviewedWithoutTruncatedCoordinates) {
    host.document = host::Document::Make(40000, 60, plugInModeRGBColor, false);
    const host::RunResult run = RunDialog([&](HWND dialog) {
        PreviewPane* pane = Pane(IDC_MAIN_PANE);
        ASSERT_NE(pane, nullptr);
        const VRect asked = host.lastInRect();
        EXPECT_EQ(asked.left, 0);
        EXPECT_EQ(asked.right, pane->width);
        EXPECT_GT(pane->bitmapWidth, 0);
        // To the far right: beyond 32767 the request still lands where the view is.
        HotKey(dialog, 3);
        HotKey(dialog, 4);
        pane->view->scrollX = 40000;
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_MAIN_PANE, 9), 0);
        const VRect right = host.lastInRect();
        EXPECT_EQ(right.right, 40000);
        EXPECT_EQ(right.left, 40000 - pane->width);
        // Escape in an unedited centre box cancels at once.
        SetFocus(PanelItem(IDC_CENTRE_Y));
        gui::PressKey(VK_ESCAPE, dialog);
    });
    EXPECT_EQ(run.result, userCanceledErr);
}

namespace {

// The pane's picture as the screen shows it.
gui::Image PaneOnScreen(const PreviewPane* pane) {
    return gui::CaptureWindow(pane->window);
}

} // namespace

TEST_F(DialogSession, CrossAndViewRectangleShowOnMidGrey) {
    // A plain mid-grey picture: an inverted pixel (127) cannot be told from its neighbours (128).
    host.document = host::Document::Make(1600, 1200, plugInModeRGBColor, false);
    std::fill(host.document.pixels.begin(), host.document.pixels.end(), uint8_t(128));
    RunDialog([&](HWND) {
        PreviewPane* pane = Pane(IDC_MAIN_PANE);
        PreviewPane* navigator = Pane(IDC_NAVIGATOR);
        ASSERT_TRUE(pane && navigator);
        gui::PointerClick(pane->window, pane->width / 2, pane->height / 2, true);
        gui::ParkPointer();
        const gui::Image main = PaneOnScreen(pane);
        const int x = int(pane->markers[0].screenX), y = int(pane->markers[0].screenY);
        ASSERT_TRUE(x > 25 && y > 25 && x + 25 < main.width && y + 25 < main.height);
        const uint8_t* grey = main.at(x - 40, y - 40);
        for (int along : {-15, -8, 8, 15}) {
            // Beside each arm the cross must stand out from the picture.
            const int horizontal =
                std::max({Contrast(main.at(x + along, y - 1), grey), Contrast(main.at(x + along, y), grey),
                          Contrast(main.at(x + along, y + 1), grey)});
            const int vertical =
                std::max({Contrast(main.at(x - 1, y + along), grey), Contrast(main.at(x, y + along), grey),
                          Contrast(main.at(x + 1, y + along), grey)});
            EXPECT_GE(horizontal, 100) << "the cross's horizontal arm cannot be seen at " << along;
            EXPECT_GE(vertical, 100) << "the cross's vertical arm cannot be seen at " << along;
        }

        const gui::Image thumbnail = PaneOnScreen(navigator);
        const int left = navigator->frameX + navigator->imageX, top = navigator->frameY + navigator->imageY;
        const int right = left + navigator->frameWidth, bottom = top + navigator->frameHeight;
        ASSERT_LT(right + 3, navigator->imageX + navigator->bitmapWidth) << "the rectangle's right edge is inside";
        ASSERT_LT(bottom + 3, navigator->imageY + navigator->bitmapHeight);
        const uint8_t* inside = thumbnail.at((left + right) / 2, (top + bottom) / 2);
        const int midX = (left + right) / 2, midY = (top + bottom) / 2;
        EXPECT_GE(
            std::max({Contrast(thumbnail.at(right - 1, midY), inside), Contrast(thumbnail.at(right, midY), inside),
                      Contrast(thumbnail.at(right + 1, midY), inside)}),
            100)
            << "the rectangle's right edge cannot be seen";
        EXPECT_GE(
            std::max({Contrast(thumbnail.at(midX, bottom - 1), inside), Contrast(thumbnail.at(midX, bottom), inside),
                      Contrast(thumbnail.at(midX, bottom + 1), inside)}),
            100)
            << "the rectangle's bottom edge cannot be seen";
        gui::PointerClick(Item(IDCANCEL), 10, 10);
    });
}

TEST_F(DialogSession, GesturesDoWhatTheUserMeant) {
    host.document = SmoothDocument(3200, 1200);
    const host::RunResult run = RunDialog([&](HWND dialog) {
        PreviewPane* pane = Pane(IDC_MAIN_PANE);
        PreviewPane* navigator = Pane(IDC_NAVIGATOR);
        ASSERT_TRUE(pane && navigator && pane->view);
        // The emitter where the user put it with the right button.
        gui::PointerClick(pane->window, 250, 200, true);
        const int crossX = int(pane->markers[0].screenX), crossY = int(pane->markers[0].screenY);
        ASSERT_EQ(crossX, 250);
        // Over the cross the cursor offers to move it; elsewhere the picture.
        gui::PointerMove(pane->window, crossX + 4, crossY + 3);
        EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_SIZENWSE));
        gui::PointerMove(pane->window, crossX + 120, crossY + 3);
        EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_SIZEALL));

        // A double click on the cross changes nothing, and the next drag begun away from the
        // cross moves the picture, not the emitter.
        gui::PointerDoubleClick(pane->window, crossX + 2, crossY + 2);
        gui::PumpPastTimer(pane->window, 1);
        const float centreX = Live().centerX, centreY = Live().centerY;
        const int scrollX = pane->view->scrollX;
        LeftDrag(pane->window, crossX + 150, crossY, crossX + 100, crossY + 40);
        gui::PumpPastTimer(pane->window, 1);
        EXPECT_FLOAT_EQ(Live().centerX, centreX) << "the emitter moved with a drag away from it";
        EXPECT_FLOAT_EQ(Live().centerY, centreY);
        EXPECT_EQ(pane->view->scrollX, scrollX + 50);

        // A right press shows the cross where it is at once, before the button is let go.
        gui::PointerDown(pane->window, 200, 150, true);
        EXPECT_EQ(int(pane->markers[0].screenX), 200) << "the cross was not painted at the press";
        EXPECT_EQ(int(pane->markers[0].screenY), 150);
        const float pressedX = Live().centerX;
        gui::PointerUp(pane->window, 200, 150, true);
        EXPECT_FLOAT_EQ(Live().centerX, pressedX);

        // A Ctrl drag of the navigator's rectangle does not move the view, so the rectangle
        // goes back to where the view is.
        const int frameX = navigator->frameX, frameY = navigator->frameY;
        const int viewX = pane->view->scrollX;
        gui::KeyState(VK_CONTROL, true);
        LeftDrag(navigator->window, navigator->imageX + frameX + 4, navigator->imageY + frameY + 4,
                 navigator->imageX + frameX + 30, navigator->imageY + frameY + 10);
        gui::KeyState(VK_CONTROL, false);
        gui::PumpPastTimer(navigator->window, 1);
        EXPECT_EQ(pane->view->scrollX, viewX);
        EXPECT_EQ(navigator->frameX, frameX) << "the rectangle no longer shows the view";
        EXPECT_EQ(navigator->frameY, frameY);

        // Buttons click only when pressed on them: a press on the dialog's background dragged
        // onto OK and released there does not apply the filter.
        RECT ok = {};
        GetWindowRect(Item(IDOK), &ok);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&ok), 2);
        gui::PointerDrag(dialog, ok.left + 10, ok.top - 6, 10, 10, false, 3, Item(IDOK));
        gui::Pump();
        ASSERT_TRUE(IsWindowVisible(dialog)) << "a press beside OK applied the filter";
        // Nor does a press beside the rotor, dragged across it, turn it.
        HWND rotor = PanelItem(IDC_ROTOR);
        RECT rotorArea = {};
        GetClientRect(rotor, &rotorArea);
        const float beforeRotorX = Live().centerX;
        gui::PointerDrag(rotor, -6, rotorArea.bottom / 2, rotorArea.right / 3, rotorArea.bottom / 3, false, 4);
        gui::Pump();
        EXPECT_FLOAT_EQ(Live().centerX, beforeRotorX);
        gui::PointerClick(Item(IDCANCEL), 10, 10);
    });
    EXPECT_EQ(run.result, userCanceledErr);
}

TEST_F(DialogSession, ValuesTypedForTheRotorAndTheCentreBoxesShowWhereTheyAreStored) {
    host.document = SmoothDocument(800, 600);
    RunDialog([&](HWND dialog) {
        HWND xField = PanelItem(IDC_CENTRE_X), yField = PanelItem(IDC_CENTRE_Y);
        HWND rotor = PanelItem(IDC_ROTOR);
        // "Set value" on the rotor: azimuth 0, elevation 30 puts the centre at 86.60, 0.
        gui::WhenWindowAppears("Set value", [](HWND box) {
            SetDlgItemTextA(box, 15906, "0");
            SetDlgItemTextA(box, 15907, "30");
            SendDlgItemMessageA(box, IDOK, BM_CLICK, 0, 0);
        });
        SetFocus(xField);
        gui::Pump();
        gui::PointerClick(rotor, 10, 10, true);
        ASSERT_TRUE(gui::WindowActionDone());
        gui::Pump();
        EXPECT_NEAR(Live().centerX, 86.60f, 0.01f);
        EXPECT_EQ(Text(xField), "86.60") << "the box still shows the old centre";
        EXPECT_EQ(Text(yField), "0.00");
        // Moving the focus on commits what the box shows: nothing changes.
        const int renders = rendersSeen;
        SetFocus(xField);
        SetFocus(Item(IDOK));
        gui::Pump();
        EXPECT_NEAR(Live().centerX, 86.60f, 0.01f) << "leaving the box undid the rotor's value";
        EXPECT_EQ(rendersSeen, renders);

        // What cannot be stored as typed is shown as stored: text that is no number as 0, a
        // number too large to hold at the edge.
        gui::TypeText(xField, "abc");
        SetFocus(Item(IDOK));
        gui::Pump();
        EXPECT_FLOAT_EQ(Live().centerX, 0.0f);
        EXPECT_EQ(Text(xField), "0.00");
        for (const char* huge : {"1e999", "inf"}) {
            gui::TypeText(yField, huge);
            SetFocus(Item(IDOK));
            gui::Pump();
            EXPECT_FLOAT_EQ(Live().centerY, 100.0f) << huge;
            EXPECT_EQ(Text(yField), "100.00") << huge;
        }
        gui::TypeText(yField, "nan");
        SetFocus(Item(IDOK));
        gui::Pump();
        EXPECT_FLOAT_EQ(Live().centerY, 0.0f);
        EXPECT_EQ(Text(yField), "0.00");
        // A number too large for the strength is held at the end of its range as well.
        HWND valueField = GetDlgItem(PanelItem(IDC_SPIN_VALUE), 1);
        gui::TypeText(valueField, "1e999");
        SetFocus(Item(IDOK));
        gui::Pump();
        EXPECT_FLOAT_EQ(Live().value, 100.0f);
        gui::PointerClick(Item(IDCANCEL), 10, 10);
        (void)dialog;
    });
}

TEST_F(DialogSession, ResizingKeepsTheChosenZoomAndTrueButtons) {
    host.document = SmoothDocument(3200, 1200);
    RunDialog([&](HWND dialog) {
        const auto resize = [&](int width, int height) {
            SetWindowPos(dialog, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
            SendMessageA(dialog, WM_EXITSIZEMOVE, 0, 0);
            gui::Pump();
        };
        resize(1010, 730);
        ASSERT_EQ(ZoomLabel(), "100%");
        // Larger: fewer steps lie between 100 % and the whole area, and 100 % stays.
        resize(1400, 1000);
        EXPECT_EQ(ZoomLabel(), "100%");
        EXPECT_FALSE(IsWindowEnabled(Item(IDC_ZOOM_IN)));
        EXPECT_TRUE(IsWindowEnabled(Item(IDC_ZOOM_OUT)));
        gui::PointerClick(Item(IDC_ZOOM_OUT), 5, 5);
        EXPECT_EQ(ZoomLabel(), "50%") << "\"-\" did nothing after the window grew";
        EXPECT_TRUE(IsWindowEnabled(Item(IDC_ZOOM_IN)));
        // Smaller again: 50 % stays 50 %.
        resize(1010, 730);
        EXPECT_EQ(ZoomLabel(), "50%") << "shrinking the window changed the zoom";
        EXPECT_TRUE(IsWindowEnabled(Item(IDC_ZOOM_IN)));
        EXPECT_TRUE(IsWindowEnabled(Item(IDC_ZOOM_OUT)));
        // At the whole area, growing the window keeps the area whole: "-" has nothing to do.
        HotKey(dialog, 3);
        EXPECT_EQ(ZoomLabel(), "20%");
        resize(1400, 1000);
        EXPECT_FALSE(IsWindowEnabled(Item(IDC_ZOOM_OUT)));
        EXPECT_TRUE(IsWindowEnabled(Item(IDC_ZOOM_IN)));
        gui::PointerClick(Item(IDCANCEL), 10, 10);
    });
}

namespace {

// The top bar's buttons lie on its pictures: a real click at a button's middle reaches the
// button, not the picture behind it (the manual and the product page open through the shell).
TEST_F(DialogSession, TopBarButtonsTakeRealClicks) {
    host.document = SmoothDocument(800, 600);
    host::ClearDesktopRecord();
    const host::RunResult run = RunDialog([&](HWND dialog) {
        for (int id : {IDC_MANUAL_BUTTON, IDC_PRODUCT_BUTTON}) {
            HWND button = GetDlgItem(dialog, id);
            ASSERT_TRUE(button != nullptr);
            RECT box = {};
            GetClientRect(button, &box);
            const size_t before = host::ShellRequests().size();
            gui::PointerClick(button, box.right / 2, box.bottom / 2);
            EXPECT_TRUE(gui::PumpUntil([&] { return host::ShellRequests().size() > before; }))
                << "a click in the middle of button " << id << " opened nothing";
            gui::PumpUntil([] { return false; }, 300); // the shell thread ends
        }
        EndDialog(dialog, IDCANCEL);
    });
    EXPECT_EQ(run.result, userCanceledErr);
}

} // namespace

namespace {

// The smooth picture, larger than the pane, at 16 bits, in grey or in CMYK: 16-bit samples get
// low bits no 8-bit sample has, grey is the picture's luminance; with transparency the left third
// is clear, the rest opaque.
host::Document DeepSmoothDocument(int16_t mode, int32_t depth, bool transparency) {
    host::Document rgb = SmoothDocument(1100, 700);
    host::Document document = host::Document::Make(1100, 700, mode, transparency, depth);
    const int colors = document.colorPlanes;
    for (int32_t y = 0; y < document.height; ++y)
        for (int32_t x = 0; x < document.width; ++x) {
            uint16_t samples[5] = {rgb.sampleAt(x, y, 0), rgb.sampleAt(x, y, 1), rgb.sampleAt(x, y, 2), 255, 255};
            if (colors == 1)
                samples[0] = uint16_t((samples[0] * 30 + samples[1] * 59 + samples[2] * 11) / 100);
            if (colors == 4) { // the host's own conversion (255: no ink)
                const uint8_t colour[3] = {uint8_t(samples[0]), uint8_t(samples[1]), uint8_t(samples[2])};
                uint8_t inks[4];
                host::PlainRgbToCmyk(colour, inks);
                std::copy(inks, inks + 4, samples);
            }
            samples[colors] = x < document.width / 3 ? 0 : 255;
            for (int k = 0; k < document.planes(); ++k) {
                const bool opaque = k == colors && samples[k] == 255;
                const uint16_t wide = opaque ? 32768 : uint16_t(samples[k] * 128 + (x + y) % 128);
                if (depth == 16)
                    std::memcpy(document.sample(x, y, k), &wide, 2);
                else
                    *document.sample(x, y, k) = uint8_t(samples[k]);
            }
        }
    return document;
}

// The colours of a pane's picture (blue-green-red, bottom-up) in columns [left, right).
std::vector<const uint8_t*> PanePixels(const PreviewPane* pane, int32_t left, int32_t right) {
    std::vector<const uint8_t*> pixels;
    for (int32_t y = 0; y < pane->bitmapHeight; ++y)
        for (int32_t x = std::max(left, 0); x < std::min(right, pane->bitmapWidth); ++x)
            pixels.push_back(pane->pixels + (size_t(y) * size_t(pane->bitmapWidth) + size_t(x)) * 3);
    return pixels;
}

} // namespace

TEST_F(DialogSession, GreyAndSixteenBitDocumentsArePreviewedAndAppliedAtTheirDepth) {
    struct Case {
        int16_t mode;
        int32_t depth;
        const char* name;
    };
    for (const Case& c : {Case{plugInModeGray16, 16, "dialog_grey16"}, Case{plugInModeGrayScale, 8, "dialog_grey8"},
                          Case{plugInModeRGB48, 16, "dialog_rgb48"}, Case{plugInModeCMYK64, 16, "dialog_cmyk64"}}) {
        SCOPED_TRACE(c.name);
        const bool grey = c.mode == plugInModeGray16 || c.mode == plugInModeGrayScale;
        host.document = DeepSmoothDocument(c.mode, c.depth, true);
        const std::vector<uint8_t> original = host.document.pixels;
        const host::RunResult run = RunDialog([&](HWND) {
            // Grey has no colours for the aberration to part: its field is greyed out.
            EXPECT_EQ(IsWindowEnabled(PanelItem(IDC_SPIN_ABERRATION)) != FALSE, !grey);
            PreviewPane* pane = Pane(IDC_MAIN_PANE);
            PreviewPane* navigator = Pane(IDC_NAVIGATOR);
            ASSERT_NE(pane, nullptr);
            ASSERT_NE(navigator, nullptr);
            for (int zoomedOut = 0; zoomedOut < 2; ++zoomedOut) {
                ASSERT_NE(pane->pixels, nullptr);
                const std::vector<const uint8_t*> all = PanePixels(pane, 0, pane->bitmapWidth);
                ASSERT_FALSE(all.empty());
                size_t coloured = 0;
                for (const uint8_t* p : all)
                    coloured += p[0] != p[1] || p[1] != p[2] ? 1 : 0;
                if (grey)
                    EXPECT_EQ(coloured, 0u) << "zoomed out " << zoomedOut;
                else
                    EXPECT_GT(coloured, all.size() / 4) << "zoomed out " << zoomedOut; // a third is clear
                // The clear third shows the checkerboard: light grey and white cells.
                int light = 0, white = 0;
                for (const uint8_t* p : PanePixels(pane, 4, pane->bitmapWidth / 3 - 40)) {
                    light += p[0] == 204 && p[1] == 204 && p[2] == 204 ? 1 : 0;
                    white += p[0] == 255 && p[1] == 255 && p[2] == 255 ? 1 : 0;
                }
                EXPECT_GT(light, 100) << "zoomed out " << zoomedOut;
                EXPECT_GT(white, 100) << "zoomed out " << zoomedOut;
                size_t navigatorColoured = 0;
                for (const uint8_t* p : PanePixels(navigator, 0, navigator->bitmapWidth))
                    navigatorColoured += p[0] != p[1] || p[1] != p[2] ? 1 : 0;
                EXPECT_EQ(navigatorColoured == 0, grey);
                if (zoomedOut == 0) {
                    Screenshot(c.name);
                    EXPECT_EQ(ZoomLabel(), "100%");
                    gui::PointerClick(Item(IDC_ZOOM_OUT), 5, 5);
                    gui::Pump();
                    EXPECT_NE(ZoomLabel(), "100%");
                }
            }
            gui::PointerClick(Item(IDOK), 10, 10);
        });
        EXPECT_EQ(run.result, noErr);
        EXPECT_TRUE(run.documentChanged);
        EXPECT_EQ(host.document.depth, c.depth);
        EXPECT_TRUE(ReplayWithoutDialog(original) == host.document.pixels);
    }
}
