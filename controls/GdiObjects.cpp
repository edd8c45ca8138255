#include "controls/GdiObjects.h"

#include <new>

namespace gdi {
namespace {

long live = 0;

template <typename Handle> Handle Counted(Handle handle) {
    if (handle)
        ++live;
    return handle;
}

} // namespace

long LiveObjects() {
    return live;
}

HBRUSH CreateBrush(COLORREF colour) {
    return Counted(CreateSolidBrush(colour));
}

HPEN CreatePen(int style, int width, COLORREF colour) {
    return Counted(::CreatePen(style, width, colour));
}

HFONT CreateFontNamed(int height, int weight, bool underline, DWORD quality, const char* face) {
    return Counted(::CreateFontA(height, 0, 0, 0, weight, FALSE, underline ? TRUE : FALSE, FALSE, DEFAULT_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, quality, DEFAULT_PITCH, face));
}

HBITMAP CreateBitmapFor(HDC dc, int width, int height) {
    return Counted(::CreateCompatibleBitmap(dc, width > 0 ? width : 1, height > 0 ? height : 1));
}

HBITMAP CreateDibSection(int width, int height, void** bits) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width > 0 ? width : 1;
    info.bmiHeader.biHeight = -(height > 0 ? height : 1);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return Counted(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0));
}

HBITMAP CreateDeviceBitmap(HDC dc, const BITMAPINFOHEADER* header, const void* pixels, const BITMAPINFO* info) {
    return Counted(::CreateDIBitmap(dc, header, CBM_INIT, pixels, info, DIB_RGB_COLORS));
}

HBITMAP LoadBitmapResource(HINSTANCE module, int id) {
    return Counted(static_cast<HBITMAP>(
        LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION | LR_DEFAULTCOLOR)));
}

HDC CreateCompatibleDc(HDC dc) {
    return Counted(CreateCompatibleDC(dc));
}

void Delete(HGDIOBJ object) {
    if (object && DeleteObject(object))
        --live;
}

void DeleteDc(HDC dc) {
    if (dc && DeleteDC(dc))
        --live;
}

Canvas::Canvas(HDC reference, int width, int height)
    : dc_(CreateCompatibleDc(reference)), bitmap_(CreateBitmapFor(reference, width, height)), previous_(nullptr),
      width_(width), height_(height) {
    if (dc_ && bitmap_)
        previous_ = SelectObject(dc_, bitmap_);
}

Canvas::~Canvas() {
    if (previous_)
        SelectObject(dc_, previous_);
    Delete(bitmap_);
    DeleteDc(dc_);
}

void Canvas::CopyTo(HDC target, int x, int y) const {
    if (valid())
        BitBlt(target, x, y, width_, height_, dc_, 0, 0, SRCCOPY);
}

} // namespace gdi
