#pragma once
// Input as a user gives it: the cursor moved over the window and the buttons and keys sent
// through the system's input queue (SendInput), so hit testing, focus, capture, double-click
// timing and the keyboard layout's Unicode path are those of a real session. The window's
// top-level window is brought to the front first; each step pumps until its messages are in.

#include "GuiHarness.h"

#include <windows.h>

#include <string>
#include <vector>

namespace real_input {

// Dispatches what is waiting as a Unicode loop does: characters beyond the code page arrive whole.
inline void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

inline void BringToFront(HWND window) {
    HWND top = GetAncestor(window, GA_ROOT);
    SetForegroundWindow(top);
    SetActiveWindow(top);
    Pump();
}

inline void Send(INPUT input) {
    SendInput(1, &input, sizeof input);
    Pump();
}

// Moves the cursor to (x, y) of `window`'s client area.
inline void MoveTo(HWND window, int x, int y) {
    BringToFront(window);
    POINT point = {x, y};
    ClientToScreen(window, &point);
    SetCursorPos(point.x, point.y);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = static_cast<LONG>((point.x * 65535LL) / (GetSystemMetrics(SM_CXSCREEN) - 1));
    input.mi.dy = static_cast<LONG>((point.y * 65535LL) / (GetSystemMetrics(SM_CYSCREEN) - 1));
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    Send(input);
}

inline void Button(DWORD flag) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flag;
    Send(input);
}

inline void Click(HWND window, int x, int y) {
    MoveTo(window, x, y);
    Button(MOUSEEVENTF_LEFTDOWN);
    Button(MOUSEEVENTF_LEFTUP);
}

inline void DoubleClick(HWND window, int x, int y) {
    MoveTo(window, x, y);
    for (int i = 0; i < 2; ++i) {
        Button(MOUSEEVENTF_LEFTDOWN);
        Button(MOUSEEVENTF_LEFTUP);
    }
}

// Clicks the middle of a child window (a button, for instance).
inline void ClickCentre(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    Click(window, client.right / 2, client.bottom / 2);
}

inline void Key(WORD virtualKey) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    Send(input);
    input.ki.dwFlags = KEYEVENTF_KEYUP;
    Send(input);
}

// A dialog with the title of `dialog` still open `limit` milliseconds from now (the same one, or
// one shown again because the input was refused) is cancelled, and so is every later one until
// none is open, so input that never arrives fails the test instead of hanging it.
inline void CancelIfLeftOpen(HWND dialog, UINT limit = 10000) {
    static wchar_t title[128];
    GetWindowTextW(dialog, title, 128);
    SetTimer(nullptr, 0, limit, [](HWND, UINT, UINT_PTR timer, DWORD) {
        if (HWND open = FindWindowW(L"#32770", title))
            PostMessageW(open, WM_COMMAND, IDCANCEL, 0);
        else
            KillTimer(nullptr, timer);
    });
}

// Types `text` (UTF-16) into an edit control of a modal dialog and ends with `endKey` (Enter:
// the default button), as a user whose input method delivers every character: the box is
// focused with its text selected, then the characters and the key go through the system's
// input queue and the dialog's own loop, once the caller returns to it.
inline void TypeIntoDialog(HWND dialog, HWND edit, const std::wstring& text, WORD endKey = VK_RETURN) {
    BringToFront(dialog);
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    CancelIfLeftOpen(dialog);
    std::vector<INPUT> keys;
    for (wchar_t unit : text) {
        INPUT key = {};
        key.type = INPUT_KEYBOARD;
        key.ki.wScan = static_cast<WORD>(unit);
        key.ki.dwFlags = KEYEVENTF_UNICODE;
        keys.push_back(key);
        key.ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        keys.push_back(key);
    }
    INPUT key = {};
    key.type = INPUT_KEYBOARD;
    key.ki.wVk = endKey;
    keys.push_back(key);
    key.ki.dwFlags = KEYEVENTF_KEYUP;
    keys.push_back(key);
    SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
}

} // namespace real_input
