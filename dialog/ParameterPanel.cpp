// The parameter panel: every edit goes into the parameters at once and the preview follows.
#include "dialog/ParameterPanel.h"

#include "controls/SkinResources.h"
#include "dialog/DialogIds.h"
#include "dialog/DialogServices.h"
#include "dialog/MainDialog.h"
#include "dialog/PreviewPane.h"
#include "plugin/Globals.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

HWND parameterPanel = nullptr;
TRotor* panelRotor = nullptr;

namespace {

struct SpinField {
    int id;
    int labelId;
    const char* name;
    const char* tooltip;
    float min, max, absMin, absMax, defaultValue;
    float FilterParameters::*field;
};

const SpinField kSpins[] = {
    {IDC_SPIN_VALUE, IDC_LABEL_VALUE, "Strength of effect", "Value of vortiflux effect", -100, 100, -1000, 1000, 25,
     &FilterParameters::value},
    {IDC_SPIN_SIZE, IDC_LABEL_SIZE, "Scale of effect", "Scale elements of vortiflux pattern", 1, 100, 1, 300, 25,
     &FilterParameters::size},
    {IDC_SPIN_ABERRATION, IDC_LABEL_ABERRATION, "Chromatic aberration",
     "Chromatical aberration - displace between different color channels", -100, 100, -200, 200, 0,
     &FilterParameters::aberration},
    {IDC_SPIN_SEED, IDC_LABEL_SEED, "Random Seed", "Initial state of random generator", 0, 100, 0, 1000, 0,
     &FilterParameters::randomSeed},
    {IDC_SPIN_PROPORTION, IDC_LABEL_PROPORTION, "Proportion", "Proportion of random patterns", -100, 100, -1000, 1000,
     0, &FilterParameters::proportion},
};
constexpr int kSpinCount = sizeof kSpins / sizeof kSpins[0];

const char* const kMethodNames[] = {"Turbulence", "Turbulence 2", "Smooth", "Radial", "Radial Smooth", "Swirl"};

TSpinEdit* spins[kSpinCount] = {};
HWND centreXField = nullptr;
HWND centreYField = nullptr;

// Where the layout starts from: the panel in the dialog, and the preset group's controls in
// the panel, as the templates placed them.
POINT panelOrigin = {};
int panelWidth = 0;
RECT groupRect = {}, saveRect = {}, deleteRect = {}, listRect = {};

constexpr int kPresetItemHeight = 16;

RECT ChildRect(HWND parent, int id) {
    RECT rect = {};
    HWND child = GetDlgItem(parent, id);
    if (child) {
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    }
    return rect;
}

void Place(HWND parent, int id, int x, int y, int width, int height) {
    if (HWND child = GetDlgItem(parent, id))
        SetWindowPos(child, nullptr, x, y, std::max(0, width), std::max(0, height), SWP_NOZORDER | SWP_NOACTIVATE);
}

// The edit box's own display of a stored centre value.
void FormatCentre(float value, char* text, size_t size) {
    if (std::fabs(value) < 0.0001f)
        value = 0.0f;
    std::snprintf(text, size, "%0.2f", value);
}

float* CentreField(int id) {
    if (!gParams)
        return nullptr;
    return id == IDC_CENTRE_X ? &gParams->centerX : &gParams->centerY;
}

void ShowCentre(HWND field, float stored) {
    char text[32];
    FormatCentre(stored, text, sizeof text);
    SetWindowTextA(field, text);
}

void CommitCentreField(HWND field, int id) {
    float* stored = CentreField(id);
    if (!stored)
        return;
    char text[16] = {};
    GetWindowTextA(field, text, sizeof text);
    char shown[32];
    FormatCentre(*stored, shown, sizeof shown);
    // The box still shows the stored value as it was written there (rounded to two places):
    // nothing was typed, and nothing may change.
    if (std::strcmp(text, shown) == 0)
        return;
    float typed = ReadTypedNumber(text);
    // Text that is no number stores 0; a number beyond the area (even "1e999") its edge.
    if (std::isnan(typed))
        typed = 0.0f;
    typed = std::clamp(typed, -100.0f, 100.0f);
    if (typed != *stored) {
        *stored = typed;
        ShowCentreInControls(gParams->centerX, gParams->centerY);
        SyncMarkerFromParameters();
        RefreshPreview();
    }
    // The box shows what is stored, not what was typed.
    ShowCentre(field, *stored);
}

void CopySpinValues() {
    if (!gParams)
        return;
    for (int i = 0; i < kSpinCount; ++i)
        if (spins[i])
            gParams->*kSpins[i].field = spins[i]->value;
}

void SetUpPanel(HWND panel) {
    parameterPanel = panel;
    AttachMacStyleBtn(panel, IDC_PRESET_SAVE, "Save", false);
    AttachMacStyleBtn(panel, IDC_PRESET_DELETE, "Delete", false);
    SetUpPresetList(panel);
    AddTooltip(GetDlgItem(panel, IDC_PRESET_SAVE), "Save current settings");
    AddTooltip(GetDlgItem(panel, IDC_PRESET_DELETE), "Delete a selected preset");

    HWND methods = GetDlgItem(panel, IDC_METHOD);
    SendMessageA(methods, WM_SETFONT, reinterpret_cast<WPARAM>(sharedBoldFont), FALSE);
    for (const char* name : kMethodNames)
        SendMessageA(methods, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    AddTooltip(methods, "Turbulence pattern variations");

    centreXField = GetDlgItem(panel, IDC_CENTRE_X);
    centreYField = GetDlgItem(panel, IDC_CENTRE_Y);
    HWND rotorWindow = GetDlgItem(panel, IDC_ROTOR);
    panelRotor = static_cast<TRotor*>(GetControlObject(rotorWindow, "Rotor CPP"));
    if (panelRotor) {
        panelRotor->showPosition = 1;
        panelRotor->defaultX = 0.0f;
        panelRotor->defaultY = 0.0f;
        panelRotor->name = "Offset position";
        panelRotor->field1 = centreXField;
        panelRotor->field2 = centreYField;
    }
    SendMessageA(centreXField, WM_SETFONT, reinterpret_cast<WPARAM>(sharedBoldFont), FALSE);
    SendMessageA(centreYField, WM_SETFONT, reinterpret_cast<WPARAM>(sharedBoldFont), FALSE);
    AddTooltip(rotorWindow, "The position of effect offset. You can adjust this parameter directly in preview by "
                            "moving a crosshair mark with mouse");
    AddTooltip(centreXField, "Enter X coordinate of offset");
    AddTooltip(centreYField, "Enter Y coordinate of offset");

    for (int i = 0; i < kSpinCount; ++i) {
        const SpinField& s = kSpins[i];
        spins[i] = SetupSpinEdit(panel, s.id, s.labelId, s.min, s.max, s.absMin, s.absMax, s.name, s.tooltip, false,
                                 true, false, s.defaultValue);
    }

    if (mainPane) {
        AddEmitterMarker(mainPane);
        AddTooltip(mainPane->window,
                   "Use left mouse button to shift preview area. And right mouse button to setup a center of emitter");
    }
    UpdateDeleteButton(panel);
    LoadControlsFromParameters();

    groupRect = ChildRect(panel, IDC_PRESET_GROUP);
    saveRect = ChildRect(panel, IDC_PRESET_SAVE);
    deleteRect = ChildRect(panel, IDC_PRESET_DELETE);
    listRect = ChildRect(panel, IDC_PRESET_LIST);
}

INT_PTR HandleCommand(HWND panel, int id, int code, LPARAM lParam) {
    switch (id) {
    case IDC_SPIN_VALUE:
    case IDC_SPIN_SIZE:
    case IDC_SPIN_ABERRATION:
    case IDC_SPIN_PROPORTION:
    case IDC_SPIN_SEED:
        CopySpinValues();
        RefreshPreview();
        return TRUE;
    case IDC_METHOD:
        if (code == CBN_SELCHANGE && gParams) {
            const LRESULT selected = SendMessageA(GetDlgItem(panel, IDC_METHOD), CB_GETCURSEL, 0, 0);
            if (selected >= 0) {
                gParams->method = static_cast<uint8_t>(selected);
                RefreshPreview();
            }
        }
        return TRUE;
    case IDC_CENTRE_X:
    case IDC_CENTRE_Y: {
        HWND field = reinterpret_cast<HWND>(lParam) ? reinterpret_cast<HWND>(lParam) : GetDlgItem(panel, id);
        if (code == kRevertField) {
            if (const float* stored = CentreField(id))
                RevertCentreField(GetDlgItem(panel, id), *stored);
        } else if (code == EN_KILLFOCUS || code == EN_MAXTEXT || code == 13) {
            CommitCentreField(field, id);
        }
        return TRUE;
    }
    case IDC_ROTOR:
        if (panelRotor && gParams) {
            RotorPosition(panelRotor, &gParams->centerX, &gParams->centerY);
            // The rotor writes the boxes while it is dragged, but not when its angles were typed
            // into "Set value": the boxes must show the new centre before anything reads them.
            ShowCentre(centreXField, gParams->centerX);
            ShowCentre(centreYField, gParams->centerY);
            SyncMarkerFromParameters();
            RefreshPreview();
        }
        return TRUE;
    case IDC_PRESET_LIST:
    case IDC_PRESET_SAVE:
    case IDC_PRESET_DELETE:
        HandlePresetCommand(panel, id, code);
        return TRUE;
    }
    return FALSE;
}

} // namespace

INT_PTR CALLBACK ParameterPanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        switch (message) {
        case WM_INITDIALOG:
            SetUpPanel(panel);
            return FALSE; // the main dialog decides where the focus goes
        case WM_COMMAND:
            return HandleCommand(panel, LOWORD(wParam), HIWORD(wParam), lParam);
        case WM_MEASUREITEM: {
            auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            if (item->CtlID != IDC_PRESET_LIST)
                return FALSE;
            item->itemHeight = kPresetItemHeight;
            return TRUE;
        }
        case WM_DRAWITEM: {
            auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item->CtlID != IDC_PRESET_LIST)
                return FALSE;
            DrawPresetEntry(item);
            return TRUE;
        }
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
            return reinterpret_cast<INT_PTR>(SkinBackgroundBrush);
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, RGB(50, 55, 60));
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<INT_PTR>(SkinBackgroundBrush);
        }
        }
    } catch (...) {
        return FALSE; // nothing may leave a dialog procedure
    }
    return FALSE;
}

void LoadControlsFromParameters() {
    if (!gParams || !parameterPanel)
        return;
    const int method = gParams->method < 6 ? gParams->method : -1;
    SendMessageA(GetDlgItem(parameterPanel, IDC_METHOD), CB_SETCURSEL, static_cast<WPARAM>(method), 0);
    ShowCentreInControls(gParams->centerX, gParams->centerY);
    emitterX = gParams->centerX;
    emitterY = gParams->centerY;
    for (int i = 0; i < kSpinCount; ++i)
        if (spins[i])
            SetSpinValue(spins[i], gParams->*kSpins[i].field);
}

void ShowCentreInControls(float x, float y) {
    SetRotorPosition(panelRotor, x, -y);
    // The rotor writes the boxes from its angles, which may round the last place the other way:
    // the boxes show the numbers themselves, so that leaving a box unedited changes nothing.
    ShowCentre(centreXField, x);
    ShowCentre(centreYField, y);
}

void RevertCentreField(HWND field, float stored) {
    char formatted[32];
    FormatCentre(stored, formatted, sizeof formatted);
    char text[32] = {};
    GetWindowTextA(field, text, sizeof text);
    if (std::strcmp(text, formatted) == 0 && mainDialog)
        EndDialog(mainDialog, IDCANCEL);
    SetWindowTextA(field, formatted);
}

void PlaceParameterPanel(int x, int y, int width) {
    panelOrigin = {x, y};
    panelWidth = width;
    RECT client = {};
    GetClientRect(parameterPanel, &client);
    SetWindowPos(parameterPanel, nullptr, x, y, width, client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
}

void LayoutParameterPanel(int height) {
    if (!parameterPanel)
        return;
    const int panelHeight = height - panelOrigin.y;
    SetWindowPos(parameterPanel, nullptr, panelOrigin.x, panelOrigin.y, panelWidth, std::max(0, panelHeight),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    const int groupBottom = panelHeight - 9;
    Place(parameterPanel, IDC_PRESET_GROUP, groupRect.left, groupRect.top, groupRect.right - groupRect.left,
          groupBottom - groupRect.top);
    const int buttonHeight = saveRect.bottom - saveRect.top;
    const int buttonTop = groupBottom - buttonHeight - 6;
    Place(parameterPanel, IDC_PRESET_SAVE, saveRect.left, buttonTop, saveRect.right - saveRect.left, buttonHeight);
    Place(parameterPanel, IDC_PRESET_DELETE, deleteRect.left, buttonTop, deleteRect.right - deleteRect.left,
          deleteRect.bottom - deleteRect.top);
    Place(parameterPanel, IDC_PRESET_LIST, listRect.left, listRect.top, listRect.right - listRect.left,
          buttonTop - 5 - listRect.top);
    InvalidateRect(parameterPanel, nullptr, TRUE);
}

void ForgetParameterPanel() {
    parameterPanel = nullptr;
    panelRotor = nullptr;
    centreXField = centreYField = nullptr;
    for (TSpinEdit*& spin : spins)
        spin = nullptr;
}
