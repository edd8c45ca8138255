#pragma once
// Every GDI object, device context and bitmap the skinned controls create goes through these
// functions, which keep a count of what is alive. The system's own counter (GetGuiResources)
// is not available everywhere the tests run, so the count is ours: a dialog run that leaves it
// higher than it found it leaks.
//
// The scoped helpers below restore what they selected and delete what they created on every
// path, so an early return cannot leak.

#include <windows.h>

namespace gdi {

// Objects created through this layer and not yet deleted.
long LiveObjects();

HBRUSH CreateBrush(COLORREF colour);
HPEN CreatePen(int style, int width, COLORREF colour);
HFONT CreateFontNamed(int height, int weight, bool underline, DWORD quality, const char* face);
HBITMAP CreateBitmapFor(HDC dc, int width, int height);
// A 32-bit top-down section; `bits` receives the pixels (blue, green, red, unused).
HBITMAP CreateDibSection(int width, int height, void** bits);
HBITMAP CreateDeviceBitmap(HDC dc, const BITMAPINFOHEADER* header, const void* pixels, const BITMAPINFO* info);
HBITMAP LoadBitmapResource(HINSTANCE module, int id);
HDC CreateCompatibleDc(HDC dc);
// Deletes an object of this layer (null is ignored). Only a successful deletion is counted, so
// deleting the same handle twice is harmless and does not disturb the count.
void Delete(HGDIOBJ object);
void DeleteDc(HDC dc);

// Selects an object into a device context and selects the previous one back on destruction.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
    ~Selection() {
        if (previous_)
            SelectObject(dc_, previous_);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A memory device context holding a bitmap selected into it; used to copy a bitmap resource
// onto a canvas.
class BitmapSource {
public:
    BitmapSource(HDC reference, HBITMAP bitmap) : dc_(CreateCompatibleDc(reference)), previous_(nullptr) {
        if (dc_ && bitmap)
            previous_ = SelectObject(dc_, bitmap);
    }
    ~BitmapSource() {
        if (previous_)
            SelectObject(dc_, previous_);
        DeleteDc(dc_);
    }
    HDC dc() const { return dc_; }
    BitmapSource(const BitmapSource&) = delete;
    BitmapSource& operator=(const BitmapSource&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// An off-screen canvas of the given size: draw into dc(), then CopyTo() the target once.
class Canvas {
public:
    Canvas(HDC reference, int width, int height);
    ~Canvas();
    HDC dc() const { return dc_; }
    bool valid() const { return bitmap_ != nullptr; }
    void CopyTo(HDC target, int x, int y) const;
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ previous_;
    int width_;
    int height_;
};

// BeginPaint / EndPaint as a pair.
class Paint {
public:
    explicit Paint(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
    ~Paint() { EndPaint(window_, &paint_); }
    HDC dc() const { return dc_; }
    Paint(const Paint&) = delete;
    Paint& operator=(const Paint&) = delete;

private:
    HWND window_;
    HDC dc_;
    PAINTSTRUCT paint_;
};

} // namespace gdi
