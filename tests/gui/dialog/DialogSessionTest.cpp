// A scripted user in the main dialog of the real plug-in, run by the substitute host under
// Wine: the dialog runs modally inside PluginMain, so each script runs from a timer inside the
// dialog's own loop, drives it with real messages, and ends it.
#include "GuiHarness.h"
#include "TestPlugin.h"
#include "dialog/DialogIds.h"
#include "dialog/PreviewPane.h"

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
    host.document = host::Document::Make(360, 240, plugInModeRGBColor, false);
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
        gui::RightClick(pane->window, pane->imageX, pane->imageY);
        EXPECT_FLOAT_EQ(Live().centerX, -100.0f);
        EXPECT_FLOAT_EQ(Live().centerY, 100.0f);
        gui::RightClick(pane->window, pane->imageX + 180, pane->imageY + 120);
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
        gui::Click(Item(IDOK), 10, 10);
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

// Posts what the system sends for a registered hot key, and lets the dialog act on it.
void HotKey(HWND dialog, int id) {
    PostMessageA(dialog, WM_HOTKEY, static_cast<WPARAM>(id), 0);
    gui::Pump();
}

void RightDrag(HWND pane, int x0, int y0, int x1, int y1) {
    PostMessageA(pane, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x0, y0));
    PostMessageA(pane, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM((x0 + x1) / 2, (y0 + y1) / 2));
    PostMessageA(pane, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(x1, y1));
    PostMessageA(pane, WM_RBUTTONUP, 0, MAKELPARAM(x1, y1));
    gui::Pump();
}

void LeftDrag(HWND window, int x0, int y0, int x1, int y1) {
    gui::MouseDown(window, x0, y0);
    gui::MouseMove(window, (x0 + x1) / 2, (y0 + y1) / 2, true);
    gui::MouseMove(window, x1, y1, true);
    gui::MouseUp(window, x1, y1);
}

} // namespace

TEST_F(DialogSession, ScriptedUserSessionEndsWithWhatThePreviewShowed) {
    // Wider than four panes and narrower than five at the dialog's smallest size: fitZoom 5.
    host.document = host::Document::Make(3200, 1200, plugInModeRGBColor, false);
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
        PostMessageA(pane->window, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MAKELPARAM(400, 300));
        PostMessageA(pane->window, WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, MAKELPARAM(380, 300));
        PostMessageA(pane->window, WM_LBUTTONUP, MK_CONTROL, MAKELPARAM(380, 300));
        gui::PumpPastTimer(pane->window, 1);
        EXPECT_EQ(pane->view->scrollX, scrollCtrl + 20);
        EXPECT_EQ(rendersSeen, renders);
        // A double click renders nothing.
        renders = rendersSeen;
        gui::DoubleClick(pane->window, 400, 300);
        gui::PumpPastTimer(pane->window, 1);
        EXPECT_EQ(rendersSeen, renders);

        // Zoom: the buttons step, the hot keys jump.
        HotKey(dialog, 1); // "+" is disabled at 100 %: nothing
        EXPECT_EQ(ZoomLabel(), "100%");
        for (const char* label : {"50%", "33%", "25%", "20%"}) {
            gui::Click(Item(IDC_ZOOM_OUT), 5, 5);
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

        gui::Click(Item(IDOK), 10, 10);
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
