// Registration of the skinned window classes around a dialog run, the lookup from a window to
// its object, and tooltips.
#include "controls/GdiObjects.h"
#include "controls/SkinControls.h"
#include "controls/SkinResources.h"

#include <commctrl.h>

#include <cstring>

namespace {

WNDPROC previewProcedure = nullptr;

LRESULT CALLBACK PreviewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (previewProcedure)
        return previewProcedure(window, message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

// Classes that no dialog of the plug-in contains are kept in the list as plain windows.
LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

struct SkinClass {
    const char* name;
    UINT style;
    LPCSTR cursor;
    WNDPROC procedure;
};

// In the order of registration; the link class is set up before them and registered once more
// at the end (that repetition fails harmlessly).
const SkinClass kClasses[] = {
    {"Control CPP", 0, IDC_ARROW, ControlWindowProc},
    {"Control Button Fire CPP", 0, IDC_ARROW, PlainWindowProc},
    {"Control Glass CPP", 0, IDC_ARROW, PlainWindowProc},
    {"Control Button CPP", 0, IDC_ARROW, ControlButtonWindowProc},
    {"Contaner Anim CPP", 0, IDC_ARROW, PlainWindowProc},
    {"Contaner CPP", 0, IDC_ARROW, ContanerWindowProc},
    {"Rotor CPP", CS_DBLCLKS, IDC_ARROW, RotorWindowProc},
    {"Mac Slider CPP", CS_DBLCLKS, IDC_ARROW, MacSliderWindowProc},
    {"Glass Slider CPP", 0, IDC_ARROW, PlainWindowProc},
    {"Preview Contaner CPP", CS_DBLCLKS, IDC_SIZEALL, PreviewWindowProc},
    {"Contaner Color CPP", 0, IDC_ARROW, ColorSwatchWindowProc},
    {"Spin Edit CPP", 0, IDC_ARROW, SpinEditWindowProc},
    {"Spin Edit CPP Hor", 0, IDC_ARROW, SpinEditHorWindowProc},
    {"Color Equalizer CPP", 0, IDC_ARROW, PlainWindowProc},
    {"ContainerLinkC", 0, IDC_ARROW, ContainerLinkWindowProc},
};

} // namespace

void SetPreviewWindowProcedure(WNDPROC procedure) {
    previewProcedure = procedure;
}

void RegisterSkinClasses(HINSTANCE module) {
    skinBackgroundColour[0] = skinBackgroundColour[1] = skinBackgroundColour[2] = 232;
    if (!SkinBackgroundBrush)
        SkinBackgroundBrush = gdi::CreateBrush(kSkinBackground);
    OpenSkinContext(module);
    SkinActivation activation;
    SetUpContainerLinkClass(module);
    for (const SkinClass& skinClass : kClasses) {
        WNDCLASSA windowClass = {};
        windowClass.style = skinClass.style;
        windowClass.lpfnWndProc = skinClass.procedure;
        windowClass.cbWndExtra = 4;
        windowClass.hInstance = module;
        windowClass.hCursor = LoadCursorA(nullptr, skinClass.cursor);
        windowClass.hbrBackground = SkinBackgroundBrush;
        windowClass.lpszClassName = skinClass.name;
        RegisterClassA(&windowClass);
    }
    SetUpMacStyleButtonClass(module);
}

void UnregisterSkinClasses(HINSTANCE module) {
    TearDownContainerLinkClass(module);
    TearDownMacStyleButtonClass(module);
    for (const SkinClass& skinClass : kClasses)
        UnregisterClassA(skinClass.name, module);
    gdi::Delete(SkinBackgroundBrush);
    SkinBackgroundBrush = nullptr;
    CloseSkinContext();
}

void* GetControlObject(HWND window, const char* className) {
    if (!window || !className)
        return nullptr;
    char name[64] = {};
    if (!GetClassNameA(window, name, sizeof name))
        return nullptr;
    if (std::strcmp(name, className) != 0)
        return nullptr;
    return reinterpret_cast<void*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void AddTooltip(HWND window, const char* text, const char* title) {
    if (!window || !text)
        return;
    SkinActivation activation;
    HWND tip = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, TOOLTIPS_CLASSA, nullptr,
                               WS_POPUP | TTS_NOPREFIX | TTS_BALLOON | WS_CAPTION, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, SkinModule(), nullptr);
    if (!tip)
        return;
    SetWindowPos(tip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    TTTOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS | TTF_CENTERTIP | TTF_TRANSPARENT;
    tool.hwnd = window;
    tool.uId = 0;
    GetClientRect(window, &tool.rect);
    tool.lpszText = const_cast<char*>(text);
    SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    if (title)
        SendMessageA(tip, TTM_SETTITLEA, TTI_INFO, reinterpret_cast<LPARAM>(title));
    SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, 100);
}
