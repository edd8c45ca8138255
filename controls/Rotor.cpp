// "Rotor CPP": a sphere lit from a direction given by two angles (azimuth around the centre,
// elevation 90 at the centre and 0 on the rim), edited by dragging a crosshair over it. The
// parameter panel uses it for a position in the square -100 ... 100.
#include "controls/GdiObjects.h"
#include "controls/SkinControls.h"
#include "controls/SkinResources.h"
#include "controls/WindowRule.h"

#include <cmath>
#include <cstdio>
#include <initializer_list>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegrees = 180.0 / kPi;
// Width of the rim over which the sphere fades into the background.
constexpr double kRimFade = 11.0;
// The skin's background grey, into which the sphere's rim fades.
constexpr double kBackground = 232.0;

// cos of the azimuth folded into 0 ... 45 degrees: the factor that maps the square onto the disc.
double FoldFactor(double azimuth) {
    double f = std::fmod(std::fabs(azimuth), 90.0);
    if (f > 45.0)
        f = 90.0 - f;
    return std::cos(f / kDegrees);
}

void Notify(TRotor* r, bool post) {
    HWND parent = GetParent(r->window);
    if (post)
        PostMessageA(parent, WM_COMMAND, static_cast<WORD>(r->id), 0);
    else
        SendMessageA(parent, WM_COMMAND, static_cast<WORD>(r->id), 0);
}

void WriteField(HWND field, float v) {
    if (!field)
        return;
    // "-0.00" would suggest a direction the value does not have.
    if (v <= 0.0f && v > -0.0001f)
        v = 0.0f;
    char text[32];
    std::snprintf(text, sizeof text, "%0.2f", v);
    SetWindowTextA(field, text);
}

uint8_t Channel(double v) {
    return static_cast<uint8_t>(v < 0.0 ? 0.0 : v > 255.0 ? 255.0 : v);
}

// The texture at (u, v) in texels, bilinear: the disc is larger than the texture, and nearest
// sampling would show its texels as blocks.
void SampleTexture(double u, double v, double colour[3]) {
    constexpr int last = kRotorTextureSize - 1;
    u = u < 0.0 ? 0.0 : u > last ? last : u;
    v = v < 0.0 ? 0.0 : v > last ? last : v;
    const int u0 = static_cast<int>(u), v0 = static_cast<int>(v);
    const int u1 = u0 < last ? u0 + 1 : last, v1 = v0 < last ? v0 + 1 : last;
    const double fu = u - u0, fv = v - v0;
    const uint8_t* t00 = rotorTexture + (v0 * kRotorTextureSize + u0) * 3;
    const uint8_t* t01 = rotorTexture + (v0 * kRotorTextureSize + u1) * 3;
    const uint8_t* t10 = rotorTexture + (v1 * kRotorTextureSize + u0) * 3;
    const uint8_t* t11 = rotorTexture + (v1 * kRotorTextureSize + u1) * 3;
    for (int i = 0; i < 3; ++i) {
        const double top = t00[i] + (t01[i] - t00[i]) * fu;
        const double bottom = t10[i] + (t11[i] - t10[i]) * fu;
        colour[i] = top + (bottom - top) * fv;
    }
}

void PaintSphere(const TRotor* r, uint8_t* bits) {
    const int width = r->width;
    const int height = r->height;
    const int radius = width / 2 < height / 2 ? width / 2 : height / 2;
    const double az = r->azimuth / kDegrees;
    const double el = r->elevation / kDegrees;
    double lx = std::cos(el) * std::cos(az), ly = std::cos(el) * std::sin(az), lz = std::sin(el);
    double length = std::sqrt(lx * lx + ly * ly + lz * lz);
    if (length == 0.0)
        length = 1.0;
    lx /= length;
    ly /= length;
    lz /= length;
    const int cx = r->centreX;
    const int cy = r->centreY;
    const double r2 = static_cast<double>(radius) * radius;
    for (int py = 0; py < height; ++py) {
        uint8_t* row = bits + static_cast<size_t>(py) * width * 4;
        for (int px = 0; px < width; ++px) {
            uint8_t* pixel = row + px * 4;
            pixel[0] = pixel[1] = pixel[2] = static_cast<uint8_t>(kBackground);
            pixel[3] = 0;
            const int x = px - cx;
            const int y = py - cy;
            const double d2 = static_cast<double>(x) * x + static_cast<double>(y) * y;
            if (radius <= 0 || d2 > r2)
                continue;
            const double z = std::sqrt(r2 - d2);
            double s = (x * lx - y * ly + z * lz) / radius;
            if (s < 0.0)
                s = 0.0;
            const double d = s * s * s;
            const double d2p = d * d;
            // A disabled rotor is not lit: no highlight follows the crosshair.
            const double h = !r->enabled ? 0.0 : r->visualState ? d2p * d2p : d2p * d2p * d2p;
            double colour[3];
            if (rotorTexture) {
                const double half = kRotorTextureSize / 2.0;
                SampleTexture(half + x * half / radius - 0.5, half + y * half / radius - 0.5, colour);
            } else {
                // Without a texture the sphere is grey, brighter towards the light.
                const double grey = 205.0 * s + 50.0;
                colour[0] = colour[1] = colour[2] = grey;
            }
            if (!r->enabled) {
                // Disabled: the sphere's own brightness only, faded towards the background.
                const double grey = 0.3 * colour[0] + 0.59 * colour[1] + 0.11 * colour[2];
                for (double& c : colour)
                    c = grey * 0.45 + kBackground * 0.55;
            }
            double blend = z >= kRimFade ? 1.0 : z / kRimFade;
            for (int i = 0; i < 3; ++i) {
                const double lit = colour[i] * (1.0 - h) + 255.0 * h;
                colour[i] = lit * blend + kBackground * (1.0 - blend);
            }
            pixel[0] = Channel(colour[2]);
            pixel[1] = Channel(colour[1]);
            pixel[2] = Channel(colour[0]);
        }
    }
}

void PaintRotor(TRotor* r, HDC target) {
    void* bits = nullptr;
    HBITMAP section = gdi::CreateDibSection(r->width, r->height, &bits);
    if (!section || !bits) {
        gdi::Delete(section);
        return;
    }
    PaintSphere(r, static_cast<uint8_t*>(bits));
    {
        gdi::BitmapSource canvas(target, section);
        HDC dc = canvas.dc();
        GdiFlush();
        if (r->showPosition) {
            const int radius = r->width / 2 < r->height / 2 ? r->width / 2 : r->height / 2;
            const double rho = 0.99 * radius * std::cos(r->elevation / kDegrees);
            const int x = static_cast<int>(r->centreX + rho * std::cos(-r->azimuth / kDegrees) + 0.5);
            const int y = static_cast<int>(r->centreY + rho * std::sin(-r->azimuth / kDegrees) + 0.5);
            HPEN grey = r->enabled ? nullptr : gdi::CreatePen(PS_SOLID, 1, RGB(127, 127, 127));
            {
                gdi::Selection pen(dc, grey ? static_cast<HGDIOBJ>(grey) : GetStockObject(BLACK_PEN));
                MoveToEx(dc, x - 3, y, nullptr);
                LineTo(dc, x + 4, y);
                MoveToEx(dc, x, y - 3, nullptr);
                LineTo(dc, x, y + 4);
            }
            gdi::Delete(grey);
        }
        BitBlt(target, 0, 0, r->width, r->height, dc, 0, 0, SRCCOPY);
    }
    gdi::Delete(section);
}

void TakeAngles(TRotor* r, int px, int py) {
    float azimuth = r->azimuth;
    float elevation = r->elevation;
    RotorAnglesAt(r, px, py, &azimuth, &elevation);
    r->previousRawAngle = r->rawAngle;
    r->rawAngle = azimuth;
    r->azimuth = azimuth;
    r->elevation = elevation;
}

void SetHover(TRotor* r, bool hover) {
    r->visualState = hover ? 1 : 0;
}

// The end of a click or drag: the parent hears of it when the click timer fires, unless a
// double click comes first.
void EndDrag(TRotor* r, HWND window) {
    if (!SetTimer(window, kClickTimer, kClickDelay, nullptr))
        Notify(r, false);
}

void PressAt(TRotor* r, HWND window, int x, int y) {
    r->doubleClicked = 0;
    r->pressed = 1;
    SetHover(r, true);
    SetCapture(window);
    TakeAngles(r, x, y);
    UpdateRotorFields(r);
    InvalidateRect(window, nullptr, FALSE);
}

void MoveTo(TRotor* r, HWND window, WPARAM wParam, int x, int y) {
    if (r->pressed) {
        TakeAngles(r, x, y);
        InvalidateRect(window, nullptr, FALSE);
        UpdateRotorFields(r);
        if (r->notifyWhileDragging)
            Notify(r, true);
        return;
    }
    // A button held since a press elsewhere belongs to that press: the rotor neither takes
    // angles from it nor the mouse.
    if (wParam & MK_LBUTTON)
        return;
    if (!r->enabled) {
        SetHover(r, false);
    } else {
        const double dx = x - r->centreX, dy = y - r->centreY;
        if (dx * dx + dy * dy > (r->width / 2.0) * (r->width / 2.0)) {
            SetHover(r, false);
            if (GetCapture() == window)
                ReleaseCapture();
        } else if (!r->visualState) {
            SetCapture(window);
            SetHover(r, true);
        }
    }
    InvalidateRect(window, nullptr, FALSE);
}

void Release(TRotor* r, HWND window) {
    // Only a press that began on the rotor ends in a notification.
    const bool pressed = r->pressed != 0;
    r->pressed = 0;
    SetHover(r, false);
    if (GetCapture() == window)
        ReleaseCapture();
    if (pressed)
        EndDrag(r, window);
    InvalidateRect(window, nullptr, FALSE);
}

// Another window took the mouse during a drag: the drag ends where it was.
void LoseMouse(TRotor* r, HWND window, HWND taker) {
    if (!r->pressed || taker == window)
        return;
    r->pressed = 0;
    SetHover(r, false);
    EndDrag(r, window);
    InvalidateRect(window, nullptr, FALSE);
}

void ResetByDoubleClick(TRotor* r) {
    r->doubleClicked = 1;
    if (r->showPosition)
        SetRotorPosition(r, r->defaultX, -r->defaultY);
    else
        SetRotorAngles(r, r->defaultX, r->defaultY);
    Notify(r, false);
}

void Enable(TRotor* r, HWND window, bool enable) {
    r->enabled = enable ? 1 : 0;
    if (!enable) {
        SetHover(r, false);
        r->pressed = 0;
    }
    for (HWND field : {r->field1, r->field2, r->field3})
        if (field)
            EnableWindow(field, r->enabled);
    InvalidateRect(window, nullptr, FALSE);
}

LRESULT HandleRotor(TRotor* r, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const int x = static_cast<short>(LOWORD(lParam));
    const int y = static_cast<short>(HIWORD(lParam));
    switch (message) {
    case WM_CREATE:
        r->centreX = r->width / 2;
        r->centreY = r->height / 2;
        return 0;
    case WM_SIZE:
        r->width = LOWORD(lParam);
        r->height = HIWORD(lParam);
        r->centreX = r->width / 2;
        r->centreY = r->height / 2;
        return 0;
    case WM_PAINT: {
        gdi::Paint paint(window);
        PaintRotor(r, paint.dc());
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
        PressAt(r, window, x, y);
        return 0;
    case WM_MOUSEMOVE:
        MoveTo(r, window, wParam, x, y);
        return 0;
    case WM_LBUTTONUP:
        Release(r, window);
        return 0;
    case WM_CAPTURECHANGED:
        LoseMouse(r, window, reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_TIMER:
        if (wParam != kClickTimer)
            break;
        KillTimer(window, kClickTimer);
        if (!r->doubleClicked)
            Notify(r, false);
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_LBUTTONDBLCLK:
        ResetByDoubleClick(r);
        return 0;
    case WM_RBUTTONDOWN:
        r->pressed = 0;
        SetHover(r, false);
        if (GetCapture() == window)
            ReleaseCapture();
        SetValueDialog(r);
        return 0;
    case WM_ENABLE:
        Enable(r, window, wParam != 0);
        return 0;
    case WM_DESTROY:
        KillTimer(window, kClickTimer);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

TRotor::~TRotor() = default;

void RotorAnglesAt(const TRotor* r, int px, int py, float* azimuth, float* elevation) {
    const double cx = r->width / 2, cy = r->height / 2;
    const double radius = r->width / 2 - 2;
    double d = radius > 0 ? std::sqrt((cx - px) * (cx - px) + (cy - py) * (cy - py)) / radius : 1.0;
    if (d > 1.0)
        d = 1.0;
    *elevation = static_cast<float>(std::acos(d) * kDegrees);
    if (py == cy)
        return;
    double a = std::atan((px - cx) / (py - cy)) * kDegrees - 90.0;
    if (py < cy)
        a += 180.0;
    *azimuth = static_cast<float>(a);
}

void SetRotorPosition(TRotor* r, float x, float y) {
    if (!r)
        return;
    const double theta = std::atan2(-static_cast<double>(y), static_cast<double>(x)) * kDegrees;
    const double k = FoldFactor(theta);
    const double rr = k * std::sqrt(static_cast<double>(x) * x + static_cast<double>(y) * y);
    const double rest = 10000.0 - rr * rr;
    const double elevation = std::atan2(std::sqrt(rest > 0.0 ? rest : 0.0), rr) * kDegrees;
    SetRotorAngles(r, static_cast<float>(theta), static_cast<float>(elevation));
}

void SetRotorAngles(TRotor* r, float azimuth, float elevation) {
    if (!r)
        return;
    r->azimuth = azimuth;
    r->elevation = elevation;
    InvalidateRect(r->window, nullptr, FALSE);
    UpdateRotorFields(r);
}

void RotorPosition(const TRotor* r, float* x, float* y) {
    const double rho = 100.0 * std::cos(r->elevation / kDegrees);
    double px = rho * std::cos(r->azimuth / kDegrees);
    double py = rho * std::sin(r->azimuth / kDegrees);
    const double k = FoldFactor(r->azimuth);
    if (k != 0.0) {
        px /= k;
        py /= k;
    }
    *x = static_cast<float>(px);
    *y = static_cast<float>(py);
}

void UpdateRotorFields(TRotor* r) {
    if (!r)
        return;
    float first = r->azimuth, second = r->elevation;
    if (r->showPosition)
        RotorPosition(r, &first, &second);
    WriteField(r->field1, first);
    WriteField(r->field2, second);
}

LRESULT CALLBACK RotorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    static const skin::WindowRule rule{false, true, false};
    return skin::RunWindowRule<TRotor>(rule, window, message, wParam, lParam, HandleRotor, [](TRotor* r) { delete r; });
}
