// The preview panes: their pictures (the rendered view over its background, the thumbnail of
// the whole filter area), their painting and their mouse handling.
#include "dialog/PreviewPane.h"

#include "controls/GdiObjects.h"
#include "controls/SkinControls.h"
#include "controls/SkinResources.h"
#include "dialog/MainDialog.h"
#include "dialog/ParameterPanel.h"
#include "engine/PreviewZoom.h"
#include "engine/ProcessImage.h"
#include "plugin/DocumentReading.h"
#include "plugin/Globals.h"
#include "plugin/Rectangles.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

PreviewPane* mainPane = nullptr;
PreviewPane* navigatorPane = nullptr;
float emitterX = 0.0f;
float emitterY = 0.0f;

namespace {

// A press this close to a mark (pixels, both axes) takes the mark instead of the picture.
constexpr float kMarkerReach = 10.0f;
// Half the length of the cross's arms.
constexpr int kCrossArm = 20;

// Mouse coordinates are signed: a captured pointer left of or above the pane is negative.
int PointX(LPARAM lParam) {
    return static_cast<short>(LOWORD(lParam));
}
int PointY(LPARAM lParam) {
    return static_cast<short>(HIWORD(lParam));
}

void ReleasePicture(PreviewPane* pane) {
    gdi::Delete(pane->bitmap);
    pane->bitmap = nullptr;
    std::free(pane->pixels);
    pane->pixels = nullptr;
    pane->pixelBytes = 0;
}

// Pixels for bitmapWidth x bitmapHeight (the caller writes every one); those of the last picture
// when it had that size, else new ones. False (and no picture) without memory.
bool ReplacePixels(PreviewPane* pane, int32_t width, int32_t height) {
    if (pane->pixels != nullptr && pane->bitmap != nullptr && width > 0 && height > 0 && pane->bitmapWidth == width &&
        pane->bitmapHeight == height)
        return true;
    ReleasePicture(pane);
    pane->bitmapWidth = std::max(0, width);
    pane->bitmapHeight = std::max(0, height);
    const size_t bytes = size_t(pane->bitmapWidth) * size_t(pane->bitmapHeight) * 3;
    if (bytes == 0)
        return false;
    pane->pixels = static_cast<uint8_t*>(std::calloc(bytes, 1));
    if (!pane->pixels)
        return false;
    pane->pixelBytes = bytes;
    return true;
}

void FillHeader(PreviewPane* pane) {
    std::memset(&pane->bitmapInfo, 0, sizeof pane->bitmapInfo);
    BITMAPINFOHEADER& header = pane->bitmapInfo.bmiHeader;
    header.biSize = sizeof header;
    header.biWidth = pane->bitmapWidth;
    header.biHeight = pane->bitmapHeight; // rows bottom-up
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
}

void MakeBitmap(PreviewPane* pane) {
    if (!pane->pixels) {
        gdi::Delete(pane->bitmap);
        pane->bitmap = nullptr;
        return;
    }
    HDC dc = GetDC(pane->window);
    // A picture of the same size goes into the bitmap it already has.
    if (pane->bitmap != nullptr && SetDIBits(dc, pane->bitmap, 0, UINT(pane->bitmapHeight), pane->pixels,
                                             &pane->bitmapInfo, DIB_RGB_COLORS) == pane->bitmapHeight) {
        ReleaseDC(pane->window, dc);
        return;
    }
    gdi::Delete(pane->bitmap);
    pane->bitmap = nullptr;
    pane->bitmap = gdi::CreateDeviceBitmap(dc, &pane->bitmapInfo.bmiHeader, pane->pixels, &pane->bitmapInfo);
    ReleaseDC(pane->window, dc);
}

// The filter area at the current zoom, preview pixels; false when it is empty.
bool ZoomedArea(float* width, float* height) {
    if (!gFilterRecord)
        return false;
    const VRect filter = GetFilterRect();
    *width = float(RectWidth(filter)) / zoom;
    *height = float(RectHeight(filter)) / zoom;
    return *width > 0.0f && *height > 0.0f;
}

void ToCentre(const PreviewPane* pane, int px, int py, float width, float height, float* x, float* y) {
    *x = (float(pane->viewX() + px - pane->imageX) - width / 2.0f) * 200.0f / width;
    *y = (height / 2.0f - float(pane->viewY() + py - pane->imageY)) * 200.0f / height;
}

PreviewMarker* Emitter(PreviewPane* pane) {
    return pane->markerCount > 0 && pane->markers[0].visible ? &pane->markers[0] : nullptr;
}

PreviewMarker* MarkerNear(PreviewPane* pane, int x, int y) {
    for (int i = 0; i < pane->markerCount; ++i) {
        PreviewMarker& marker = pane->markers[i];
        if (marker.visible && std::abs(float(x) - marker.screenX) <= kMarkerReach &&
            std::abs(float(y) - marker.screenY) <= kMarkerReach)
            return &marker;
    }
    return nullptr;
}

// The emitter and the parameters follow a mark moved by the mouse.
void MoveEmitter(PreviewMarker* marker, float x, float y) {
    marker->x = x;
    marker->y = y;
    emitterX = x;
    emitterY = y;
    if (gParams) {
        gParams->centerX = x;
        gParams->centerY = y;
    }
    ShowCentreInControls(x, y);
}

void Notify(PreviewPane* pane, WORD code) {
    SendMessageA(GetParent(pane->window), WM_COMMAND, MAKEWPARAM(pane->id, code), 0);
}

void DrawDiagonals(HDC dc, int width, int height) {
    MoveToEx(dc, 0, 0, nullptr);
    LineTo(dc, width, height);
    MoveToEx(dc, width, 0, nullptr);
    LineTo(dc, 0, height);
}

// The cross: each arm inverts the picture (its centre pixel is inverted twice and keeps its
// colour) between two black lines. Where the picture is dark the inverted line shows, where it
// is light or mid-grey the black lines do, so the cross can be found on any picture.
void DrawCross(HDC dc, int x, int y) {
    const int arm = kCrossArm;
    PatBlt(dc, x - arm - 1, y - 1, arm + 1, 1, BLACKNESS);
    PatBlt(dc, x + 1, y - 1, arm, 1, BLACKNESS);
    PatBlt(dc, x - arm - 1, y + 1, arm + 1, 1, BLACKNESS);
    PatBlt(dc, x + 1, y + 1, arm, 1, BLACKNESS);
    PatBlt(dc, x - 1, y - arm - 1, 1, arm + 1, BLACKNESS);
    PatBlt(dc, x - 1, y + 1, 1, arm, BLACKNESS);
    PatBlt(dc, x + 1, y - arm - 1, 1, arm + 1, BLACKNESS);
    PatBlt(dc, x + 1, y + 1, 1, arm, BLACKNESS);
    // The ends of the arms are closed as well.
    PatBlt(dc, x - arm - 1, y, 1, 1, BLACKNESS);
    PatBlt(dc, x + arm, y, 1, 1, BLACKNESS);
    PatBlt(dc, x, y - arm - 1, 1, 1, BLACKNESS);
    PatBlt(dc, x, y + arm, 1, 1, BLACKNESS);
    PatBlt(dc, x - arm, y, 2 * arm, 1, DSTINVERT);
    PatBlt(dc, x, y - arm, 1, 2 * arm, DSTINVERT);
}

// The navigator's rectangle: its edges invert the thumbnail (corner pixels twice), with a black
// line just outside and just inside them, for the same reason as the cross.
void DrawFrame(HDC dc, int left, int top, int width, int height) {
    const int right = left + width, bottom = top + height;
    PatBlt(dc, left - 1, top - 1, width + 3, 1, BLACKNESS);
    PatBlt(dc, left - 1, bottom + 1, width + 3, 1, BLACKNESS);
    PatBlt(dc, left - 1, top, 1, height + 1, BLACKNESS);
    PatBlt(dc, right + 1, top, 1, height + 1, BLACKNESS);
    if (width > 2 && height > 2) {
        PatBlt(dc, left + 1, top + 1, width - 1, 1, BLACKNESS);
        PatBlt(dc, left + 1, bottom - 1, width - 1, 1, BLACKNESS);
        PatBlt(dc, left + 1, top + 2, 1, height - 3, BLACKNESS);
        PatBlt(dc, right - 1, top + 2, 1, height - 3, BLACKNESS);
    }
    PatBlt(dc, left, top, width + 1, 1, DSTINVERT);
    PatBlt(dc, left, bottom, width + 1, 1, DSTINVERT);
    PatBlt(dc, left, top, 1, height + 1, DSTINVERT);
    PatBlt(dc, right, top, 1, height + 1, DSTINVERT);
}

void PaintMain(PreviewPane* pane, HDC target) {
    gdi::Canvas canvas(target, pane->width, pane->height);
    HDC dc = canvas.valid() ? canvas.dc() : target;
    const RECT all = {0, 0, pane->width, pane->height};
    if (!pane->bitmap) {
        FillRect(dc, &all, SkinBackgroundBrush);
        DrawDiagonals(dc, pane->width, pane->height);
    } else {
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        {
            gdi::BitmapSource source(dc, pane->bitmap);
            BitBlt(dc, pane->imageX + pane->dragX, pane->imageY + pane->dragY, pane->width, pane->height, source.dc(),
                   0, 0, SRCCOPY);
        }
        float width = 0.0f, height = 0.0f;
        const bool area = ZoomedArea(&width, &height);
        for (int i = 0; area && i < pane->markerCount; ++i) {
            PreviewMarker& marker = pane->markers[i];
            if (!marker.visible)
                continue;
            marker.screenX =
                (marker.x / 200.0f + 0.5f) * width - float(pane->viewX()) + float(pane->dragX) + float(pane->imageX);
            marker.screenY =
                (0.5f - marker.y / 200.0f) * height - float(pane->viewY()) + float(pane->dragY) + float(pane->imageY);
            DrawCross(dc, int(marker.screenX), int(marker.screenY));
        }
    }
    if (canvas.valid())
        canvas.CopyTo(target, 0, 0);
}

void PaintNavigator(PreviewPane* pane, HDC target) {
    if (mainPane) {
        pane->frameWidth = int(float(mainPane->bitmapWidth) * pane->scale * zoom + 1.5f);
        pane->frameHeight = int(float(mainPane->bitmapHeight) * pane->scale * zoom + 1.5f);
    }
    gdi::Canvas canvas(target, pane->width, pane->height);
    HDC dc = canvas.valid() ? canvas.dc() : target;
    const RECT all = {0, 0, pane->width, pane->height};
    FillRect(dc, &all, SkinBackgroundBrush);
    if (!pane->bitmap) {
        DrawDiagonals(dc, pane->width, pane->height);
    } else {
        gdi::BitmapSource source(dc, pane->bitmap);
        BitBlt(dc, pane->imageX, pane->imageY, pane->bitmapWidth, pane->bitmapHeight, source.dc(), 0, 0, SRCCOPY);
        DrawFrame(dc, pane->frameX + pane->imageX, pane->frameY + pane->imageY, pane->frameWidth, pane->frameHeight);
    }
    if (canvas.valid())
        canvas.CopyTo(target, 0, 0);
}

void RepaintNow(HWND window) {
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
}

PreviewMarker* DraggedMarker(PreviewPane* pane) {
    for (int i = 0; i < pane->markerCount; ++i)
        if (pane->markers[i].dragging)
            return &pane->markers[i];
    return nullptr;
}

void StopDraggingMarkers(PreviewPane* pane) {
    for (int i = 0; i < pane->markerCount; ++i)
        pane->markers[i].dragging = 0;
}

// The emitter mark, the parameters and the rotor go to the pane point (x, y); false when the
// filter area is empty at this zoom.
bool PlaceMarkerAt(PreviewPane* pane, PreviewMarker* marker, int x, int y) {
    float width = 0.0f, height = 0.0f;
    if (!ZoomedArea(&width, &height))
        return false;
    float cx = 0.0f, cy = 0.0f;
    ToCentre(pane, x, y, width, height, &cx, &cy);
    MoveEmitter(marker, cx, cy);
    return true;
}

// Left button down: the start of a view drag, or of a mark drag when it is pressed on a mark.
void BeginLeftDrag(PreviewPane* pane, WPARAM wParam, int x, int y) {
    pane->doubleClicked = 0;
    SetCapture(pane->window);
    pane->ctrlDrag = (wParam & MK_CONTROL) ? 1 : 0;
    pane->dragX = pane->dragY = 0;
    pane->lastX = x;
    pane->lastY = y;
    // Only this press decides what moves: a mark left marked by an earlier gesture (the first
    // half of a double click, for instance) is not dragged along.
    StopDraggingMarkers(pane);
    if (PreviewMarker* marker = MarkerNear(pane, x, y))
        marker->dragging = 1;
}

void DragWithLeft(PreviewPane* pane, int x, int y) {
    pane->curX = x;
    pane->curY = y;
    if (PreviewMarker* dragged = DraggedMarker(pane)) {
        PlaceMarkerAt(pane, dragged, x, y);
        pane->dragX = pane->dragY = 0;
    } else {
        pane->dragX += x - pane->lastX;
        pane->dragY += y - pane->lastY;
    }
    if (!pane->ctrlDrag)
        RepaintNow(pane->window);
    pane->lastX = x;
    pane->lastY = y;
}

// Left button up: the gesture is committed when the click timer fires, unless a double click
// comes first. A release without the press that took the mouse is no gesture of this pane.
void EndLeftDrag(PreviewPane* pane) {
    if (GetCapture() != pane->window)
        return;
    ReleaseCapture();
    SetTimer(pane->window, kClickTimer, kClickDelay, nullptr);
}

// The click timer: the dragged mark or the dragged view is committed and the dialog renders.
void CommitLeftDrag(PreviewPane* pane) {
    KillTimer(pane->window, kClickTimer);
    if (pane->doubleClicked) {
        // A double click changes nothing, and leaves nothing marked for the next gesture.
        StopDraggingMarkers(pane);
        pane->dragX = pane->dragY = 0;
        pane->ctrlDrag = 0;
        return;
    }
    if (PreviewMarker* dragged = DraggedMarker(pane)) {
        dragged->dragging = 0;
        if (dragged == &pane->markers[0] && gParams) {
            gParams->centerX = dragged->x;
            gParams->centerY = dragged->y;
        }
    } else if (pane->view) {
        pane->view->scrollX -= pane->dragX;
        pane->view->scrollY -= pane->dragY;
    }
    pane->dragX = pane->dragY = 0;
    if (pane->ctrlDrag) {
        pane->ctrlDrag = 0;
        return;
    }
    Notify(pane, kViewMoved);
}

// Right button down and moves with it: the emitter jumps to the pointer and is shown there at
// once. Points left of or above the pane count as its edge.
bool PlaceEmitter(PreviewPane* pane, int x, int y) {
    PreviewMarker* emitter = Emitter(pane);
    if (!emitter || !PlaceMarkerAt(pane, emitter, std::max(0, x), std::max(0, y)))
        return false;
    emitter->dragging = 1;
    return true;
}

void BeginRightDrag(PreviewPane* pane, int x, int y) {
    float width = 0.0f, height = 0.0f;
    if (!ZoomedArea(&width, &height))
        return;
    if (PlaceEmitter(pane, x, y))
        RepaintNow(pane->window);
    SetCapture(pane->window);
}

// Right button up: the emitter is dropped where it is and the preview renders for it.
void DropEmitter(PreviewPane* pane) {
    if (GetCapture() != pane->window)
        return;
    ReleaseCapture();
    PreviewMarker* emitter = Emitter(pane);
    if (!emitter)
        return;
    if (gParams) {
        gParams->centerX = emitterX;
        gParams->centerY = emitterY;
        ShowCentreInControls(gParams->centerX, gParams->centerY);
    }
    emitter->dragging = 0;
    RefreshPreview();
}

LRESULT MainPaneMouse(PreviewPane* pane, UINT message, WPARAM wParam, LPARAM lParam) {
    const int x = PointX(lParam), y = PointY(lParam);
    const bool captured = GetCapture() == pane->window;
    switch (message) {
    case WM_MOUSEMOVE:
        if (!(wParam & MK_CONTROL) && MarkerNear(pane, x, y))
            SetCursor(LoadCursorA(nullptr, IDC_SIZENWSE));
        if ((wParam & MK_LBUTTON) && captured)
            DragWithLeft(pane, x, y);
        else if ((wParam & MK_RBUTTON) && captured && PlaceEmitter(pane, x, y))
            InvalidateRect(pane->window, nullptr, FALSE);
        return 0;
    case WM_LBUTTONDOWN:
        BeginLeftDrag(pane, wParam, x, y);
        return 0;
    case WM_LBUTTONUP:
        EndLeftDrag(pane);
        return 0;
    case WM_LBUTTONDBLCLK:
        pane->doubleClicked = 1;
        Notify(pane, kDoubleClicked);
        return 0;
    case WM_RBUTTONDOWN:
        BeginRightDrag(pane, x, y);
        return 0;
    case WM_RBUTTONUP:
        DropEmitter(pane);
        return 0;
    case WM_TIMER:
        if (wParam == kClickTimer)
            CommitLeftDrag(pane);
        return 0;
    }
    return 0;
}

// Over the emitter mark (Ctrl up) the cursor is the double arrow; the class cursor elsewhere.
bool SetMarkerCursor(PreviewPane* pane) {
    if (pane->role != 1 || (GetKeyState(VK_CONTROL) & 0x8000))
        return false;
    POINT point = {};
    GetCursorPos(&point);
    ScreenToClient(pane->window, &point);
    if (!MarkerNear(pane, point.x, point.y))
        return false;
    SetCursor(LoadCursorA(nullptr, IDC_SIZENWSE));
    return true;
}

LRESULT NavigatorMouse(PreviewPane* pane, UINT message, WPARAM wParam, LPARAM lParam) {
    const int x = PointX(lParam), y = PointY(lParam);
    HWND window = pane->window;
    switch (message) {
    case WM_LBUTTONDOWN:
        pane->doubleClicked = 0;
        SetCapture(window);
        pane->ctrlDrag = (wParam & MK_CONTROL) ? 1 : 0;
        pane->lastX = x;
        pane->lastY = y;
        return 0;
    case WM_MOUSEMOVE:
        if ((wParam & MK_LBUTTON) && GetCapture() == window) {
            pane->frameX += x - pane->lastX;
            pane->frameY += y - pane->lastY;
            pane->lastX = x;
            pane->lastY = y;
            RepaintNow(window);
        }
        return 0;
    case WM_LBUTTONUP:
        // A release without the press that took the mouse is no gesture of the navigator.
        if (GetCapture() != window)
            return 0;
        ReleaseCapture();
        SetTimer(window, kClickTimer, kClickDelay, nullptr);
        return 0;
    case WM_LBUTTONDBLCLK:
        pane->doubleClicked = 1;
        Notify(pane, kDoubleClicked);
        return 0;
    case WM_RBUTTONDOWN:
        SetCapture(window);
        return 0;
    case WM_RBUTTONUP:
        if (GetCapture() == window)
            ReleaseCapture();
        return 0;
    case WM_TIMER:
        if (wParam != kClickTimer)
            return 0;
        KillTimer(window, kClickTimer);
        if (pane->doubleClicked)
            return 0;
        if (pane->ctrlDrag) {
            // The view stays where it is, so the rectangle goes back to show it.
            pane->ctrlDrag = 0;
            SyncNavigatorFrame();
            RepaintNow(window);
            return 0;
        }
        Notify(pane, kViewMoved);
        return 0;
    }
    return 0;
}

void DestroyPane(PreviewPane* pane) {
    if (mainPane == pane)
        mainPane = nullptr;
    if (navigatorPane == pane)
        navigatorPane = nullptr;
    KillTimer(pane->window, kClickTimer);
    ReleasePicture(pane);
    delete[] pane->markers;
    delete pane;
}

} // namespace

PreviewPane* PaneOf(HWND window) {
    return static_cast<PreviewPane*>(GetControlObject(window, "Preview Contaner CPP"));
}

LRESULT CALLBACK PreviewPaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        if (message == WM_CREATE) {
            auto* pane = new (std::nothrow) PreviewPane();
            if (!pane)
                return 0;
            RECT client = {};
            GetClientRect(window, &client);
            pane->window = window;
            pane->id = GetDlgCtrlID(window);
            pane->width = client.right;
            pane->height = client.bottom;
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pane));
            return 0;
        }
        auto* pane = reinterpret_cast<PreviewPane*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            if (pane)
                DestroyPane(pane);
            return DefWindowProcA(window, message, wParam, lParam);
        }
        if (!pane)
            return DefWindowProcA(window, message, wParam, lParam);
        switch (message) {
        case WM_SIZE:
            pane->width = LOWORD(lParam);
            pane->height = HIWORD(lParam);
            if (pane->view) {
                pane->view->viewWidth = pane->width;
                pane->view->viewHeight = pane->height;
            }
            return 0;
        case WM_ERASEBKGND:
            return 1; // the picture covers everything
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT && SetMarkerCursor(pane))
                return TRUE;
            break;
        case WM_PAINT: {
            gdi::Paint paint(window);
            if (pane->role == 1)
                PaintMain(pane, paint.dc());
            else
                PaintNavigator(pane, paint.dc());
            return 0;
        }
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_TIMER:
            return pane->role == 1 ? MainPaneMouse(pane, message, wParam, lParam)
                                   : NavigatorMouse(pane, message, wParam, lParam);
        }
    } catch (...) {
        return 0; // nothing may leave a window procedure
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void AddEmitterMarker(PreviewPane* pane) {
    if (!pane || pane->markers)
        return;
    pane->markers = new (std::nothrow) PreviewMarker[1];
    if (!pane->markers)
        return;
    pane->markerCount = 1;
    pane->markers[0].shape = 0;
    pane->markers[0].visible = 1;
}

void SyncNavigatorFrame() {
    if (!navigatorPane || !mainPane || !mainPane->view)
        return;
    const float step = navigatorPane->scale * zoom;
    navigatorPane->frameX = static_cast<int>(float(mainPane->view->scrollX) * step + 0.5f);
    navigatorPane->frameY = static_cast<int>(float(mainPane->view->scrollY) * step + 0.5f);
    InvalidateRect(navigatorPane->window, nullptr, FALSE);
}

void SyncMarkerFromParameters() {
    if (!gParams)
        return;
    emitterX = gParams->centerX;
    emitterY = gParams->centerY;
    if (mainPane && mainPane->markerCount > 0) {
        mainPane->markers[0].x = emitterX;
        mainPane->markers[0].y = emitterY;
        InvalidateRect(mainPane->window, nullptr, FALSE);
    }
}

void BuildPaneBitmap(PreviewPane* pane) {
    const FilterRecord* record = gFilterRecord;
    if (!pane || !record || !record->outData)
        return;
    const VRect out = GetOutRect();
    const int64_t outWidth = RectWidth(out), outHeight = RectHeight(out);
    const int32_t width = int32_t(std::min<int64_t>(pane->width, outWidth)) / 4 * 4;
    const int32_t height = int32_t(std::min<int64_t>(pane->height, outHeight));
    pane->imageX = int32_t(std::max<int64_t>(0, (pane->width - outWidth) / 2));
    pane->imageY = int32_t(std::max<int64_t>(0, (pane->height - outHeight) / 2));
    if (!ReplacePixels(pane, width, height))
        return;
    FillHeader(pane);

    const int planes = record->planes;
    const int64_t rowBytes = record->outRowBytes;
    const bool cmykWithoutAlpha = record->imageMode == plugInModeCMYKColor && planes < 5;
    const uint8_t* background = viewBackground && !cmykWithoutAlpha ? viewBackground : nullptr;
    const int64_t backgroundRow = int64_t(workingContext.bufferWidth) * 3;
    const bool backgroundFits =
        background && workingContext.bufferWidth >= width && workingContext.bufferHeight >= height;
    // Each transparency's share and its rest, computed once instead of for every pixel.
    float share[256], rest[256];
    for (int k = 0; k < 256; ++k) {
        share[k] = float(k) / 255.0f;
        rest[k] = 1.0f - share[k];
    }
    const int greenAt = std::min(1, planes - 1), blueAt = std::min(2, planes - 1);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* in = static_cast<const uint8_t*>(record->outData) + y * rowBytes;
        uint8_t* target = pane->pixels + size_t(height - 1 - y) * size_t(width) * 3;
        const uint8_t* behind = backgroundFits ? background + y * backgroundRow : nullptr;
        for (int32_t x = 0; x < width; ++x, in += planes, target += 3) {
            const uint8_t red = in[0], green = in[greenAt], blue = in[blueAt];
            if (planes < 4 || in[3] == 255) {
                target[0] = blue;
                target[1] = green;
                target[2] = red;
                continue;
            }
            const float a = share[in[3]];
            if (behind) {
                const uint8_t* b = behind + x * 3;
                const float r = rest[in[3]];
                target[0] = uint8_t(float(b[2]) * r + float(blue) * a);
                target[1] = uint8_t(float(b[1]) * r + float(green) * a);
                target[2] = uint8_t(float(b[0]) * r + float(red) * a);
            } else {
                target[0] = uint8_t(float(blue) * a);
                target[1] = uint8_t(float(green) * a);
                target[2] = uint8_t(float(red) * a);
            }
        }
    }
    MakeBitmap(pane);
}

void BuildNavigatorThumbnail(PreviewPane* navigator) {
    if (!navigator || !gFilterRecord)
        return;
    const VRect filter = GetFilterRect();
    const int64_t filterWidth = RectWidth(filter), filterHeight = RectHeight(filter);
    if (filterWidth <= 0 || filterHeight <= 0)
        return;
    float scale =
        std::min(float(navigator->width) / float(filterWidth), float(navigator->height) / float(filterHeight));
    if (scale > 1.0f || !(scale > 0.0f))
        scale = 1.0f;
    const int32_t width = int32_t(float(filterWidth) * scale) / 4 * 4;
    const int32_t height = int32_t(float(filterHeight) * scale);

    // The source: the target layer's copy, or the host's pixels (CMYK converted) without one.
    const bool cmyk = gFilterRecord->imageMode == plugInModeCMYKColor;
    PixelBuffer* layer = previewSource && !cmyk && FirstPixel(*previewSource) ? previewSource : nullptr;
    const uint8_t* fetched = nullptr;
    if (!layer) {
        if (!FetchNavigatorSource())
            return;
        fetched = navigatorSource;
    }
    const int64_t sourceWidth = layer ? PixelBufferWidth(*layer) : filterWidth;
    const int64_t sourceHeight = layer ? PixelBufferHeight(*layer) : filterHeight;
    const int planes = gFilterRecord->planes;
    const bool fetchedAlpha = cmyk ? planes > 4 : planes > 3;
    PixelBuffer* backdrop = previewBackdrop && FirstPixel(*previewBackdrop) ? previewBackdrop : nullptr;

    navigator->scale = scale;
    if (!ReplacePixels(navigator, width, height))
        return;
    for (int32_t y = 0; y < height; ++y) {
        const int64_t sy = std::min<int64_t>(int64_t(float(y) / scale), sourceHeight - 1);
        uint8_t* target = navigator->pixels + size_t(height - 1 - y) * size_t(width) * 3;
        for (int32_t x = 0; x < width; ++x, target += 3) {
            const int64_t sx = std::min<int64_t>(int64_t(float(x) / scale), sourceWidth - 1);
            uint8_t sample[4];
            if (layer) {
                const uint8_t* first = FirstPixel(*layer);
                const int64_t at = sy * (layer->desc.rowBits / 8) + sx, plane = PlaneBytes(*layer);
                for (int k = 0; k < 3; ++k)
                    sample[k] = first[std::min(k, layer->planes - 1) * plane + at];
                sample[3] = layer->planes > 3 ? first[3 * plane + at] : uint8_t(255);
            } else {
                std::memcpy(sample, fetched + (sy * filterWidth + sx) * 4, 4);
                if (!fetchedAlpha)
                    sample[3] = 255;
            }
            const float a = float(sample[3]) / 255.0f;
            float behind[3];
            if (backdrop) {
                const uint8_t* first = FirstPixel(*backdrop);
                const int64_t bx = std::min<int64_t>(sx, PixelBufferWidth(*backdrop) - 1);
                const int64_t by = std::min<int64_t>(sy, PixelBufferHeight(*backdrop) - 1);
                const int64_t at = by * (backdrop->desc.rowBits / 8) + bx, plane = PlaneBytes(*backdrop);
                const float checker = ((x / 5) + (y / 5)) % 2 == 1 ? 255.0f : 204.0f;
                const float ba = backdrop->planes >= 4 ? float(first[3 * plane + at]) / 255.0f : 1.0f;
                for (int k = 0; k < 3; ++k) {
                    const float b = float(first[std::min(k, backdrop->planes - 1) * plane + at]);
                    behind[k] = ba < 1.0f ? float(int(b * ba + float(int(checker * (1.0f - ba))))) : b;
                }
                for (int k = 0; k < 3; ++k)
                    target[2 - k] = uint8_t(float(sample[k]) * a + behind[k] * (1.0f - a));
            } else {
                const float checker = ((x / 15) + (y / 15)) % 2 == 1 ? 255.0f : 204.0f;
                const float c = float(int(checker * (1.0f - a)));
                for (int k = 0; k < 3; ++k)
                    target[2 - k] = uint8_t(float(sample[k]) * a + c);
            }
        }
    }
}

void BuildNavigatorBitmap(PreviewPane* navigator) {
    if (!navigator || !navigator->pixels)
        return;
    FillHeader(navigator);
    navigator->imageX = std::max(0, (navigator->width - navigator->bitmapWidth) / 2);
    navigator->imageY = std::max(0, (navigator->height - navigator->bitmapHeight) / 2);
    MakeBitmap(navigator);
}
