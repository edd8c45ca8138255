// "MacStyleBtn": a push button drawn from a left cap, a stretched middle and a right cap, with
// a centred bold caption. The class owns the font and the twelve cap bitmaps.
#include "controls/GdiObjects.h"
#include "controls/SkinControls.h"
#include "controls/SkinResources.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr int kCap = 18;
constexpr int kFaceHeight = 24;
constexpr uint8_t kNormal = 0, kHot = 1, kPressed = 2, kDefault = 3;

HFONT buttonFont = nullptr;
// [state][piece]: left cap, middle, right cap for the states normal, hot, pressed, default.
HBITMAP pieces[4][3] = {};
// First resource id of each state's left cap; middles follow 4 ids later, right caps 8.
constexpr int kLeftCapIds[4] = {155, 156, 158, 157};

uint8_t RestingState(const MacStyleBtnRecord* b) {
    return b->isDefault ? kDefault : kNormal;
}

void Paint(MacStyleBtnRecord* b, HDC target) {
    RECT outer = {};
    GetWindowRect(b->window, &outer);
    RECT caption = {0, 0, outer.right - outer.left, outer.bottom - outer.top};
    const int state = b->enabled ? b->state : kNormal;
    HBITMAP* triple = pieces[state < 4 ? state : kNormal];
    gdi::Canvas canvas(target, b->width, b->height);
    HDC dc = canvas.dc();
    if (b->height > kFaceHeight) {
        RECT all = {0, 0, b->width, b->height};
        FillRect(dc, &all, SkinBackgroundBrush);
    }
    {
        gdi::BitmapSource left(dc, triple[0]);
        BitBlt(dc, 0, 0, kCap, kFaceHeight, left.dc(), 0, 0, SRCCOPY);
    }
    {
        gdi::BitmapSource right(dc, triple[2]);
        BitBlt(dc, b->width - kCap, 0, kCap, kFaceHeight, right.dc(), 0, 0, SRCCOPY);
    }
    if (b->width > 2 * kCap) {
        gdi::BitmapSource middle(dc, triple[1]);
        StretchBlt(dc, kCap, 0, b->width - 2 * kCap, kFaceHeight, middle.dc(), 0, 0, kCap, kFaceHeight, SRCCOPY);
    }
    if (b->text) {
        gdi::Selection font(dc, buttonFont);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, b->enabled ? RGB(0, 0, 0) : RGB(127, 127, 127));
        caption.top += 4;
        DrawTextA(dc, b->text, -1, &caption, DT_CENTER | DT_SINGLELINE);
    }
    canvas.CopyTo(target, b->x, b->y);
}

bool Inside(const MacStyleBtnRecord* b, LPARAM lParam) {
    POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    RECT client = {};
    GetClientRect(b->window, &client);
    return PtInRect(&client, point) != FALSE;
}

} // namespace

LRESULT CALLBACK MacStyleBtnWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* b = reinterpret_cast<MacStyleBtnRecord*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
    case WM_CREATE: {
        b = static_cast<MacStyleBtnRecord*>(std::calloc(1, sizeof(MacStyleBtnRecord)));
        if (!b)
            return 0;
        RECT client = {};
        GetClientRect(window, &client);
        b->window = window;
        b->id = GetDlgCtrlID(window);
        b->width = client.right;
        b->height = client.bottom;
        // Every dialog attaches its buttons before showing them; until then a button is an
        // enabled ordinary one.
        b->enabled = 1;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(b));
        return 1;
    }
    case WM_NCDESTROY:
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        if (b) {
            std::free(b->text);
            std::free(b);
        }
        break;
    case WM_PAINT:
        if (!b)
            break;
        {
            gdi::Paint paint(window);
            Paint(b, paint.dc());
        }
        return 1;
    case WM_ERASEBKGND:
        if (b)
            return 1;
        break;
    case WM_SIZE:
        if (b) {
            b->width = LOWORD(lParam);
            b->height = HIWORD(lParam);
        }
        return 0;
    case WM_ENABLE:
        if (b) {
            b->enabled = wParam ? 1 : 0;
            InvalidateRect(window, nullptr, FALSE);
        }
        return 0;
    case WM_MOUSEMOVE:
        if (!b || !b->enabled)
            return 1;
        if (Inside(b, lParam)) {
            if (b->state == kHot)
                return 1;
            SetCapture(window);
            b->state = kHot;
        } else {
            if (GetCapture() == window)
                ReleaseCapture();
            b->state = RestingState(b);
        }
        InvalidateRect(window, nullptr, FALSE);
        return 1;
    case WM_LBUTTONDOWN:
        if (b && b->enabled) {
            b->state = kPressed;
            InvalidateRect(window, nullptr, FALSE);
        }
        return 1;
    case WM_LBUTTONUP:
        if (!b)
            return 1;
        // The hot state holds the capture; a release ends it.
        if (GetCapture() == window)
            ReleaseCapture();
        b->state = RestingState(b);
        InvalidateRect(window, nullptr, FALSE);
        SetFocus(window);
        PostMessageA(GetParent(window), WM_COMMAND, static_cast<WORD>(b->id), 0);
        return 1;
    case WM_COMMAND:
        PostMessageA(GetParent(window), message, wParam, lParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void SetUpMacStyleButtonClass(HINSTANCE module) {
    if (!buttonFont)
        buttonFont = gdi::CreateFontNamed(14, FW_BOLD, false, PROOF_QUALITY, "Arial");
    for (int state = 0; state < 4; ++state)
        for (int piece = 0; piece < 3; ++piece)
            if (!pieces[state][piece])
                pieces[state][piece] = gdi::LoadBitmapResource(module, kLeftCapIds[state] + 4 * piece);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = MacStyleBtnWindowProc;
    windowClass.cbWndExtra = 4;
    windowClass.hInstance = module;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = SkinBackgroundBrush;
    windowClass.lpszClassName = "MacStyleBtn";
    RegisterClassA(&windowClass);
}

void TearDownMacStyleButtonClass(HINSTANCE module) {
    gdi::Delete(buttonFont);
    buttonFont = nullptr;
    UnregisterClassA("MacStyleBtn", module);
    for (auto& triple : pieces)
        for (HBITMAP& piece : triple) {
            gdi::Delete(piece);
            piece = nullptr;
        }
}

MacStyleBtnRecord* AttachMacStyleBtn(HWND dialog, int id, const char* text, bool isDefault) {
    auto* b = static_cast<MacStyleBtnRecord*>(GetControlObject(GetDlgItem(dialog, id), "MacStyleBtn"));
    if (!b)
        return nullptr;
    b->isDefault = isDefault ? 1 : 0;
    b->enabled = 1;
    b->state = RestingState(b);
    if (text) {
        char* copy = _strdup(text);
        if (copy) {
            std::free(b->text);
            b->text = copy;
        }
    }
    return b;
}
