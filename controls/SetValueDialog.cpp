// "Set value" (template 15092): lets the user set a spin edit's value and narrow or widen its
// range within the absolute limits, or type a rotor's two angles.
#include "controls/SetValueDialogIds.h"
#include "controls/SkinControls.h"
#include "controls/SkinResources.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr WORD kEscapeInField = 27;

struct SpinSession {
    TSpinEdit* spin;
    float value;
    float min;
    float max;
};

void Format(char* text, size_t size, float v, bool integerMode) {
    if (integerMode)
        std::snprintf(text, size, "%d", static_cast<int>(v));
    else
        std::snprintf(text, size, "%0.2f", v);
}

void ShowNumber(HWND dialog, int item, float v, bool integerMode) {
    char text[48];
    Format(text, sizeof text, v, integerMode);
    SetDlgItemTextA(dialog, item, text);
}

// A typed number: text that is no number (or "nan") counts as 0; a number too large to hold
// ("1e999", "inf") keeps its sign, so the checks below hold it at the nearest limit.
float ReadNumber(HWND dialog, int item) {
    char text[64] = {};
    GetDlgItemTextA(dialog, item, text, sizeof text);
    const float v = ReadTypedNumber(text);
    return std::isnan(v) ? 0.0f : v;
}

// An angle has no limits to hold it at: only a finite number counts.
float ReadAngle(HWND dialog, int item) {
    const float v = ReadNumber(dialog, item);
    return std::isfinite(v) ? v : 0.0f;
}

// The dialog wears the skin as the other dialogs do: the skin's background behind everything
// but the fields, its text colour, and the bold font for what the user reads and types.
constexpr int kBoldItems[] = {kSetValueName,     kSetValueCurrent1,  kSetValueCurrent2, kSetValueType,  kSetValueRange,
                              kSetValueNewValue, kSetValueNewSecond, kSetValueNewMin,   kSetValueNewMax};

void ApplySkinFonts(HWND dialog) {
    if (!sharedBoldFont)
        return;
    for (int item : kBoldItems)
        SendDlgItemMessageA(dialog, item, WM_SETFONT, reinterpret_cast<WPARAM>(sharedBoldFont), FALSE);
}

// The answer to a colour message, or false when the system's colours stay (the fields).
bool SkinColour(UINT message, WPARAM wParam, INT_PTR* brush) {
    switch (message) {
    case WM_CTLCOLORSTATIC:
        SetTextColor(reinterpret_cast<HDC>(wParam), kSkinText);
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        [[fallthrough]];
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORBTN:
        if (!SkinBackgroundBrush)
            return false;
        *brush = reinterpret_cast<INT_PTR>(SkinBackgroundBrush);
        return true;
    }
    return false;
}

bool FocusInField(HWND dialog) {
    HWND focus = GetFocus();
    if (!focus || GetParent(focus) != dialog)
        return false;
    char name[16] = {};
    GetClassNameA(focus, name, sizeof name);
    return _stricmp(name, "Edit") == 0;
}

// Rejects an entry on OK: the field shows the nearest allowed value and takes the focus.
void Reject(HWND dialog, int item, float shown, bool integerMode) {
    ShowNumber(dialog, item, shown, integerMode);
    SetFocus(GetDlgItem(dialog, item));
    MessageBeep(0);
}

// Checks one field when it loses the focus, against the working copy.
void CheckField(HWND dialog, SpinSession* session, int item) {
    const bool integerMode = session->spin->integerMode != 0;
    const float typed = ReadNumber(dialog, item);
    float x = typed;
    if (item == kSetValueNewMin) {
        if (x >= session->max) {
            x = session->min;
            MessageBeep(static_cast<UINT>(-1));
        }
        if (x < session->spin->absMin) {
            x = session->spin->absMin;
            MessageBeep(static_cast<UINT>(-1));
        }
    } else if (item == kSetValueNewMax) {
        if (x <= session->min) {
            x = session->max;
            MessageBeep(static_cast<UINT>(-1));
        }
        if (x > session->spin->absMax) {
            x = session->spin->absMax;
            MessageBeep(static_cast<UINT>(-1));
        }
    } else {
        if (x < session->min)
            x = session->min;
        if (x > session->max)
            x = session->max;
    }
    if (integerMode)
        x = std::trunc(x);
    // Rewriting a 0 shows unparsable text as the number it was taken for.
    if (x != typed || x == 0.0f)
        ShowNumber(dialog, item, x, integerMode);
    if (item == kSetValueNewMin)
        session->min = x;
    else if (item == kSetValueNewMax)
        session->max = x;
    else
        session->value = x;
}

void RestoreField(HWND dialog, SpinSession* session, int item) {
    const bool integerMode = session->spin->integerMode != 0;
    if (item == kSetValueNewMin)
        ShowNumber(dialog, item, session->min, integerMode);
    else if (item == kSetValueNewMax)
        ShowNumber(dialog, item, session->max, integerMode);
    else if (item == kSetValueNewValue)
        ShowNumber(dialog, item, session->value, integerMode);
}

// OK: every entry is checked before anything is stored, so a rejected OK changes nothing.
void Accept(HWND dialog, SpinSession* session) {
    TSpinEdit* spin = session->spin;
    const bool integerMode = spin->integerMode != 0;
    float min = ReadNumber(dialog, kSetValueNewMin);
    float max = ReadNumber(dialog, kSetValueNewMax);
    float value = ReadNumber(dialog, kSetValueNewValue);
    if (integerMode) {
        min = std::trunc(min);
        max = std::trunc(max);
    }
    if (min < spin->absMin)
        return Reject(dialog, kSetValueNewMin, spin->absMin, integerMode);
    if (max > spin->absMax)
        return Reject(dialog, kSetValueNewMax, spin->absMax, integerMode);
    // A range that is empty or upside down has no value to offer.
    if (min >= max)
        return Reject(dialog, kSetValueNewMin, spin->min < max ? spin->min : spin->absMin, integerMode);
    if (value > max)
        return Reject(dialog, kSetValueNewValue, max, integerMode);
    if (value < min)
        return Reject(dialog, kSetValueNewValue, min, integerMode);
    SetSpinValue(spin, value);
    SetSpinRange(spin, min, max);
    SetSpinValue(spin, spin->value);
    InvalidateRect(spin->window, nullptr, TRUE);
    PostMessageA(GetParent(spin->window), WM_COMMAND, static_cast<WORD>(spin->id), 0);
    EndDialog(dialog, 1);
}

void InitSpin(HWND dialog, SpinSession* session) {
    TSpinEdit* spin = session->spin;
    const bool integerMode = spin->integerMode != 0;
    char text[96];
    SetDlgItemTextA(dialog, kSetValueName, spin->name);
    ShowNumber(dialog, kSetValueCurrent1, spin->value, integerMode);
    ShowNumber(dialog, kSetValueNewValue, spin->value, integerMode);
    SetDlgItemTextA(dialog, kSetValueCurrent2, "Not used");
    EnableWindow(GetDlgItem(dialog, kSetValueNewSecond), FALSE);
    std::snprintf(text, sizeof text, "%sslider", integerMode ? "Integer " : "Float ");
    SetDlgItemTextA(dialog, kSetValueType, text);
    if (integerMode)
        std::snprintf(text, sizeof text, "%d ... %d", static_cast<int>(spin->absMin), static_cast<int>(spin->absMax));
    else
        std::snprintf(text, sizeof text, "%0.2f ... %0.2f", spin->absMin, spin->absMax);
    SetDlgItemTextA(dialog, kSetValueRange, text);
    ShowNumber(dialog, kSetValueNewMin, spin->min, integerMode);
    ShowNumber(dialog, kSetValueNewMax, spin->max, integerMode);
}

INT_PTR CALLBACK SpinDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* session = reinterpret_cast<SpinSession*>(GetWindowLongPtrA(dialog, DWLP_USER));
    INT_PTR brush = 0;
    if (SkinColour(message, wParam, &brush))
        return brush;
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        ApplySkinFonts(dialog);
        InitSpin(dialog, reinterpret_cast<SpinSession*>(lParam));
        return TRUE;
    case WM_COMMAND: {
        if (!session)
            return FALSE;
        const int item = LOWORD(wParam);
        const WORD code = HIWORD(wParam);
        if (item == IDOK) {
            if (FocusInField(dialog))
                PostMessageA(dialog, WM_NEXTDLGCTL, 0, 0);
            else
                Accept(dialog, session);
            return TRUE;
        }
        if (item == IDCANCEL) {
            if (FocusInField(dialog))
                PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(GetFocus()), kEscapeInField), 0);
            else
                EndDialog(dialog, 2);
            return TRUE;
        }
        if (item == kSetValueNewValue || item == kSetValueNewMin || item == kSetValueNewMax) {
            if (code == EN_KILLFOCUS)
                CheckField(dialog, session, item);
            if (code == kEscapeInField)
                RestoreField(dialog, session, item);
            return TRUE;
        }
        return FALSE;
    }
    }
    return FALSE;
}

INT_PTR CALLBACK RotorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* rotor = reinterpret_cast<TRotor*>(GetWindowLongPtrA(dialog, DWLP_USER));
    INT_PTR brush = 0;
    if (SkinColour(message, wParam, &brush))
        return brush;
    switch (message) {
    case WM_INITDIALOG: {
        rotor = reinterpret_cast<TRotor*>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        ApplySkinFonts(dialog);
        SetDlgItemTextA(dialog, kSetValueName, rotor->name ? rotor->name : "");
        SetDlgItemTextA(dialog, kSetValueType, "Light position");
        ShowNumber(dialog, kSetValueCurrent1, rotor->azimuth, false);
        ShowNumber(dialog, kSetValueNewValue, rotor->azimuth, false);
        ShowNumber(dialog, kSetValueCurrent2, rotor->elevation, false);
        ShowNumber(dialog, kSetValueNewSecond, rotor->elevation, false);
        SetDlgItemTextA(dialog, kSetValueRange, "Not limit");
        EnableWindow(GetDlgItem(dialog, kSetValueNewMin), FALSE);
        EnableWindow(GetDlgItem(dialog, kSetValueNewMax), FALSE);
        return TRUE;
    }
    case WM_COMMAND: {
        if (!rotor)
            return FALSE;
        const int item = LOWORD(wParam);
        if (item == IDOK) {
            if (FocusInField(dialog)) {
                PostMessageA(dialog, WM_NEXTDLGCTL, 0, 0);
                return TRUE;
            }
            rotor->azimuth = ReadAngle(dialog, kSetValueNewValue);
            rotor->elevation = ReadAngle(dialog, kSetValueNewSecond);
            InvalidateRect(rotor->window, nullptr, FALSE);
            PostMessageA(GetParent(rotor->window), WM_COMMAND, static_cast<WORD>(rotor->id), 0);
            EndDialog(dialog, 1);
            return TRUE;
        }
        if (item == IDCANCEL) {
            if (FocusInField(dialog))
                PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(GetFocus()), kEscapeInField), 0);
            else
                EndDialog(dialog, 2);
            return TRUE;
        }
        if (HIWORD(wParam) == kEscapeInField) {
            if (item == kSetValueNewValue)
                ShowNumber(dialog, item, rotor->azimuth, false);
            if (item == kSetValueNewSecond)
                ShowNumber(dialog, item, rotor->elevation, false);
            return TRUE;
        }
        return FALSE;
    }
    }
    return FALSE;
}

} // namespace

INT_PTR SetValueDialog(TSpinEdit* spin) {
    if (!spin || !spin->rangeFollowsValue)
        return 0;
    SpinSession session = {spin, spin->value, spin->min, spin->max};
    return DialogBoxParamA(SkinModule(), MAKEINTRESOURCEA(kSetValueDialog), spin->window, SpinDialogProc,
                           reinterpret_cast<LPARAM>(&session));
}

INT_PTR SetValueDialog(TRotor* rotor) {
    if (!rotor)
        return 0;
    return DialogBoxParamA(SkinModule(), MAKEINTRESOURCEA(kSetValueDialog), rotor->window, RotorDialogProc,
                           reinterpret_cast<LPARAM>(rotor));
}
