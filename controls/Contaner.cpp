// The base record of the skinned controls and "Contaner CPP", a caption that is drawn as a link
// (kind 5) or in a frame (kind 4).
#include "controls/GdiObjects.h"
#include "controls/SkinControls.h"
#include "controls/SkinResources.h"
#include "controls/WindowRule.h"

#include <cstdlib>
#include <cstring>

TContaner::TContaner()
    : backgroundBrush(static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), colours{RGB(127, 127, 127), RGB(180, 188, 180),
                                                                                 RGB(100, 100, 100),
                                                                                 RGB(255, 255, 255)} {}

TContaner::~TContaner() {
    std::free(text);
}

void TContaner::SetText(const char* caption) {
    std::free(text);
    text = caption ? _strdup(caption) : nullptr;
}

namespace {

// Hover state of a caption that tracks the pointer (kept in `checked`): 2 is a selection that
// hovering does not undo.
constexpr uint8_t kHover = 1;
constexpr uint8_t kSelected = 2;

void DrawCaption(TContaner* c, HDC dc, HFONT captionFont, COLORREF colour) {
    gdi::Selection font(dc, captionFont);
    SIZE extent = {};
    const int length = static_cast<int>(std::strlen(c->text));
    GetTextExtentPoint32A(dc, c->text, length, &extent);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    const int x = c->leftAlign ? 0 : (c->width - extent.cx) / 2;
    TextOutA(dc, x, (c->height - extent.cy) / 2, c->text, length);
}

void PaintLinkCaption(TContaner* c, HDC target) {
    gdi::Canvas canvas(target, c->width, c->height);
    HDC dc = canvas.dc();
    RECT area = {0, 0, c->width, c->height};
    if (c->trackMode == 0) {
        FillRect(dc, &area, SkinBackgroundBrush);
    } else if (c->backgroundBitmap) {
        gdi::BitmapSource source(dc, c->backgroundBitmap);
        BitBlt(dc, 0, 0, c->width, c->height, source.dc(), c->backgroundX, c->backgroundY, SRCCOPY);
    } else {
        FillRect(dc, &area, c->backgroundBrush);
    }
    HFONT font = nullptr;
    COLORREF colour = RGB(0, 0, 0);
    if (c->trackMode == 0) {
        font = c->enabled ? LinkFont() : LinkCaptionFont();
        colour = c->enabled ? RGB(0, 0, 255) : RGB(0, 0, 0);
    } else {
        if (!IsWindowEnabled(c->window))
            c->enabled = 0;
        if (c->enabled) {
            colour = c->checked == kSelected ? c->colours[3] : c->checked == kHover ? c->colours[1] : c->colours[0];
        } else if (!IsWindowEnabled(c->window)) {
            colour = c->colours[2];
        } else {
            colour = c->colours[3];
            font = c->font;
        }
    }
    DrawCaption(c, dc, font, colour);
    canvas.CopyTo(target, 0, 0);
}

void PaintFramedCaption(TContaner* c, HDC target) {
    gdi::Canvas canvas(target, c->width, c->height);
    HDC dc = canvas.dc();
    RECT area = {0, 0, c->width, c->height};
    if (c->backgroundBitmap) {
        gdi::BitmapSource source(dc, c->backgroundBitmap);
        BitBlt(dc, 0, 0, c->width, c->height, source.dc(), c->backgroundX, c->backgroundY, SRCCOPY);
    } else {
        FillRect(dc, &area, SkinBackgroundBrush);
        gdi::Selection brush(dc, c->frameBrush ? c->frameBrush : GetStockObject(NULL_BRUSH));
        Rectangle(dc, 0, 0, c->width, c->height);
    }
    COLORREF colour = c->textColour;
    if (!c->enabled)
        colour = RGB(GetRValue(colour) / 2 + 100, GetGValue(colour) / 2 + 100, GetBValue(colour) / 2 + 100);
    DrawCaption(c, dc, c->font, colour);
    canvas.CopyTo(target, 0, 0);
}

void SetHover(TContaner* c, bool inside) {
    if (inside) {
        if (c->checked == kHover || c->checked == kSelected)
            return;
        SetCapture(c->window);
        c->checked = kHover;
    } else {
        if (GetCapture() == c->window)
            ReleaseCapture();
        if (c->checked != kSelected)
            c->checked = 0;
    }
    InvalidateRect(c->window, nullptr, FALSE);
}

LRESULT HandleContaner(TContaner* c, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        if (c->text && (c->kind == 5 || c->kind == 4)) {
            gdi::Paint paint(window);
            if (c->kind == 5)
                PaintLinkCaption(c, paint.dc());
            else
                PaintFramedCaption(c, paint.dc());
            return 0;
        }
        break;
    case WM_MOUSEMOVE:
        if (c->kind == 5 && c->enabled && LinkCursor())
            SetCursor(LinkCursor());
        if (c->trackMode == 6 && c->enabled) {
            POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            RECT client = {0, 0, c->width, c->height};
            SetHover(c, PtInRect(&client, point) != FALSE);
        }
        return 0;
    case WM_LBUTTONUP:
        if (c->kind == 5 && c->enabled) {
            if (GetCapture() == window)
                ReleaseCapture();
            if (c->checked != kSelected)
                c->checked = 0;
            InvalidateRect(window, nullptr, FALSE);
            PostMessageA(GetParent(window), WM_COMMAND, static_cast<WORD>(c->id), 0);
        }
        return 0;
    case WM_COMMAND:
        PostMessageA(GetParent(window), message, wParam, lParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

LRESULT CALLBACK ContanerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    static const skin::WindowRule rule{true, true, true};
    return skin::RunWindowRule<TContaner>(rule, window, message, wParam, lParam, HandleContaner,
                                          [](TContaner* c) { delete c; });
}
