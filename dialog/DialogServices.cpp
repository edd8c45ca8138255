// The preset list, the About box and the manual and web pages as the dialog sees them before
// they exist: the list offers "Default" only, and the buttons that would open something open
// nothing. The preset list and About box work replaces this file.
#include "dialog/DialogServices.h"

#include "controls/SkinControls.h"
#include "dialog/DialogIds.h"
#include "dialog/MainDialog.h"
#include "plugin/UserInterface.h"

void SetUpPresetList(HWND panel) {
    HWND list = GetDlgItem(panel, IDC_PRESET_LIST);
    AddTooltip(list, "Click to apply previously saved settings");
    SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(presetListFont), FALSE);
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Default"));
}

void UpdateDeleteButton(HWND panel) {
    HWND list = GetDlgItem(panel, IDC_PRESET_LIST);
    const LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
    EnableWindow(GetDlgItem(panel, IDC_PRESET_DELETE), selected != LB_ERR);
}

void DrawPresetEntry(const DRAWITEMSTRUCT *item) {
    if (item->itemID == static_cast<UINT>(-1))
        return;
    HDC dc = item->hDC;
    SetBkMode(dc, TRANSPARENT);
    RECT rect = item->rcItem;
    if (item->itemState & ODS_FOCUS)
        Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
    else
        FillRect(dc, &rect, GetSysColorBrush(COLOR_WINDOW));
    char text[256] = {};
    if (SendMessageA(item->hwndItem, LB_GETTEXTLEN, item->itemID, 0) < static_cast<LRESULT>(sizeof text))
        SendMessageA(item->hwndItem, LB_GETTEXT, item->itemID, reinterpret_cast<LPARAM>(text));
    TextOutA(dc, rect.left + 3, rect.top, text, lstrlenA(text));
}

void HandlePresetCommand(HWND panel, int id, int code) {
    if (id == IDC_PRESET_LIST && code == LBN_SELCHANGE)
        UpdateDeleteButton(panel);
}

void RunAboutDialog(HWND) {}

void ShowAboutBox(AboutRecord *) {}

void OpenManualPage(ManualPage) {}

void OpenProductPage() {}

void EndShellThread() {}
