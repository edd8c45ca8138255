#pragma once
// The rule every skinned window procedure follows: the object arrives with WM_CREATE (or the
// class constructs its default one), lives in GWLP_USERDATA and goes with WM_NCDESTROY; every
// message, WM_CREATE included, goes to the object's handler if there is an object.

#include <windows.h>

#include <new>

namespace skin {

struct WindowRule {
    bool focusOnClick = false;    // take the keyboard focus on a left click
    bool passCreate = true;       // WM_CREATE reaches the handler
    bool defaultOnDestroy = true; // WM_NCDESTROY runs the default procedure
};

template <typename Object> Object* ObjectOf(HWND window) {
    return reinterpret_cast<Object*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// Records the window's identity in a freshly attached object.
template <typename Object> void AttachObject(HWND window, Object* object) {
    RECT client = {};
    GetClientRect(window, &client);
    object->window = window;
    object->id = GetDlgCtrlID(window);
    object->width = client.right;
    object->height = client.bottom;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
}

// `Handle(object, window, message, wParam, lParam)` is the object's handler; `Destroy(object)`
// frees it.
template <typename Object, typename Handler, typename Destroyer>
LRESULT RunWindowRule(const WindowRule& rule, HWND window, UINT message, WPARAM wParam, LPARAM lParam, Handler handle,
                      Destroyer destroy) {
    try {
        if (message == WM_CREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
            auto* object = static_cast<Object*>(create->lpCreateParams);
            if (!object)
                object = new (std::nothrow) Object();
            if (!object)
                return 0;
            AttachObject(window, object);
            if (!rule.passCreate)
                return 0;
            return handle(object, window, message, wParam, lParam);
        }
        Object* object = ObjectOf<Object>(window);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            if (object)
                destroy(object);
            if (rule.defaultOnDestroy)
                DefWindowProcA(window, message, wParam, lParam);
            return 0;
        }
        if (message == WM_LBUTTONDOWN && rule.focusOnClick)
            SetFocus(window);
        if (object)
            return handle(object, window, message, wParam, lParam);
    } catch (...) {
        // Nothing may leave a window procedure; the message counts as handled.
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace skin
