// "Spin Edit CPP" and "Spin Edit CPP Hor": a number field with up-down arrows and a Mac-style
// slider. The parent is told about committed changes only, and reads `value` from the object.
#include "controls/GdiObjects.h"
#include "controls/SkinControls.h"
#include "controls/SkinResources.h"
#include "controls/WindowRule.h"

#include <commctrl.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <limits>

namespace {

constexpr int kField = 1;
constexpr int kArrows = 2;
constexpr int kSlider = 3;
constexpr int kSliderHeight = 20;
// Sent by a dialog to a field's parent when Escape is pressed in the field.
constexpr WORD kEscapeInField = 27;
// How far a typed number must be from the value to count as a change.
constexpr float kTypingTolerance = 0.01f;

int ArrowWidth(int32_t dpi) {
    return dpi <= 96 ? 20 : dpi < 144 ? 25 : 30;
}

void FormatValue(char* text, size_t size, float v, bool integerMode) {
    if (integerMode)
        std::snprintf(text, size, "%d", static_cast<int>(v));
    else
        std::snprintf(text, size, "%0.2f", v);
}

void NotifyParent(TSpinEdit* s, LPARAM lParam) {
    SendMessageA(GetParent(s->window), WM_COMMAND, static_cast<WORD>(s->id), lParam);
}

HWND CreateArrows(TSpinEdit* s, DWORD style, int x, int y, int cx, int cy) {
    CreateUpDownControlFunction create = UpDownFactory();
    if (!create)
        return nullptr;
    SkinActivation activation;
    return create(style, x, y, cx, cy, s->window, kArrows, SkinModule(), s->edit, static_cast<int>(s->max),
                  static_cast<int>(s->min), static_cast<int>(s->value));
}

void BuildVertical(TSpinEdit* s) {
    const int a = ArrowWidth(screenDpi);
    const int w = s->width;
    const int h = s->height;
    HINSTANCE module = SkinModule();
    s->edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", 0x50801080, 0, 0, w - a, h - kSliderHeight, s->window,
                              reinterpret_cast<HMENU>(kField), module, nullptr);
    if (sharedBoldFont)
        SendMessageA(s->edit, WM_SETFONT, reinterpret_cast<WPARAM>(sharedBoldFont), FALSE);
    s->upDown = CreateArrows(s, 0x50800000, w - a + 1, 0, a, h - kSliderHeight);
    s->slider = CreateWindowExA(WS_EX_STATICEDGE, "Mac Slider CPP", "", 0x50800000, 0, h - kSliderHeight, w,
                                kSliderHeight, s->window, reinterpret_cast<HMENU>(kSlider), module, nullptr);
    s->sliderObject = static_cast<TMacSlider*>(GetControlObject(s->slider, "Mac Slider CPP"));
    if (s->sliderObject)
        s->sliderObject->embedded = 1;
}

void BuildHorizontal(TSpinEdit* s) {
    const int w = s->width;
    const int h = s->height;
    HINSTANCE module = SkinModule();
    s->edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", 0x50801080, w - 62, 0, 40, h, s->window,
                              reinterpret_cast<HMENU>(kField), module, nullptr);
    if (sharedBoldFont)
        SendMessageA(s->edit, WM_SETFONT, reinterpret_cast<WPARAM>(sharedBoldFont), FALSE);
    s->upDown = CreateArrows(s, 0x50800000, w - 20, 0, 16, h);
    s->slider = CreateWindowExA(0, "Mac Slider CPP", "", 0x50000000, 0, 3, w - 62, h - 3, s->window,
                                reinterpret_cast<HMENU>(kSlider), module, nullptr);
    TMacSlider* slider = static_cast<TMacSlider*>(GetControlObject(s->slider, "Mac Slider CPP"));
    s->sliderObject = slider;
    if (!slider)
        return;
    slider->mode = 2;
    slider->trackbarId = 333;
    slider->valueLabelId = kField;
    slider->upDownId = kArrows;
    SkinActivation activation;
    slider->trackbar = CreateWindowExA(0, TRACKBAR_CLASSA, "", 0x50000014, 0, 0, slider->width, slider->height,
                                       s->slider, reinterpret_cast<HMENU>(333), module, nullptr);
}

// `text` begins with `word` (lower case), in any case, and ends there or with blanks.
bool IsWord(const char* text, const char* word) {
    for (; *word; ++text, ++word)
        if (std::tolower(static_cast<unsigned char>(*text)) != *word)
            return false;
    while (std::isspace(static_cast<unsigned char>(*text)))
        ++text;
    return *text == '\0';
}

// The field lost the focus (or reached its limit): commit what was typed.
void CommitTyped(TSpinEdit* s, LPARAM lParam) {
    char text[32] = {};
    GetWindowTextA(s->edit, text, sizeof text);
    float typed = ReadTypedNumber(text);
    // "nan" is no number, as unparsable text is none; a number too large to hold ("1e999",
    // "inf") is still on its side of the range and is held at its end below.
    if (std::isnan(typed))
        typed = 0.0f;
    if (typed < s->min)
        typed = s->min;
    if (typed > s->max)
        typed = s->max;
    if (std::fabs(typed - s->value) <= kTypingTolerance)
        return;
    SetSpinValue(s, typed);
    NotifyParent(s, lParam);
}

float SliderValue(const TSpinEdit* s) {
    const float v = s->sliderObject ? s->sliderObject->value : s->value;
    return s->integerMode ? std::trunc(v) : v;
}

LRESULT OnChildCommand(TSpinEdit* s, WPARAM wParam, LPARAM lParam) {
    const int child = LOWORD(wParam);
    const WORD code = HIWORD(wParam);
    if (child == kField) {
        if (code == EN_KILLFOCUS || code == EN_MAXTEXT) {
            CommitTyped(s, lParam);
        } else if (code == kEscapeInField) {
            SetSpinValue(s, s->value);
        }
        return 0;
    }
    if (child != kSlider)
        return 0;
    switch (lParam) {
    case 0:
    case 1:
        s->value = SliderValue(s);
        NotifyParent(s, lParam);
        break;
    case 2:
        SetSpinValue(s, s->defaultValue);
        PostMessageA(GetParent(s->window), WM_COMMAND, static_cast<WORD>(s->id), 0);
        break;
    }
    return 0;
}

LRESULT OnArrows(TSpinEdit* s, WPARAM wParam) {
    const int code = LOWORD(wParam);
    if (code == SB_THUMBPOSITION) {
        SetSpinValue(s, static_cast<float>(static_cast<short>(HIWORD(wParam))));
        if (s->notifyAtOnce)
            NotifyParent(s, 0);
    } else if (code == SB_ENDSCROLL && !s->notifyAtOnce) {
        const LRESULT position = SendMessageA(s->upDown, UDM_GETPOS, 0, 0);
        SetSpinValue(s, static_cast<float>(static_cast<short>(LOWORD(position))));
        KillTimer(s->window, kSpinNotifyTimer);
        s->timerPending = SetTimer(s->window, kSpinNotifyTimer, kSpinNotifyDelay, nullptr) ? 1 : 0;
        if (!s->timerPending)
            NotifyParent(s, 0);
    }
    return 0;
}

LRESULT HandleSpinEdit(TSpinEdit* s, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        if (s->horizontal)
            BuildHorizontal(s);
        else
            BuildVertical(s);
        return 0;
    case WM_COMMAND:
        return OnChildCommand(s, wParam, lParam);
    case WM_VSCROLL:
        if (reinterpret_cast<HWND>(lParam) == s->upDown)
            return OnArrows(s, wParam);
        return 0;
    case WM_HSCROLL: {
        const float v = SliderValue(s);
        if (v != s->value)
            SetSpinValue(s, v);
        SetFocus(s->edit);
        SendMessageA(s->edit, EM_SETSEL, 0, -1);
        if (s->notifyAtOnce)
            NotifyParent(s, 0);
        return 0;
    }
    case WM_TIMER:
        if (wParam != kSpinNotifyTimer)
            break;
        KillTimer(window, kSpinNotifyTimer);
        s->timerPending = 0;
        NotifyParent(s, 0);
        return 0;
    case WM_RBUTTONDOWN:
        if (s->rangeFollowsValue)
            SetValueDialog(s);
        return 0;
    case WM_ENABLE: {
        const BOOL on = wParam ? TRUE : FALSE;
        s->enabled = on ? 1 : 0;
        for (HWND child : {s->edit, s->upDown, s->slider, s->label})
            if (child)
                EnableWindow(child, on);
        return 0;
    }
    case WM_SETFOCUS:
        SetFocus(s->edit);
        SendMessageA(s->edit, EM_SETSEL, 0, -1);
        return 0;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        if (!s->horizontal)
            break;
        if (message == WM_CTLCOLORSTATIC) {
            SetTextColor(reinterpret_cast<HDC>(wParam), RGB(60, 55, 50));
            SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        }
        return reinterpret_cast<LRESULT>(SkinBackgroundBrush);
    case WM_DESTROY:
        KillTimer(window, kSpinNotifyTimer);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

LRESULT CALLBACK SpinEditWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    static const skin::WindowRule rule{false, true, true};
    return skin::RunWindowRule<TSpinEdit>(rule, window, message, wParam, lParam, HandleSpinEdit,
                                          [](TSpinEdit* s) { delete s; });
}

LRESULT CALLBACK SpinEditHorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    static const skin::WindowRule rule{false, true, true};
    return skin::RunWindowRule<TSpinEdit>(
        rule, window, message, wParam, lParam,
        [](TSpinEdit* s, HWND w, UINT m, WPARAM wp, LPARAM lp) {
            if (m == WM_CREATE)
                s->horizontal = 1;
            return HandleSpinEdit(s, w, m, wp, lp);
        },
        [](TSpinEdit* s) { delete s; });
}

float ReadTypedNumber(const char* text) {
    const char* at = text;
    while (std::isspace(static_cast<unsigned char>(*at)))
        ++at;
    const bool negative = *at == '-';
    const char* word = *at == '-' || *at == '+' ? at + 1 : at;
    if (IsWord(word, "inf") || IsWord(word, "infinity")) {
        const float infinity = std::numeric_limits<float>::infinity();
        return negative ? -infinity : infinity;
    }
    if (IsWord(word, "nan"))
        return std::numeric_limits<float>::quiet_NaN();
    return static_cast<float>(std::atof(text));
}

TSpinEdit* SetupSpinEdit(HWND dialog, int spinId, int labelId, float min, float max, float absMin, float absMax,
                         const char* name, const char* tooltip, bool integerMode, bool rangeFollowsValue,
                         bool notifyAtOnce, float defaultValue) {
    auto* s = static_cast<TSpinEdit*>(GetControlObject(GetDlgItem(dialog, spinId), "Spin Edit CPP"));
    if (!s)
        return nullptr;
    s->defaultValue = defaultValue;
    s->notifyAtOnce = notifyAtOnce ? 1 : 0;
    s->integerMode = integerMode ? 1 : 0;
    if (tooltip) {
        for (HWND child : {s->edit, s->upDown, s->slider})
            AddTooltip(child, tooltip);
    }
    if (name) {
        std::strncpy(s->name, name, sizeof s->name - 1);
        s->name[sizeof s->name - 1] = '\0';
    }
    s->label = GetDlgItem(dialog, labelId);
    if (s->label && sharedBoldFont)
        SendMessageA(s->label, WM_SETFONT, reinterpret_cast<WPARAM>(sharedBoldFont), TRUE);
    SetSpinRange(s, min, max);
    if (rangeFollowsValue) {
        s->absMin = absMin;
        s->absMax = absMax;
    } else {
        s->rangeFollowsValue = 0;
        if (s->sliderObject)
            s->sliderObject->blueOutline = 0;
    }
    return s;
}

void SetSpinValue(TSpinEdit* s, float v) {
    if (!s)
        return;
    if (s->rangeFollowsValue) {
        float max = s->max;
        float min = s->min;
        if (v > max)
            max = v;
        if (max > s->absMax)
            max = s->absMax;
        if (v < min)
            min = v;
        if (min < s->absMin)
            min = s->absMin;
        if (max != s->max || min != s->min)
            SetSpinRange(s, min, max);
    }
    s->value = v;
    if (s->upDown)
        SendMessageA(s->upDown, UDM_SETPOS, 0, MAKELPARAM(static_cast<short>(v), 0));
    char text[32];
    FormatValue(text, sizeof text, v, s->integerMode);
    if (s->edit)
        SetWindowTextA(s->edit, text);
    SetSliderValue(s->sliderObject, v, false);
}

void SetSpinRange(TSpinEdit* s, float lo, float hi) {
    if (!s)
        return;
    s->min = lo;
    s->max = hi;
    SetSliderRange(s->sliderObject, lo, hi);
    if (s->upDown)
        SendMessageA(s->upDown, UDM_SETRANGE, 0, MAKELPARAM(static_cast<short>(hi), static_cast<short>(lo)));
}
