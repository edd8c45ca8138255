// "Control CPP" (a picture panel) and "Control Button CPP" (a push or toggle button made of
// whole-face bitmaps), with the animated variant of the About button.
#include "controls/GdiObjects.h"
#include "controls/SkinControls.h"
#include "controls/SkinResources.h"
#include "controls/WindowRule.h"
#include "platform/Platform.h"

#include <cstdlib>

namespace {

constexpr UINT_PTR kFrameTimer = 1;
constexpr UINT kFrameDelay = 75;
constexpr UINT_PTR kLeaveTimer = 2;
constexpr UINT kLeaveDelay = 500;

void CopyBitmap(HDC dc, HBITMAP bitmap, int width, int height) {
    if (!bitmap)
        return;
    gdi::BitmapSource source(dc, bitmap);
    BitBlt(dc, 0, 0, width, height, source.dc(), 0, 0, SRCCOPY);
}

LRESULT HandleControl(TControl* c, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        if ((c->imageMode == 1 || c->imageMode == 3) && c->image) {
            gdi::Paint paint(window);
            CopyBitmap(paint.dc(), c->image, c->width, c->height);
            return 0;
        }
        if (c->imageMode == 2 && c->pixels) {
            gdi::Paint paint(window);
            HBITMAP picture =
                gdi::CreateDeviceBitmap(paint.dc(), &c->pixelHeader.bmiHeader, c->pixels, &c->pixelHeader);
            CopyBitmap(paint.dc(), picture, c->width, c->height);
            gdi::Delete(picture);
            return 0;
        }
        break;
    }
    case WM_COMMAND:
        return SendMessageA(GetParent(window), message, wParam, lParam);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

TControl::~TControl() {
    gdi::Delete(image);
    platform::ReleasePages(pixels, pixelBytes);
}

LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    static const skin::WindowRule rule{true, true, true};
    return skin::RunWindowRule<TControl>(rule, window, message, wParam, lParam, HandleControl,
                                         [](TControl* c) { delete c; });
}

// ---- TControlButton ----

TControlButton::TControlButton() {
    selection = -1;
}

TControlButton::~TControlButton() {
    for (HBITMAP& bitmap : bitmaps) {
        gdi::Delete(bitmap);
        bitmap = nullptr;
    }
}

HBITMAP TControlButton::BitmapForState() const {
    if (!enabled && bitmaps[3])
        return bitmaps[3];
    if (imageMode == 1 && checked)
        return bitmaps[2];
    switch (visualState) {
    case 1:
        return hotVariant == 2 && useAltHot ? bitmaps[3] : bitmaps[1];
    case 2:
        return bitmaps[2];
    default:
        return bitmaps[0];
    }
}

void TControlButton::PaintFace(HBITMAP bitmap) {
    gdi::Paint paint(window);
    CopyBitmap(paint.dc(), bitmap, width, height);
}

bool TControlButton::Inside(LPARAM lParam) const {
    const int x = static_cast<short>(LOWORD(lParam));
    const int y = static_cast<short>(HIWORD(lParam));
    return x >= 0 && x <= width && y >= 0 && y <= height;
}

LRESULT TControlButton::HandleMessage(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        PaintFace(BitmapForState());
        return 0;
    case WM_MOUSEMOVE:
        if (wParam == MK_LBUTTON)
            return 0;
        if (visualState == 0) {
            SetCapture(w);
            visualState = 1;
            InvalidateRect(w, nullptr, FALSE);
        }
        if (!Inside(lParam)) {
            if (GetCapture() == w)
                ReleaseCapture();
            visualState = 0;
            InvalidateRect(w, nullptr, FALSE);
        }
        return 0;
    case WM_LBUTTONDOWN:
        SetCapture(w);
        visualState = 2;
        InvalidateRect(w, nullptr, FALSE);
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == w)
            ReleaseCapture();
        if (visualState == 2) {
            if (imageMode == 1)
                checked = !checked;
            visualState = 0;
            PostMessageA(GetParent(w), WM_COMMAND, static_cast<WORD>(id), 0);
            InvalidateRect(w, nullptr, FALSE);
        }
        return 0;
    case WM_DESTROY:
        return 0;
    }
    return DefWindowProcA(w, message, wParam, lParam);
}

LRESULT CALLBACK ControlButtonWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    static const skin::WindowRule rule{true, true, true};
    return skin::RunWindowRule<TControlButton>(
        rule, window, message, wParam, lParam,
        [](TControlButton* b, HWND w, UINT m, WPARAM wp, LPARAM lp) { return b->HandleMessage(w, m, wp, lp); },
        [](TControlButton* b) { delete b; });
}

void SetButtonBitmaps(TControlButton* button, int normalId, int hotId, int pressedId, int disabledId) {
    if (!button)
        return;
    HINSTANCE module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(button->window, GWLP_HINSTANCE));
    if (!module)
        module = SkinModule();
    const int ids[4] = {normalId, hotId, pressedId, disabledId};
    for (int slot = 0; slot < 4; ++slot) {
        // Negative ids name shared sets that the plug-in never creates.
        if (ids[slot] <= 0)
            continue;
        gdi::Delete(button->bitmaps[slot]);
        button->bitmaps[slot] = gdi::LoadBitmapResource(module, ids[slot]);
    }
}

// ---- TControlButtonAnimated ----

TControlButtonAnimated::TControlButtonAnimated(TControlButton* previous) {
    if (!previous)
        return;
    width = previous->width;
    height = previous->height;
    id = previous->id;
    window = previous->window;
    if (window)
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    delete previous;
}

TControlButtonAnimated::~TControlButtonAnimated() {
    for (int i = 0; i < hoverFrameCount; ++i)
        gdi::Delete(hoverFrames[i]);
    for (int i = 0; i < leaveFrameCount; ++i)
        gdi::Delete(leaveFrames[i]);
    std::free(hoverFrames);
    std::free(leaveFrames);
}

void TControlButtonAnimated::StopTimers() {
    KillTimer(window, kFrameTimer);
    KillTimer(window, kLeaveTimer);
}

LRESULT TControlButtonAnimated::HandleMessage(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        HBITMAP face = BitmapForState();
        if (visualState == 1 && enabled) {
            if (phase != 2 && hoverFrameCount > 0)
                face = hoverFrames[hoverFrame % hoverFrameCount];
            else if (phase == 2 && leaveFrameCount > 0)
                face = leaveFrames[(leaveFrame < 0 ? 0 : leaveFrame) % leaveFrameCount];
        }
        PaintFace(face);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (wParam == MK_LBUTTON)
            return 0;
        if (visualState == 0) {
            SetCapture(w);
            visualState = 1;
            hoverFrame = 0;
            leaveFrame = 0;
            phase = 0;
            SetTimer(w, kFrameTimer, kFrameDelay, nullptr);
            InvalidateRect(w, nullptr, FALSE);
        }
        if (!Inside(lParam) && GetCapture() == w) {
            ReleaseCapture();
            phase = 1;
            leaveFrame = -1;
            SetTimer(w, kLeaveTimer, kLeaveDelay, nullptr);
        }
        return 0;
    case WM_TIMER:
        if (wParam == kFrameTimer) {
            if (phase == 0) {
                if (++hoverFrame >= hoverFrameCount)
                    hoverFrame = 0;
            } else if (hoverFrame >= hoverFrameCount - 1) {
                ++leaveFrame;
                phase = 2;
                if (leaveFrame >= leaveFrameCount) {
                    StopTimers();
                    visualState = 0;
                    phase = 0;
                    leaveFrame = 0;
                }
            } else {
                ++hoverFrame;
            }
        } else if (wParam == kLeaveTimer) {
            StopTimers();
            visualState = 0;
            phase = 0;
        }
        InvalidateRect(w, nullptr, FALSE);
        return 0;
    case WM_LBUTTONDOWN:
        SetCapture(w);
        visualState = 2;
        InvalidateRect(w, nullptr, FALSE);
        return 0;
    case WM_LBUTTONUP:
        if (visualState == 2) {
            if (imageMode == 1)
                checked = !checked;
            KillTimer(w, kFrameTimer);
            if (GetCapture() == w)
                ReleaseCapture();
            visualState = 0;
            PostMessageA(GetParent(w), WM_COMMAND, static_cast<WORD>(id), 0);
        }
        InvalidateRect(w, nullptr, FALSE);
        return 0;
    case WM_DESTROY:
        StopTimers();
        return 0;
    }
    return DefWindowProcA(w, message, wParam, lParam);
}
