#include "about/AboutBox.h"

#include "about/AboutIds.h"
#include "about/ShellPages.h"
#include "controls/SkinControls.h"
#include "controls/SkinResources.h"
#include "platform/Platform.h"

#include <string>

namespace {

HINSTANCE OwnModule() {
    return static_cast<HINSTANCE>(platform::ModuleInstance());
}

void MeasureScreenDpi(HWND box) {
    if (HDC dc = GetDC(box)) {
        const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
        if (dpi > 0)
            screenDpi = dpi;
        ReleaseDC(box, dc);
    }
}

void InitAboutBox(HWND box) {
    MeasureScreenDpi(box);
    AttachContainerLink(box, IDC_ABOUT_LINK, kVendorSiteCaption, true, true);
    AttachMacStyleBtn(box, IDCANCEL, "Close", false);
    AddTooltip(GetDlgItem(box, IDC_ABOUT_LINK), "Visit author site and look at other plug-ins");
    AddTooltip(GetDlgItem(box, IDCANCEL), "Close window");
    const std::string version = std::string(kAboutVersion) + kAboutVersionSuffix;
    SetDlgItemTextA(box, IDC_ABOUT_VERSION, version.c_str());
}

INT_PTR HandleAboutMessage(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitAboutBox(box);
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if ((id == IDOK || id == IDCANCEL) && HIWORD(wParam) == 0) {
            EndDialog(box, id);
            return TRUE;
        }
        if (id == IDC_ABOUT_LINK) {
            // The page opens over whatever the box itself was shown over.
            OpenWebPage(kHomePage, GetWindow(box, GW_OWNER));
            return TRUE;
        }
        return FALSE;
    }
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
        return reinterpret_cast<INT_PTR>(SkinBackgroundBrush);
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, RGB(50, 55, 60));
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<INT_PTR>(SkinBackgroundBrush);
    }
    default:
        (void)lParam;
        return FALSE;
    }
}

INT_PTR CALLBACK AboutProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return HandleAboutMessage(box, message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}

} // namespace

INT_PTR RunAboutBox(HWND owner) {
    return DialogBoxParamA(OwnModule(), MAKEINTRESOURCEA(IDD_ABOUT), owner, &AboutProc, 0);
}

INT_PTR RunAboutBoxFromHost(HWND owner) {
    HINSTANCE module = OwnModule();
    OpenSkinContext(module);
    // The link class creates the background brush that the button class paints with.
    SetUpContainerLinkClass(module);
    SetUpMacStyleButtonClass(module);
    const INT_PTR result = RunAboutBox(owner);
    // The brush goes with the link class, before unregistering the button class could free it
    // behind the counted layer's back (the system frees a class's background brush).
    TearDownContainerLinkClass(module);
    TearDownMacStyleButtonClass(module);
    CloseSkinContext();
    return result;
}
