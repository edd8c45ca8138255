#include "presets/PresetListWindow.h"

#include "controls/GdiObjects.h"
#include "controls/SkinControls.h"
#include "engine/FilterParameters.h"
#include "platform/Platform.h"
#include "plugin/Globals.h"
#include "presets/PresetFile.h"
#include "presets/PresetList.h"
#include "presets/PresetListIds.h"

#include <string>

namespace {

// Entries and names are at most this many UTF-16 units; the edit box gives at most kLongestName.
constexpr size_t kNameCapacity = 256;
constexpr int kLongestName = 254;

HINSTANCE OwnModule() {
    return static_cast<HINSTANCE>(platform::ModuleInstance());
}

// The list and the name dialog are Unicode windows: names reach them as UTF-16, converted here
// from the UTF-8 the preset code carries, so every name shows exactly as it was typed.
std::wstring Wide(const std::string& text) {
    std::wstring wide;
    platform::ToWide(text, &wide);
    return wide;
}

void AddEntry(HWND list, const std::string& text) {
    std::wstring wide;
    if (platform::ToWide(text, &wide))
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

// The entry's text, or false when it cannot be read (or would not fit a name).
bool EntryText(HWND list, LRESULT index, std::string* text) {
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR || length >= static_cast<LRESULT>(kNameCapacity))
        return false;
    wchar_t buffer[kNameCapacity] = {};
    const LRESULT copied = SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer));
    if (copied == LB_ERR || copied >= static_cast<LRESULT>(kNameCapacity))
        return false;
    return platform::ToUtf8(buffer, static_cast<size_t>(copied), text);
}

void EnableSaveForText(HWND dialog) {
    EnableWindow(GetDlgItem(dialog, IDOK), GetWindowTextLengthW(GetDlgItem(dialog, IDC_PRESET_NAME_EDIT)) > 0);
}

INT_PTR HandleNameMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        HWND edit = GetDlgItem(dialog, IDC_PRESET_NAME_EDIT);
        SendMessageW(edit, EM_LIMITTEXT, kLongestName, 0);
        SetWindowTextW(edit, reinterpret_cast<const std::wstring*>(lParam)->c_str());
        EnableSaveForText(dialog);
        SetFocus(edit);
        return FALSE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_PRESET_NAME_EDIT:
            if (HIWORD(wParam) == EN_CHANGE)
                EnableSaveForText(dialog);
            return TRUE;
        case IDOK: {
            auto* name = reinterpret_cast<std::wstring*>(GetWindowLongPtrW(dialog, DWLP_USER));
            wchar_t typed[kLongestName + 1] = {};
            const UINT length = GetDlgItemTextW(dialog, IDC_PRESET_NAME_EDIT, typed, kLongestName + 1);
            name->assign(typed, length);
            EndDialog(dialog, 1);
            return TRUE;
        }
        case IDCANCEL:
            EndDialog(dialog, 2);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK NameProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return HandleNameMessage(dialog, message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}

bool ApplySelection(HWND panel, HWND list) {
    HWND deleteButton = GetDlgItem(panel, IDC_PRESET_DELETE_BUTTON);
    const LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR) {
        EnableWindow(deleteButton, FALSE);
        return false;
    }
    std::string text;
    const bool readable = EntryText(list, selected, &text);
    if (selected == 0 && readable && text == kDefaultEntry) {
        if (gParams == nullptr)
            return false;
        ResetEffectParameters();
        if (presetLoadedHook != nullptr)
            presetLoadedHook();
        return true;
    }
    if (!readable || IsFolderEntry(text)) {
        EnableWindow(deleteButton, FALSE);
        return false;
    }
    EnableWindow(deleteButton, TRUE);
    // No other input while the file is read.
    HWND mainDialog = GetParent(panel);
    if (mainDialog != nullptr)
        EnableWindow(mainDialog, FALSE);
    const bool loaded = LoadPreset(text);
    if (mainDialog != nullptr)
        EnableWindow(mainDialog, TRUE);
    return loaded;
}

void OpenFolderEntry(HWND panel, HWND list) {
    const LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
    std::string text;
    if (selected == LB_ERR || !EntryText(list, selected, &text) || !IsFolderEntry(text))
        return;
    if (!OpenPresetFolderEntry(text)) {
        // The folder's path would be too long to keep: the list stays as it is.
        MessageBeep(MB_ICONWARNING);
        return;
    }
    SetDlgItemTextW(panel, IDC_PRESET_FOLDER_TEXT, Wide(currentPresetFolder).c_str());
    ClearPresetList(list);
    FillPresetList(list);
    UpdateDeleteButton(list, GetDlgItem(panel, IDC_PRESET_DELETE_BUTTON));
}

void SaveNewPreset(HWND panel, HWND list) {
    std::string name;
    HWND owner = GetParent(panel) != nullptr ? GetParent(panel) : panel;
    const int answer = AskPresetName(owner, &name);
    if (answer == 0 || name.empty())
        return;
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    UpdateDeleteButton(list, GetDlgItem(panel, IDC_PRESET_DELETE_BUTTON));
    if (SavePreset(name) && answer == 1)
        AddEntry(list, name);
}

void DeleteSelectedEntry(HWND panel, HWND list) {
    const LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR)
        return;
    std::string text;
    if (EntryText(list, selected, &text) && !IsFolderEntry(text))
        DeletePresetFile(text);
    SendMessageW(list, LB_DELETESTRING, static_cast<WPARAM>(selected), 0);
    UpdateDeleteButton(list, GetDlgItem(panel, IDC_PRESET_DELETE_BUTTON));
}

} // namespace

void FillPresetList(HWND list) {
    for (const std::string& entry : PresetListEntries())
        AddEntry(list, entry);
}

void ClearPresetList(HWND list) {
    for (LRESULT index = SendMessageW(list, LB_GETCOUNT, 0, 0) - 1; index >= 0; --index)
        SendMessageW(list, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void UpdateDeleteButton(HWND list, HWND deleteButton) {
    const LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
    std::string text;
    const bool deletable = selected != LB_ERR && EntryText(list, selected, &text) && !IsFolderEntry(text);
    EnableWindow(deleteButton, deletable ? TRUE : FALSE);
}

int AskPresetName(HWND owner, std::string* name) {
    for (;;) {
        std::wstring typed = Wide(*name);
        if (DialogBoxParamW(OwnModule(), MAKEINTRESOURCEW(IDD_PRESET_NAME), owner, &NameProc,
                            reinterpret_cast<LPARAM>(&typed)) != 1)
            return 0;
        if (typed.empty())
            return 0;
        std::string problem;
        std::string text;
        if (!platform::ToUtf8(typed, &text)) {
            // Half of a surrogate pair cannot be part of a file name: refused like the other
            // characters no name may hold, with an empty box to type again.
            problem = PresetNameProblem("?");
            name->clear();
        } else {
            *name = CutPresetExtension(text);
            problem = PresetNameProblem(*name);
        }
        if (!problem.empty()) {
            platform::ShowMessage(owner, problem, "Save Preset Error", platform::MessageIcon::Warning);
            continue;
        }
        if (!PresetFileExists(*name))
            return 1;
        switch (platform::ShowMessage(owner, "The file already exist!\n Do you want rewrite it?", "File Save Warning",
                                      platform::MessageIcon::Warning, platform::MessageButtons::YesNoCancel)) {
        case platform::MessageAnswer::Yes:
            return 2;
        case platform::MessageAnswer::No:
            continue;
        default:
            return 0;
        }
    }
}

void SetUpPresetPanel(HWND panel, HFONT font) {
    HWND list = GetDlgItem(panel, IDC_PRESET_LIST_BOX);
    AddTooltip(list, "Click to apply previously saved settings");
    if (font != nullptr)
        SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    FillPresetList(list);
    UpdateDeleteButton(list, GetDlgItem(panel, IDC_PRESET_DELETE_BUTTON));
}

bool HandlePresetListCommand(HWND panel, int id, int code) {
    HWND list = GetDlgItem(panel, IDC_PRESET_LIST_BOX);
    if (id == IDC_PRESET_LIST_BOX && code == LBN_SELCHANGE)
        return ApplySelection(panel, list);
    if (id == IDC_PRESET_LIST_BOX && code == LBN_DBLCLK)
        OpenFolderEntry(panel, list);
    else if (id == IDC_PRESET_SAVE_BUTTON && code == 0)
        SaveNewPreset(panel, list);
    else if (id == IDC_PRESET_DELETE_BUTTON && code == 0)
        DeleteSelectedEntry(panel, list);
    return false;
}

void DrawPresetListEntry(const DRAWITEMSTRUCT* item) {
    if (item == nullptr || item->itemID == static_cast<UINT>(-1))
        return;
    HDC dc = item->hDC;
    const RECT& area = item->rcItem;
    SetBkMode(dc, TRANSPARENT);
    if (item->itemState & ODS_FOCUS)
        Rectangle(dc, area.left, area.top, area.right, area.bottom);
    else
        FillRect(dc, &area, GetSysColorBrush(COLOR_WINDOW));
    std::string text;
    if (!EntryText(item->hwndItem, item->itemID, &text))
        return;
    if (!IsFolderEntry(text)) {
        const std::wstring wide = Wide(text);
        TextOutW(dc, area.left + 3, area.top, wide.c_str(), static_cast<int>(wide.size()));
        return;
    }
    const std::string folder = text.substr(1);
    const int iconId = folder == kParentFolder ? IDB_PRESET_FOLDER_UP : IDB_PRESET_FOLDER;
    if (HBITMAP icon = gdi::LoadBitmapResource(OwnModule(), iconId)) {
        {
            gdi::BitmapSource source(dc, icon);
            BitBlt(dc, area.left + 2, area.top + 1, 16, 14, source.dc(), 0, 0, SRCCOPY);
        }
        gdi::Delete(icon);
    }
    const std::wstring wideFolder = Wide(folder);
    TextOutW(dc, area.left + 23, area.top, wideFolder.c_str(), static_cast<int>(wideFolder.size()));
}
