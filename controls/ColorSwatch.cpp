// "Contaner Color CPP": a colour swatch; a click opens the system colour dialog (no host offers
// its colour picker through our interface) and reports a chosen colour to the parent.
#include "controls/GdiObjects.h"
#include "controls/SkinControls.h"
#include "controls/WindowRule.h"

#include <commdlg.h>

namespace {

COLORREF OutlineColour(COLORREF colour, bool hot) {
    int c[3] = {255 - GetRValue(colour), 255 - GetGValue(colour), 255 - GetBValue(colour)};
    if (!hot)
        for (int& component : c)
            component = component >= 127 ? component / 2 : component + 127;
    return RGB(c[0], c[1], c[2]);
}

UINT_PTR CALLBACK ColourHook(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

void Paint(TColorSwatch* s, HDC target) {
    gdi::Canvas canvas(target, s->width, s->height);
    HDC dc = canvas.dc();
    RECT area = {0, 0, s->width, s->height};
    FillRect(dc, &area, reinterpret_cast<HBRUSH>(GetClassLongPtrA(s->window, GCLP_HBRBACKGROUND)));
    HBRUSH fill = gdi::CreateBrush(s->colour);
    if (s->enabled) {
        HPEN outline = gdi::CreatePen(PS_SOLID, 1, OutlineColour(s->colour, s->hot != 0));
        {
            gdi::Selection pen(dc, outline);
            gdi::Selection brush(dc, fill);
            Rectangle(dc, 0, 0, s->width, s->height);
        }
        gdi::Delete(outline);
    } else {
        RECT inner = {4, 3, s->width - 4, s->height - 3};
        FillRect(dc, &inner, fill);
    }
    gdi::Delete(fill);
    canvas.CopyTo(target, 0, 0);
}

void PickColour(TColorSwatch* s) {
    CHOOSECOLORA choice = {};
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = s->window;
    choice.rgbResult = s->colour;
    choice.lpCustColors = s->customColours;
    choice.Flags = CC_RGBINIT | CC_ENABLEHOOK;
    choice.lpfnHook = ColourHook;
    const bool chosen = ChooseColorA(&choice) != FALSE;
    s->hot = 0;
    if (!chosen) {
        InvalidateRect(s->window, nullptr, FALSE);
        return;
    }
    s->colour = choice.rgbResult;
    InvalidateRect(s->window, nullptr, FALSE);
    SendMessageA(GetParent(s->window), WM_COMMAND, static_cast<WORD>(s->id), 0);
}

LRESULT HandleSwatch(TColorSwatch* s, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        gdi::Paint paint(window);
        Paint(s, paint.dc());
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEMOVE: {
        POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        RECT client = {0, 0, s->width, s->height};
        if (PtInRect(&client, point)) {
            if (!s->hot)
                SetCapture(window);
            s->hot = 1;
        } else {
            if (GetCapture() == window)
                ReleaseCapture();
            s->hot = 0;
        }
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        if (GetCapture() == window)
            ReleaseCapture();
        PickColour(s);
        return 0;
    case WM_ENABLE:
        s->enabled = wParam ? 1 : 0;
        InvalidateRect(window, nullptr, FALSE);
        if (s->companion)
            EnableWindow(s->companion, s->enabled);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

LRESULT CALLBACK ColorSwatchWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    static const skin::WindowRule rule{false, true, true};
    return skin::RunWindowRule<TColorSwatch>(rule, window, message, wParam, lParam, HandleSwatch,
                                             [](TColorSwatch* s) { delete s; });
}
