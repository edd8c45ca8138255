#include "GuiHarness.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <utility>

#ifndef VORTIFLUX_REFERENCE_DIR
#define VORTIFLUX_REFERENCE_DIR "references"
#endif

namespace gui {

// ---- Event log ----

std::vector<Event> EventLog::Commands(int id) const {
    std::vector<Event> found;
    for (const Event& event : events_)
        if (event.kind == Event::Command && (id < 0 || static_cast<int>(event.id) == id))
            found.push_back(event);
    return found;
}

int EventLog::TimerIndex(HWND window, UINT_PTR id) const {
    for (size_t i = 0; i < events_.size(); ++i)
        if (events_[i].kind == Event::Timer && events_[i].window == window && events_[i].id == id)
            return static_cast<int>(i);
    return -1;
}

int EventLog::CommandIndex(int id, int n) const {
    for (size_t i = 0; i < events_.size(); ++i)
        if (events_[i].kind == Event::Command && static_cast<int>(events_[i].id) == id && n-- == 0)
            return static_cast<int>(i);
    return -1;
}

EventLog& Log() {
    static EventLog log;
    return log;
}

// ---- Pumping ----

namespace {

std::map<std::pair<HWND, UINT_PTR>, int> timersFired;

bool DispatchOne() {
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        return false;
    if (message.message == WM_TIMER && message.hwnd) {
        Log().Add({Event::Timer, message.hwnd, message.wParam, 0, 0});
        ++timersFired[{message.hwnd, message.wParam}];
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return true;
}

} // namespace

void Pump() {
    // Twice: handling a message often posts the next one.
    for (int round = 0; round < 2; ++round)
        while (DispatchOne()) {
        }
}

bool PumpUntil(const std::function<bool()>& done, DWORD limitMilliseconds) {
    const DWORD start = GetTickCount();
    Pump();
    while (!done()) {
        if (GetTickCount() - start > limitMilliseconds)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        Pump();
    }
    return true;
}

bool PumpPastTimer(HWND window, UINT_PTR id, DWORD limitMilliseconds) {
    const int before = timersFired[{window, id}];
    const bool fired = PumpUntil([&] { return timersFired[{window, id}] > before; }, limitMilliseconds);
    Pump();
    return fired;
}

// ---- Test parent ----

namespace {

LRESULT CALLBACK TestParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        Log().Add({Event::Command, window, LOWORD(wParam), HIWORD(wParam), lParam});
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORBTN:
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return static_cast<LRESULT>(GetClassLongPtrA(window, GCLP_HBRBACKGROUND));
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

HWND CreateTestParent(const char* title, int x, int y, int width, int height) {
    static HBRUSH background = CreateSolidBrush(RGB(232, 232, 232));
    static bool registered = false;
    if (!registered) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = TestParentProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.hbrBackground = background;
        windowClass.lpszClassName = "Vortiflux Test Parent";
        registered = RegisterClassA(&windowClass) != 0;
    }
    // A pop-up without frame, so captures do not depend on how the system draws captions.
    HWND window = CreateWindowExA(WS_EX_TOPMOST, "Vortiflux Test Parent", title, WS_POPUP | WS_VISIBLE, x, y, width,
                                  height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetForegroundWindow(window);
    Pump();
    return window;
}

HWND SharedTestParent() {
    static HWND parent = nullptr;
    if (!IsWindow(parent))
        parent = CreateTestParent("Skinned controls", 40, 40, 600, 340);
    return parent;
}

void ClearTestParent(HWND parent) {
    std::vector<HWND> doomed = {parent};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM list) {
            auto* windows = reinterpret_cast<std::vector<HWND>*>(list);
            if (GetWindow(window, GW_OWNER) == windows->front())
                windows->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&doomed));
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        doomed.push_back(child);
    for (size_t i = 1; i < doomed.size(); ++i)
        if (IsWindow(doomed[i]))
            DestroyWindow(doomed[i]);
    Pump();
}

// ---- Input ----

namespace {

LPARAM Point(int x, int y) {
    return MAKELPARAM(static_cast<short>(x), static_cast<short>(y));
}

} // namespace

void MouseDown(HWND window, int x, int y) {
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, Point(x, y));
    Pump();
}

void MouseMove(HWND window, int x, int y, bool leftButton) {
    // With the capture taken, the move goes where the system would send it.
    HWND target = GetCapture() ? GetCapture() : window;
    if (target != window) {
        POINT point = {x, y};
        MapWindowPoints(window, target, &point, 1);
        x = point.x;
        y = point.y;
    }
    PostMessageA(target, WM_MOUSEMOVE, leftButton ? MK_LBUTTON : 0, Point(x, y));
    Pump();
}

void MouseUp(HWND window, int x, int y) {
    HWND target = GetCapture() ? GetCapture() : window;
    if (target != window) {
        POINT point = {x, y};
        MapWindowPoints(window, target, &point, 1);
        x = point.x;
        y = point.y;
    }
    PostMessageA(target, WM_LBUTTONUP, 0, Point(x, y));
    Pump();
}

void Click(HWND window, int x, int y) {
    MouseDown(window, x, y);
    MouseUp(window, x, y);
}

void DoubleClick(HWND window, int x, int y) {
    // The sequence the system produces for a class with CS_DBLCLKS, posted at once so that no
    // timer can come between.
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, Point(x, y));
    PostMessageA(window, WM_LBUTTONUP, 0, Point(x, y));
    PostMessageA(window, WM_LBUTTONDBLCLK, MK_LBUTTON, Point(x, y));
    PostMessageA(window, WM_LBUTTONUP, 0, Point(x, y));
    Pump();
}

void RightClick(HWND window, int x, int y) {
    PostMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, Point(x, y));
    PostMessageA(window, WM_RBUTTONUP, 0, Point(x, y));
    Pump();
}

void TypeText(HWND edit, const char* text) {
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    for (const char* c = text; *c; ++c)
        PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(*c), 1);
    Pump();
}

void PressKey(WORD virtualKey, HWND dialog) {
    HWND focus = GetFocus();
    if (!focus)
        return;
    MSG keys[2] = {{focus, WM_KEYDOWN, virtualKey, 1, GetTickCount(), {}},
                   {focus, WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001), GetTickCount(), {}}};
    for (MSG& key : keys) {
        if (dialog && IsDialogMessageA(dialog, &key))
            continue;
        TranslateMessage(&key);
        DispatchMessageA(&key);
    }
    Pump();
}

// ---- Real input ----

namespace {

struct Press {
    bool known = false;
    bool right = false;
    POINT at = {};
    DWORD time = 0;
};
Press lastPress;
// Keys a test holds down (KeyState).
std::vector<WORD> heldKeys;

void SendKey(WORD virtualKey, bool down) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof input);
}

void Foreground(HWND window) {
    HWND top = GetAncestor(window, GA_ROOT);
    if (top && GetForegroundWindow() != top) {
        SetForegroundWindow(top);
        Pump();
    }
}

POINT OnScreen(HWND window, int x, int y) {
    POINT point = {x, y};
    ClientToScreen(window, &point);
    return point;
}

void MoveCursor(POINT target) {
    const LONGLONG left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const LONGLONG width = std::max(1, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    const LONGLONG height = std::max(1, GetSystemMetrics(SM_CYVIRTUALSCREEN));
    INPUT input = {};
    input.type = INPUT_MOUSE;
    // The system maps 0 ... 65535 onto the virtual screen as left + dx * width / 65536: the
    // smallest dx that lands on the pixel.
    input.mi.dx = static_cast<LONG>((((target.x - left) << 16) + width - 1) / width);
    input.mi.dy = static_cast<LONG>((((target.y - top) << 16) + height - 1) / height);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
    SendInput(1, &input, sizeof input);
    PumpUntil(
        [&] {
            POINT now = {};
            GetCursorPos(&now);
            return now.x == target.x && now.y == target.y;
        },
        2000);
    Pump();
    // Under Wine the display's own report of the move carries its keyboard state, in which no
    // key of ours is down: a held key repeats, as a real keyboard's does.
    for (WORD key : heldKeys)
        SendKey(key, true);
    Pump();
}

void Button(bool right, bool down) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = right ? (down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP)
                             : (down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP);
    SendInput(1, &input, sizeof input);
    Pump();
}

// A press where the last one was, within the double-click time, would be taken for the second
// half of a double click.
void WaitOutDoubleClick(POINT at, bool right) {
    if (!lastPress.known || lastPress.right != right)
        return;
    if (std::abs(at.x - lastPress.at.x) > GetSystemMetrics(SM_CXDOUBLECLK) ||
        std::abs(at.y - lastPress.at.y) > GetSystemMetrics(SM_CYDOUBLECLK))
        return;
    const DWORD wait = GetDoubleClickTime() + 50;
    while (GetTickCount() - lastPress.time < wait) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        Pump();
    }
}

void PressAt(HWND window, int x, int y, bool right, bool mayDouble) {
    Foreground(window);
    const POINT at = OnScreen(window, x, y);
    if (!mayDouble)
        WaitOutDoubleClick(at, right);
    MoveCursor(at);
    Button(right, true);
    lastPress = {true, right, at, GetTickCount()};
}

} // namespace

void PointerMove(HWND window, int x, int y) {
    Foreground(window);
    MoveCursor(OnScreen(window, x, y));
}

void PointerDown(HWND window, int x, int y, bool right) {
    PressAt(window, x, y, right, false);
}

void PointerUp(HWND window, int x, int y, bool right) {
    MoveCursor(OnScreen(window, x, y));
    Button(right, false);
}

void PointerClick(HWND window, int x, int y, bool right) {
    PointerDown(window, x, y, right);
    PointerUp(window, x, y, right);
}

void PointerDoubleClick(HWND window, int x, int y) {
    PressAt(window, x, y, false, false);
    Button(false, false);
    PressAt(window, x, y, false, true);
    Button(false, false);
    // A third press there would make another double click.
    lastPress.time = GetTickCount();
}

void PointerDrag(HWND window, int x0, int y0, int x1, int y1, bool right, int steps, HWND to) {
    PointerDown(window, x0, y0, right);
    HWND end = to ? to : window;
    const POINT from = OnScreen(window, x0, y0), target = OnScreen(end, x1, y1);
    steps = std::max(1, steps);
    for (int i = 1; i <= steps; ++i)
        MoveCursor({from.x + (target.x - from.x) * i / steps, from.y + (target.y - from.y) * i / steps});
    Button(right, false);
}

void ParkPointer() {
    MoveCursor({GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN) - 1,
                GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN) - 1});
}

void KeyState(WORD virtualKey, bool down) {
    heldKeys.erase(std::remove(heldKeys.begin(), heldKeys.end(), virtualKey), heldKeys.end());
    if (down)
        heldKeys.push_back(virtualKey);
    SendKey(virtualKey, down);
    Pump();
}

namespace {

std::string awaitedTitle;
std::function<void(HWND)> awaitedAction;
bool awaitedDone = false;
UINT_PTR awaitTimer = 0;

BOOL CALLBACK FindTitled(HWND window, LPARAM found) {
    char title[128] = {};
    GetWindowTextA(window, title, sizeof title);
    if (IsWindowVisible(window) && awaitedTitle == title) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK AwaitWindow(HWND, UINT, UINT_PTR, DWORD) {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindTitled, reinterpret_cast<LPARAM>(&found));
    if (!found)
        return;
    KillTimer(nullptr, awaitTimer);
    awaitTimer = 0;
    auto action = std::move(awaitedAction);
    awaitedAction = nullptr;
    action(found);
    awaitedDone = true;
}

} // namespace

void WhenWindowAppears(const char* title, std::function<void(HWND)> action) {
    awaitedTitle = title;
    awaitedAction = std::move(action);
    awaitedDone = false;
    if (awaitTimer)
        KillTimer(nullptr, awaitTimer);
    awaitTimer = SetTimer(nullptr, 0, 20, AwaitWindow);
}

bool WindowActionDone() {
    return awaitedDone;
}

// ---- Capture ----

namespace {

Image GrabScreen(const RECT& area) {
    Image image;
    image.width = area.right - area.left;
    image.height = area.bottom - area.top;
    if (image.width <= 0 || image.height <= 0)
        return image;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP section = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(memory, section);
    BitBlt(memory, 0, 0, image.width, image.height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    image.rgb.resize(static_cast<size_t>(image.width) * image.height * 3);
    const auto* source = static_cast<const uint8_t*>(bits);
    for (size_t i = 0; i < static_cast<size_t>(image.width) * image.height; ++i) {
        image.rgb[i * 3 + 0] = source[i * 4 + 2];
        image.rgb[i * 3 + 1] = source[i * 4 + 1];
        image.rgb[i * 3 + 2] = source[i * 4 + 0];
    }
    SelectObject(memory, previous);
    DeleteDC(memory);
    DeleteObject(section);
    ReleaseDC(nullptr, screen);
    return image;
}

} // namespace

Image CaptureWindow(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
    GdiFlush();
    RECT area = {};
    GetWindowRect(window, &area);
    // The display shows a repaint a little later than the window has drawn it: take pictures
    // until two in a row agree.
    Image last = GrabScreen(area);
    for (int attempt = 0; attempt < 20; ++attempt) {
        Sleep(30);
        Pump();
        Image next = GrabScreen(area);
        if (next.rgb == last.rgb)
            return next;
        last = std::move(next);
    }
    return last;
}

// ---- PNG ----
// The harness writes PNG files itself: 8-bit RGB, no interlace, the image data in stored
// (uncompressed) deflate blocks. It reads what it writes, plus all five row filters.

namespace {

uint32_t Crc(const uint8_t* data, size_t size, uint32_t crc = 0) {
    static uint32_t table[256];
    static bool ready = false;
    if (!ready) {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        ready = true;
    }
    crc = ~crc;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(v >> shift));
}

uint32_t Get32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

void Chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    Put32(out, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    Put32(out, Crc(body.data(), body.size()));
}

uint8_t Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return static_cast<uint8_t>(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

} // namespace

bool WritePng(const std::string& path, const Image& image) {
    std::vector<uint8_t> raw;
    const size_t stride = static_cast<size_t>(image.width) * 3;
    for (int y = 0; y < image.height; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), image.rgb.begin() + y * stride, image.rgb.begin() + (y + 1) * stride);
    }
    std::vector<uint8_t> zlib = {0x78, 0x01};
    size_t offset = 0;
    do {
        const size_t block = raw.size() - offset < 65535 ? raw.size() - offset : 65535;
        zlib.push_back(offset + block == raw.size() ? 1 : 0);
        zlib.push_back(static_cast<uint8_t>(block));
        zlib.push_back(static_cast<uint8_t>(block >> 8));
        zlib.push_back(static_cast<uint8_t>(~block));
        zlib.push_back(static_cast<uint8_t>(~block >> 8));
        zlib.insert(zlib.end(), raw.begin() + offset, raw.begin() + offset + block);
        offset += block;
    } while (offset < raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    Put32(zlib, (b << 16) | a);
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    Put32(header, static_cast<uint32_t>(image.width));
    Put32(header, static_cast<uint32_t>(image.height));
    header.insert(header.end(), {8, 2, 0, 0, 0});
    Chunk(out, "IHDR", header);
    Chunk(out, "IDAT", zlib);
    Chunk(out, "IEND", {});
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && written;
}

bool ReadPng(const std::string& path, Image* image) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    std::vector<uint8_t> data;
    uint8_t buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        data.insert(data.end(), buffer, buffer + got);
    std::fclose(file);
    if (data.size() < 8 || std::memcmp(data.data(), "\x89PNG\r\n\x1a\n", 8) != 0)
        return false;
    std::vector<uint8_t> zlib;
    int width = 0, height = 0;
    for (size_t at = 8; at + 12 <= data.size();) {
        const uint32_t length = Get32(&data[at]);
        if (at + 12 + length > data.size())
            return false;
        const uint8_t* type = &data[at + 4];
        const uint8_t* body = &data[at + 8];
        if (std::memcmp(type, "IHDR", 4) == 0) {
            if (length < 13 || body[8] != 8 || body[9] != 2 || body[12] != 0)
                return false;
            width = static_cast<int>(Get32(body));
            height = static_cast<int>(Get32(body + 4));
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            zlib.insert(zlib.end(), body, body + length);
        }
        at += 12 + length;
    }
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384 || zlib.size() < 2)
        return false;
    std::vector<uint8_t> raw;
    for (size_t at = 2;;) {
        if (at + 5 > zlib.size())
            return false;
        const uint8_t flags = zlib[at];
        if ((flags & 6) != 0)
            return false; // compressed blocks are not ours
        const size_t block = zlib[at + 1] | (zlib[at + 2] << 8);
        if (at + 5 + block > zlib.size())
            return false;
        raw.insert(raw.end(), zlib.begin() + at + 5, zlib.begin() + at + 5 + block);
        at += 5 + block;
        if (flags & 1)
            break;
    }
    const size_t stride = static_cast<size_t>(width) * 3;
    if (raw.size() < (stride + 1) * height)
        return false;
    image->width = width;
    image->height = height;
    image->rgb.assign(stride * height, 0);
    for (int y = 0; y < height; ++y) {
        const uint8_t filter = raw[y * (stride + 1)];
        const uint8_t* in = &raw[y * (stride + 1) + 1];
        uint8_t* out = image->rgb.data() + y * stride;
        const uint8_t* up = y > 0 ? out - stride : nullptr;
        for (size_t i = 0; i < stride; ++i) {
            const int a = i >= 3 ? out[i - 3] : 0;
            const int b = up ? up[i] : 0;
            const int c = up && i >= 3 ? up[i - 3] : 0;
            int predicted = 0;
            switch (filter) {
            case 0:
                predicted = 0;
                break;
            case 1:
                predicted = a;
                break;
            case 2:
                predicted = b;
                break;
            case 3:
                predicted = (a + b) / 2;
                break;
            case 4:
                predicted = Paeth(a, b, c);
                break;
            default:
                return false;
            }
            out[i] = static_cast<uint8_t>(in[i] + predicted);
        }
    }
    return true;
}

std::string ScreenshotFolder() {
    const char* folder = std::getenv("VORTIFLUX_SCREENSHOTS");
    std::string path = folder && *folder ? folder : "screenshots";
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

std::string ReferenceFolder() {
    return VORTIFLUX_REFERENCE_DIR;
}

Comparison CompareImages(const std::string& name, const Image& image, const Image& expected, int channelTolerance,
                         int pixelAllowance) {
    Comparison result;
    if (expected.width != image.width || expected.height != image.height) {
        result.message = name + ": size " + std::to_string(image.width) + "x" + std::to_string(image.height) +
                         ", reference " + std::to_string(expected.width) + "x" + std::to_string(expected.height);
    } else {
        int differing = 0, worst = 0, firstX = -1, firstY = -1;
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x) {
                int largest = 0;
                for (int c = 0; c < 3; ++c) {
                    const int d = std::abs(image.at(x, y)[c] - expected.at(x, y)[c]);
                    if (d > largest)
                        largest = d;
                }
                if (largest > channelTolerance) {
                    if (differing++ == 0) {
                        firstX = x;
                        firstY = y;
                    }
                }
                if (largest > worst)
                    worst = largest;
            }
        result.matches = differing <= pixelAllowance;
        result.message = name + ": " + std::to_string(differing) + " pixels differ by more than " +
                         std::to_string(channelTolerance) + " (allowed " + std::to_string(pixelAllowance) +
                         "), largest difference " + std::to_string(worst) +
                         (differing ? ", first at " + std::to_string(firstX) + "," + std::to_string(firstY) : "");
    }
    return result;
}

Comparison CheckScreenshot(const std::string& name, const Image& image, int channelTolerance, int pixelAllowance) {
    Comparison result;
    const std::string shot = ScreenshotFolder() + "/" + name + ".png";
    const std::string reference = ReferenceFolder() + "/" + name + ".png";
    if (!WritePng(shot, image)) {
        result.message = "cannot write " + shot;
        return result;
    }
    const char* update = std::getenv("VORTIFLUX_UPDATE_REFERENCES");
    const bool updating = update && std::strcmp(update, "1") == 0;
    Image expected;
    if (!ReadPng(reference, &expected)) {
        if (updating && WritePng(reference, image)) {
            result.matches = true;
            result.message = "reference written: " + reference;
        } else {
            result.message = "no reference " + reference + " (run with VORTIFLUX_UPDATE_REFERENCES=1 to create it)";
        }
        return result;
    }
    result = CompareImages(name, image, expected, channelTolerance, pixelAllowance);
    if (!result.matches && updating && WritePng(reference, image)) {
        result.matches = true;
        result.message += " - reference rewritten";
    }
    return result;
}

} // namespace gui
