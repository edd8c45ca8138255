// "MacStyleBtn": a push button drawn from a left cap, a stretched middle and a right cap, with
// a centred bold caption. The class owns the font and the twelve cap bitmaps.
#include "controls/GdiObjects.h"
#include "controls/SkinControls.h"
#include "controls/SkinResources.h"
#include "controls/WindowRule.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr int kCap = 18;
constexpr int kFaceHeight = 24;
// Rows at the top and at the bottom of a face that a lower button keeps as they are (the
// rounded corners and the rims); only the rows between them are squeezed.
constexpr int kFaceRim = 8;
constexpr uint8_t kNormal = 0, kHot = 1, kPressed = 2, kDefault = 3;

HFONT buttonFont = nullptr;
// [state][piece]: left cap, middle, right cap for the states normal, hot, pressed, default.
HBITMAP pieces[4][3] = {};
// First resource id of each state's left cap; middles follow 4 ids later, right caps 8.
constexpr int kLeftCapIds[4] = {155, 156, 158, 157};

uint8_t RestingState(const MacStyleBtnRecord* b) {
    return b->isDefault ? kDefault : kNormal;
}

void SetState(MacStyleBtnRecord* b, uint8_t state) {
    if (b->state == state)
        return;
    b->state = state;
    InvalidateRect(b->window, nullptr, FALSE);
}

// Draws one piece of the face (kCap x kFaceHeight) into `width` x `height` at x: the rims as
// they are, the rows between them stretched or squeezed.
void DrawPiece(HDC dc, HBITMAP piece, int x, int width, int height) {
    gdi::BitmapSource source(dc, piece);
    if (height >= kFaceHeight) {
        StretchBlt(dc, x, 0, width, kFaceHeight, source.dc(), 0, 0, kCap, kFaceHeight, SRCCOPY);
        return;
    }
    if (height <= 2 * kFaceRim) {
        StretchBlt(dc, x, 0, width, height, source.dc(), 0, 0, kCap, kFaceHeight, SRCCOPY);
        return;
    }
    const int middle = kFaceHeight - 2 * kFaceRim;
    StretchBlt(dc, x, 0, width, kFaceRim, source.dc(), 0, 0, kCap, kFaceRim, SRCCOPY);
    StretchBlt(dc, x, kFaceRim, width, height - 2 * kFaceRim, source.dc(), 0, kFaceRim, kCap, middle, SRCCOPY);
    StretchBlt(dc, x, height - kFaceRim, width, kFaceRim, source.dc(), 0, kFaceHeight - kFaceRim, kCap, kFaceRim,
               SRCCOPY);
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
    // Rows are dropped or repeated, never blended, when the face is squeezed.
    SetStretchBltMode(dc, COLORONCOLOR);
    if (b->width > 2 * kCap)
        DrawPiece(dc, triple[1], kCap, b->width - 2 * kCap, b->height);
    DrawPiece(dc, triple[0], 0, kCap, b->height);
    DrawPiece(dc, triple[2], b->width - kCap, kCap, b->height);
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

void OnMouseMove(MacStyleBtnRecord* b, HWND window, WPARAM wParam, LPARAM lParam) {
    if (!b->enabled)
        return;
    const bool inside = Inside(b, lParam);
    if (b->pressed) {
        // The press keeps the capture: the face shows whether a release here would click.
        SetState(b, inside ? kPressed : RestingState(b));
        return;
    }
    // A button held since a press elsewhere belongs to that press: no hover, no capture.
    if (wParam & MK_LBUTTON)
        return;
    if (inside) {
        if (b->state == kHot)
            return;
        SetCapture(window);
        SetState(b, kHot);
    } else {
        if (GetCapture() == window)
            ReleaseCapture();
        SetState(b, RestingState(b));
    }
}

void OnButtonUp(MacStyleBtnRecord* b, HWND window, LPARAM lParam) {
    // Only a press that began on the button and ends on it clicks, as with every push button.
    const bool click = b->pressed && b->enabled && Inside(b, lParam);
    b->pressed = 0;
    if (GetCapture() == window)
        ReleaseCapture();
    SetState(b, RestingState(b));
    if (!click)
        return;
    SetFocus(window);
    PostMessageA(GetParent(window), WM_COMMAND, static_cast<WORD>(b->id), 0);
}

LRESULT HandleButton(MacStyleBtnRecord* b, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        // Every dialog attaches its buttons before showing them; until then a button is an
        // enabled ordinary one.
        b->enabled = 1;
        return 1;
    case WM_PAINT: {
        gdi::Paint paint(window);
        Paint(b, paint.dc());
        return 1;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        b->width = LOWORD(lParam);
        b->height = HIWORD(lParam);
        return 0;
    case WM_ENABLE:
        b->enabled = wParam ? 1 : 0;
        if (!b->enabled) {
            b->pressed = 0;
            b->state = RestingState(b);
        }
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(b, window, wParam, lParam);
        return 1;
    case WM_LBUTTONDOWN:
        if (b->enabled) {
            b->pressed = 1;
            SetCapture(window);
            SetState(b, kPressed);
        }
        return 1;
    case WM_LBUTTONUP:
        OnButtonUp(b, window, lParam);
        return 1;
    case WM_CAPTURECHANGED:
        // Another window took the mouse (a message box, for instance): the press is over.
        if (reinterpret_cast<HWND>(lParam) != window) {
            b->pressed = 0;
            SetState(b, RestingState(b));
        }
        return 0;
    case WM_COMMAND:
        PostMessageA(GetParent(window), message, wParam, lParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void FreeButton(MacStyleBtnRecord* b) {
    std::free(b->text);
    delete b;
}

} // namespace

LRESULT CALLBACK MacStyleBtnWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    static const skin::WindowRule rule{false, true, true};
    return skin::RunWindowRule<MacStyleBtnRecord>(rule, window, message, wParam, lParam, HandleButton, FreeButton);
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
