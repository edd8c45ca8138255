// The main dialog: its life, its layout, the zoom and the keyboard shortcuts, and the place
// where every change of parameters, view or size becomes a new preview. Everything, every
// render included, runs on the host's thread inside the modal loop.
#include "dialog/MainDialog.h"

#include "controls/GdiObjects.h"
#include "controls/SkinControls.h"
#include "controls/SkinResources.h"
#include "dialog/DialogIds.h"
#include "dialog/DialogLayout.h"
#include "dialog/DialogServices.h"
#include "dialog/ParameterPanel.h"
#include "dialog/PreviewPane.h"
#include "engine/PreviewZoom.h"
#include "engine/ProcessImage.h"
#include "engine/RenderDistortion.h"
#include "platform/Platform.h"
#include "plugin/DocumentReading.h"
#include "plugin/Globals.h"
#include "plugin/Rectangles.h"
#include "plugin/UserInterface.h"
#include "presets/PresetFile.h"
#include "presets/UiSettings.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

HWND mainDialog = nullptr;
HFONT presetListFont = nullptr;
// Set by the online update check; nothing is known without it.
bool newVersionAvailable = false;

namespace {

using namespace layout;

constexpr UINT_PTR kProductAnimationTimer = 1156;
constexpr UINT kProductAnimationDelay = 100;

enum HotKey { kHotZoomIn = 1, kHotZoomOut, kHotFit, kHot100, kHotManual, kHotProductPage };

// True from a complete initialisation to the teardown: a dialog whose set-up failed handles
// nothing but its own end.
bool ready = false;
HBITMAP topBarTile = nullptr; // bitmap 214, owned by the dialog
HWND okButton = nullptr, cancelButton = nullptr, zoomInButton = nullptr, zoomOutButton = nullptr;
HWND zoomLabel = nullptr, progressBar = nullptr, topBarRight = nullptr;
RECT layoutBase = {}; // the main pane's rectangle after the panel was placed, client coordinates
int clientWidth = 0;

HWND Item(int id) {
    return GetDlgItem(mainDialog, id);
}

void Move(HWND window, int x, int y, int width, int height) {
    if (window)
        SetWindowPos(window, nullptr, x, y, std::max(0, width), std::max(0, height), SWP_NOZORDER | SWP_NOACTIVATE);
}

HFONT MakeArial(int height, int weight) {
    return gdi::CreateFontNamed(height, weight, false, PROOF_QUALITY, "Arial");
}

// The picture of a skinned "Control CPP" piece of the top bar, owned by the control.
void ShowTopBarPiece(int id, int bitmapId, int width) {
    HWND window = Item(id);
    Move(window, 0, 0, width, kTopBarHeight);
    auto* piece = static_cast<TControl*>(GetControlObject(window, "Control CPP"));
    if (!piece)
        return;
    piece->width = width;
    piece->height = kTopBarHeight;
    gdi::Delete(piece->image);
    piece->image = gdi::LoadBitmapResource(static_cast<HINSTANCE>(platform::ModuleInstance()), bitmapId);
    piece->imageMode = 1;
}

TControlButton* SetUpBitmapButton(int id, const Box& box, int normal, int hot, int pressed, const char* tooltip) {
    HWND window = Item(id);
    Move(window, box.x, box.y, box.width, box.height);
    auto* button = static_cast<TControlButton*>(GetControlObject(window, "Control Button CPP"));
    if (button) {
        button->width = box.width;
        button->height = box.height;
        SetButtonBitmaps(button, normal, hot, pressed, 0);
    }
    AddTooltip(window, tooltip);
    return button;
}

bool SyncProxyRect() {
    if (!gPluginData || !mainPane)
        return false;
    Rect& proxy = gPluginData->proxyRect;
    if (proxy.right == mainPane->width && proxy.bottom == mainPane->height)
        return false;
    proxy = Rect{0, 0, int16_t(std::min(mainPane->height, 32767)), int16_t(std::min(mainPane->width, 32767))};
    return true;
}

void SetZoomLabel() {
    char text[16];
    std::snprintf(text, sizeof text, "%d%%", static_cast<int>(100.0f / zoom));
    SetWindowTextA(zoomLabel, text);
}

// A failed preview request shows no picture; it is no failure of the filter run.
void ForgetPreviewFailure() {
    SetResult(noErr);
}

void RenderAndShow() {
    ProcessImage();
    ForgetPreviewFailure();
    BuildPaneBitmap(mainPane);
    if (mainPane)
        RedrawWindow(mainPane->window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    if (navigatorPane)
        RedrawWindow(navigatorPane->window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

// The smallest whole zoom at which the filter area fits the pane, as SetPreviewZoom will settle
// it for the preview area in proxyRect.
float FitZoomOfPane() {
    const VRect filter = GetFilterRect();
    const Rect& proxy = gPluginData->proxyRect;
    const float width = std::max(1.0f, float(proxy.right) - float(proxy.left));
    const float height = std::max(1.0f, float(proxy.bottom) - float(proxy.top));
    const float ratio = std::max(float(RectWidth(filter)) / width, float(RectHeight(filter)) / height);
    return std::max(1.0f, std::ceil(ratio));
}

// A new pane size changes how many steps lie between the whole area and 100 %: the zoom the
// user chose stays, and its step is counted anew from the new fit.
void KeepChosenZoom() {
    if (!gFilterRecord || !gPluginData || zoomStepsFromFit < 0.0f)
        return;
    const float fit = FitZoomOfPane();
    if (fit != fitZoom)
        zoomStepsFromFit = std::clamp(fit - zoom, 0.0f, fit - 1.0f);
}

// "+" while there is a step towards 100 %, "-" while there is one towards the whole area.
void UpdateZoomButtons() {
    EnableZoomIn(zoom > 1.0f);
    EnableZoomOut(zoomStepsFromFit > 0.0f);
}

void ApplyViewChange() {
    if (!mainPane)
        return;
    SyncProxyRect();
    KeepChosenZoom();
    SetPreviewZoom(mainView);
    workingContext.offsetX = mainView.scrollX;
    workingContext.offsetY = mainView.scrollY;
    workingContext.zoom = zoom;
    SyncNavigatorFrame();
    PrepareWorkingBuffers();
    SetZoomLabel();
    UpdateZoomButtons();
    RenderAndShow();
}

void ZoomCommand(int command) {
    switch (command) {
    case IDC_ZOOM_IN:
        zoomStepsFromFit = std::min(zoomStepsFromFit + 1.0f, fitZoom - 1.0f);
        break;
    case IDC_ZOOM_OUT:
        zoomStepsFromFit = std::max(zoomStepsFromFit - 1.0f, 0.0f);
        break;
    case kCommandZoomToFit:
        zoomStepsFromFit = 0.0f;
        break;
    case kCommandZoomTo100:
        zoom = 1.0f;
        zoomStepsFromFit = -1.0f;
        break;
    }
    ApplyViewChange();
}

void LayoutMainDialog(int width, int height) {
    if (!mainPane)
        return;
    clientWidth = width;
    InvalidateRect(Item(IDC_ABOUT_BUTTON), nullptr, FALSE);
    Move(topBarRight, width - kTopBarRightWidth, 0, kTopBarRightWidth, kTopBarHeight);
    Move(Item(IDC_MANUAL_BUTTON), width - kManualButtonFromRight, kManualButton.y, kManualButton.width,
         kManualButton.height);
    RECT middle = {kTopBarLeftWidth, 0, width - kTopBarRightWidth, kTopBarHeight};
    InvalidateRect(mainDialog, &middle, FALSE);

    const int right = width - kMainPaneRightMargin;
    const int paneWidth = (right - layoutBase.left + 3) / 4 * 4;
    const int paneHeight = height - kMainPaneBottomMargin - layoutBase.top;
    Move(mainPane->window, layoutBase.left + kMainPaneShift, layoutBase.top, paneWidth, paneHeight);
    mainPane->width = std::max(0, paneWidth);
    mainPane->height = std::max(0, paneHeight);
    mainView.viewWidth = mainPane->width;
    mainView.viewHeight = mainPane->height;

    LayoutParameterPanel(height);

    const int centre = layoutBase.left + (right - layoutBase.left) / 2;
    const int row = height - kButtonRowFromBottom;
    Move(okButton, centre + kOkFromCentre, row, kOkCancelWidth, kButtonHeight);
    Move(cancelButton, centre + kCancelFromCentre, row, kOkCancelWidth, kButtonHeight);
    Move(zoomInButton, centre + kZoomInFromCentre, row, kZoomButtonWidth, kButtonHeight);
    Move(zoomOutButton, centre + kZoomOutFromCentre, row, kZoomButtonWidth, kButtonHeight);

    const int labelWidth = screenDpi == 96    ? kZoomLabelWidth96
                           : screenDpi == 120 ? kZoomLabelWidth120
                                              : kZoomLabelWidthOther;
    const int labelHeight = screenDpi == 96    ? kZoomLabelHeight96
                            : screenDpi == 120 ? kZoomLabelHeight120
                                               : kZoomLabelHeightOther;
    Move(zoomLabel, centre - labelWidth / 2, height - labelHeight - kZoomLabelFromBottom, labelWidth, labelHeight);

    Move(progressBar, layoutBase.left + kProgressIndent, height - kProgressFromBottom,
         2 * (right - layoutBase.left) / 2 - 2 * kProgressIndent, kProgressHeight);
    InvalidateRect(progressBar, nullptr, TRUE);
}

void CreateParameterPanel(HWND dialog) {
    // A Unicode dialog: its preset list and folder line show names in any script.
    HWND panel = CreateDialogParamW(static_cast<HINSTANCE>(platform::ModuleInstance()),
                                    MAKEINTRESOURCEW(IDD_PARAMETER_PANEL), dialog, ParameterPanelProc, 0);
    if (!panel)
        return;
    RECT panelClient = {};
    GetClientRect(panel, &panelClient);
    const int width = panelClient.right;

    RECT navigator = {};
    GetWindowRect(navigatorPane->window, &navigator);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&navigator), 2);
    const int navigatorHeight = navigator.bottom - navigator.top;
    Move(navigatorPane->window, navigator.left, navigator.top, width, navigatorHeight);
    navigatorPane->width = width;
    navigatorPane->height = navigatorHeight;
    PlaceParameterPanel(navigator.left, navigator.top + navigatorHeight + kPanelGap, width);

    RECT pane = {};
    GetWindowRect(mainPane->window, &pane);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&pane), 2);
    Move(mainPane->window, width + kMainPaneGap, pane.top, pane.right - (width + kMainPaneGap), pane.bottom - pane.top);
    GetWindowRect(mainPane->window, &layoutBase);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&layoutBase), 2);
}

void PaintTopBar(HWND dialog) {
    gdi::Paint paint(dialog);
    const int middle = (clientWidth - kTopBarLeftWidth - kTopBarRightWidth + kTopBarTileWidth - 1) / kTopBarTileWidth *
                       kTopBarTileWidth;
    if (middle <= 0 || !topBarTile)
        return;
    gdi::Canvas canvas(paint.dc(), middle, kTopBarHeight);
    if (!canvas.valid())
        return;
    {
        gdi::BitmapSource tile(canvas.dc(), topBarTile);
        for (int x = 0; x < middle; x += kTopBarTileWidth)
            BitBlt(canvas.dc(), x, 0, kTopBarTileWidth, kTopBarHeight, tile.dc(), 0, 0, SRCCOPY);
    }
    canvas.CopyTo(paint.dc(), kTopBarLeftWidth, 0);
}

// The window's first place: where it was last closed, but never smaller than it may be made
// and never entirely off the screens.
void PlaceWindow(HWND dialog) {
    if (!gParams)
        return;
    MINMAXINFO limits = {};
    SendMessageA(dialog, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    RECT wanted = {gParams->windowLeft, gParams->windowTop, gParams->windowLeft + std::max(gParams->windowWidth, 0),
                   gParams->windowTop + std::max(gParams->windowHeight, 0)};
    wanted.right = std::max<LONG>(wanted.right, wanted.left + limits.ptMinTrackSize.x);
    wanted.bottom = std::max<LONG>(wanted.bottom, wanted.top + limits.ptMinTrackSize.y);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoA(MonitorFromRect(&wanted, MONITOR_DEFAULTTONEAREST), &monitor)) {
        const RECT& work = monitor.rcWork;
        const LONG width = wanted.right - wanted.left, height = wanted.bottom - wanted.top;
        const LONG left = std::max<LONG>(work.left, std::min<LONG>(wanted.left, work.right - width));
        const LONG top = std::max<LONG>(work.top, std::min<LONG>(wanted.top, work.bottom - height));
        wanted = {left, top, left + width, top + height};
    }
    SetWindowPos(dialog, nullptr, wanted.left, wanted.top, wanted.right - wanted.left, wanted.bottom - wanted.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

void RegisterDialogHotKeys(HWND dialog) {
    // A combination another program holds is simply missing; the buttons still work.
    RegisterHotKey(dialog, kHotZoomIn, MOD_CONTROL, VK_ADD);
    RegisterHotKey(dialog, kHotZoomOut, MOD_CONTROL, VK_SUBTRACT);
    RegisterHotKey(dialog, kHotFit, MOD_CONTROL, '0');
    RegisterHotKey(dialog, kHot100, MOD_CONTROL, '1');
    RegisterHotKey(dialog, kHotManual, 0, VK_F1);
    RegisterHotKey(dialog, kHotProductPage, 0, VK_F4);
}

// OK, Cancel, "+" and "-" with their tooltips; false when OK cannot be attached.
bool SetUpBottomRow(HWND dialog) {
    if (!AttachMacStyleBtn(dialog, IDOK, "OK", true))
        return false;
    AttachMacStyleBtn(dialog, IDCANCEL, "Cancel", false);
    AttachMacStyleBtn(dialog, IDC_ZOOM_IN, "+", false);
    AttachMacStyleBtn(dialog, IDC_ZOOM_OUT, "-", false);
    AddTooltip(Item(IDOK), "Apply effect");
    AddTooltip(Item(IDCANCEL), "Don't apply effect");
    AddTooltip(Item(IDC_ZOOM_IN), "Enlarge preview size (Use Ctrl+'+' or Ctrl+'1')");
    AddTooltip(Item(IDC_ZOOM_OUT), "Decrease preview size (Use Ctrl+'-' or Ctrl+'0')");
    AddTooltip(Item(IDC_ZOOM_LABEL), "Preview scale");
    return true;
}

void SetUpTopBarPieces(HINSTANCE module) {
    topBarTile = gdi::LoadBitmapResource(module, kBitmapTopBarTile);
    ShowTopBarPiece(IDC_TOPBAR_LEFT, kBitmapTopBarLeft, kTopBarLeftWidth);
    ShowTopBarPiece(IDC_TOPBAR_RIGHT, kBitmapTopBarRight, kTopBarRightWidth);
    // The pictures lie under the buttons drawn on them, so a click reaches the button.
    for (int id : {IDC_TOPBAR_LEFT, IDC_TOPBAR_RIGHT})
        SetWindowPos(Item(id), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// The two panes and the windows the layout moves; false without the panes.
bool FindPanesAndItems() {
    mainPane = PaneOf(Item(IDC_MAIN_PANE));
    navigatorPane = PaneOf(Item(IDC_NAVIGATOR));
    if (!mainPane || !navigatorPane)
        return false;
    mainPane->role = 1;
    mainView = PreviewView{};
    mainPane->view = &mainView;
    navigatorPane->role = 0;
    topBarRight = Item(IDC_TOPBAR_RIGHT);
    okButton = Item(IDOK);
    cancelButton = Item(IDCANCEL);
    zoomInButton = Item(IDC_ZOOM_IN);
    zoomOutButton = Item(IDC_ZOOM_OUT);
    zoomLabel = Item(IDC_ZOOM_LABEL);
    progressBar = Item(IDC_PROGRESS);
    return true;
}

void SetUpTopBarButtons() {
    SetUpBitmapButton(IDC_MANUAL_BUTTON, kManualButton, kBitmapManual, kBitmapManualHot, kBitmapManual,
                      "View manual (F1)");
    const char* productTip = "Visit the product page on site\n(Press F4 as alternative)";
    if (newVersionAvailable)
        SetUpBitmapButton(IDC_PRODUCT_BUTTON, kProductButton, kBitmapInitialsBadge, kBitmapInitialsBadgeHot,
                          kBitmapInitials, productTip);
    else
        SetUpBitmapButton(IDC_PRODUCT_BUTTON, kProductButton, kBitmapInitials, kBitmapInitialsHot, kBitmapInitials,
                          productTip);
    HWND aboutWindow = Item(IDC_ABOUT_BUTTON);
    if (auto* about = static_cast<TControlButton*>(GetControlObject(aboutWindow, "Control Button CPP"))) {
        auto* animated = new TControlButtonAnimated(about); // takes the window over
        Move(aboutWindow, kAboutButton.x, kAboutButton.y, kAboutButton.width, kAboutButton.height);
        animated->width = kAboutButton.width;
        animated->height = kAboutButton.height;
        SetButtonBitmaps(animated, kBitmapTitle, kBitmapTitleHot, kBitmapTitle, 0);
    }
    AddTooltip(aboutWindow, "About Nimbrook Vortiflux");
}

// The document, the view at 100 % and the first render, with the pictures of both panes.
void OpenPreview() {
    zoom = 1.0f;
    zoomStepsFromFit = -1.0f;
    ReadPreviewDocument(PreviewDocumentChannels());
    BuildNavigatorThumbnail(navigatorPane);

    SyncProxyRect();
    SetPreviewZoom(mainView);
    workingContext.offsetX = mainView.scrollX;
    workingContext.offsetY = mainView.scrollY;
    workingContext.zoom = zoom;
    navigatorPane->frameX = navigatorPane->frameY = 0;
    UpdateZoomButtons();
    SetZoomLabel();

    const bool previewDelivered = CurrentResult() == noErr;
    PrepareWorkingBuffers();
    const bool cmyk = gFilterRecord->imageMode == plugInModeCMYKColor;
    DetectUniformAlpha(sourceBuffer, workingContext.bufferWidth, workingContext.bufferHeight, gFilterRecord->planes,
                       cmyk);
    if (previewDelivered)
        ProcessImage();
    ForgetPreviewFailure();
    BuildPaneBitmap(mainPane);
    BuildNavigatorBitmap(navigatorPane);
}

BOOL Initialise(HWND dialog) {
    HINSTANCE module = static_cast<HINSTANCE>(platform::ModuleInstance());
    mainDialog = dialog;
    dialogActive = true;
    ready = false;
    // Measures the resolution and creates the shared bold font before the panel's spin edits
    // are created; the rotor's texture comes with it.
    SetUpDialogResources(dialog, module);
    RegisterDialogHotKeys(dialog);
    // Every later message relies on the buttons and the panes: without them the dialog ends
    // as cancelled before anything else.
    if (!SetUpBottomRow(dialog)) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    SetUpTopBarPieces(module);
    presetListFont = MakeArial(13, FW_NORMAL);
    if (!FindPanesAndItems()) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    CreateParameterPanel(dialog);
    SetUpTopBarButtons();

    presetLoadedHook = SyncMarkerFromParameters;
    presetMessageOwner = dialog;
    ready = true;
    PlaceWindow(dialog);
    RECT client = {};
    GetClientRect(dialog, &client);
    LayoutMainDialog(client.right, client.bottom);
    OpenPreview();

    if (newVersionAvailable && Item(IDC_PRODUCT_BUTTON))
        SetTimer(dialog, kProductAnimationTimer, kProductAnimationDelay, nullptr);
    return TRUE;
}

void Teardown(HWND dialog) {
    for (int id = kHotZoomIn; id <= kHotProductPage; ++id)
        UnregisterHotKey(dialog, id);
    KillTimer(dialog, kProductAnimationTimer);
    gdi::Delete(topBarTile);
    topBarTile = nullptr;
    ReleasePreviewDocument();
    ReleaseNavigatorSource();
    ReleaseWorkingBuffers();
    ReleaseDialogResources();
    gdi::Delete(presetListFont);
    presetListFont = nullptr;
    RECT window = {};
    if (gParams && GetWindowRect(dialog, &window) && !IsIconic(dialog)) {
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof placement;
        // A maximised dialog keeps the place it will be restored to.
        if (IsZoomed(dialog) && GetWindowPlacement(dialog, &placement))
            window = placement.rcNormalPosition;
        gParams->windowLeft = window.left;
        gParams->windowTop = window.top;
        gParams->windowWidth = window.right - window.left;
        gParams->windowHeight = window.bottom - window.top;
    }
    presetLoadedHook = nullptr;
    presetMessageOwner = nullptr;
    EndShellThread();
    ready = false;
    okButton = cancelButton = zoomInButton = zoomOutButton = nullptr;
    zoomLabel = progressBar = topBarRight = nullptr;
    dialogActive = false;
}

bool FocusIsField() {
    char name[16] = {};
    HWND focus = GetFocus();
    return focus && GetClassNameA(focus, name, sizeof name) && std::strcmp(name, "Edit") == 0;
}

INT_PTR Command(HWND dialog, int id, int code) {
    switch (id) {
    case IDOK:
        if (code != 0)
            return TRUE;
        if (FocusIsField()) {
            // Enter was meant for the field: moving the focus on commits it.
            HWND field = GetFocus();
            PostMessageA(GetParent(GetParent(field)), WM_NEXTDLGCTL, 0, FALSE);
            return TRUE;
        }
        EndDialog(dialog, IDOK);
        return TRUE;
    case IDCANCEL:
        if (code != 0)
            return TRUE;
        if (FocusIsField()) {
            HWND field = GetFocus();
            SendMessageA(GetParent(field), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(field), kRevertField),
                         reinterpret_cast<LPARAM>(field));
            if (IsWindow(dialog))
                SetFocus(okButton);
            return TRUE;
        }
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    case IDC_ZOOM_IN:
    case IDC_ZOOM_OUT:
    case kCommandZoomToFit:
    case kCommandZoomTo100:
        ZoomCommand(id);
        return TRUE;
    case IDC_ABOUT_BUTTON:
        RunAboutDialog(dialog);
        return TRUE;
    case IDC_PRODUCT_BUTTON:
        OpenProductPage();
        return TRUE;
    case IDC_MANUAL_BUTTON:
        OpenManualPage(ManualPage::Main);
        return TRUE;
    case IDC_MAIN_PANE:
        if (code == kViewMoved)
            ApplyViewChange();
        return TRUE;
    case IDC_NAVIGATOR:
        if (code == kViewMoved && navigatorPane) {
            float step = zoom * navigatorPane->scale;
            if (step == 0.0f)
                step = 1.0f;
            mainView.scrollX = static_cast<int32_t>(float(navigatorPane->frameX) / step);
            mainView.scrollY = static_cast<int32_t>(float(navigatorPane->frameY) / step);
            ApplyViewChange();
        }
        return TRUE;
    case kCommandRenderAgain:
        RenderAndShow();
        return TRUE;
    }
    return FALSE;
}

void HotKeyPressed(HWND dialog, int id) {
    switch (id) {
    case kHotZoomIn:
        if (IsWindowEnabled(zoomInButton))
            PostMessageA(dialog, WM_COMMAND, IDC_ZOOM_IN, 0);
        break;
    case kHotZoomOut:
        if (IsWindowEnabled(zoomOutButton))
            PostMessageA(dialog, WM_COMMAND, IDC_ZOOM_OUT, 0);
        break;
    case kHotFit:
        PostMessageA(dialog, WM_COMMAND, kCommandZoomToFit, 0);
        break;
    case kHot100:
        PostMessageA(dialog, WM_COMMAND, kCommandZoomTo100, 0);
        break;
    case kHotManual:
        OpenManualPage(ManualPage::Parameters);
        break;
    case kHotProductPage:
        OpenProductPage();
        break;
    }
}

void MinimumSize(MINMAXINFO* limits) {
    if (screenDpi < 120)
        limits->ptMinTrackSize = {kMinimumWidthBelow120, kMinimumHeightBelow120};
    else if (screenDpi < 144)
        limits->ptMinTrackSize = {kMinimumWidthBelow144, kMinimumHeightBelow144};
    else
        limits->ptMinTrackSize = {kMinimumWidthFrom144, kMinimumHeightFrom144};
}

INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return Initialise(dialog);
    case WM_DESTROY:
        Teardown(dialog);
        return FALSE;
    case WM_GETMINMAXINFO:
        MinimumSize(reinterpret_cast<MINMAXINFO*>(lParam));
        return TRUE;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
        return reinterpret_cast<INT_PTR>(SkinBackgroundBrush);
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, RGB(50, 55, 60));
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<INT_PTR>(SkinBackgroundBrush);
    }
    }
    if (!ready)
        return FALSE;
    switch (message) {
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED)
            LayoutMainDialog(LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    case WM_PAINT:
        PaintTopBar(dialog);
        return TRUE;
    case WM_EXITSIZEMOVE:
        if (SyncProxyRect())
            ApplyViewChange();
        return TRUE;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_MAXIMIZE:
        case SC_RESTORE:
            PostMessageA(dialog, WM_EXITSIZEMOVE, 0, 0);
            break;
        case SC_CLOSE:
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            break;
        }
        return FALSE;
    case WM_HOTKEY:
        HotKeyPressed(dialog, static_cast<int>(wParam));
        return TRUE;
    case WM_TIMER:
        if (wParam == kProductAnimationTimer) {
            KillTimer(dialog, kProductAnimationTimer);
            PostMessageA(Item(IDC_PRODUCT_BUTTON), WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
        }
        return TRUE;
    case WM_COMMAND:
        return Command(dialog, LOWORD(wParam), HIWORD(wParam));
    }
    return FALSE;
}

} // namespace

extern "C" __declspec(dllexport) INT_PTR CALLBACK
    DissolveProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return HandleMessage(dialog, message, wParam, lParam);
    } catch (...) {
        return FALSE; // nothing may leave a dialog procedure
    }
}

void RefreshPreview() {
    if (!ready)
        return;
    RenderAndShow();
}

void EnableZoomIn(bool enable) {
    EnableWindow(zoomInButton, enable);
}

void EnableZoomOut(bool enable) {
    EnableWindow(zoomOutButton, enable);
}

bool RunMainDialog() {
    HINSTANCE module = static_cast<HINSTANCE>(platform::ModuleInstance());
    RegisterSkinClasses(module);
    SetPreviewWindowProcedure(PreviewPaneProc);
    HWND owner = nullptr;
    if (gFilterRecord && gFilterRecord->platformData)
        owner = static_cast<HWND>(gFilterRecord->platformData->hwnd);
    INT_PTR result = 0;
    {
        // The progress bar of the template is created inside the manifest's context too.
        SkinActivation activation;
        result = DialogBoxParamA(module, "DISSOLVEDIALOG", owner, DissolveProc, 0);
    }
    mainDialog = nullptr;
    mainPane = navigatorPane = nullptr;
    ForgetParameterPanel();
    SaveUiSettings();
    SetPreviewWindowProcedure(nullptr);
    UnregisterSkinClasses(module);
    return result == IDOK;
}

void ShowDialogProgress(float done, float total) {
    if (!progressBar || !IsWindow(progressBar))
        return;
    const int range = total > 0.0f ? static_cast<int>(total) : 100;
    SendMessageA(progressBar, PBM_SETRANGE32, 0, range);
    SendMessageA(progressBar, PBM_SETPOS, static_cast<WPARAM>(std::max(0.0f, done)), 0);
    // Painted at once at most every 50 ms: a render the user waits for shows every step it
    // takes that long for, and a quick one is not slowed by painting steps nobody could see.
    static DWORD lastPainted = 0;
    const DWORD now = GetTickCount();
    if (now - lastPainted >= 50) {
        UpdateWindow(progressBar);
        lastPainted = now;
    }
}
