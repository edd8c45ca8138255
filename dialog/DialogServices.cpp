// The main dialog's calls into the preset list, the About box and the manual and web pages.
#include "dialog/DialogServices.h"

#include "about/AboutBox.h"
#include "about/ShellPages.h"
#include "dialog/DialogIds.h"
#include "dialog/MainDialog.h"
#include "dialog/ParameterPanel.h"
#include "plugin/UserInterface.h"
#include "presets/PresetListWindow.h"

void SetUpPresetList(HWND panel) {
    SetUpPresetPanel(panel, presetListFont);
}

void UpdateDeleteButton(HWND panel) {
    UpdateDeleteButton(GetDlgItem(panel, IDC_PRESET_LIST), GetDlgItem(panel, IDC_PRESET_DELETE));
}

void DrawPresetEntry(const DRAWITEMSTRUCT* item) {
    DrawPresetListEntry(item);
}

void HandlePresetCommand(HWND panel, int id, int code) {
    // A preset or "Default" was applied: the controls show it and the preview follows.
    if (HandlePresetListCommand(panel, id, code)) {
        LoadControlsFromParameters();
        SendMessageA(mainDialog, WM_COMMAND, kCommandRenderAgain, 0);
    }
}

void RunAboutDialog(HWND owner) {
    RunAboutBox(owner);
}

void ShowAboutBox(AboutRecord* record) {
    HWND owner = nullptr;
    if (record != nullptr && record->platformData != nullptr)
        owner = static_cast<HWND>(record->platformData->hwnd);
    RunAboutBoxFromHost(owner);
}

void OpenManualPage(ManualPage page) {
    OpenManualPage(page == ManualPage::Parameters ? kManualParametersPage : kManualMainPage, mainDialog);
}

void OpenProductPage() {
    OpenWebPage(kProductPage, mainDialog);
}

void EndShellThread() {
    CloseShellThreads();
}
