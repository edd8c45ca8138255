#pragma once
// What the main dialog and the parameter panel ask of the preset list, the About box and the
// manual and web page openers.

#include <windows.h>

// Preset list of the panel (item 1913): fill it, keep "Delete" in step, draw an entry, and the
// commands of the list and its two buttons.
void SetUpPresetList(HWND panel);
void UpdateDeleteButton(HWND panel);
void DrawPresetEntry(const DRAWITEMSTRUCT* item);
void HandlePresetCommand(HWND panel, int id, int code);

// The About dialog, modal over `owner`.
void RunAboutDialog(HWND owner);
// The manual's pages and the product's page, opened by the shell on a short-lived thread.
enum class ManualPage { Main, Parameters };
void OpenManualPage(ManualPage page);
void OpenProductPage();
// Ends a shell thread that still runs (the dialog's teardown).
void EndShellThread();
