// "Mac Slider CPP": a thin track with a round thumb, the slider of the spin edit. A click
// moves the thumb at once but tells the parent only when the click timer fires, so that a double
// click can cancel the single click's notification.
#include "controls/GdiObjects.h"
#include "controls/SkinControls.h"
#include "controls/SkinResources.h"
#include "controls/WindowRule.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>

namespace {

constexpr int kInset = kSliderInset;
// Radius of the round thumb, pixels (smaller on a slider too thin for it).
constexpr int kKnobRadius = 6;

// Colours of the track, its filled part and the thumb.
constexpr COLORREF kTrack = RGB(214, 218, 224);
constexpr COLORREF kTrackDisabled = RGB(226, 226, 226);
constexpr COLORREF kBlueEdge = RGB(52, 104, 168);
constexpr COLORREF kPlainEdge = RGB(80, 84, 90);
constexpr COLORREF kDisabledEdge = RGB(170, 170, 170);
constexpr COLORREF kBlueFill = RGB(86, 150, 215);
constexpr COLORREF kPlainFill = RGB(128, 132, 138);
constexpr COLORREF kKnob = RGB(250, 251, 253);
constexpr COLORREF kKnobDisabled = RGB(238, 238, 238);
constexpr COLORREF kMark = RGB(155, 0, 0);

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

// Pixels the thumb's centre travels from the start of the range to its end: from kInset to the
// pixel kInset from the far end, so that the thumb keeps the same distance from both ends.
int Travel(int extent) {
    return extent - 1 - 2 * kInset;
}

float TMacSlider::ValueAt(int x, int y) const {
    const int extent = mode == 1 ? height : width;
    const int p = mode == 1 ? y : x;
    // A slider without room for its thumb or without a range has only one value.
    if (Travel(extent) <= 0 || max == min)
        return min;
    float v = (p - kInset) / (float(Travel(extent)) / (max - min)) + min;
    v = min < max ? Clamp(v, min, max) : Clamp(v, max, min);
    if (clampToMarks)
        v = Clamp(v, markLow, markHigh);
    return v;
}

int TMacSlider::ThumbPosition() const {
    const int extent = mode == 1 ? height : width;
    if (Travel(extent) <= 0 || max == min)
        return kInset;
    return static_cast<int>((value - min) * (float(Travel(extent)) / (max - min)) + kInset + 0.5f);
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

namespace {

// A rectangle along the slider: `from` to `to` along it, `low` to `high` across it.
RECT Along(bool vertical, int from, int to, int low, int high) {
    return vertical ? RECT{low, from, high, to} : RECT{from, low, to, high};
}

void FillBox(HDC dc, const RECT& box, COLORREF colour) {
    HBRUSH brush = gdi::CreateBrush(colour);
    FillRect(dc, &box, brush);
    gdi::Delete(brush);
}

void RoundBox(HDC dc, const RECT& box, COLORREF fill, COLORREF edge, int radius) {
    HBRUSH brush = gdi::CreateBrush(fill);
    HPEN pen = gdi::CreatePen(PS_SOLID, 1, edge);
    {
        gdi::Selection selectedBrush(dc, brush);
        gdi::Selection selectedPen(dc, pen);
        RoundRect(dc, box.left, box.top, box.right, box.bottom, radius, radius);
    }
    gdi::Delete(pen);
    gdi::Delete(brush);
}

} // namespace

// A rounded track across the middle, filled from its start up to the value, and a round thumb
// on it; grey throughout when disabled. The track's edge is blue when the range can be changed.
void TMacSlider::Paint(HDC target) {
    gdi::Canvas canvas(target, width, height);
    HDC dc = canvas.dc();
    RECT area = {0, 0, width, height};
    FillRect(dc, &area, SkinBackgroundBrush);
    const bool vertical = mode == 1;
    const int extent = vertical ? height : width;
    const int across = vertical ? width : height;
    const int middle = across / 2;
    const int q = ThumbPosition();
    const COLORREF edge = !enabled ? kDisabledEdge : blueOutline ? kBlueEdge : kPlainEdge;
    const int radius = std::max(2, std::min(kKnobRadius, (across - 4) / 2));

    if (lineStyle == 1 && !vertical) {
        // A thin line with ticks at both ends.
        const int end = width - 1 - kInset;
        FillBox(dc, Along(false, kInset, end + 1, middle, middle + 1), edge);
        FillBox(dc, Along(false, kInset, kInset + 1, middle - 4, middle + 1), edge);
        FillBox(dc, Along(false, end, end + 1, middle - 4, middle + 1), edge);
    } else {
        const int trackStart = kInset - 4, trackEnd = extent - kInset + 3;
        RoundBox(dc, Along(vertical, trackStart, trackEnd, middle - 2, middle + 3), enabled ? kTrack : kTrackDisabled,
                 edge, 4);
        if (enabled && q > trackStart + 1)
            FillBox(dc, Along(vertical, trackStart + 1, std::min(q, trackEnd - 1), middle - 1, middle + 2),
                    blueOutline ? kBlueFill : kPlainFill);
    }
    if (clampToMarks) {
        for (float mark : {markLow, markHigh}) {
            int at = kInset;
            if (Travel(extent) > 0 && max != min)
                at = static_cast<int>((mark - min) * (float(Travel(extent)) / (max - min)) + kInset + 0.5f);
            FillBox(dc, Along(vertical, at - 1, at + 1, middle - radius, middle + radius + 1), kMark);
        }
    }
    const RECT knob = Along(vertical, q - radius, q + radius + 1, middle - radius, middle + radius + 1);
    HBRUSH fill = gdi::CreateBrush(enabled ? kKnob : kKnobDisabled);
    HPEN pen = gdi::CreatePen(PS_SOLID, 1, edge);
    {
        gdi::Selection selectedBrush(dc, fill);
        gdi::Selection selectedPen(dc, pen);
        Ellipse(dc, knob.left, knob.top, knob.right, knob.bottom);
    }
    gdi::Delete(pen);
    gdi::Delete(fill);
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
        // Only a drag that began on the slider moves it (the press took the capture).
        if (mode == 2 || wParam != MK_LBUTTON || GetCapture() != w)
            return 0;
        TakeValueAt(x, y);
        SendMessageA(GetParent(w), WM_HSCROLL, 0, 0);
        if (notifyWhileDragging)
            SendMessageA(GetParent(w), WM_COMMAND, static_cast<WORD>(id), 1);
        return 0;
    case WM_LBUTTONUP:
        if (mode == 2)
            break;
        // A release after a press elsewhere is no click of the slider.
        if (GetCapture() != w)
            return 0;
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
