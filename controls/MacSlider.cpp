// "Mac Slider CPP": a thin bar with a triangular thumb, the slider of the spin edit. A click
// moves the thumb at once but tells the parent only when the click timer fires, so that a double
// click can cancel the single click's notification.
#include "controls/GdiObjects.h"
#include "controls/SkinControls.h"
#include "controls/SkinResources.h"
#include "controls/WindowRule.h"

#include <commctrl.h>

#include <cstdio>
#include <initializer_list>

namespace {

// The thumb's tip sits this many pixels inside either end of the slider.
constexpr int kInset = 5;

float Clamp(float v, float lo, float hi) {
    return v < lo ? lo : v > hi ? hi : v;
}

void ColourReply(HDC dc, UINT message) {
    if (message == WM_CTLCOLORSTATIC) {
        SetTextColor(dc, RGB(60, 55, 50));
        SetBkMode(dc, TRANSPARENT);
    }
}

} // namespace

float TMacSlider::ValueAt(int x, int y) const {
    const int extent = mode == 1 ? height : width;
    const int p = mode == 1 ? y : x;
    // A slider without room for its thumb or without a range has only one value.
    if (extent <= 2 * kInset || max == min)
        return min;
    float v = (p - kInset) / ((extent - 2.0f * kInset) / (max - min)) + min;
    v = min < max ? Clamp(v, min, max) : Clamp(v, max, min);
    if (clampToMarks)
        v = Clamp(v, markLow, markHigh);
    return v;
}

int TMacSlider::ThumbPosition() const {
    const int extent = mode == 1 ? height : width;
    if (extent <= 2 * kInset || max == min)
        return kInset;
    return static_cast<int>((value - min) * ((extent - 2.0f * kInset) / (max - min)) + kInset + 0.5f);
}

void SetSliderValue(TMacSlider* slider, float v, bool keepUpDown) {
    if (!slider)
        return;
    slider->value = slider->clampToMarks ? Clamp(v, slider->markLow, slider->markHigh) : v;
    if (slider->mode == 2 && slider->trackbar)
        SendMessageA(slider->trackbar, TBM_SETPOS, TRUE, static_cast<LPARAM>(slider->value));
    else
        InvalidateRect(slider->window, nullptr, FALSE);
    HWND parent = GetParent(slider->window);
    if (slider->valueLabelId) {
        char text[32];
        std::snprintf(text, sizeof text, "%d", static_cast<int>(slider->value));
        SetDlgItemTextA(parent, slider->valueLabelId, text);
    }
    if (slider->upDownId && !keepUpDown)
        SendDlgItemMessageA(parent, slider->upDownId, UDM_SETPOS, 0, MAKELPARAM(static_cast<short>(slider->value), 0));
}

void SetSliderRange(TMacSlider* slider, float lo, float hi) {
    if (!slider)
        return;
    slider->min = lo;
    slider->max = hi;
    HWND parent = GetParent(slider->window);
    if (slider->upDownId) {
        HWND upDown = GetDlgItem(parent, slider->upDownId);
        SendMessageA(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(parent, slider->valueLabelId)), 0);
        SendMessageA(upDown, UDM_SETRANGE, 0, MAKELPARAM(static_cast<short>(hi), static_cast<short>(lo)));
    }
    if (slider->mode == 2 && slider->trackbar) {
        SendMessageA(slider->trackbar, TBM_SETRANGE, TRUE, MAKELPARAM(static_cast<short>(lo), static_cast<short>(hi)));
        SendMessageA(slider->trackbar, TBM_SETPAGESIZE, 0, 10);
    } else {
        InvalidateRect(slider->window, nullptr, FALSE);
    }
}

void TMacSlider::TakeValueAt(int x, int y) {
    lastX = static_cast<int16_t>(x);
    lastY = static_cast<int16_t>(y);
    SetSliderValue(this, ValueAt(x, y), false);
}

void TMacSlider::Notify(LPARAM code) {
    HWND parent = GetParent(window);
    SendMessageA(parent, WM_HSCROLL, 0, 0);
    SendMessageA(parent, WM_COMMAND, static_cast<WORD>(id), code);
}

void TMacSlider::Paint(HDC target) {
    gdi::Canvas canvas(target, width, height);
    HDC dc = canvas.dc();
    RECT area = {0, 0, width, height};
    FillRect(dc, &area, SkinBackgroundBrush);
    gdi::Selection brush(dc, GetStockObject(enabled ? GRAY_BRUSH : LTGRAY_BRUSH));
    const bool vertical = mode == 1;
    const int q = ThumbPosition();
    if (lineStyle == 1 && !vertical) {
        HPEN grey = enabled ? nullptr : gdi::CreatePen(PS_SOLID, 1, RGB(127, 127, 127));
        {
            gdi::Selection pen(dc, grey ? static_cast<HGDIOBJ>(grey) : GetStockObject(BLACK_PEN));
            const int m = height / 2;
            MoveToEx(dc, kInset, m - kInset, nullptr);
            LineTo(dc, kInset, m);
            LineTo(dc, width - kInset, m);
            LineTo(dc, width - kInset, m - kInset - 1);
            const POINT thumb[3] = {{q, height - m}, {q - 3, height - 2}, {q + 3, height - 2}};
            Polygon(dc, thumb, 3);
        }
        gdi::Delete(grey);
        canvas.CopyTo(target, 0, 0);
        return;
    }
    const int t = (vertical ? width : height) / 4 > 0 ? (vertical ? width : height) / 4 : 1;
    auto triangle = [&](int at, POINT* points) {
        if (vertical) {
            points[0] = {width - t - 2, at};
            points[1] = {width - 2, at - 5};
            points[2] = {width - 2, at + 5};
        } else {
            points[0] = {at, height - t - 2};
            points[1] = {at - 5, height - 2};
            points[2] = {at + 5, height - 2};
        }
    };
    if (clampToMarks) {
        HPEN red = gdi::CreatePen(PS_SOLID, 2, RGB(155, 0, 0));
        {
            gdi::Selection pen(dc, red);
            for (float mark : {markLow, markHigh}) {
                const int extent = vertical ? height : width;
                int at = kInset;
                if (extent > 2 * kInset && max != min)
                    at = static_cast<int>((mark - min) * ((extent - 2.0f * kInset) / (max - min)) + kInset + 0.5f);
                POINT points[3];
                triangle(at, points);
                Polygon(dc, points, 3);
            }
        }
        gdi::Delete(red);
    }
    HPEN outline = nullptr;
    if (!enabled)
        outline = gdi::CreatePen(PS_SOLID, 1, RGB(127, 127, 127));
    else if (blueOutline)
        outline = gdi::CreatePen(PS_SOLID, 1, RGB(0, 0, 150));
    {
        gdi::Selection pen(dc, outline ? static_cast<HGDIOBJ>(outline) : GetStockObject(BLACK_PEN));
        if (vertical)
            Rectangle(dc, t, kInset, width - 2 * t, height - kInset);
        else
            Rectangle(dc, kInset, t, width - kInset, height - 2 * t);
        POINT thumb[3];
        triangle(q, thumb);
        Polygon(dc, thumb, 3);
    }
    gdi::Delete(outline);
    canvas.CopyTo(target, 0, 0);
}

LRESULT TMacSlider::OnTrackbar(WPARAM wParam) {
    const int code = LOWORD(wParam);
    float position = static_cast<float>(SendMessageA(trackbar, TBM_GETPOS, 0, 0));
    if (snap && position - snapValue <= snapRadius && snapValue - position <= snapRadius) {
        position = snapValue;
        SendMessageA(trackbar, TBM_SETPOS, TRUE, static_cast<LPARAM>(position));
    }
    SetSliderValue(this, position, false);
    if (code == TB_ENDTRACK && !notifyWhileDragging)
        return 0;
    lastCode = code == TB_ENDTRACK ? 0 : notifyWhileDragging ? 1 : 0;
    HWND parent = GetParent(window);
    if (code == TB_ENDTRACK)
        SendMessageA(parent, WM_COMMAND, static_cast<WORD>(id), lastCode);
    else
        PostMessageA(parent, WM_COMMAND, static_cast<WORD>(id), lastCode);
    return 0;
}

LRESULT TMacSlider::HandleMessage(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    const int x = static_cast<short>(LOWORD(lParam));
    const int y = static_cast<short>(HIWORD(lParam));
    switch (message) {
    case WM_PAINT: {
        gdi::Paint paint(w);
        if (mode != 2)
            Paint(paint.dc());
        return 0;
    }
    case WM_ERASEBKGND:
        return mode == 2 ? DefWindowProcA(w, message, wParam, lParam) : 1;
    case WM_SIZE:
        width = LOWORD(lParam);
        height = HIWORD(lParam);
        if (trackbar)
            MoveWindow(trackbar, 0, 0, width, height, TRUE);
        return 0;
    case WM_LBUTTONDOWN:
        if (mode == 2)
            break;
        doubleClicked = 0;
        SetCapture(w);
        TakeValueAt(x, y);
        return 0;
    case WM_MOUSEMOVE:
        if (mode == 2 || wParam != MK_LBUTTON)
            return 0;
        TakeValueAt(x, y);
        SendMessageA(GetParent(w), WM_HSCROLL, 0, 0);
        if (notifyWhileDragging)
            SendMessageA(GetParent(w), WM_COMMAND, static_cast<WORD>(id), 1);
        return 0;
    case WM_LBUTTONUP:
        if (mode == 2)
            break;
        if (GetCapture() == w)
            ReleaseCapture();
        if (!SetTimer(w, kClickTimer, kClickDelay, nullptr)) {
            TakeValueAt(x, y);
            Notify(0);
        }
        return 0;
    case WM_TIMER:
        if (wParam != kClickTimer)
            break;
        KillTimer(w, kClickTimer);
        if (doubleClicked)
            return 0;
        TakeValueAt(lastX, lastY);
        Notify(0);
        return 0;
    case WM_LBUTTONDBLCLK:
        if (mode == 2)
            break;
        doubleClicked = 1;
        SendMessageA(GetParent(w), WM_COMMAND, static_cast<WORD>(id), 2);
        return 0;
    case WM_RBUTTONDOWN:
        if (embedded)
            SendMessageA(GetParent(w), WM_RBUTTONDOWN, 0, 0);
        return 0;
    case WM_ENABLE: {
        enabled = wParam ? 1 : 0;
        if (trackbar)
            EnableWindow(trackbar, enabled);
        HWND parent = GetParent(w);
        if (valueLabelId)
            EnableWindow(GetDlgItem(parent, valueLabelId), enabled);
        if (upDownId)
            EnableWindow(GetDlgItem(parent, upDownId), enabled);
        InvalidateRect(w, nullptr, FALSE);
        return 0;
    }
    case WM_HSCROLL:
        if (trackbar && reinterpret_cast<HWND>(lParam) == trackbar)
            return OnTrackbar(wParam);
        return 0;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        ColourReply(reinterpret_cast<HDC>(wParam), message);
        return reinterpret_cast<LRESULT>(SkinBackgroundBrush);
    }
    return DefWindowProcA(w, message, wParam, lParam);
}

LRESULT CALLBACK MacSliderWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    static const skin::WindowRule rule{false, true, true};
    return skin::RunWindowRule<TMacSlider>(
        rule, window, message, wParam, lParam,
        [](TMacSlider* s, HWND w, UINT m, WPARAM wp, LPARAM lp) { return s->HandleMessage(w, m, wp, lp); },
        [](TMacSlider* s) { delete s; });
}
